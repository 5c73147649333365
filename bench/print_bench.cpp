// Pages per second: a page of 100 lines of tabbed text (three fields a line,
// one PrinterPrintTabbedText call each) on the form's current printer,
// written as a PDF document and handed to a scheduler that keeps it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/dialog_form.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/print/printers.h"

namespace svx {
namespace {

class KeepingScheduler : public PrintDestinations {
 public:
  std::vector<PrintDestination> list() override { return {{u"bench", true}}; }
  PaperSize paper(const BStr&) override { return a4Paper(); }
  int32_t submit(const PrintJob& job) override {
    bytes += job.pdf.size();
    for (size_t at = job.pdf.find("/Type /Page"); at != std::string::npos; at = job.pdf.find("/Type /Page", at + 1))
      if (job.pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    return ++jobs;
  }
  int32_t jobs = 0;
  int32_t pages = 0;
  size_t bytes = 0;
};

void BM_TabbedTextPageToPdf(benchmark::State& state) {
  Clock::useVirtualTime();
  desktop().reset();
  auto scheduler = std::make_shared<KeepingScheduler>();
  setPrintDestinations(scheduler);
  Ref<DialogForm> form = makeRef<DialogForm>();
  form->load();
  Ref<Printer> printer = currentPrinter();
  printer->surface().setFont(Font{u"Arial", 6});

  std::vector<Variant> lines;
  for (int line = 1; line <= 100; ++line) {
    SafeArray row(VT_VARIANT, {ArrayBound{1, 3}, ArrayBound{1, 2}});
    row.set(1, 1, Variant(5));
    row.set(1, 2, Variant(BStr(u"Invoice ") + utf16(std::to_string(line))));
    row.set(2, 1, Variant(20));
    row.set(2, 2, Variant(u"Customer name"));
    row.set(3, 1, Variant(45));
    row.set(3, 2, Variant(1234.5));
    lines.emplace_back(std::move(row));
  }
  Variant errNumber, errDescription;
  for (auto _ : state) {
    for (Variant& line : lines) {
      std::vector<Variant> args{Variant::byRef(line), Variant::missing(), Variant::byRef(errNumber),
                                Variant::byRef(errDescription)};
      form->invoke(u"PrinterPrintTabbedText", InvokeKind::Method, args);
    }
    printer->EndDoc();
  }
  if (errNumber != Variant::i2(0) || scheduler->pages != scheduler->jobs ||
      scheduler->jobs != static_cast<int32_t>(state.iterations()))
    state.SkipWithError("each page did not end as one job of one page");
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["PDF bytes"] = static_cast<double>(scheduler->bytes) / static_cast<double>(scheduler->jobs);
  form->unload();
  setPrintDestinations(nullptr);
  Clock::useRealTime();
}
BENCHMARK(BM_TabbedTextPageToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
