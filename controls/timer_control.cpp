#include "controls/timer_control.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

TimerControl::TimerControl() {
  width_ = kSize;
  height_ = kSize;
  ignoreErrors([&] {
    objCDTimer_ = makeRef<clsTimer>();
    WeakRef<TimerControl> self(this);
    objCDTimer_->connect(std::make_shared<FunctionSink>([self](Object&, const EventInfo&, std::span<Variant>) {
      if (TimerControl* t = self.get()) t->objCDTimer_Timer();
    }));
    objCDTimer_->setInterval(kDefaultInterval);
    objCDTimer_->setEnabled(false);
  });
}

// A control dropped without a last release (its form torn down with it)
// must not leave a running timer behind.
TimerControl::~TimerControl() { stop(); }

const ClassInfo& TimerControl::info() {
  static const ClassInfo ci = ClassInfo(u"TimerControl", &UserControl::info())
                                  .get<&TimerControl::getInterval>(u"Interval")
                                  .let<&TimerControl::letInterval>(u"Interval", {ref(u"NewInterval")})
                                  .method<&TimerControl::Enable>(u"Enable", {})
                                  .method<&TimerControl::Disable>(u"Disable", {})
                                  .method<&TimerControl::IsEnabled>(u"IsEnabled", {})
                                  .event(u"TimerEvent", {});
  return ci;
}

Variant TimerControl::getInterval() { return Variant(interval()); }

// The argument is a Long: a value that cannot be converted fails at the call.
void TimerControl::letInterval(Variant& NewInterval) { setInterval(toI4(NewInterval)); }

void TimerControl::Enable() { setEnabled(true); }
void TimerControl::Disable() { setEnabled(false); }
Variant TimerControl::IsEnabled() { return Variant(isEnabled()); }

int32_t TimerControl::interval() const { return objCDTimer_ ? objCDTimer_->interval() : 0; }

bool TimerControl::isEnabled() const { return objCDTimer_ && objCDTimer_->enabled(); }

void TimerControl::setInterval(int32_t value) {
  ignoreErrors([&] {
    if (!objCDTimer_ || value <= 0 || value == objCDTimer_->interval()) return;
    // A running timer restarts: the next tick is one full new interval away.
    const bool wasOn = objCDTimer_->enabled();
    objCDTimer_->setEnabled(false);
    objCDTimer_->setInterval(value);
    if (wasOn) objCDTimer_->setEnabled(true);
  });
}

void TimerControl::setEnabled(bool on) {
  ignoreErrors([&] {
    if (objCDTimer_) objCDTimer_->setEnabled(on);
  });
}

void TimerControl::placed() {
  if (width_ != kSize || height_ != kSize) ignoreErrors([&] { move(left_, top_, kSize, kSize); });
}

void TimerControl::objCDTimer_Timer() {
  ignoreErrors([&] { raiseUserEvent(u"TimerEvent"); });
}

void TimerControl::stop() {
  if (!objCDTimer_) return;
  ignoreErrors([&] { objCDTimer_->setEnabled(false); });
  objCDTimer_.reset();
}

void TimerControl::unloaded() {
  stop();
  UserControl::unloaded();
}

void TimerControl::terminate() {
  stop();
  UserControl::terminate();
}

}  // namespace svx
