// Shell folders and the browse-for-folder dialog of the simulated desktop.
//
// Folders are POSIX paths; an item id list (PIDL) is a small handle into a
// table of paths, valid until CoTaskMemFree. The Documents folder is, in this
// order: the test override; $XDG_DOCUMENTS_DIR; XDG_DOCUMENTS_DIR in
// $XDG_CONFIG_HOME/user-dirs.dirs (or ~/.config/user-dirs.dirs); $HOME/Documents.
// Each must name an existing directory; when none does, there is no
// Documents folder and SHGetSpecialFolderLocation fails.
//
// The folder dialog is answered by scripted responses (a queue). While it is
// open it runs a modal loop, so messages and timers go on being served. It
// creates a visible dialog window owned by hwndOwner (disabled meanwhile),
// calls the callback with BFFM_INITIALIZED, then with BFFM_SELCHANGED for the
// current selection, and records every message sent to the dialog window.
// BFFM_SETSELECTIONA selects an existing directory (and does not call the
// callback back). A response that chooses a folder first selects it (one
// BFFM_SELCHANGED when the selection changes), then closes the dialog. When
// the dialog is open without a scripted response and nothing else is pending,
// it is cancelled: no user is there to answer it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

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

struct FolderDialogPerson;

// What a scripted user does in a folder dialog. While a display shows the
// dialog, a person browses the folders and answers it instead.
struct FolderDialogResponse {
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
  std::optional<FolderDialogResponse> pending;
};

class FolderDialogProvider {
 public:
  void reset();
  void queue(FolderDialogResponse response) { responses_.push_back(std::move(response)); }
  void queueAnswer(std::string folder, int32_t delayMs = 0) {
    queue(FolderDialogResponse{std::move(folder), {}, delayMs});
  }
  void queueCancel(int32_t delayMs = 0) { queue(FolderDialogResponse{std::nullopt, {}, delayMs}); }
  std::size_t queuedResponses() const { return responses_.size(); }

  const std::deque<FolderDialogSession>& sessions() const { return sessions_; }
  // The innermost open dialog, or nullptr.
  FolderDialogSession* openSession();
  // Answers the innermost open dialog now (for an idle hook); false if none.
  bool respond(const FolderDialogResponse& response);

  LPITEMIDLIST browse(const BROWSEINFOA& info);

 private:
  void apply(FolderDialogSession& s, const FolderDialogResponse& r);
  LRESULT personAt(std::size_t index, FolderDialogPerson& person, UINT msg, WPARAM wParam, LPARAM lParam);
  void select(FolderDialogSession& s, const std::string& path);
  void notify(FolderDialogSession& s, UINT msg, LPARAM lParam);

  std::deque<FolderDialogResponse> responses_;
  std::deque<FolderDialogSession> sessions_;
  std::vector<std::size_t> openStack_;
};

FolderDialogProvider& folderDialogs();

}  // namespace svx
