// Pages per second: a page of 100 lines of tabbed text (three fields a line)
// drawn on the printer's page and written as a PDF document, handed to a
// scheduler that keeps it.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/automation/error.h"
#include "platform/print/printers.h"

namespace svx {
namespace {

class KeepingScheduler : public PrintDestinations {
 public:
  std::vector<PrintDestination> list() override { return {{u"bench", true}}; }
  PaperSize paper(const BStr&) override { return a4Paper(); }
  int32_t submit(const PrintJob& job) override {
    bytes += job.pdf.size();
    return ++jobs;
  }
  int32_t jobs = 0;
  size_t bytes = 0;
};

void BM_TabbedTextPageToPdf(benchmark::State& state) {
  auto scheduler = std::make_shared<KeepingScheduler>();
  setPrintDestinations(scheduler);
  Ref<Printer> printer = currentPrinter();
  DrawSurface& page = printer->surface();
  page.setFont(Font{u"Arial", 7});
  const BStr names[] = {u"Invoice", u"Customer name", u"Amount"};
  for (auto _ : state) {
    for (int line = 1; line <= 100; ++line) {
      page.PrintTab(5);
      page.Print(names[0] + u" " + BStr(utf16(std::to_string(line))), false);
      page.PrintTab(20);
      page.Print(names[1], false);
      page.PrintTab(45);
      page.Print(u" 1234.50 ", true);
    }
    printer->EndDoc();
  }
  if (printer->pageNumber() != 1 || scheduler->jobs != static_cast<int32_t>(state.iterations()))
    state.SkipWithError("the page did not end as one job");
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["PDF bytes"] = static_cast<double>(scheduler->bytes) / static_cast<double>(scheduler->jobs);
  setPrintDestinations(nullptr);
}
BENCHMARK(BM_TabbedTextPageToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
