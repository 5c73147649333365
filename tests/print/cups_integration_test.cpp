// Printing through the real libcups path: a private CUPS scheduler (its own
// configuration, spool, programs and socket in a temporary folder), a raw
// queue on a backend of the test's own that copies each job into that folder,
// a page of tabbed text and a drawing printed through the form's printer
// members, the text positions checked with pdftotext and the page rendered to
// a PNG. With SVX_KEEP_TEST_OUTPUT set, the folder is kept and its path printed.
//
// The scheduler needs root (it runs only root-owned backends, and a backend
// of mode 0700 as root); the test is skipped where it or the packages are
// missing.
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/automation/safearray.h"
#include "platform/print/printers.h"
#include "platform/system/app.h"
#include "tests/support/form_fixture.h"
#include "tests/support/private_scheduler.h"
#include "tests/support/test_folder.h"

namespace svx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::kCupsd;
using testing::kCupsPrograms;
using testing::HomeWithPrintOptions;
using testing::PrivateScheduler;
using testing::readFile;
using testing::run;

const char* const kQueue = "svx-file";

// The column where `word` starts in the line of `text` that holds it.
std::pair<int, int> lineAndColumn(const std::string& text, const std::string& word) {
  std::istringstream in(text);
  std::string line;
  for (int n = 0; std::getline(in, line); ++n)
    if (const auto at = line.find(word); at != std::string::npos) return {n, static_cast<int>(at)};
  return {-1, -1};
}

class CupsPrinting : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "the scheduler runs the test's backend only when started as root";
    for (const char* f : {kCupsd, kCupsPrograms, "/usr/sbin/lpadmin", "/usr/sbin/lpinfo", "/usr/bin/pdftotext",
                          "/usr/bin/pdftoppm"})
      if (!fs::exists(f)) GTEST_SKIP() << f << " is not installed (scripts/setup.sh installs it)";
    DialogFormTest::SetUp();
  }
  void TearDown() override {
    setPrintDestinations(nullptr);
    if (form) DialogFormTest::TearDown();
  }
  Variant member(BStrView name, std::vector<Variant*> args) {
    args.push_back(&errNumber);
    args.push_back(&errDescription);
    Variant r = call(name, args);
    EXPECT_EQ(errNumber, Variant::i2(0)) << utf8(name) << ": " << utf8(toBStr(errDescription));
    return r;
  }

  // A private scheduler in the test's folder whose default is the raw queue
  // kQueue on the test's backend; the client and the printers use it.
  void startScheduler() {
    const fs::path& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    scheduler = std::make_unique<PrivateScheduler>(dir);
    ASSERT_TRUE(scheduler->running()) << scheduler->logs();
    setenv("CUPS_SERVER", scheduler->socket().c_str(), 1);
    cupsSetServer(scheduler->socket().c_str());
    const std::string server = scheduler->socket().string();
    const fs::path adminLog = dir / "log/lpadmin.out";
    ASSERT_EQ(run({"/usr/sbin/lpadmin", "-h", server, "-p", kQueue, "-E", "-v", "svxfile:/"}, adminLog), 0)
        << readFile(adminLog);
    ASSERT_EQ(run({"/usr/sbin/lpadmin", "-h", server, "-d", kQueue}, adminLog), 0) << readFile(adminLog);
    setPrintDestinations(makeCupsDestinations());
  }

  Variant errNumber, errDescription;
  testing::TestFolder folder{"svx-cups"};
  std::unique_ptr<PrivateScheduler> scheduler;  // stopped before its folder goes
};

TEST_F(CupsPrinting, ATabbedPageAndADrawingReachTheQueuesBackend) {
  // The scheduler takes a raw queue on the backend's device, and finds it.
  ASSERT_NO_FATAL_FAILURE(startScheduler());
  const fs::path& dir = folder.path();
  const fs::path devices = dir / "log/lpinfo.out";
  ASSERT_EQ(run({"/usr/sbin/lpinfo", "-h", scheduler->socket().string(), "--include-schemes", "svxfile", "-v"},
                devices),
            0)
      << readFile(devices) << scheduler->logs();
  EXPECT_NE(readFile(devices).find("direct svxfile:/"), std::string::npos) << readFile(devices) << scheduler->logs();

  const Variant list = member(u"ListOfInstalledPrinters", {});
  ASSERT_TRUE(list.isArray());
  EXPECT_EQ(list.asArray()->get(1), Variant(u"svx-file"));
  Variant name(u"svx-file");
  member(u"SetPrinterObject", {&name});

  const std::string token = "svxprint" + std::to_string(getpid());
  app().setTitle(utf16(token));
  SafeArray rows(VT_VARIANT, {ArrayBound{1, 3}, ArrayBound{1, 2}});
  const std::pair<int, const char16_t*> cells[] = {{5, u"Alpha"}, {20, u"Beta"}, {40, u"Gamma"}};
  for (int i = 0; i < 3; ++i) {
    rows.set(i + 1, 1, Variant(cells[i].first));
    rows.set(i + 1, 2, Variant(BStr(cells[i].second)));
  }
  Variant table(std::move(rows)), none = Variant::missing();
  member(u"PrinterPrintTabbedText", {&table, nullptr});
  Variant second(u"Second line");
  member(u"PrinterPrintText", {&second});
  Variant x1(1440), y1(2880), x2(5760), y2(5760), red(0xFF), box(true);
  member(u"PrinterLineAbsolute", {&x1, &y1, &x2, &y2, &red, &box, nullptr});
  Variant cx(3600), cy(4320), r(1000);
  member(u"PrinterCircleAbsolute", {&cx, &cy, &r, nullptr, nullptr, nullptr, nullptr});
  const Variant printer = member(u"PrinterObject", {});
  ASSERT_TRUE(printer.isObject());
  printer.asObject()->invoke(u"EndDoc", InvokeKind::Method, {});

  // The backend renames the page once it is complete.
  const fs::path pdf = dir / "page.pdf";
  for (int i = 0; i < 600 && !fs::exists(pdf); ++i) std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(fs::exists(pdf)) << scheduler->logs();
  EXPECT_EQ(readFile(pdf).rfind("%PDF-", 0), 0u);
  EXPECT_EQ(readFile(dir / "page.title"), token);
  fs::copy_file(pdf, dir / "page.pdf.first");

  const fs::path textFile = dir / "page.txt";
  ASSERT_EQ(run({"/usr/bin/pdftotext", "-layout", pdf.string(), textFile.string()}, dir / "log/p.out"), 0)
      << readFile(dir / "log/p.out");
  const std::string text = readFile(textFile);
  const auto [alphaLine, alpha] = lineAndColumn(text, "Alpha");
  const auto [betaLine, beta] = lineAndColumn(text, "Beta");
  const auto [gammaLine, gamma] = lineAndColumn(text, "Gamma");
  const auto [secondLine, secondColumn] = lineAndColumn(text, "Second line");
  ASSERT_GE(alphaLine, 0) << text;
  EXPECT_EQ(betaLine, alphaLine) << text;
  EXPECT_EQ(gammaLine, alphaLine) << text;
  EXPECT_GT(secondLine, alphaLine) << text;
  EXPECT_LT(secondColumn, alpha) << text;
  EXPECT_LT(alpha, beta);
  EXPECT_LT(beta, gamma);
  // Print columns 5, 20 and 40: the gaps are 15 and 35 columns wide. The
  // layout's spacing is approximate; the words' boxes are exact.
  const fs::path boxFile = dir / "page.html";
  ASSERT_EQ(run({"/usr/bin/pdftotext", "-bbox", pdf.string(), boxFile.string()}, dir / "log/b.out"), 0);
  const std::string boxes = readFile(boxFile);
  auto xMin = [&](const std::string& word) {
    const auto at = boxes.find(">" + word + "<");
    if (at == std::string::npos) return -1.0;
    const auto x = boxes.rfind("xMin=\"", at);
    return std::stod(boxes.substr(x + 6));
  };
  const double a = xMin("Alpha"), b = xMin("Beta"), g = xMin("Gamma");
  ASSERT_GT(b, a) << boxes;
  EXPECT_NEAR((g - a) / (b - a), 35.0 / 15.0, 0.05) << boxes;

  ASSERT_EQ(run({"/usr/bin/pdftoppm", "-png", "-r", "50", "-singlefile", pdf.string(), (dir / "page").string()},
                dir / "log/ppm.out"),
            0);
  EXPECT_TRUE(fs::exists(dir / "page.png"));

  // An instance prints on its queue with the options saved for it, the job's
  // own copies winning over the saved ones. The saved options are read from
  // the home folder's lpoptions, here the test's own; a new thread reads the
  // environment afresh.
  fs::remove(pdf);
  std::vector<PrintDestination> listed;
  std::string failure;
  {
    const HomeWithPrintOptions home(dir / "home", "Dest svx-file/draft number-up=2 copies=5\n");
    std::thread([&] {
      auto cups = makeCupsDestinations();
      listed = cups->list();
      PrintJob job;
      job.destination = u"svx-file/draft";
      job.title = u"draft";
      job.pdf = readFile(dir / "page.pdf.first");
      job.copies = 2;
      try {
        cups->submit(job);
      } catch (const RuntimeError& e) {
        failure = utf8(e.description());
      }
    }).join();
  }
  EXPECT_NE(std::find_if(listed.begin(), listed.end(),
                         [](const PrintDestination& d) { return d.name == u"svx-file/draft"; }),
            listed.end());
  ASSERT_EQ(failure, "");
  for (int i = 0; i < 600 && !fs::exists(pdf); ++i) std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(fs::exists(pdf)) << scheduler->logs();
  const std::string options = readFile(dir / "page.options");
  EXPECT_NE(options.find("number-up=2"), std::string::npos) << options;
  EXPECT_EQ(options.find("copies=5"), std::string::npos) << options;
}

// The print helper, which lives on, keeps none of the program's files open:
// a pipe the program closes ends for its reader.
TEST_F(CupsPrinting, ThePrintHelperHoldsNoneOfTheProgramsFiles) {
  ASSERT_NO_FATAL_FAILURE(startScheduler());
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);  // inherited by any program started
  setPrintDestinations(makeCupsDestinations());  // a helper of its own
  EXPECT_EQ(installedPrinters().size(), 1u);
  close(fds[1]);
  pollfd p{fds[0], POLLIN, 0};
  const int ready = poll(&p, 1, 2000);
  char c;
  EXPECT_EQ(ready, 1) << "the helper holds the pipe";
  if (ready == 1) {
    EXPECT_EQ(read(fds[0], &c, 1), 0);
  }
  close(fds[0]);
}

// The helper keeps its connection to the scheduler between lists; one the
// scheduler closed (it was restarted) or that belongs to another home folder
// is made anew, and a scheduler that is gone means no printers.
TEST_F(CupsPrinting, TheListComesThroughAfterTheSchedulerRestarts) {
  ASSERT_NO_FATAL_FAILURE(startScheduler());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(installedPrinters().size(), 1u) << i;
  scheduler->restart();
  ASSERT_TRUE(scheduler->running()) << scheduler->logs();
  EXPECT_EQ(installedPrinters().size(), 1u);
  EXPECT_EQ(installedPrinters().size(), 1u);

  size_t withInstance = 0;
  {
    const HomeWithPrintOptions home(folder.path() / "home", "Dest svx-file/draft copies=2\n");
    withInstance = installedPrinters().size();
  }
  EXPECT_EQ(withInstance, 2u);
  EXPECT_EQ(installedPrinters().size(), 1u);

  scheduler.reset();
  EXPECT_TRUE(installedPrinters().empty());
}

// A scheduler that stops answering: every call ends within the budget (5 s
// in all, here shortened where the test opens a budget of its own) with
// 482 and words saying so, and nothing hangs.
TEST_F(CupsPrinting, ASchedulerThatStopsAnsweringIsGivenUpWithinTheBudget) {
  ASSERT_NO_FATAL_FAILURE(startScheduler());

  // A document begun while the scheduler answers.
  Variant text(u"Stalled");
  member(u"PrinterPrintText", {&text});
  const Variant printer = member(u"PrinterObject", {});
  ASSERT_TRUE(printer.isObject());
  scheduler->stall();
  const std::u16string noAnswer = u"The print scheduler did not answer within 5 seconds.";

  // Ending it: the submission is given up after 5 s.
  auto started = std::chrono::steady_clock::now();
  try {
    printer.asObject()->invoke(u"EndDoc", InvokeKind::Method, {});
    ADD_FAILURE() << "the job was taken";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::PrinterError);
    EXPECT_EQ(e.description(), noAnswer);
  }
  // The budget is waited out, not cut short; the margin above it is for a
  // loaded machine (the child's end and the parent's wake-up).
  auto took = std::chrono::steady_clock::now() - started;
  EXPECT_GE(took, 4500ms);
  EXPECT_LE(took, 7000ms);

  // A member's lookups share one budget (shortened here).
  setPrintDestinations(makeCupsDestinations());  // no current printer
  for (const char16_t* name : {u"ListOfInstalledPrinters", u"PrinterObject", u"PrinterPrintText"}) {
    SCOPED_TRACE(utf8(name));
    started = std::chrono::steady_clock::now();
    {
      const SchedulerBudget budget(1000ms);
      Variant n, d;
      std::vector<Variant*> args;
      if (BStrView(name) == u"PrinterPrintText") args.push_back(&text);
      args.push_back(&n);
      args.push_back(&d);
      call(name, args);
      EXPECT_EQ(n, Variant(err::PrinterError));
      EXPECT_EQ(d, Variant(BStr(noAnswer)));
    }
    took = std::chrono::steady_clock::now() - started;
    EXPECT_LE(took, 3000ms);
  }

  // The helper that missed its deadline was killed; once the scheduler
  // answers again, a new one does.
  scheduler->resume();
  const Variant list = member(u"ListOfInstalledPrinters", {});
  ASSERT_TRUE(list.isArray());
  EXPECT_EQ(list.asArray()->get(1), Variant(u"svx-file"));
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

// The real destination list when no scheduler answers: no printers, quickly.
TEST(CupsDestinations, ASchedulerThatIsNotThereMeansNoPrinters) {
  const std::string missing = "/tmp/svx-no-scheduler-" + std::to_string(getpid()) + "/cups.sock";
  cupsSetServer(missing.c_str());
  const auto started = std::chrono::steady_clock::now();
  auto cups = makeCupsDestinations(2000);
  EXPECT_TRUE(cups->list().empty());
  EXPECT_EQ(cups->paper(u"any"), a4Paper());
  PrintJob job;
  job.destination = u"any";
  job.pdf = "%PDF-1.4";
  try {
    cups->submit(job);
    ADD_FAILURE() << "a job went nowhere";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::PrinterError);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  cupsSetServer(nullptr);
}

}  // namespace
}  // namespace svx
