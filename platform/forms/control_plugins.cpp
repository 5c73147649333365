#include "platform/forms/control_plugins.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <set>

#ifndef SVX_CONTROL_INSTALL_DIR
#define SVX_CONTROL_INSTALL_DIR "/usr/local/lib/sorvanelix/controls"
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

struct Library {
  void* handle = nullptr;
  ~Library() {
    if (handle) dlclose(handle);
  }
  void keep() { handle = nullptr; }
};

// Loads one library; returns the message of its failure, or "".
std::string loadOne(const fs::path& file, PluginLoadReport& report) {
  Library lib;
  lib.handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib.handle) {
    const char* e = dlerror();
    return e ? e : "cannot be loaded";
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
  if (const char* path = std::getenv("SVX_CONTROL_PATH")) {
    std::string list(path);
    size_t pos = 0;
    while (pos <= list.size()) {
      const size_t end = std::min(list.find(':', pos), list.size());
      if (end > pos) folders.emplace_back(list.substr(pos, end - pos));
      pos = end + 1;
    }
  }
  folders.emplace_back(SVX_CONTROL_INSTALL_DIR);
  return folders;
}

void ensureControlPluginsLoaded() {
  static bool done = false;
  if (done) return;
  done = true;
  loadControlPlugins(controlPluginFolders(), std::cerr);
}

}  // namespace svx
