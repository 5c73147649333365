// TimerControl: a user control holding one clsTimer, so that timers can live
// in a control array. Invisible at run time; raises TimerEvent on every tick
// of its timer while it is enabled.
#pragma once

#include "core/cls_timer.h"
#include "platform/forms/user_control.h"

namespace svx {

class TimerControl : public UserControl {
 public:
  TimerControl();
  ~TimerControl() override;
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Ref<Control> makeSibling() const override { return makeRef<TimerControl>(); }
  bool invisibleAtRunTime() const override { return true; }

  // Interface members, in interface order.
  Variant getInterval();
  void letInterval(Variant& NewInterval);
  void Enable();
  void Disable();
  Variant IsEnabled();

  // Typed access for the system's own code.
  int32_t interval() const;
  void setInterval(int32_t value);
  bool isEnabled() const;
  void setEnabled(bool on);

  static constexpr int32_t kDefaultInterval = 10000;
  static constexpr double kSize = 450;

 protected:
  void placed() override;
  // Unloaded while a tick of its own is still being handled (a modal window
  // shown from its event): the timer stops now, not at the last release.
  void unloaded() override;
  void terminate() override;

 private:
  void objCDTimer_Timer();
  void stop();

  Ref<clsTimer> objCDTimer_;
};

}  // namespace svx
