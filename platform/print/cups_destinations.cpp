#include <cups/cups.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/print/print_destinations.h"

namespace svx {

PaperSize a4Paper() {
  // 210 x 297 mm.
  return PaperSize{u"A4", 11906, 16838, 0, 0, 0, 0};
}

PaperSize letterPaper() { return PaperSize{u"Letter", 12240, 15840, 0, 0, 0, 0}; }

namespace {

struct HttpClose {
  void operator()(http_t* h) const { httpClose(h); }
};
using HttpPtr = std::unique_ptr<http_t, HttpClose>;

struct DestsFree {
  int count;
  void operator()(cups_dest_t* d) const { cupsFreeDests(count, d); }
};

struct DestFree {
  void operator()(cups_dest_t* d) const { cupsFreeDests(1, d); }
};

struct InfoFree {
  void operator()(cups_dinfo_t* i) const { cupsFreeDestInfo(i); }
};

// Hundredths of a millimetre to twips.
double twipsOf(int hundredthsOfMm) { return std::round(hundredthsOfMm * 1440.0 / 2540.0); }

// The queue of a destination name ("queue" or "queue/instance").
std::string queueOf(const BStr& destination) {
  std::string name = utf8(destination);
  if (const auto slash = name.find('/'); slash != std::string::npos) name.erase(slash);
  return name;
}

// The instance of a destination name, "" for none.
std::string instanceOf(const BStr& destination) {
  const std::string name = utf8(destination);
  const auto slash = name.find('/');
  return slash == std::string::npos ? std::string() : name.substr(slash + 1);
}

// Options that describe the printer rather than a job.
bool describesPrinter(std::string_view option) {
  return option.starts_with("printer-") || option.starts_with("marker-") || option == "device-uri";
}

[[noreturn]] void raisePrinterError(const char* what) {
  std::string text = what;
  if (const char* reason = cupsLastErrorString(); reason && *reason) text += std::string(": ") + reason;
  raise(err::PrinterError, BStr(utf16(text)));
}

// What a conversation with the scheduler came to, as the child that held it
// writes it: a kind, then the text.
struct Answer {
  enum Kind : char { Done = 'D', Failed = 'F', Unreachable = 'U' };
  Kind kind = Failed;
  std::string text;
};

[[noreturn]] void raiseNoAnswer() {
  raise(err::PrinterError, u"The print scheduler did not answer within " +
                               utf16(std::to_string(kSchedulerBudget.count() / 1000)) + u" seconds.");
}

// Holds `talk`, the whole conversation with the scheduler, in a child
// process and waits for its answer until `deadline`. libcups waits and
// retries on its own (minutes, for a scheduler that accepts connections but
// never answers): a child that has not answered by then is killed, and the
// scheduler did not answer. Nothing of the child but its answer comes back.
Answer converse(SchedulerBudget::TimePoint deadline, const std::function<Answer()>& talk) {
  if (SchedulerBudget::Clock::now() >= deadline) raiseNoAnswer();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) raise(err::PrinterError, u"The print scheduler cannot be asked (no pipe).");
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    raise(err::PrinterError, u"The print scheduler cannot be asked (no process).");
  }
  if (pid == 0) {
    // The child: talks, writes the answer, and ends without running
    // anything of the parent's (no exit handlers, no destructors).
    ::close(fds[0]);
    Answer a;
    try {
      a = talk();
    } catch (const RuntimeError& e) {
      a = {Answer::Failed, utf8(e.description())};
    } catch (...) {
      a = {Answer::Failed, "The print scheduler's answer could not be read."};
    }
    std::string out(1, a.kind);
    out += a.text;
    for (size_t done = 0; done < out.size();) {
      const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string got;
  bool ended = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SchedulerBudget::Clock::now());
    if (left.count() <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the loop's deadline check ends a timeout
    char buf[4096];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ended = true;
      break;
    }
    got.append(buf, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  if (!ended) ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (!ended) raiseNoAnswer();
  if (got.empty()) raise(err::PrinterError, u"The print scheduler's answer was lost.");
  return Answer{static_cast<Answer::Kind>(got[0]), got.substr(1)};
}

// Numbers and names of an answer, one to a line.
std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    out.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return out;
}

double numberOf(std::string_view text) {
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

class CupsDestinations : public PrintDestinations {
 public:
  explicit CupsDestinations(int timeoutMs) : timeoutMs_(timeoutMs) {}

  std::vector<PrintDestination> list() override {
    // Each destination on a line: "1" for the default or "0", then the name.
    const Answer a = converse(deadline(), [&] {
      HttpPtr http = connect();
      if (!http) return Answer{Answer::Unreachable, {}};
      cups_dest_t* dests = nullptr;
      const int count = cupsGetDests2(http.get(), &dests);
      std::unique_ptr<cups_dest_t, DestsFree> owned(dests, DestsFree{count});
      std::string out;
      for (int i = 0; i < count; ++i) {
        out += dests[i].is_default ? '1' : '0';
        out += dests[i].name ? dests[i].name : "";
        if (dests[i].instance) out += std::string("/") + dests[i].instance;
        out += '\n';
      }
      return Answer{Answer::Done, out};
    });
    std::vector<PrintDestination> out;
    if (a.kind != Answer::Done) return out;
    for (std::string_view line : lines(a.text))
      if (!line.empty()) out.push_back(PrintDestination{utf16(line.substr(1)), line[0] == '1'});
    return out;
  }

  PaperSize paper(const BStr& destination) override {
    // The name, then width, height and the four margins, one to a line.
    const Answer a = converse(deadline(), [&] {
      const PaperSize p = paperOf(destination);
      std::string out = utf8(p.name);
      for (double v : {p.width, p.height, p.left, p.top, p.right, p.bottom}) out += '\n' + std::to_string(v);
      return Answer{Answer::Done, out};
    });
    const std::vector<std::string_view> v = lines(a.text);
    if (a.kind != Answer::Done || v.size() != 7) return a4Paper();
    return PaperSize{utf16(v[0]),    numberOf(v[1]), numberOf(v[2]), numberOf(v[3]),
                     numberOf(v[4]), numberOf(v[5]), numberOf(v[6])};
  }

  int32_t submit(const PrintJob& job) override {
    const Answer a = converse(deadline(), [&] { return Answer{Answer::Done, std::to_string(submitted(job))}; });
    if (a.kind != Answer::Done) raise(err::PrinterError, BStr(utf16(a.text)));
    return static_cast<int32_t>(numberOf(a.text));
  }

 private:
  // The end of the budget this request shares, or of its own.
  SchedulerBudget::TimePoint deadline() const {
    if (const auto shared = SchedulerBudget::deadline()) return *shared;
    return SchedulerBudget::Clock::now() + std::chrono::milliseconds(timeoutMs_);
  }

  // The destination's default paper, asked of the scheduler.
  PaperSize paperOf(const BStr& destination) const {
    HttpPtr http = connect();
    if (!http) return a4Paper();
    const std::string name = queueOf(destination), instance = instanceOf(destination);
    std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (!dest) return a4Paper();
    PaperSize fallback = a4Paper();
    if (const char* media = cupsGetOption("media", dest->num_options, dest->options);
        media && (std::string(media).find("etter") != std::string::npos))
      fallback = letterPaper();
    std::unique_ptr<cups_dinfo_t, InfoFree> info(cupsCopyDestInfo(http.get(), dest.get()));
    if (!info) return fallback;
    cups_size_t size{};
    if (!cupsGetDestMediaDefault(http.get(), dest.get(), info.get(), 0, &size) || size.width <= 0 || size.length <= 0)
      return fallback;
    return PaperSize{utf16(size.media),  twipsOf(size.width), twipsOf(size.length), twipsOf(size.left),
                     twipsOf(size.top),     twipsOf(size.right), twipsOf(size.bottom)};
  }

  // The job submitted whole, its id; a refusal raises 482 with the reason.
  int32_t submitted(const PrintJob& job) const {
    HttpPtr http = connect();
    if (!http) raisePrinterError("The print scheduler cannot be reached");
    const std::string name = queueOf(job.destination), title = utf8(job.title);
    cups_option_t* options = nullptr;
    int count = cupsAddOption("copies", std::to_string(std::max<int>(1, job.copies)).c_str(), 0, &options);
    count = cupsAddOption("collate", job.collate ? "true" : "false", count, &options);
    // The paper the pages were laid out on, not the queue's own default.
    std::string media = utf8(job.media);
    if (const auto at = media.find("_borderless"); at != std::string::npos) media.erase(at);
    if (!media.empty()) count = cupsAddOption("media", media.c_str(), count, &options);
    // The options saved for the destination (an instance's among them) where
    // the job does not set its own.
    const std::string instance = instanceOf(job.destination);
    std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (dest)
      for (int i = 0; i < dest->num_options; ++i) {
        const cups_option_t& o = dest->options[i];
        if (!describesPrinter(o.name) && !cupsGetOption(o.name, count, options))
          count = cupsAddOption(o.name, o.value, count, &options);
      }
    const int id = cupsCreateJob(http.get(), name.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (id <= 0) raisePrinterError("The print job was refused");
    auto fail = [&](const char* what) {
      const std::string reason = cupsLastErrorString() ? cupsLastErrorString() : "";
      cupsCancelJob2(http.get(), name.c_str(), id, 0);
      raise(err::PrinterError, BStr(utf16(std::string(what) + (reason.empty() ? "" : ": " + reason))));
    };
    if (cupsStartDocument(http.get(), name.c_str(), id, title.c_str(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
      fail("The print job could not be started");
    if (cupsWriteRequestData(http.get(), job.pdf.data(), job.pdf.size()) != HTTP_STATUS_CONTINUE)
      fail("The print job could not be sent");
    if (cupsFinishDocument(http.get(), name.c_str()) > IPP_STATUS_OK_CONFLICTING)
      fail("The print job was not accepted");
    return id;
  }

  HttpPtr connect() const {
    HttpPtr http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs_, nullptr));
    if (http) httpSetTimeout(http.get(), timeoutMs_ / 1000.0, nullptr, nullptr);
    return http;
  }

  int timeoutMs_;
};

}  // namespace

std::optional<SchedulerBudget::TimePoint> SchedulerBudget::deadline() { return current(); }

std::optional<SchedulerBudget::TimePoint>& SchedulerBudget::current() {
  static std::optional<TimePoint> shared;
  return shared;
}

SchedulerBudget::SchedulerBudget(std::chrono::milliseconds budget) : outer_(current()) {
  const TimePoint end = Clock::now() + budget;
  if (!outer_ || end < *outer_) current() = end;
}

SchedulerBudget::~SchedulerBudget() { current() = outer_; }

std::unique_ptr<PrintDestinations> makeCupsDestinations(int timeoutMs) {
  return std::make_unique<CupsDestinations>(timeoutMs);
}

}  // namespace svx
