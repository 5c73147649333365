#include "core/mod_cd_browse_for_folder.h"

#include <string>

#include "platform/automation/error.h"
#include "platform/dialogs/folder_dialog.h"

namespace svx {
namespace {

// The text before the first NUL.
std::string beforeNul(const std::string& buffer) { return buffer.substr(0, buffer.find('\0')); }

}  // namespace

BStr& browseStartFolder() {
  static BStr start;
  return start;
}

BStr MyDocumentsPath() {
  LPITEMIDLIST pidl = 0;
  if (SHGetSpecialFolderLocation(0, CSIDL_PERSONAL, &pidl) != S_OK) return BStr();
  std::string buffer(512, '\0');
  SHGetPathFromIDListA(pidl, buffer.data());
  CoTaskMemFree(pidl);
  return utf16(beforeNul(buffer));
}

BStr BrowseFolderDialog(int32_t& ownerHwnd, BStr& title, BStr& startFolder, Variant& ErrNumber,
                        Variant& ErrDescription) {
  ErrState err;
  const ErrorOut out{ErrNumber, ErrDescription};
  BStr result;
  out.clear();
  err.attempt([&] { browseStartFolder() = startFolder + u'\0'; });
  const std::string ansiTitle = utf8(title);  // valid while the dialog is open
  BROWSEINFOA info;
  info.hwndOwner = ownerHwnd;
  info.pidlRoot = 0;
  info.pszDisplayName = nullptr;
  info.lpszTitle = ansiTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;
  info.lpfn = &BrowseCallbackProc;
  info.lParam = 0;
  LPITEMIDLIST pidl = 0;
  attachFolderDialogWindow();  // the dialog is a form of the runtime
  err.attempt([&] { pidl = SHBrowseForFolderA(&info); });
  if (pidl != 0) {
    std::string buffer(MAX_PATH, ' ');
    err.attempt([&] {
      SHGetPathFromIDListA(pidl, buffer.data());
      result = utf16(beforeNul(buffer));
    });
    CoTaskMemFree(pidl);
  }
  if (err.pending()) {
    out.report(err);
    err.clear();
  }
  return result;
}

int32_t BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM) {
  ignoreErrors([&] {
    if (uMsg == BFFM_INITIALIZED) {
      const std::string start = utf8(browseStartFolder());
      SendMessageA(hWnd, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(start.c_str()));
    } else if (uMsg == BFFM_SELCHANGED) {
      std::string buffer(MAX_PATH, ' ');
      if (SHGetPathFromIDListA(static_cast<LPITEMIDLIST>(lParam), buffer.data()) == 1) {
        SendMessageA(hWnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(buffer.c_str()));
      }
    }
  });
  return 0;
}

}  // namespace svx
