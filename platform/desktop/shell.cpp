#include "platform/desktop/shell.h"

#include "platform/desktop/modal_owner.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

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

ShellState& shellState() {
  static ShellState s;
  return s;
}

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

// Without the trailing separators (the root stays "/").
std::string trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
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

std::optional<std::string> documentsFolder() {
  const ShellState& st = shellState();
  if (st.documentsOverride) {
    if (st.documentsOverride->empty()) return std::nullopt;
    return trimmed(*st.documentsOverride);
  }
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
  static FolderDialogProvider provider;
  return provider;
}

void FolderDialogProvider::reset() {
  responses_.clear();
  sessions_.clear();
  openStack_.clear();
  ShellState& st = shellState();
  st.idLists.clear();
  st.nextIdList = 1;
  st.documentsOverride.reset();
}

FolderDialogSession* FolderDialogProvider::openSession() {
  return openStack_.empty() ? nullptr : &sessions_[openStack_.back()];
}

bool FolderDialogProvider::respond(const FolderDialogResponse& response) {
  FolderDialogSession* s = openSession();
  if (!s || s->answered) return false;
  s->pending.reset();
  apply(*s, response);
  return true;
}

void FolderDialogProvider::notify(FolderDialogSession& s, UINT msg, LPARAM lParam) {
  s.callbacks.push_back(msg);
  if (s.callback) s.callback(s.dialog, msg, lParam, s.lParam);
}

void FolderDialogProvider::select(FolderDialogSession& s, const std::string& path) {
  if (path == s.selection) return;
  s.selection = path;
  s.selectionsReported.push_back(path);
  const LPITEMIDLIST pidl = allocateIdList(path);
  notify(s, BFFM_SELCHANGED, pidl);
  CoTaskMemFree(pidl);
}

void FolderDialogProvider::apply(FolderDialogSession& s, const FolderDialogResponse& r) {
  for (const std::string& folder : r.browse) select(s, folder);
  if (r.folder) select(s, *r.folder);
  s.result = r.folder;
  s.answered = true;
}

LPITEMIDLIST FolderDialogProvider::browse(const BROWSEINFOA& info) {
  Desktop& d = desktop();
  const HWND owner = d.find(info.hwndOwner) ? d.rootOf(info.hwndOwner) : 0;
  const std::size_t index = sessions_.size();
  sessions_.emplace_back();
  {
    FolderDialogSession& s = sessions_.back();
    s.owner = owner;
    s.title = info.lpszTitle ? info.lpszTitle : "";
    s.flags = info.ulFlags;
    s.lParam = info.lParam;
    s.callback = info.lpfn;
    if (auto root = pathOfIdList(info.pidlRoot)) s.selection = *root;
  }
  const DisabledOwner disabledOwner(owner);  // enabled again after the window goes

  auto handler = [this, index](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    FolderDialogSession& s = sessions_[index];
    if (msg == kRespondMessage || (msg == WM_TIMER && wParam == kRespondTimer)) {
      KillTimer(hwnd, kRespondTimer);
      if (s.pending && !s.answered) {
        const FolderDialogResponse r = *s.pending;
        s.pending.reset();
        apply(s, r);
      }
      return 0;
    }
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
  };
  WindowSpec spec;
  spec.className = "SvxFolderDialog";
  spec.caption = "Select Folder";
  spec.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  spec.owner = owner;
  spec.handler = handler;
  const HWND dialog = d.createWindow(spec);
  sessions_[index].dialog = dialog;
  sessions_[index].open = true;
  openStack_.push_back(index);
  struct Close {
    FolderDialogProvider& self;
    std::size_t index;
    ~Close() {
      FolderDialogSession& s = self.sessions_[index];
      s.open = false;
      std::erase(self.openStack_, index);
      DestroyWindow(s.dialog);
    }
  } close{*this, index};
  d.showWindow(dialog, SW_SHOW);

  notify(sessions_[index], BFFM_INITIALIZED, 0);
  {
    FolderDialogSession& s = sessions_[index];
    s.selectionsReported.push_back(s.selection);
    const LPITEMIDLIST pidl = allocateIdList(s.selection);
    notify(s, BFFM_SELCHANGED, pidl);
    CoTaskMemFree(pidl);
  }
  if (!sessions_[index].answered && !responses_.empty()) {
    FolderDialogSession& s = sessions_[index];
    s.pending = responses_.front();
    responses_.pop_front();
    if (s.pending->delayMs > 0) {
      SetTimer(dialog, kRespondTimer, static_cast<UINT>(s.pending->delayMs), nullptr);
    } else {
      PostMessageA(dialog, kRespondMessage, 0, 0);
    }
  }
  messageLoop().runModalLoop(
      [this, index] {
        const FolderDialogSession& s = sessions_[index];
        return s.answered || !desktop().find(s.dialog);
      },
      [this, index] {
        // Nobody is there to answer: the dialog is cancelled.
        FolderDialogSession& s = sessions_[index];
        if (s.answered || s.pending) return false;
        s.result.reset();
        s.answered = true;
        return true;
      });
  const FolderDialogSession& s = sessions_[index];
  return s.answered && s.result ? allocateIdList(*s.result) : 0;
}

}  // namespace svx
