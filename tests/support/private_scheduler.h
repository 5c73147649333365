// A private CUPS scheduler for tests and benchmarks: its own configuration,
// spool, programs and socket in a folder of the caller's, started and
// stopped by its process id. Its programs are the system's, but for one
// backend, "svxfile", which copies each job to the folder.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace svx::testing {

namespace scheduler_detail {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
}  // namespace scheduler_detail

using namespace scheduler_detail;

inline const char* const kCupsd = "/usr/sbin/cupsd";
inline const char* const kCupsPrograms = "/usr/lib/cups";

// Starts `argv` with stdout and stderr going to `log`; returns its pid. It
// runs in a session of its own, so that the job control of whoever runs the
// tests never signals it (a stopped scheduler in an orphaned process group
// would be sent SIGHUP and SIGCONT), and it goes with the test.
inline pid_t start(const std::vector<std::string>& argv, const fs::path& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// Waits up to `limit` for `pid`; kills it when it has not ended. Its exit
// status, -1 when killed.
inline int finish(pid_t pid, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < until) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(50ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

inline int run(const std::vector<std::string>& argv, const fs::path& log) { return finish(start(argv, log), 30s); }

inline bool canConnect(const fs::path& socketPath) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

inline std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A private scheduler in `dir`, stopped by its process id when the object
// goes. Its programs are the system's, but for the one backend, "svxfile",
// which copies each job to `dir`/page.pdf and its title to `dir`/page.title.
class PrivateScheduler {
 public:
  explicit PrivateScheduler(const fs::path& dir) : dir_(dir) {
    // Readable for the unprivileged filters and helpers the scheduler starts.
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    for (const char* sub : {"conf", "spool", "cache", "state", "log", "bin", "bin/backend"})
      fs::create_directory(dir_ / sub);
    for (const auto& e : fs::directory_iterator(kCupsPrograms)) {
      const std::string name = e.path().filename().string();
      if (e.is_directory() && name.rfind("backend", 0) != 0) fs::create_directory_symlink(e.path(), dir_ / "bin" / name);
    }
    writeBackend();
    socket_ = dir_ / "cups.sock";
    std::ofstream(dir_ / "conf/cupsd.conf") << "Listen " << socket_.string() << "\n"
                                            << "Browsing No\nLogLevel info\nWebInterface No\n"
                                            << "DefaultAuthType None\n"
                                            << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                            << "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                            << "  </Limit>\n</Policy>\n";
    std::ofstream(dir_ / "conf/cups-files.conf") << "ServerRoot " << (dir_ / "conf").string() << "\n"
                                                 << "ServerBin " << (dir_ / "bin").string() << "\n"
                                                 << "RequestRoot " << (dir_ / "spool").string() << "\n"
                                                 << "CacheDir " << (dir_ / "cache").string() << "\n"
                                                 << "StateDir " << (dir_ / "state").string() << "\n"
                                                 << "ErrorLog " << (dir_ / "log/error_log").string() << "\n"
                                                 << "AccessLog " << (dir_ / "log/access_log").string() << "\n"
                                                 << "PageLog " << (dir_ / "log/page_log").string() << "\n"
                                                 << "Printcap " << (dir_ / "state/printcap").string() << "\n"
                                                 << "SystemGroup root\nFileDevice No\n";
    launch();
  }
  ~PrivateScheduler() { stop(); }
  // Stops the scheduler and starts it again on the same folder: the
  // connections to the old one are closed, its queues stay.
  void restart() {
    stop();
    launch();
  }
  // Stops the scheduler: it still takes connections, and answers none.
  void stall() const { kill(pid_, SIGSTOP); }
  // Lets a stalled scheduler answer again.
  void resume() const { kill(pid_, SIGCONT); }
  PrivateScheduler(const PrivateScheduler&) = delete;
  PrivateScheduler& operator=(const PrivateScheduler&) = delete;
  const fs::path& socket() const { return socket_; }
  bool running() const { return canConnect(socket_); }
  std::string logs() const { return readFile(dir_ / "log/cupsd.out") + readFile(dir_ / "log/error_log"); }

 private:
  // Without arguments a backend lists its devices; with them it prints job
  // argv[1] (id), [3] (title), ... of the file argv[6] or of standard input.
  // The scheduler runs it as root because only its owner may run it.
  void launch() {
    pid_ = start({kCupsd, "-f", "-c", (dir_ / "conf/cupsd.conf").string(), "-s",
                  (dir_ / "conf/cups-files.conf").string()},
                 dir_ / "log/cupsd.out");
    for (int i = 0; i < 200 && !canConnect(socket_); ++i) std::this_thread::sleep_for(50ms);
  }
  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGCONT);
      kill(pid_, SIGTERM);
      finish(pid_, 10s);
    }
    pid_ = -1;
  }
  void writeBackend() const {
    const fs::path backend = dir_ / "bin/backend/svxfile";
    const std::string out = dir_.string();
    std::ofstream(backend) << "#!/bin/sh\n"
                           << "if [ $# -eq 0 ]; then\n"
                           << "  echo 'direct svxfile:/ \"Unknown\" \"Sorvanelix test file\"'\n"
                           << "  exit 0\n"
                           << "fi\n"
                           << "if [ $# -ge 6 ]; then cat -- \"$6\"; else cat; fi > '" << out << "/page.part' || exit 1\n"
                           << "printf '%s' \"$3\" > '" << out << "/page.title' || exit 1\n"
                           << "printf '%s' \"$5\" > '" << out << "/page.options' || exit 1\n"
                           << "mv '" << out << "/page.part' '" << out << "/page.pdf'\n";
    fs::permissions(backend, fs::perms::owner_all);
  }

  fs::path dir_;
  fs::path socket_;
  pid_t pid_ = -1;
};

// A home folder at `home` whose .cups/lpoptions holds `lpoptions` (the
// options a person saved), made HOME while the object lives; the HOME before
// it comes back when it goes, also when an assertion ends the test early.
class HomeWithPrintOptions {
 public:
  HomeWithPrintOptions(const std::filesystem::path& home, const std::string& lpoptions) {
    std::filesystem::create_directories(home / ".cups");
    std::ofstream(home / ".cups/lpoptions") << lpoptions;
    if (const char* old = std::getenv("HOME")) saved_ = old;
    ::setenv("HOME", home.c_str(), 1);
  }
  ~HomeWithPrintOptions() {
    if (saved_)
      ::setenv("HOME", saved_->c_str(), 1);
    else
      ::unsetenv("HOME");
  }
  HomeWithPrintOptions(const HomeWithPrintOptions&) = delete;
  HomeWithPrintOptions& operator=(const HomeWithPrintOptions&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace svx::testing
