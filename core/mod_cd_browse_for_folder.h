// modCDBrowseForFolder: the user's Documents folder and the browse-for-folder
// dialog with its callback.
#pragma once

#include <cstdint>

#include "platform/automation/variant.h"
#include "platform/desktop/win32.h"
#include "platform/shell/shell.h"

namespace svx {

// The Documents folder's path, or "" when it cannot be located.
BStr MyDocumentsPath();
// The chosen folder's path, or "" (cancelled, or failed: the failure goes to
// the out-parameters, each written only when passed).
BStr BrowseFolderDialog(int32_t& ownerHwnd, BStr& title, BStr& startFolder, Variant& ErrNumber,
                        Variant& ErrDescription);
int32_t BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

// The start folder of the dialog that is open or was opened last, ending in
// one NUL character.
BStr& browseStartFolder();

}  // namespace svx
