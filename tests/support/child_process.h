// Work run in a child process of the test's own, stopped by its process id.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>
#include <utility>

namespace svx::testing {

// Runs `work` in a child process of its own and returns its exit status
// (the value `work` returns), or -1 when it has not ended within `seconds`:
// the child is then stopped by its process id. An exception in the child is
// status 99.
template <class F>
int inChildProcess(F&& work, int seconds) {
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int status = 99;
    try {
      status = std::forward<F>(work)();
    } catch (...) {
    }
    _exit(status);
  }
  for (int waited = 0; waited < seconds * 100; ++waited) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// In a child: lowers the soft file size limit to `bytes`, with SIGXFSZ at its
// default (a write past the limit would end the process). False when the
// limit cannot be set.
inline bool lowerFileSizeLimit(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_DFL);
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
  limit.rlim_cur = bytes;
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace svx::testing
