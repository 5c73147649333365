#include "core/cls_timer.h"

#include <memory>
#include <string>

#include "platform/automation/coerce.h"

namespace svx {

namespace modTimer {

namespace {
std::unique_ptr<TimerRegistry>& registryStorage() {
  static std::unique_ptr<TimerRegistry> r;
  return r;
}
}  // namespace

void TimerRegistry::add(clsTimer* timer, const BStr& key) {
  if (!entries_.emplace(key, timer).second) raise(err::DuplicateKey);
}

void TimerRegistry::remove(const BStr& key) {
  if (entries_.erase(key) == 0) raise(err::InvalidProcedureCall);
}

clsTimer* TimerRegistry::item(const BStr& key) const {
  auto it = entries_.find(key);
  if (it == entries_.end()) raise(err::InvalidProcedureCall);
  return it->second;
}

TimerRegistry& colTimers() {
  auto& r = registryStorage();
  if (!r) r = std::make_unique<TimerRegistry>();
  return *r;
}

bool colTimersExists() { return registryStorage() != nullptr; }

BStr timerKey(int32_t timerId) { return utf16(std::to_string(timerId)); }

UINT_PTR StartTimer(int32_t interval) { return SetTimer(0, 0, static_cast<UINT>(interval), &TimerProc); }

void StopTimer(int32_t timerId) { KillTimer(0, static_cast<UINT_PTR>(timerId)); }

void ResetTimerInterval(int32_t interval, int32_t timerId) {
  SetTimer(0, static_cast<UINT_PTR>(timerId), static_cast<UINT>(interval), &TimerProc);
}

void TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD) {
  // A tick whose id has no entry (one queued before its timer stopped) and an
  // error raised by the event's handlers are both dropped here.
  ignoreErrors([&] {
    clsTimer* timer = colTimers().item(timerKey(static_cast<int32_t>(idEvent)));
    timer->RaiseTimer();
  });
}

}  // namespace modTimer

clsTimer::clsTimer() { modTimer::colTimers(); }

const ClassInfo& clsTimer::info() {
  static const ClassInfo ci = ClassInfo(u"clsTimer")
                                  .get<&clsTimer::getInterval>(u"Interval")
                                  .let<&clsTimer::letInterval>(u"Interval", {ref(u"Value")})
                                  .get<&clsTimer::getEnabled>(u"Enabled")
                                  .let<&clsTimer::letEnabled>(u"Enabled", {ref(u"Value")})
                                  .event(u"Timer", {});
  return ci;
}

Variant clsTimer::getInterval() { return Variant(interval_); }
void clsTimer::letInterval(Variant& Value) { setInterval(toI4(Value)); }
Variant clsTimer::getEnabled() { return Variant(enabled_); }
void clsTimer::letEnabled(Variant& Value) { setEnabled(toBool(Value)); }

void clsTimer::setInterval(int32_t value) {
  if (value == interval_) return;  // a running timer is not touched
  interval_ = value;
  if (enabled_) modTimer::ResetTimerInterval(interval_, lngTimerID_);
}

void clsTimer::setEnabled(bool value) {
  if (value == enabled_) return;
  if (value) {
    lngTimerID_ = static_cast<int32_t>(modTimer::StartTimer(interval_));
    if (lngTimerID_ == 0) return;  // the start failed: still stopped, no error
    enabled_ = true;
    modTimer::colTimers().add(this, modTimer::timerKey(lngTimerID_));
  } else {
    modTimer::StopTimer(lngTimerID_);
    enabled_ = false;
    modTimer::colTimers().remove(modTimer::timerKey(lngTimerID_));
  }
}

void clsTimer::RaiseTimer() { raiseEvent(kEventTimer, {}); }

void clsTimer::terminate() {
  Variant off(false);
  ignoreErrors([&] { letEnabled(off); });
}

}  // namespace svx
