// The system's sample controls, for scripts and tests of hosting:
// "Sorvanelix.SampleControl" and its licensed twin
// "Sorvanelix.SampleLicensedControl" (licence key "sample-licence-key").
//
// Fire(eventName) raises one of its events and returns when the event has
// returned: "Ping" (no parameters), "Change" (NewValue, a Long 5, and Cancel,
// a Boolean False, both by reference) or "Broken" (Bad, whose value cannot
// be read). LastResult is "NewValue=<n> Cancel=<True|False>" of what the
// Change parameters held when the last Change returned. A click raises
// "Click"; a typed character raises "KeyPress" (KeyAscii by reference, 0
// swallows it) and is added to Text.
#pragma once

#include "platform/forms/hosted_control.h"

namespace svx {

inline constexpr const char16_t* kSampleLicenseKey = u"sample-licence-key";

class SampleControl : public HostedControl {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  void paint(DrawSurface& surface) const override;
  void onInput(ControlEvent event, std::span<Variant> params) override;

  // Automation members.
  void Fire(Variant& eventName);
  Variant LastResult() { return Variant(lastResult_); }
  Variant Text() { return Variant(text_); }
  void letText(Variant& v) { text_ = toBStr(v); }

 private:
  BStr lastResult_;
  BStr text_;
};

void registerSampleControls();

}  // namespace svx
