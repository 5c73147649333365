#include "platform/desktop/message_loop.h"

#include <algorithm>
#include <utility>

#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display.h"

namespace svx {
namespace {

UINT effectiveInterval(UINT elapse) {
  if (elapse < USER_TIMER_MINIMUM || elapse > USER_TIMER_MAXIMUM) return USER_TIMER_MINIMUM;
  return elapse;
}

}  // namespace

MessageLoop& messageLoop() {
  static MessageLoop loop;
  return loop;
}

void MessageLoop::reset() {
  queue_.clear();
  timers_.clear();
  nextTimerId_ = 1;
  failSetTimer_ = 0;
  idleHook_ = {};
  threadHandler_ = {};
  modalTimeLimit_ = kDefaultModalTimeLimit;
}

void MessageLoop::post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int64_t time) {
  queue_.push_back(Entry{hwnd, msg, wParam, lParam, {}, nullptr, 0, time});
}

int64_t MessageLoop::messageTime(HWND hwnd, UINT msg) const {
  if (current_.time >= 0 && current_.hwnd == hwnd && current_.message == msg) return current_.time;
  return Clock::nowMs();
}

void MessageLoop::postTask(std::function<void()> task) {
  Entry e;
  e.task = std::move(task);
  queue_.push_back(std::move(e));
}

void MessageLoop::setThreadMessageHandler(std::function<void(UINT, WPARAM, LPARAM)> handler) {
  threadHandler_ = std::move(handler);
}

UINT_PTR MessageLoop::setTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (failSetTimer_ > 0) {
    --failSetTimer_;
    return 0;
  }
  if (hwnd != 0 && !desktop().find(hwnd)) return 0;
  const UINT interval = effectiveInterval(elapse);
  const int64_t due = Clock::nowMs() + interval;
  if (auto it = timers_.find({hwnd, id}); it != timers_.end()) {
    it->second.interval = interval;
    it->second.due = due;
    it->second.proc = proc;
    return id;
  }
  if (hwnd == 0) {
    id = nextTimerId_++;
  }
  timers_[{hwnd, id}] = Timer{interval, due, proc, nextSerial_++, false};
  // A window timer answers with 1, as the real function does for a window.
  return hwnd == 0 ? id : 1;
}

BOOL MessageLoop::killTimer(HWND hwnd, UINT_PTR id) { return timers_.erase({hwnd, id}) ? 1 : 0; }

void MessageLoop::windowDestroyed(HWND hwnd) {
  std::erase_if(timers_, [hwnd](const auto& t) { return t.first.first == hwnd; });
  std::erase_if(queue_, [hwnd](const Entry& e) { return e.hwnd == hwnd && !e.task; });
}

std::optional<UINT> MessageLoop::timerInterval(HWND hwnd, UINT_PTR id) const {
  if (auto it = timers_.find({hwnd, id}); it != timers_.end()) return it->second.interval;
  return std::nullopt;
}

std::optional<int64_t> MessageLoop::timerDue(HWND hwnd, UINT_PTR id) const {
  if (auto it = timers_.find({hwnd, id}); it != timers_.end()) return it->second.due;
  return std::nullopt;
}

void MessageLoop::queueDueTicks() {
  const int64_t now = Clock::nowMs();
  // Earliest due first, so that ticks due together keep a stable order.
  std::vector<std::pair<int64_t, TimerKey>> due;
  for (const auto& [key, t] : timers_) {
    if (!t.tickQueued && t.due <= now) due.emplace_back(t.due, key);
  }
  std::sort(due.begin(), due.end());
  for (const auto& [when, key] : due) {
    Timer& t = timers_.at(key);
    t.tickQueued = true;
    t.due = std::max(when + t.interval, now);
    Entry e;
    e.hwnd = key.first;
    e.message = WM_TIMER;
    e.wParam = key.second;
    e.tickProc = t.proc;
    e.tickSerial = t.serial;
    queue_.push_back(std::move(e));
  }
}

std::optional<int64_t> MessageLoop::nextDue() const {
  std::optional<int64_t> next;
  for (const auto& [key, t] : timers_) {
    if (t.tickQueued) continue;
    if (!next || t.due < *next) next = t.due;
  }
  return next;
}

void MessageLoop::dispatchOne() {
  ++activity_;
  Entry e = std::move(queue_.front());
  queue_.pop_front();
  if (e.task) {
    e.task();
    return;
  }
  if (e.message == WM_TIMER && e.tickSerial != 0) {
    // The timer may have been killed (or re-created) since the tick was queued.
    if (auto it = timers_.find({e.hwnd, e.wParam});
        it != timers_.end() && it->second.serial == e.tickSerial) {
      it->second.tickQueued = false;
    }
    if (e.tickProc) {
      e.tickProc(e.hwnd, WM_TIMER, e.wParam, Clock::tickCount());
    } else if (e.hwnd != 0) {
      desktop().deliver(e.hwnd, WM_TIMER, e.wParam, 0, true);
    }
    return;
  }
  if (e.hwnd == 0) {
    if (threadHandler_) threadHandler_(e.message, e.wParam, e.lParam);
    return;
  }
  struct Restore {
    Current& current;
    Current saved;
    ~Restore() { current = saved; }
  } restore{current_, std::exchange(current_, Current{e.hwnd, e.message, e.time})};
  desktop().deliver(e.hwnd, e.message, e.wParam, e.lParam, true);
}

void MessageLoop::doEvents() {
  ++activity_;
  queueDueTicks();
  display().pump();
  while (!queue_.empty()) dispatchOne();
}

void MessageLoop::runModalLoop(const std::function<bool()>& done, const IdleStep& ownIdle) {
  ++modalDepth_;
  ++activity_;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } guard{modalDepth_};
  const int64_t start = Clock::nowMs();
  while (!done()) {
    queueDueTicks();
    if (!queue_.empty()) {
      dispatchOne();
      continue;
    }
    if (display().pump()) continue;
    if (idleHook_ && idleHook_()) continue;
    if (ownIdle && ownIdle()) continue;
    const auto due = nextDue();
    if (display().awaitsPerson()) {
      display().wait(due);
      continue;
    }
    if (!due) raise(err::InvalidProcedureCall, u"the modal loop has nothing left to wait for");
    if (Clock::isVirtual() && *due - start > modalTimeLimit_) {
      raise(err::InvalidProcedureCall, u"the modal loop ran past its time limit without ending");
    }
    Clock::waitUntil(*due);
  }
}

}  // namespace svx
