// clsTimer, the system's one timer type, and the module modTimer that drives
// every clsTimer through thread timers without a window.
#pragma once

#include <cstdint>
#include <map>

#include "platform/automation/dispatch.h"
#include "platform/desktop/win32.h"

namespace svx {

class clsTimer : public Object {
 public:
  clsTimer();
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Interface members, in interface order.
  Variant getInterval();
  void letInterval(Variant& Value);
  Variant getEnabled();
  void letEnabled(Variant& Value);

  // Typed access for the system's own code.
  int32_t interval() const { return interval_; }
  void setInterval(int32_t value);
  bool enabled() const { return enabled_; }
  void setEnabled(bool value);
  int32_t timerId() const { return lngTimerID_; }

  // Raises Timer; called by TimerProc only.
  void RaiseTimer();

  static constexpr int32_t kEventTimer = 1;

 protected:
  void terminate() override;

 private:
  int32_t lngTimerID_ = 0;
  int32_t interval_ = 1;
  bool enabled_ = false;
};

namespace modTimer {

// The registry of running timers: key the timer id as decimal text, item the
// object that owns the timer, held without a reference. An entry exists
// exactly while its object's enabled flag is True. Adding a key that exists
// fails with 457; removing or looking up a missing key fails with 5.
class TimerRegistry {
 public:
  void add(clsTimer* timer, const BStr& key);
  void remove(const BStr& key);
  clsTimer* item(const BStr& key) const;
  size_t count() const { return entries_.size(); }

 private:
  std::map<BStr, clsTimer*> entries_;
};

// colTimers: created by the first clsTimer, never released.
TimerRegistry& colTimers();
bool colTimersExists();

UINT_PTR StartTimer(int32_t interval);
void StopTimer(int32_t timerId);
void ResetTimerInterval(int32_t interval, int32_t timerId);
void TimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

// The registry key of a timer id: the id read as a signed 32-bit value.
BStr timerKey(int32_t timerId);

}  // namespace modTimer
}  // namespace svx
