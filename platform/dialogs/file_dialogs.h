// The common Open and Save dialogs: GetOpenFileNameW and GetSaveFileNameW.
//
// The structure travels in its wide form: every text is UTF-16 and every
// buffer size counts characters, the terminating NUL included. Paths are
// POSIX paths with "/"; a file in the root folder is "/name".
//
// Each dialog is a form of the runtime (CommonDialogWindow) owned by
// hwndOwner's top-level window: a folder list ("Look in"), the folders and
// the files of the current folder that match the chosen filter, a name box,
// the filter list, a read-only check box (hidden with OFN_HIDEREADONLY), and
// OK and Cancel. OK takes what the name box holds: a folder is opened; a
// name is checked against the real file system (OFN_PATHMUSTEXIST: its
// folder must exist; OFN_FILEMUSTEXIST: the file must exist; the Save
// dialog with OFN_OVERWRITEPROMPT asks before an existing file is replaced)
// and refused when a check fails, leaving the dialog open. An answer that
// does not fit the caller's buffer ends the dialog with
// FNERR_BUFFERTOOSMALL, and nothing is written into the buffer.
//
// Filters: lpstrFilter holds pairs of a description and a pattern, each
// ending with a NUL, and one more NUL ends the list. A pattern holds shell
// patterns separated by ";" (matched with fnmatch, case-sensitively); "*.*"
// matches every file; a description without a pattern lists every file.
//
// Answers come from fileDialogs(): a queue per kind of dialog, taken in
// order, one per dialog shown; an answer is what the user types or selects
// and then confirms with OK. An answer the dialog refuses is recorded and
// the next queued one is taken; with none left the user cancels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

class CommonDialogWindow;

using WORD = uint16_t;

inline constexpr DWORD OFN_READONLY = 0x1;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x8;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
inline constexpr DWORD OFN_EXPLORER = 0x80000;
inline constexpr DWORD OFN_LONGNAMES = 0x200000;

// CommDlgExtendedError codes of the file dialogs.
inline constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
inline constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAMEW {
  DWORD lStructSize = 0;  // must be kOpenFileNameSize
  HWND hwndOwner = 0;
  int32_t hInstance = 0;
  const char16_t* lpstrFilter = nullptr;
  char16_t* lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;        // from 1; the entry chosen comes back
  char16_t* lpstrFile = nullptr;  // initial file name in, the result out
  // The characters a buffer holds before its terminating NUL: the buffer is
  // one longer.
  DWORD nMaxFile = 0;
  char16_t* lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;  // as nMaxFile
  const char16_t* lpstrInitialDir = nullptr;
  const char16_t* lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;     // characters before the (first) file name
  WORD nFileExtension = 0;  // characters before the extension; 0: none
  const char16_t* lpstrDefExt = nullptr;
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  const char16_t* lpTemplateName = nullptr;
};

// The structure's size in the interface the callers were written for.
inline constexpr DWORD kOpenFileNameSize = 76;

enum class FileDialogKind { Open, Save };

// What a scripted user confirms: one path, or several files of one folder
// (multi-select Open dialogs); nullopt cancels.
struct FileDialogAnswer {
  std::optional<std::vector<std::u16string>> paths;
  FileDialogKind kind = FileDialogKind::Open;  // the dialog that takes it
};

struct FilterEntry {
  std::u16string description;
  std::u16string pattern;
};

struct FileDialogSession {
  FileDialogKind kind = FileDialogKind::Open;
  HWND dialog = 0;
  HWND owner = 0;
  DWORD structSize = 0;
  DWORD flags = 0;                 // as passed
  std::u16string title;            // the window's caption
  std::u16string filterText;       // lpstrFilter up to and with its final NUL
  std::vector<FilterEntry> filters;
  DWORD filterIndex = 0;           // as passed
  std::u16string initialDir;       // as passed
  std::u16string initialFile;      // lpstrFile's text as passed
  std::u16string folderShown;      // the folder the dialog opened on
  DWORD maxFile = 0;
  DWORD maxFileTitle = 0;
  std::u16string defExt;
  std::vector<std::u16string> refused;  // names typed and refused
  bool open = false;
  std::optional<std::vector<std::u16string>> result;  // full paths; nullopt: cancelled or failed
  DWORD extendedError = 0;
  CommonDialogWindow* window = nullptr;  // while open
};

// One queue for both kinds: each dialog takes the first answer of its kind.
class FileDialogProvider : public DialogProvider<FileDialogAnswer, FileDialogSession> {
 public:
  void queue(FileDialogKind kind, FileDialogAnswer answer) {
    answer.kind = kind;
    DialogProvider::queue(std::move(answer));
  }
  void queueAnswer(FileDialogKind kind, std::u16string path) {
    queue(kind, FileDialogAnswer{std::vector<std::u16string>{std::move(path)}});
  }
  void queueCancel(FileDialogKind kind) { queue(kind, FileDialogAnswer{}); }
  std::size_t queuedAnswers(FileDialogKind kind) const {
    return countAnswers([kind](const FileDialogAnswer& a) { return a.kind == kind; });
  }

  BOOL run(FileDialogKind kind, OPENFILENAMEW& ofn);

 private:
  friend class FileDialogWindow;
  std::optional<FileDialogAnswer> take(FileDialogKind kind) {
    return takeFirst([kind](const FileDialogAnswer& a) { return a.kind == kind; });
  }
};

FileDialogProvider& fileDialogs();

// Nonzero when the user chose a file (the structure then holds it), 0 when
// cancelled or failed (CommDlgExtendedError tells which). A null structure,
// a bad lStructSize, no file buffer, an initial file name without its NUL
// within nMaxFile + 1, or an owner that is not a window fail without a dialog.
BOOL GetOpenFileNameW(OPENFILENAMEW* ofn);
BOOL GetSaveFileNameW(OPENFILENAMEW* ofn);

// The entries of a filter list (pairs up to the first empty description).
std::vector<FilterEntry> parseFilterList(const char16_t* filter);
// Whether a file name matches a filter pattern ("*.txt;*.md").
bool matchesFilter(const std::u16string& pattern, const std::u16string& name);

}  // namespace svx
