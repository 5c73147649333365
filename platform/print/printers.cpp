#include "platform/print/printers.h"

#include <algorithm>

#include "platform/automation/error.h"

namespace svx {

namespace {

struct PrintState {
  std::shared_ptr<PrintDestinations> destinations;
  Ref<Printer> current;
  // At exit nothing is sent any more: releaseCurrentPrinter() is the way to
  // end an open document.
  ~PrintState() {
    if (current) current->KillDoc();
  }
};

PrintState& state() {
  static PrintState s;
  return s;
}

std::shared_ptr<PrintDestinations> destinationsShared() {
  PrintState& s = state();
  if (!s.destinations) s.destinations = makeCupsDestinations();
  return s.destinations;
}

[[noreturn]] void raiseNoPrinter() {
  raise(kNoPrinterError, u"No printer is installed, or the print scheduler cannot be reached.");
}

Ref<Printer> makePrinter(const PrintDestination& destination) {
  auto destinations = destinationsShared();
  PrinterCapabilities capabilities = destinations->capabilities(destination.name);
  return makeRef<Printer>(destination, std::move(capabilities), std::move(destinations));
}

}  // namespace

void setPrintDestinations(std::shared_ptr<PrintDestinations> destinations) {
  PrintState& s = state();
  if (s.current) s.current->KillDoc();
  s.current = nullptr;
  s.destinations = std::move(destinations);
}

PrintDestinations& printDestinations() { return *destinationsShared(); }

std::vector<PrintDestination> installedPrinters() { return printDestinations().list(); }

Ref<Printer> currentPrinter() {
  PrintState& s = state();
  if (s.current) return s.current;
  const SchedulerBudget budget;  // the list and the paper together
  const std::vector<PrintDestination> all = installedPrinters();
  if (all.empty()) raiseNoPrinter();
  const auto chosen = std::ranges::find_if(all, [](const PrintDestination& d) { return d.isDefault; });
  s.current = makePrinter(chosen != all.end() ? *chosen : all.front());
  return s.current;
}

Ref<Printer> currentPrinterIfAny() { return state().current; }

void setCurrentPrinter(const PrintDestination& destination) {
  Ref<Printer> next = makePrinter(destination);
  Ref<Printer> old = std::move(state().current);
  state().current = std::move(next);
}

void releaseCurrentPrinter() {
  Ref<Printer> old = std::move(state().current);
  state().current = nullptr;
  if (old) old->EndDoc();
}

}  // namespace svx
