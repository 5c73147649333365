// Shell folders and the browse-for-folder dialog of the simulated desktop.
//
// Folders are POSIX paths; an item id list (PIDL) is a small handle into a
// table of paths, valid until CoTaskMemFree. The Documents folder is, in this
// order: the test override; $XDG_DOCUMENTS_DIR; XDG_DOCUMENTS_DIR in
// $XDG_CONFIG_HOME/user-dirs.dirs (or ~/.config/user-dirs.dirs); $HOME/Documents.
// Each must name an existing directory; when none does, there is no
// Documents folder and SHGetSpecialFolderLocation fails.
//
// The folder dialog keeps what the callers and the tests see: the session
// (owner, title, flags, the callback and every message passed to it, the
// messages sent to the dialog's window, the selection and the result) and
// the scripted responses (a queue). Its window is a layer above the shell
// (setFolderDialogWindow; platform/dialogs makes it a form of the runtime):
// the window is shown modal to hwndOwner's top-level window and serves the
// message loop, so messages and timers go on being served while it is
// open. Once it is on the screen the callback is called with
// BFFM_INITIALIZED, then with BFFM_SELCHANGED for the current selection.
// BFFM_SETSELECTIONA selects an existing directory (and does not call the
// callback back). A response is acted out in the window by the user, after
// its delay: each folder on the way selected (one BFFM_SELCHANGED for each
// change of the selection), then OK, or Cancel. When the dialog is open
// without a scripted response and nothing else is pending, it is
// cancelled, unless a display shows it to a person: no user is there to
// answer it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

using LPITEMIDLIST = int32_t;
using BFFCALLBACK = int32_t (*)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

inline constexpr int CSIDL_PERSONAL = 5;
inline constexpr int MAX_PATH = 260;

inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;

inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SELCHANGED = 2;
inline constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;  // 0x464
inline constexpr UINT BFFM_ENABLEOK = WM_USER + 101;        // 0x465
inline constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;   // 0x466

struct BROWSEINFOA {
  HWND hwndOwner = 0;
  LPITEMIDLIST pidlRoot = 0;
  char* pszDisplayName = nullptr;
  const char* lpszTitle = nullptr;
  UINT ulFlags = 0;
  BFFCALLBACK lpfn = nullptr;
  LPARAM lParam = 0;
  int iImage = 0;
};

// shell32 and ole32.
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST* ppidl);
// Writes the path and a NUL into a buffer of at least MAX_PATH characters and
// returns 1; for an unknown id list, or a path of MAX_PATH characters or more,
// writes an empty string and returns 0.
BOOL SHGetPathFromIDListA(LPITEMIDLIST pidl, char* pszPath);
LPITEMIDLIST SHBrowseForFolderA(const BROWSEINFOA* lpbi);  // 0 when cancelled
void CoTaskMemFree(LPITEMIDLIST pidl);

// The Documents folder by the rules above; nullopt when there is none.
std::optional<std::string> documentsFolder();
// The same for callers that ask often (the log writer, for every record):
// kept while the override and the variables it depends on stay the same, or
// until `refresh` asks for a fresh look-up; valid until the next call.
const std::optional<std::string>& documentsFolderRef(bool refresh = false);
// nullopt: the normal lookup; "": no Documents folder; a path: that folder
// (used as given, existing or not).
void setDocumentsFolderOverride(std::optional<std::string> path);

// The path table behind the id lists.
LPITEMIDLIST allocateIdList(const std::string& path);
std::optional<std::string> pathOfIdList(LPITEMIDLIST pidl);

// What a scripted user does in a folder dialog. While a display shows the
// dialog, a person browses the folders and answers it instead.
struct FolderDialogAnswer {
  std::optional<std::string> folder;  // nullopt: Cancel
  std::vector<std::string> browse;    // folders selected on the way, in order
  int32_t delayMs = 0;                // how long after the dialog opened
};

// A message sent to the dialog window; `text` holds the string that the
// BFFM_SETSELECTIONA (wParam non-zero) and BFFM_SETSTATUSTEXTA messages carry.
struct FolderDialogMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::string text;
};

// The window of an open folder dialog, as the shell sees it.
class FolderDialogWindow {
 public:
  // Does what a user does to give `response`: selects each folder on the
  // way, then the folder answered, and presses OK (or Cancel).
  virtual void act(const FolderDialogAnswer& response) = 0;

 protected:
  ~FolderDialogWindow() = default;
};

struct FolderDialogSession {
  HWND dialog = 0;
  HWND owner = 0;
  std::string title;
  UINT flags = 0;
  LPARAM lParam = 0;
  BFFCALLBACK callback = nullptr;
  std::vector<UINT> callbacks;  // messages passed to the callback, in order
  std::vector<std::string> selectionsReported;  // path of each BFFM_SELCHANGED
  std::vector<FolderDialogMessage> messages;
  std::string selection = "/";
  std::string statusText;
  bool open = false;
  bool answered = false;
  std::optional<std::string> result;
  std::optional<FolderDialogAnswer> pending;  // taken from the queue, not yet acted out
  FolderDialogWindow* window = nullptr;          // while open
};

class FolderDialogProvider;

// Runs dialog `index` of `provider` in a window until it ends: shown modal
// to the session's owner, it calls provider.shown once it is on the screen,
// reports each folder a person selects (provider.select) and every message
// sent to it with a number of the dialog's own (provider.sent), and
// provider.finish when it ends.
using FolderDialogRunner = std::function<void(FolderDialogProvider& provider, std::size_t index)>;
// The window of every folder dialog, set by the layer that draws it. Without
// one SHBrowseForFolderA shows no dialog and raises "Automation error" (440).
void setFolderDialogWindow(FolderDialogRunner run);

class FolderDialogProvider : public DialogProvider<FolderDialogAnswer, FolderDialogSession> {
 public:
  void queueAnswer(std::string folder, int32_t delayMs = 0) {
    queue(FolderDialogAnswer{std::move(folder), {}, delayMs});
  }
  void queueCancel(int32_t delayMs = 0) { queue(FolderDialogAnswer{std::nullopt, {}, delayMs}); }

  // Answers the innermost open dialog now (for an idle hook); false if none.
  bool respond(const FolderDialogAnswer& response);

  LPITEMIDLIST browse(const BROWSEINFOA& info);

  // For the dialog's window.
  // The window is on the screen: BFFM_INITIALIZED, then BFFM_SELCHANGED for
  // the selection; the next queued answer waits for its delay.
  void shown(std::size_t index, HWND dialog, FolderDialogWindow& window);
  // The user selected `path`: BFFM_SELCHANGED when the selection changed.
  void select(std::size_t index, const std::string& path);
  // A message sent or posted to the window with a number of the dialog's
  // own (WM_USER and above).
  LRESULT sent(std::size_t index, UINT msg, WPARAM wParam, LPARAM lParam);
  // The dialog ended: confirmed with its selection, or cancelled.
  void finish(std::size_t index, bool confirmed);

 private:
  // The shell's item id lists and the Documents folder set by tests.
  void resetOwn() override;
  static void respondLater(HWND dialog, UINT, UINT_PTR, DWORD);
  void actPending(FolderDialogSession& s);
  // BFFM_SELCHANGED for the selection, recorded.
  void reportSelection(FolderDialogSession& s);
  void notify(FolderDialogSession& s, UINT msg, LPARAM lParam);
};

FolderDialogProvider& folderDialogs();

}  // namespace svx
