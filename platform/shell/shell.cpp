#include "platform/shell/shell.h"

#include "platform/desktop/modal_owner.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display.h"
#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/system/screen.h"

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

// What a person sees of the folder dialog (pixels of its client area): the
// caller's text, the folder being browsed with its subfolders (".." leads
// up), OK and Cancel. A click selects a folder, a double click or Enter
// opens it; OK returns the selected folder.
constexpr int kFolderWidth = 340, kFolderHeight = 330;  // with the frame
constexpr int kListX = 10, kListY = 62, kListW = 312, kListH = 190;
constexpr int kFolderButtonY = 262, kFolderButtonW = 75, kFolderButtonH = 23;
constexpr int kFolderOkX = 166, kFolderCancelX = 247;
constexpr std::size_t kMaxListed = 5000;

std::string parentOf(const std::string& path) {
  if (path == "/" || path.empty()) return "/";
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string childOf(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The subfolders of `folder` by name, hidden ones left out.
std::vector<std::string> subfolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code dirEc;
    if (!it->is_directory(dirEc)) continue;
    names.push_back(name);
    if (names.size() >= kMaxListed) break;
  }
  std::sort(names.begin(), names.end());
  return names;
}

RenderRect pixelRect(int x, int y, int w, int h) {
  return {pixelsToTwips(x), pixelsToTwips(y), pixelsToTwips(w), pixelsToTwips(h)};
}

}  // namespace

// A person at the folder dialog.
struct FolderDialogPerson {
  std::string browsing;               // the folder whose subfolders are listed
  std::vector<std::string> entries;   // ".." first unless at the root, then subfolder names
  int selected = -1;
  int top = 0;
  int pressed = 0;  // 1 OK, 2 Cancel
  int lastClicked = -1;
  int64_t lastClickAt = -1;

  void open(const std::string& folder) {
    browsing = folder;
    entries.clear();
    if (folder != "/") entries.push_back("..");
    for (auto& n : subfolders(folder)) entries.push_back(std::move(n));
    selected = -1;
    top = 0;
  }
  std::string pathOf(int entry) const {
    const std::string& name = entries[static_cast<std::size_t>(entry)];
    return name == ".." ? parentOf(browsing) : childOf(browsing, name);
  }
};

LRESULT FolderDialogProvider::personAt(std::size_t index, FolderDialogPerson& person, UINT msg, WPARAM wParam,
                                       LPARAM lParam) {
  FolderDialogSession& s = sessions_[index];
  if (person.browsing.empty()) {
    person.open(isDirectory(s.selection) ? s.selection : "/");
  }
  const int lineHeight = std::max(1, fontLineHeight(Font{u"Tahoma", 8.25}));
  const int rows = std::max(1, (kListH - 2) / lineHeight);
  auto finish = [&](bool ok) {
    FolderDialogResponse r;
    if (ok) r.folder = s.selection;
    apply(s, r);
  };
  auto choose = [&](int entry) {
    if (entry < 0 || entry >= static_cast<int>(person.entries.size())) return;
    person.selected = entry;
    if (entry < person.top) person.top = entry;
    if (entry >= person.top + rows) person.top = entry - rows + 1;
    select(s, person.pathOf(entry));
  };
  auto enter = [&](int entry) {
    if (entry < 0 || entry >= static_cast<int>(person.entries.size())) return;
    const std::string path = person.pathOf(entry);
    person.open(path);
    select(s, path);
  };
  const auto [x, y] = unpackPoint(lParam);
  auto button = [&](int px, int py) {
    if (py < kFolderButtonY || py >= kFolderButtonY + kFolderButtonH) return 0;
    if (px >= kFolderOkX && px < kFolderOkX + kFolderButtonW) return 1;
    if (px >= kFolderCancelX && px < kFolderCancelX + kFolderButtonW) return 2;
    return 0;
  };
  switch (msg) {
    case WM_PRINTCLIENT: {
      if (!lParam) return 0;
      RenderItem& root = *reinterpret_cast<RenderItem*>(lParam);
      root = dialogBoxPicture(pixelRect(0, 0, kFolderWidth - 8, kFolderHeight - 28), u"Select Folder");
      auto label = [&](std::string text, int ly, int lh) {
        RenderItem l;
        l.kind = RenderKind::Label;
        l.rect = pixelRect(kListX, ly, kListW, lh);
        l.text = utf16(text);
        l.border = false;
        l.transparent = true;
        root.children.push_back(l);
      };
      label(s.title, 8, 32);
      label(person.browsing, 42, 16);
      RenderItem list;
      list.kind = RenderKind::ListBox;
      list.rect = pixelRect(kListX, kListY, kListW, kListH);
      for (const auto& e : person.entries) list.items.push_back(utf16(e));
      list.selectedIndex = person.selected;
      list.topIndex = person.top;
      list.focused = true;
      list.backColor = vbWindowBackground;
      list.foreColor = vbWindowText;
      root.children.push_back(list);
      for (int b = 1; b <= 2; ++b) {
        RenderItem cmd;
        cmd.kind = RenderKind::CommandButton;
        cmd.rect = pixelRect(b == 1 ? kFolderOkX : kFolderCancelX, kFolderButtonY, kFolderButtonW, kFolderButtonH);
        cmd.text = b == 1 ? u"OK" : u"Cancel";
        cmd.isDefault = b == 1;
        root.children.push_back(cmd);
      }
      return 1;
    }
    case WM_LBUTTONDOWN: {
      person.pressed = button(x, y);
      if (x < kListX + 1 || x >= kListX + kListW - 1 || y < kListY + 1 || y >= kListY + kListH - 1) return 0;
      const int entry = person.top + (y - kListY - 1) / lineHeight;
      if (entry >= static_cast<int>(person.entries.size())) return 0;
      const int64_t now = Clock::nowMs();
      const bool twice = entry == person.lastClicked && person.lastClickAt >= 0 && now - person.lastClickAt <= 500;
      person.lastClicked = twice ? -1 : entry;
      person.lastClickAt = twice ? -1 : now;
      if (twice) enter(entry);
      else choose(entry);
      return 0;
    }
    case WM_LBUTTONUP:
      if (const int b = button(x, y); b != 0 && b == std::exchange(person.pressed, 0)) finish(b == 1);
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case 13:
          if (person.selected >= 0 && person.pathOf(person.selected) != person.browsing) enter(person.selected);
          else finish(true);
          break;
        case 27: finish(false); break;
        case 38: choose(std::max(0, person.selected - 1)); break;
        case 40: choose(person.selected + 1); break;
        case 8: enter(person.browsing == "/" ? -1 : 0); break;  // backspace: up
        default: break;
      }
      return 0;
    case WM_CLOSE:
      finish(false);
      return 0;
    default:
      return 0;
  }
}

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
  auto person = std::make_shared<FolderDialogPerson>();
  auto handler = [this, index, person](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    FolderDialogSession& s = sessions_[index];
    if (s.open && !s.answered &&
        (msg == WM_PRINTCLIENT || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_KEYDOWN ||
         msg == WM_CLOSE))
      return personAt(index, *person, msg, wParam, lParam);
    if (msg == kRespondMessage || (msg == WM_TIMER && wParam == kRespondTimer)) {
      KillTimer(hwnd, kRespondTimer);
      if (s.pending && !s.answered) {
        const FolderDialogResponse r = *s.pending;
        s.pending.reset();
        apply(s, r);
      }
      return 0;
    }
    if (msg < WM_USER) return 0;  // the window's own (activation, cancel mode): not the dialog's messages
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
  {
    const Screen& sc = screen();
    const int sw = static_cast<int>(sc.width() / sc.twipsPerPixelX());
    const int sh = static_cast<int>(sc.height() / sc.twipsPerPixelY());
    spec.rect = {(sw - kFolderWidth) / 2, (sh - kFolderHeight) / 2, kFolderWidth, kFolderHeight};
  }
  spec.handler = handler;
  const HWND dialog = d.createWindow(spec);
  const ModalScope modal(dialog, owner);  // the owner is enabled again after the window goes
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
        if (display().shows(s.dialog)) return false;  // a person at the screen answers it
        s.result.reset();
        s.answered = true;
        return true;
      });
  const FolderDialogSession& s = sessions_[index];
  return s.answered && s.result ? allocateIdList(*s.result) : 0;
}

}  // namespace svx
