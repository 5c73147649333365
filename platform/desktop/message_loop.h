// The thread's message queue, its timers and the loops that serve them.
//
// - Posted messages and tasks wait in one queue, served in order.
// - A timer whose time has come puts one tick into the queue; it puts no
//   second tick there while one is still waiting. The tick carries the timer
//   procedure it was queued with, so a tick that was already queued when its
//   timer was killed still reaches that procedure (a stale tick), once.
// - SetTimer with an id that names a running timer of the same window (or of
//   no window) re-arms it: same id, new interval, next tick one new interval
//   from now. Without a window, any other id creates a new timer with a new id.
//   Intervals below USER_TIMER_MINIMUM or above USER_TIMER_MAXIMUM (a negative
//   Long) run at USER_TIMER_MINIMUM.
// - doEvents() queues the ticks that are due, then serves the queue until it is
//   empty, and returns.
// - runModalLoop(done) serves the queue until done() holds. When nothing is
//   pending it lets the display take a person's input (display.h), calls the
//   idle hook, then the loop's own idle step; if none did anything it waits
//   for the next timer (virtual time: jumps to it), together with the
//   display's input while a window is shown on a screen. If there is no timer
//   and no shown window either, it raises a RuntimeError ("the modal loop has
//   nothing left to wait for"), as it also does when, on virtual time, one loop
//   has waited longer than modalTimeLimit without done() holding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "platform/desktop/win32.h"

namespace svx {

class MessageLoop {
 public:
  // An idle step: does something the loop can react to and returns true, or
  // returns false when it has nothing to do.
  using IdleStep = std::function<bool()>;

  void reset();

  // Queues a message for a window of this thread (hwnd 0: a thread message,
  // handed to the thread message handler).
  // `time`: when the input it carries happened (ms on the clock's scale, as
  // a display stamps its events); -1: unknown.
  void post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int64_t time = -1);
  // The time of message `msg` to `hwnd` while it is being handled, when it
  // was posted with one; otherwise the clock's time now.
  int64_t messageTime(HWND hwnd, UINT msg) const;
  // Queues a piece of code, run when the loop reaches it (a scripted user).
  void postTask(std::function<void()> task);
  void setThreadMessageHandler(std::function<void(UINT, WPARAM, LPARAM)> handler);

  UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
  BOOL killTimer(HWND hwnd, UINT_PTR id);
  // The next `count` calls of SetTimer fail (return 0, change nothing).
  void failNextSetTimer(int count = 1) { failSetTimer_ += count; }
  void windowDestroyed(HWND hwnd);  // drops its timers and queued messages

  void doEvents();
  void runModalLoop(const std::function<bool()>& done, const IdleStep& ownIdle = {});
  void setIdleHook(IdleStep hook) { idleHook_ = std::move(hook); }
  void setModalTimeLimit(int64_t ms) { modalTimeLimit_ = ms; }

  // Observation.
  std::size_t pendingCount() const { return queue_.size(); }
  std::size_t timerCount() const { return timers_.size(); }
  bool timerExists(HWND hwnd, UINT_PTR id) const { return timers_.count({hwnd, id}) != 0; }
  // The effective interval of a running timer.
  std::optional<UINT> timerInterval(HWND hwnd, UINT_PTR id) const;
  std::optional<int64_t> timerDue(HWND hwnd, UINT_PTR id) const;
  int modalDepth() const { return modalDepth_; }
  // Counts what may have changed a window: each message or task served, each
  // loop entered. A display repaints when it moved.
  uint64_t activity() const { return activity_; }

  static constexpr int64_t kDefaultModalTimeLimit = 3'600'000;  // one hour

 private:
  struct Timer {
    UINT interval = 0;
    int64_t due = 0;
    TIMERPROC proc = nullptr;
    uint64_t serial = 0;
    bool tickQueued = false;
  };
  struct Entry {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<void()> task;
    TIMERPROC tickProc = nullptr;  // for WM_TIMER ticks
    uint64_t tickSerial = 0;
    int64_t time = -1;
  };
  struct Current {
    HWND hwnd = 0;
    UINT message = 0;
    int64_t time = -1;
  };
  using TimerKey = std::pair<HWND, UINT_PTR>;

  void queueDueTicks();
  void dispatchOne();
  std::optional<int64_t> nextDue() const;

  std::deque<Entry> queue_;
  Current current_;  // the message being handled
  std::map<TimerKey, Timer> timers_;
  UINT_PTR nextTimerId_ = 1;
  uint64_t nextSerial_ = 1;
  int failSetTimer_ = 0;
  IdleStep idleHook_;
  std::function<void(UINT, WPARAM, LPARAM)> threadHandler_;
  int64_t modalTimeLimit_ = kDefaultModalTimeLimit;
  int modalDepth_ = 0;
  uint64_t activity_ = 0;
};

// The thread's one message loop.
MessageLoop& messageLoop();

// The runtime's DoEvents.
inline void DoEvents() { messageLoop().doEvents(); }

}  // namespace svx
