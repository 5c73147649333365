// The printer members of the form: the installed printers, the current
// printer, and drawing and printing on it. Every step fetches the current
// printer afresh; errors go to the out-parameters, nothing is raised.
#pragma once

#include "platform/automation/dispatch.h"

namespace svx {

inline constexpr int16_t kErrPrinterNotFound = -500;
inline constexpr int16_t kErrTabbedNotArray = -400;
inline constexpr int16_t kErrTabbedFirstDimension = -410;
inline constexpr int16_t kErrTabbedSecondDimension = -420;
inline constexpr int16_t kErrTabbedNotTwoColumns = -430;

// ListOfInstalledPrinters, SetPrinterObject, PrinterObject, the drawing
// members, PrinterPrintTabbedText and PrinterPrintText, on the form's table.
void declarePrinterMembers(ClassInfo& c);

}  // namespace svx
