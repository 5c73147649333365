// Pages per second: a page of 100 lines of tabbed text (three fields a line,
// one PrinterPrintTabbedText call each) on the form's current printer,
// written as a PDF document and handed to a scheduler that keeps it.
//
// ListOfInstalledPrinters against libcups asked directly (its peer in the
// same run): with no scheduler (its socket missing; nothing listening at a
// TCP address), and with a private scheduler (root only; libcups with a new
// connection per call), in a process holding nothing more and 130 MB more.
#include <benchmark/benchmark.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/dialog_form.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/print/printers.h"
#include "tests/support/private_scheduler.h"

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

// The scheduler's address for a case: a socket path that does not exist, a
// loopback port nothing listens on, or a private scheduler (two queues).
class SchedulerCase {
 public:
  enum Kind { NoSocket, NothingListens, Private };
  explicit SchedulerCase(Kind kind) {
    if (kind == NoSocket) {
      server_ = "/tmp/svx-bench-none-" + std::to_string(getpid()) + "/cups.sock";
    } else if (kind == NothingListens) {
      // A port the kernel hands out, then frees: nothing listens there.
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      socklen_t size = sizeof a;
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
      port_ = ntohs(a.sin_port);
      close(fd);
      server_ = "127.0.0.1";
    } else {
      char dir[] = "/tmp/svx-bench-cups-XXXXXX";
      if (geteuid() != 0 || !mkdtemp(dir)) return;
      dir_ = dir;
      scheduler_ = std::make_unique<testing::PrivateScheduler>(dir_);
      if (!scheduler_->running()) return;
      server_ = scheduler_->socket().string();
      for (const char* q : {"bench-a", "bench-b"})
        testing::run({"/usr/sbin/lpadmin", "-h", server_, "-p", q, "-E", "-v", "svxfile:/"}, dir_ / "log/lpadmin.out");
    }
    cupsSetServer(server_.c_str());
    if (port_) ippSetPort(port_);
  }
  ~SchedulerCase() {
    cupsSetServer(nullptr);
    ippSetPort(631);
    scheduler_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  bool ready() const { return !server_.empty(); }

 private:
  std::string server_;
  int port_ = 0;
  std::filesystem::path dir_;
  std::unique_ptr<testing::PrivateScheduler> scheduler_;
};

// Memory the process holds, every page touched.
std::vector<char> ballast(size_t megabytes) {
  std::vector<char> b(megabytes << 20);
  for (size_t i = 0; i < b.size(); i += 4096) b[i] = 1;
  return b;
}

void BM_ListOfInstalledPrinters(benchmark::State& state) {
  const auto kind = static_cast<SchedulerCase::Kind>(state.range(0));
  const std::vector<char> held = ballast(static_cast<size_t>(state.range(1)));
  SchedulerCase where(kind);
  if (!where.ready()) return state.SkipWithError("no private scheduler (needs root and cupsd)");
  Clock::useVirtualTime();
  desktop().reset();
  setPrintDestinations(makeCupsDestinations());
  Ref<DialogForm> form = makeRef<DialogForm>();
  form->load();
  Variant errNumber, errDescription;
  size_t count = 0;
  for (auto _ : state) {
    std::vector<Variant> args{Variant::byRef(errNumber), Variant::byRef(errDescription)};
    const Variant list = form->invoke(u"ListOfInstalledPrinters", InvokeKind::Method, args);
    count = list.isArray() ? static_cast<size_t>(list.asArray()->ubound(1)) : 0;
  }
  if (errNumber != Variant::i2(0) || count != (kind == SchedulerCase::Private ? 2u : 0u))
    state.SkipWithError("the printers were not listed");
  form->unload();
  setPrintDestinations(nullptr);
  Clock::useRealTime();
}
BENCHMARK(BM_ListOfInstalledPrinters)
    ->ArgNames({"case", "MB"})
    ->Args({SchedulerCase::NoSocket, 0})
    ->Args({SchedulerCase::NothingListens, 0})
    ->Args({SchedulerCase::Private, 0})
    ->Args({SchedulerCase::Private, 130})
    ->Unit(benchmark::kMicrosecond);

// libcups asked directly, a new connection per call.
void BM_LibcupsListDests(benchmark::State& state) {
  SchedulerCase where(static_cast<SchedulerCase::Kind>(state.range(0)));
  if (!where.ready()) return state.SkipWithError("no private scheduler (needs root and cupsd)");
  int count = 0;
  for (auto _ : state) {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
    count = 0;
    if (http) {
      cups_dest_t* dests = nullptr;
      count = cupsGetDests2(http, &dests);
      cupsFreeDests(count, dests);
      httpClose(http);
    }
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_LibcupsListDests)
    ->ArgNames({"case"})
    ->Arg(SchedulerCase::NoSocket)
    ->Arg(SchedulerCase::NothingListens)
    ->Arg(SchedulerCase::Private)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
