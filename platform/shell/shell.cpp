#include "platform/shell/shell.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/automation/error.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"

namespace svx {
namespace {

constexpr UINT kRespondMessage = WM_USER + 0x200;  // the dialog's own: take the response
constexpr UINT_PTR kRespondTimer = 1;

struct ShellState {
  std::map<LPITEMIDLIST, std::string> idLists;
  LPITEMIDLIST nextIdList = 1;
  std::optional<std::string> documentsOverride;
};

// The desktop's reset clears the shell with it: the id lists, the Documents
// override and the folder dialogs. The step is added on the shell's first use.
void resetWithTheDesktop() {
  static const bool added = [] {
    desktop().addResetStep([] { folderDialogs().reset(); });
    return true;
  }();
  (void)added;
}

ShellState& shellState() {
  resetWithTheDesktop();
  static ShellState s;
  return s;
}

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

// Without the trailing separators (the root stays "/").
std::string_view trimmedView(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}
std::string trimmed(std::string path) {
  path.resize(trimmedView(path).size());
  return path;
}

std::string homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return trimmed(home);
  std::vector<char> buffer(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir) {
    return trimmed(found->pw_dir);
  }
  return {};
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a quoted "$HOME/..." or absolute path.
std::optional<std::string> documentsFromUserDirs(const std::string& home) {
  std::string config;
  if (const char* c = std::getenv("XDG_CONFIG_HOME"); c && *c == '/') {
    config = c;
  } else if (!home.empty()) {
    config = home + "/.config";
  } else {
    return std::nullopt;
  }
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  while (std::getline(in, line)) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string raw = line.substr(start + key.size());
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r')) {
      raw.pop_back();
    }
    std::string value;
    bool quoted = !raw.empty() && raw.front() == '"';
    for (std::size_t i = quoted ? 1 : 0; i < raw.size(); ++i) {
      if (quoted && raw[i] == '"') break;
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    if (value.rfind("$HOME", 0) == 0) {
      const std::string rest = value.substr(5);
      if (home.empty() || (!rest.empty() && rest.front() != '/')) return std::nullopt;
      value = home + rest;
    } else if (value.empty() || value.front() != '/') {
      return std::nullopt;
    }
    value = trimmed(value);
    // A folder set to the home folder itself means "not configured".
    if (value == home) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

}  // namespace

// The Documents folder by the rules above, looked up now.
static std::optional<std::string> lookUpDocumentsFolder() {
  if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && isDirectory(env)) {
    return trimmed(env);
  }
  const std::string home = homeDirectory();
  if (auto configured = documentsFromUserDirs(home); configured && isDirectory(*configured)) {
    return configured;
  }
  if (!home.empty() && isDirectory(home + "/Documents")) return home + "/Documents";
  return std::nullopt;
}

const std::optional<std::string>& documentsFolderRef(bool refresh) {
  const ShellState& st = shellState();
  static std::optional<std::string> overridden;
  if (st.documentsOverride) {
    if (st.documentsOverride->empty()) overridden.reset();
    else if (!overridden || *overridden != trimmedView(*st.documentsOverride)) overridden = trimmed(*st.documentsOverride);
    return overridden;
  }
  // A folder found is kept while the variables it was found from stay the
  // same; none found is looked up anew.
  static constexpr const char* names[] = {"XDG_DOCUMENTS_DIR", "HOME", "XDG_CONFIG_HOME"};
  static std::optional<std::string> values[3];
  static std::optional<std::string> cached;
  bool same = cached.has_value() && !refresh;
  for (int i = 0; i < 3; ++i) {
    const char* v = std::getenv(names[i]);
    if (v ? !values[i] || *values[i] != v : values[i].has_value()) {
      same = false;
      values[i] = v ? std::optional<std::string>(v) : std::nullopt;
    }
  }
  if (!same) cached = lookUpDocumentsFolder();
  return cached;
}

std::optional<std::string> documentsFolder() {
  const ShellState& st = shellState();
  if (st.documentsOverride) {
    if (st.documentsOverride->empty()) return std::nullopt;
    return trimmed(*st.documentsOverride);
  }
  return lookUpDocumentsFolder();
}

void setDocumentsFolderOverride(std::optional<std::string> path) {
  shellState().documentsOverride = std::move(path);
}

LPITEMIDLIST allocateIdList(const std::string& path) {
  ShellState& st = shellState();
  const LPITEMIDLIST id = st.nextIdList++;
  st.idLists[id] = path;
  return id;
}

std::optional<std::string> pathOfIdList(LPITEMIDLIST pidl) {
  const ShellState& st = shellState();
  auto it = st.idLists.find(pidl);
  if (it == st.idLists.end()) return std::nullopt;
  return it->second;
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl) {
  if (!ppidl) return E_INVALIDARG;
  *ppidl = 0;
  if (csidl != CSIDL_PERSONAL) return E_INVALIDARG;
  const auto folder = documentsFolder();
  if (!folder) return E_FAIL;
  *ppidl = allocateIdList(*folder);
  return S_OK;
}

BOOL SHGetPathFromIDListA(LPITEMIDLIST pidl, char* pszPath) {
  if (!pszPath) return 0;
  const auto path = pathOfIdList(pidl);
  if (!path || path->size() >= static_cast<std::size_t>(MAX_PATH)) {
    pszPath[0] = '\0';
    return 0;
  }
  std::memcpy(pszPath, path->c_str(), path->size() + 1);
  return 1;
}

LPITEMIDLIST SHBrowseForFolderA(const BROWSEINFOA* lpbi) {
  if (!lpbi) return 0;
  return folderDialogs().browse(*lpbi);
}

void CoTaskMemFree(LPITEMIDLIST pidl) { shellState().idLists.erase(pidl); }

FolderDialogProvider& folderDialogs() {
  resetWithTheDesktop();
  static FolderDialogProvider provider;
  return provider;
}

namespace {

FolderDialogRunner& folderDialogWindow() {
  static FolderDialogRunner run;
  return run;
}

}  // namespace

void setFolderDialogWindow(FolderDialogRunner run) { folderDialogWindow() = std::move(run); }

void FolderDialogProvider::resetOwn() {
  ShellState& st = shellState();
  st.idLists.clear();
  st.nextIdList = 1;
  st.documentsOverride.reset();
}

bool FolderDialogProvider::respond(const FolderDialogAnswer& response) {
  FolderDialogSession* s = openSession();
  if (!s || s->answered || !s->window) return false;
  s->pending.reset();
  s->window->act(response);
  return true;
}

void FolderDialogProvider::notify(FolderDialogSession& s, UINT msg, LPARAM lParam) {
  s.callbacks.push_back(msg);
  if (s.callback) s.callback(s.dialog, msg, lParam, s.lParam);
}

void FolderDialogProvider::select(std::size_t index, const std::string& path) {
  FolderDialogSession& s = session(index);
  if (path == s.selection) return;
  s.selection = path;
  reportSelection(s);
}

void FolderDialogProvider::reportSelection(FolderDialogSession& s) {
  s.selectionsReported.push_back(s.selection);
  const LPITEMIDLIST pidl = allocateIdList(s.selection);
  notify(s, BFFM_SELCHANGED, pidl);
  CoTaskMemFree(pidl);
}

void FolderDialogProvider::shown(std::size_t index, HWND dialog, FolderDialogWindow& window) {
  FolderDialogSession& s = session(index);
  s.dialog = dialog;
  s.window = &window;
  notify(s, BFFM_INITIALIZED, 0);
  reportSelection(s);
  if (s.answered) return;
  s.pending = take();
  if (!s.pending) return;
  if (s.pending->delayMs > 0)
    SetTimer(dialog, kRespondTimer, static_cast<UINT>(s.pending->delayMs), &FolderDialogProvider::respondLater);
  else
    PostMessageA(dialog, kRespondMessage, 0, 0);
}

void FolderDialogProvider::respondLater(HWND dialog, UINT, UINT_PTR, DWORD) {
  KillTimer(dialog, kRespondTimer);
  FolderDialogProvider& self = folderDialogs();
  for (std::size_t index : self.openIndexes()) {
    if (self.session(index).dialog != dialog) continue;
    self.actPending(self.session(index));
    return;
  }
}

void FolderDialogProvider::actPending(FolderDialogSession& s) {
  if (!s.pending || s.answered || !s.window) return;
  const FolderDialogAnswer r = *s.pending;
  s.pending.reset();
  s.window->act(r);
}

LRESULT FolderDialogProvider::sent(std::size_t index, UINT msg, WPARAM wParam, LPARAM lParam) {
  FolderDialogSession& s = session(index);
  if (msg == kRespondMessage) {
    actPending(s);
    return 0;
  }
  if (msg < WM_USER) return 0;
  FolderDialogMessage m{msg, wParam, lParam, {}};
  const char* text = reinterpret_cast<const char*>(lParam);
  if (msg == BFFM_SETSELECTIONA) {
    std::string path;
    if (wParam != 0) {
      if (text) path = m.text = text;
    } else if (auto p = pathOfIdList(static_cast<LPITEMIDLIST>(lParam))) {
      path = *p;
    }
    if (isDirectory(path)) s.selection = trimmed(path);
  } else if (msg == BFFM_SETSTATUSTEXTA && text) {
    m.text = text;
    s.statusText = text;
  }
  s.messages.push_back(std::move(m));
  return 0;
}

void FolderDialogProvider::finish(std::size_t index, bool confirmed) {
  FolderDialogSession& s = session(index);
  if (s.answered) return;
  s.pending.reset();
  s.result = confirmed ? std::optional<std::string>(s.selection) : std::nullopt;
  s.answered = true;
}

LPITEMIDLIST FolderDialogProvider::browse(const BROWSEINFOA& info) {
  const FolderDialogRunner& run = folderDialogWindow();
  if (!run) raise(err::AutomationError, u"The folder dialog has no window to show it in.");
  Desktop& d = desktop();
  FolderDialogSession s;
  s.owner = d.find(info.hwndOwner) ? d.rootOf(info.hwndOwner) : 0;
  s.title = info.lpszTitle ? info.lpszTitle : "";
  s.flags = info.ulFlags;
  s.lParam = info.lParam;
  s.callback = info.lpfn;
  if (auto root = pathOfIdList(info.pidlRoot)) s.selection = *root;
  const std::size_t index = record(std::move(s));
  const Opened opened(*this, index, [](FolderDialogSession& closed) {
    closed.window = nullptr;
    closed.pending.reset();
  });
  run(*this, index);
  const FolderDialogSession& done = session(index);
  return done.answered && done.result ? allocateIdList(*done.result) : 0;
}

}  // namespace svx
