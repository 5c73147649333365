// The installed printers and the current printer of the process.
//
// The printers are the print scheduler's destinations, asked afresh at every
// call, in its order. The current printer is shared by everything in the
// process: it starts as the default destination (the first one when none is
// marked default) when first asked for, and changes only by
// setCurrentPrinter. A machine without printers has no current printer.
#pragma once

#include <memory>
#include <vector>

#include "platform/print/print_destinations.h"
#include "platform/print/printer.h"

namespace svx {

// Error raised where a printer is needed and none is installed.
inline constexpr int32_t kNoPrinterError = 484;

// The destination list the layer uses (CUPS unless replaced); null puts CUPS
// back. Replacing it drops the current printer (its open document is
// discarded).
void setPrintDestinations(std::shared_ptr<PrintDestinations> destinations);
PrintDestinations& printDestinations();

std::vector<PrintDestination> installedPrinters();

// The current printer; raises kNoPrinterError when there is none.
Ref<Printer> currentPrinter();
// The current printer when there is one already, without asking the
// scheduler; null otherwise.
Ref<Printer> currentPrinterIfAny();
// Makes a printer for `destination` the current one. The one it replaces is
// released (a document it still has open is ended).
void setCurrentPrinter(const PrintDestination& destination);
// Releases the current printer, ending its open document (a failed
// submission is raised); the next currentPrinter() starts again from the
// default destination.
void releaseCurrentPrinter();

}  // namespace svx
