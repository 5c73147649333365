#include "platform/forms/control_plugins.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>

#include "platform/automation/closest_name.h"

// The plug-in folder below an installation's prefix, and the prefix's.
#ifndef SVX_CONTROL_SUBDIR
#define SVX_CONTROL_SUBDIR "lib/sorvanelix/controls"
#endif
#ifndef SVX_CONTROL_INSTALL_DIR
#define SVX_CONTROL_INSTALL_DIR "/usr/local/" SVX_CONTROL_SUBDIR
#endif

namespace svx {

namespace {

namespace fs = std::filesystem;

// File names of the libraries loaded so far (a library is loaded once, from
// the first folder that has it); their handles stay open for the process.
std::set<std::string>& loadedNames() {
  static std::set<std::string> names;
  return names;
}

class StagingRegistrar : public ControlRegistrar {
 public:
  void add(ControlClass cls) override { classes.push_back(std::move(cls)); }
  std::vector<ControlClass> classes;
};

// A library's file, opened once and never waiting; the loader opens it
// again through its descriptor's name, so the file checked is the file
// loaded, whatever the name in the folder is meanwhile.
class LibraryFile {
 public:
  explicit LibraryFile(const fs::path& file) {
    do fd_ = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ >= 0) name_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  LibraryFile(const LibraryFile&) = delete;
  LibraryFile& operator=(const LibraryFile&) = delete;
  // The loader keeps a loaded library under the name it was loaded by, and
  // would take a later load of that name for it: while a library of this
  // name stays loaded, its descriptor (and so the name) stays taken.
  ~LibraryFile() {
    if (fd_ >= 0 && !loadedUnder(name_)) ::close(fd_);
  }
  int fd() const { return fd_; }
  const std::string& name() const { return name_; }

 private:
  static bool loadedUnder(const std::string& name) {
    struct Search {
      const std::string* name;
      bool found;
    } search{&name, false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
          auto* s = static_cast<Search*>(data);
          s->found = info->dlpi_name && *s->name == info->dlpi_name;
          return s->found ? 1 : 0;
        },
        &search);
    return search.found;
  }
  int fd_ = -1;
  std::string name_;
};

struct Library {
  void* handle = nullptr;
  ~Library() {
    if (handle) dlclose(handle);
  }
  void keep() { handle = nullptr; }
};

// A loader message, with the descriptor's name replaced by the file's.
std::string loaderMessage(std::string text, const LibraryFile& lib, const fs::path& file) {
  for (size_t at = 0; (at = text.find(lib.name(), at)) != std::string::npos;) {
    const size_t end = at + lib.name().size();
    if (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {  // another descriptor
      at = end;
      continue;
    }
    text.replace(at, lib.name().size(), file.string());
    at += file.string().size();
  }
  return text;
}

// Loads one library; returns the message of its failure, or "".
std::string loadOne(const fs::path& file, PluginLoadReport& report) {
  // Opened without waiting and checked through the descriptor: dlopen of a
  // FIFO or a device by name would wait for a writer that never comes.
  const LibraryFile libraryFile(file);
  if (libraryFile.fd() < 0) return std::string("it cannot be opened: ") + std::strerror(errno);
  struct stat st {};
  if (::fstat(libraryFile.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return "it is not a regular file";
  Library lib;
  lib.handle = dlopen(libraryFile.name().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib.handle) {
    const char* e = dlerror();
    return e ? loaderMessage(e, libraryFile, file) : "cannot be loaded";
  }
  dlerror();
  auto fn = reinterpret_cast<ControlPluginFunction>(dlsym(lib.handle, ControlPluginFunctionName));
  if (!fn) return std::string("exports no function ") + ControlPluginFunctionName;
  StagingRegistrar staging;
  int result = 0;
  try {
    result = fn(ControlPluginApiVersion, staging);
  } catch (const RuntimeError& e) {
    return "its registration failed: " + utf8(e.description()) + " (" + std::to_string(e.number()) + ")";
  } catch (const std::exception& e) {
    return std::string("its registration failed: ") + e.what();
  } catch (...) {
    return "its registration failed with an unknown exception";
  }
  if (result != 0) return "its registration returned " + std::to_string(result);
  for (ControlClass& c : staging.classes) {
    if (c.progId.empty() || !c.factory) return "it registered a class without a ProgID or a factory";
  }
  for (ControlClass& c : staging.classes) {
    const BStr progId = c.progId;
    if (!registerControlClass(std::move(c)))
      report.messages.push_back("control plug-in " + file.string() + ": class " + utf8(progId) +
                                " is already registered; the plug-in's class is not used");
  }
  lib.keep();
  return {};
}

}  // namespace

PluginLoadReport loadControlPlugins(const std::vector<fs::path>& folders, std::ostream& errors) {
  PluginLoadReport report;
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) continue;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
      if (it->path().extension() == ".so" && !it->is_directory(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      const std::string name = file.filename().string();
      if (loadedNames().count(name)) continue;
      const size_t before = report.messages.size();
      const std::string failure = loadOne(file, report);
      if (failure.empty()) {
        loadedNames().insert(name);
        report.loaded.push_back(file);
      } else {
        report.messages.insert(report.messages.begin() + static_cast<std::ptrdiff_t>(before),
                               "control plug-in " + file.string() + " skipped: " + failure);
      }
    }
  }
  for (const std::string& m : report.messages) errors << "sorvanelix: " << m << '\n';
  errors.flush();
  return report;
}

std::vector<fs::path> controlPluginFolders() {
  std::vector<fs::path> folders;
  auto add = [&](fs::path folder) {
    std::error_code ec;
    if (folder.is_relative()) folder = fs::absolute(folder, ec);
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path();  // "/a/"
    if (!ec && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  };
  if (const char* path = std::getenv("SVX_CONTROL_PATH")) {
    std::string list(path);
    size_t pos = 0;
    while (pos <= list.size()) {
      const size_t end = std::min(list.find(':', pos), list.size());
      if (end > pos) add(list.substr(pos, end - pos));
      pos = end + 1;
    }
  }
  // Beside the program, so that a build tree and a moved installation find
  // their own plug-ins.
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && program.has_parent_path()) add(program.parent_path() / ".." / SVX_CONTROL_SUBDIR);
  add(SVX_CONTROL_INSTALL_DIR);
  return folders;
}

namespace {

std::vector<fs::path>& searchedFolders() {
  static std::vector<fs::path> folders;
  return folders;
}

}  // namespace

void ensureControlPluginsLoaded() {
  static bool done = false;
  if (done) return;
  done = true;
  searchedFolders() = controlPluginFolders();
  loadControlPlugins(searchedFolders(), std::cerr);
}

const std::vector<fs::path>& searchedControlPluginFolders() { return searchedFolders(); }

BStr noControlClassDescription(BStrView progId) {
  BStr text = u"ActiveX component can't create object: no control is registered as '" + BStr(progId) + u"'";
  const std::vector<BStr> known = controlClassProgIds();
  if (const BStr near = closestName(progId, known); !near.empty()) text += u" (did you mean '" + near + u"'?)";
  text += u"; folders searched for control plug-ins: ";
  const std::vector<fs::path>& folders = searchedFolders();
  if (folders.empty()) text += u"none";
  for (size_t i = 0; i < folders.size(); ++i) text += (i ? u", " : u"") + utf16(folders[i].string());
  return text;
}

}  // namespace svx
