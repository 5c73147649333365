// The print dialog of the common-dialog module: the dialog's last result
// and device-settings copy (kept for the process), ShowPrinterDialog, and
// the form's member CommonDialogShowPrinter.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/dialogs/print_dialog.h"

namespace svx {

// The result of the last PrintDlgA call (0 at the start of each call).
extern int32_t LastPrintDlgResult;
// A copy of the device settings that the last confirmed dialog returned.
extern DEVMODEA PrinterDevMode;

// `text` without every trailing character equal, as text, to some element
// of `chars`.
BStr TrimTrailingChars(const BStr& text, const std::vector<Variant>& chars);

// Shows the print dialog with these values and reads the user's choices
// back into them; true when the user pressed OK. Errors reach the caller.
bool ShowPrinterDialog(int32_t& hDC, BStr& deviceName, int32_t& printRange, bool disablePageNumbers,
                       int32_t& fromPage, int32_t& toPage, bool disableSelection, int16_t& copies,
                       bool showPrintToFile, bool disablePrintToFile, bool& printToFile, bool& collate,
                       bool preventWarning, int32_t owner);

// DialogForm.CommonDialogShowPrinter, bound on the form's class table.
std::vector<ParamInfo> commonDialogShowPrinterParams();
Variant CommonDialogShowPrinter(Object& self, const Args& args);

}  // namespace svx
