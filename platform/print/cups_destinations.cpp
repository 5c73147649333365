#include <arpa/inet.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/print/print_destinations.h"
#include "platform/print/print_wire.h"

extern char** environ;

namespace svx {

PaperSize a4Paper() {
  // 210 x 297 mm.
  return PaperSize{u"A4", 11906, 16838, 0, 0, 0, 0};
}

PaperSize letterPaper() { return PaperSize{u"Letter", 12240, 15840, 0, 0, 0, 0}; }

PrinterCapabilities capabilitiesOfPaper(PaperSize paper) {
  PrinterCapabilities c;
  c.papers = {paper};
  c.paper = std::move(paper);
  return c;
}

namespace {

namespace fs = std::filesystem;
using print_wire::Record;

constexpr char kHelperName[] = "sorvanelix-print-helper";

// Hundredths of a millimetre to twips.
double twipsOf(int hundredthsOfMm) { return std::round(hundredthsOfMm * 1440.0 / 2540.0); }

int intOf(std::string_view text) {
  int v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

// The fields of a tab- or blank-separated value.
std::vector<std::string_view> parts(std::string_view text, char separator) {
  std::vector<std::string_view> out;
  for (;;) {
    const size_t end = text.find(separator);
    out.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return out;
    text.remove_prefix(end + 1);
  }
}

[[noreturn]] void raiseNoAnswer() {
  raise(err::PrinterError, u"The print scheduler did not answer within " +
                               utf16(std::to_string(kSchedulerBudget.count() / 1000)) + u" seconds.");
}

// Whether a connection to the scheduler is refused at once: its socket does
// not exist, or nothing listens at its address on this machine. Anything
// else (a connection made or under way, a name to resolve) is for the
// helper to find out.
bool refusedAtOnce(const std::string& server, int port) {
  auto refused = [](int e) {
    return e == ENOENT || e == ECONNREFUSED || e == ENOTDIR || e == ENETUNREACH || e == EADDRNOTAVAIL ||
           e == EAFNOSUPPORT;
  };
  auto attempt = [&](const sockaddr* addr, socklen_t size) {
    const int fd = ::socket(addr->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return refused(errno);
    const int r = ::connect(fd, addr, size);
    int e = errno;
    // On this machine's loopback the refusal follows at once, if at all.
    if (r != 0 && e == EINPROGRESS && addr->sa_family != AF_UNIX) {
      pollfd p{fd, POLLOUT, 0};
      socklen_t length = sizeof e;
      e = ::poll(&p, 1, 2) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &e, &length) == 0 ? e : EINPROGRESS;
    }
    ::close(fd);
    return r != 0 && refused(e);
  };
  if (server.starts_with('/')) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (server.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, server.c_str(), server.size() + 1);
    return attempt(reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  }
  std::string host = server;
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(static_cast<uint16_t>(port));
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(static_cast<uint16_t>(port));
  if (host == "localhost") {
    ::inet_pton(AF_INET, "127.0.0.1", &v4.sin_addr);
    v6.sin6_addr = in6addr_loopback;
    return attempt(reinterpret_cast<const sockaddr*>(&v4), sizeof v4) &&
           attempt(reinterpret_cast<const sockaddr*>(&v6), sizeof v6);
  }
  if (::inet_pton(AF_INET, host.c_str(), &v4.sin_addr) == 1)
    return (ntohl(v4.sin_addr.s_addr) >> 24) == 127 && attempt(reinterpret_cast<const sockaddr*>(&v4), sizeof v4);
  if (::inet_pton(AF_INET6, host.c_str(), &v6.sin6_addr) == 1)
    return IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr) && attempt(reinterpret_cast<const sockaddr*>(&v6), sizeof v6);
  return false;
}

// The helper program: beside the program, else where it is installed.
fs::path helperPath() {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && program.has_parent_path()) {
    fs::path beside = program.parent_path() / kHelperName;
    if (fs::exists(beside, ec)) return beside;
  }
  return fs::path(SVX_BIN_INSTALL_DIR) / kHelperName;
}

// The helper process and the socket to it. A conversation that misses its
// deadline kills it; the next one starts another.
class Helper {
 public:
  Helper() = default;
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  ~Helper() { stop(); }

  Record converse(const Record& request, SchedulerBudget::TimePoint deadline) {
    if (SchedulerBudget::Clock::now() >= deadline) raiseNoAnswer();
    const std::string bytes = print_wire::encode(request);
    // A helper that ended since the last conversation (killed from outside)
    // is replaced once: it took nothing of this request.
    for (int attempt = 0;; ++attempt) {
      start();
      const Outcome sent = send(bytes, deadline);
      if (sent == Outcome::Done) break;
      stop();
      if (sent == Outcome::Late) raiseNoAnswer();
      if (attempt > 0) raise(err::PrinterError, u"The print helper program ended unexpectedly.");
    }
    std::string head(4, '\0');
    Outcome got = receive(head.data(), head.size(), deadline);
    std::string body;
    if (got == Outcome::Done) {
      const uint32_t length = print_wire::getLength(head);
      if (length > print_wire::kMaxRecord) got = Outcome::Broken;
      else {
        body.resize(length);
        got = receive(body.data(), body.size(), deadline);
      }
    }
    if (got != Outcome::Done) {
      stop();
      if (got == Outcome::Late) raiseNoAnswer();
      raise(err::PrinterError, u"The print scheduler's answer was lost.");
    }
    std::optional<Record> answer = print_wire::decode(body);
    if (!answer) {
      stop();
      raise(err::PrinterError, u"The print scheduler's answer could not be read.");
    }
    return std::move(*answer);
  }

  pid_t pid() const { return pid_; }

 private:
  enum class Outcome { Done, Late, Broken };

  void start() {
    if (pid_ > 0) return;
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
      raise(err::PrinterError, u"The print scheduler cannot be asked (no socket).");
    const std::string path = helperPath().string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
    // Nothing else of the program's: a pipe or socket it holds must not stay
    // open for as long as the helper lives.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(sv[1]);
    if (failed != 0) {
      ::close(sv[0]);
      raise(err::PrinterError, u"The print helper program " + utf16(path) + u" cannot be started: " +
                                   utf16(std::strerror(failed)));
    }
    ::fcntl(sv[0], F_SETFL, ::fcntl(sv[0], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    fd_ = sv[0];
  }

  void stop() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    pid_ = -1;
  }

  // Waits until the socket is ready for `events` or the deadline passes.
  bool wait(short events, SchedulerBudget::TimePoint deadline) const {
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SchedulerBudget::Clock::now());
      if (left.count() <= 0) return false;
      pollfd p{fd_, events, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
    }
  }

  Outcome send(const std::string& bytes, SchedulerBudget::TimePoint deadline) const {
    return transfer(bytes.size(), POLLOUT, deadline, [&](size_t done) {
      return ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    });
  }

  Outcome receive(char* to, size_t size, SchedulerBudget::TimePoint deadline) const {
    return transfer(size, POLLIN, deadline, [&](size_t done) { return ::recv(fd_, to + done, size - done, 0); });
  }

  // Moves `size` bytes, `io(done)` moving what it can from offset `done` on,
  // and waits for `events` while the socket is not ready.
  template <class Io>
  Outcome transfer(size_t size, short events, SchedulerBudget::TimePoint deadline, Io&& io) const {
    for (size_t done = 0; done < size;) {
      const ssize_t n = io(done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!wait(events, deadline)) return SchedulerBudget::Clock::now() >= deadline ? Outcome::Late : Outcome::Broken;
        continue;
      }
      return Outcome::Broken;
    }
    return Outcome::Done;
  }

  pid_t pid_ = -1;
  int fd_ = -1;
};

QueueState stateOf(std::string_view v) {
  if (v == "4") return QueueState::Processing;
  if (v == "5") return QueueState::Stopped;
  return QueueState::Idle;
}

PaperSize paperOf(std::string_view field) {
  const std::vector<std::string_view> v = parts(field, '\t');
  if (v.size() != 7) return {};
  return PaperSize{utf16(v[0]),          twipsOf(intOf(v[1])), twipsOf(intOf(v[2])), twipsOf(intOf(v[3])),
                   twipsOf(intOf(v[4])), twipsOf(intOf(v[5])), twipsOf(intOf(v[6]))};
}

PrintResolution resolutionOf(std::string_view field) {
  const std::vector<std::string_view> v = parts(field, ' ');
  if (v.size() != 2) return {};
  return {intOf(v[0]), intOf(v[1])};
}

class CupsDestinations : public PrintDestinations {
 public:
  explicit CupsDestinations(int timeoutMs) : timeoutMs_(timeoutMs) {}

  std::vector<PrintDestination> list() override {
    std::vector<PrintDestination> out;
    const std::optional<Record> a = ask("list");
    if (!a || a->get("status") != "done") return out;
    for (const auto& [name, value] : a->fields) {
      if (name == "dest") {
        out.emplace_back();
        out.back().name = utf16(value);
      }
      if (out.empty()) continue;
      PrintDestination& d = out.back();
      if (name == "default") d.isDefault = value == "1";
      else if (name == "state") d.state = stateOf(value);
      else if (name == "message") d.stateMessage = utf16(value);
      else if (name == "model") d.makeAndModel = utf16(value);
      else if (name == "location") d.location = utf16(value);
      else if (name == "comment") d.comment = utf16(value);
    }
    return out;
  }

  PaperSize paper(const BStr& destination) override { return capabilities(destination).paper; }

  PrinterCapabilities capabilities(const BStr& destination) override {
    const std::optional<Record> a = ask("capabilities", {{"destination", utf8(destination)}});
    if (!a || a->get("status") != "done") return capabilitiesOfPaper(a4Paper());
    PrinterCapabilities c;
    for (std::string_view p : a->all("paper"))
      if (PaperSize size = paperOf(p); size.width > 0 && size.height > 0) c.papers.push_back(std::move(size));
    if (c.papers.empty()) return capabilitiesOfPaper(a4Paper());
    const BStr chosen = utf16(a->get("paper-default"));
    const auto it = std::ranges::find_if(c.papers, [&](const PaperSize& p) { return p.name == chosen; });
    c.paper = it != c.papers.end() ? *it : c.papers.front();
    if (a->has("custom-min") && a->has("custom-max")) {
      const PrintResolution lo = resolutionOf(a->get("custom-min")), hi = resolutionOf(a->get("custom-max"));
      c.customRange = {PaperSize{u"", twipsOf(lo.x), twipsOf(lo.y)}, PaperSize{u"", twipsOf(hi.x), twipsOf(hi.y)}};
    }
    for (std::string_view s : a->all("source")) c.sources.emplace_back(s);
    c.source = a->get("source-default");
    for (std::string_view r : a->all("resolution")) c.resolutions.push_back(resolutionOf(r));
    c.resolution = resolutionOf(a->get("resolution-default"));
    for (std::string_view q : a->all("quality")) c.qualities.push_back(intOf(q));
    c.quality = intOf(a->get("quality-default"));
    for (std::string_view s : a->all("sides")) c.sides.emplace_back(s);
    c.side = a->get("sides-default");
    for (std::string_view m : a->all("color")) c.colorModes.emplace_back(m);
    c.colorMode = a->get("color-default");
    c.landscape = a->get("orientation-default") == "4";
    c.copies = static_cast<int16_t>(std::clamp(intOf(a->get("copies-default")), 1, 32767));
    return c;
  }

  int32_t submit(const PrintJob& job) override {
    Record fields;
    fields.add("destination", utf8(job.destination));
    fields.add("title", utf8(job.title));
    for (const auto& [name, value] : job.options) fields.add("option", name + '=' + value);
    fields.add("option", "copies=" + std::to_string(std::max<int>(1, job.copies)));
    if (job.collate) fields.add("option", std::string("collate=") + (*job.collate ? "true" : "false"));
    // The paper the pages were laid out on, not the queue's own default.
    std::string media = utf8(job.media);
    if (const auto at = media.find("_borderless"); at != std::string::npos) media.erase(at);
    if (!media.empty()) fields.add("option", "media=" + media);
    fields.add("document", job.pdf);
    const std::optional<Record> a = ask("submit", std::move(fields.fields));
    if (!a || a->get("status") == "unreachable")
      raise(err::PrinterError, u"The print job was refused: the print scheduler cannot be reached.");
    if (a->get("status") != "done") raise(err::PrinterError, BStr(utf16(a->get("error"))));
    return intOf(a->get("job"));
  }

 private:
  // The end of the budget this request shares, or of its own.
  SchedulerBudget::TimePoint deadline() const {
    if (const auto shared = SchedulerBudget::deadline()) return *shared;
    return SchedulerBudget::Clock::now() + std::chrono::milliseconds(timeoutMs_);
  }

  // The helper's answer to `op`; none when the scheduler refuses a
  // connection at once (asked here, without the helper).
  std::optional<Record> ask(const char* op, std::vector<std::pair<std::string, std::string>> fields = {}) {
    const std::string server = cupsServer();
    const int port = ippPort();
    // Asked while the last answer from the same address was no refusal:
    // the helper tells a scheduler that went away since.
    const std::string address = server + ':' + std::to_string(port);
    if (address != answering_ && refusedAtOnce(server, port)) return std::nullopt;
    const SchedulerBudget::TimePoint end = deadline();
    Record rq;
    rq.add("op", op);
    rq.add("server", server);
    rq.add("port", std::to_string(port));
    rq.add("encryption", std::to_string(static_cast<int>(cupsEncryption())));
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - SchedulerBudget::Clock::now());
    rq.add("timeout", std::to_string(std::max<int64_t>(1, std::min<int64_t>(left.count(), timeoutMs_))));
    if (const char* home = std::getenv("HOME")) rq.add("home", home);
    for (auto& f : fields) rq.fields.push_back(std::move(f));
    const std::lock_guard lock(mutex_);
    answering_.clear();
    Record answer = helper_.converse(rq, end);
    if (answer.get("status") != "unreachable") answering_ = address;
    return answer;
  }

  int timeoutMs_;
  std::string answering_;  // the address that answered last
  std::mutex mutex_;
  Helper helper_;
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
