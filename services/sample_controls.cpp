#include "services/sample_controls.h"

#include "platform/automation/class_registry.h"
#include "platform/graphics/draw_surface.h"

namespace svx {

namespace {

// A parameter whose value cannot be read.
class UnreadableParameter : public EventParameter {
 public:
  using EventParameter::EventParameter;
  Variant value() const override {
    raise(err::InvalidProcedureCall, u"The value of parameter '" + name() + u"' cannot be read");
  }
  void setValue(const Variant&) override {
    raise(err::PropertyCannotBeSetNow, u"The value of parameter '" + name() + u"' cannot be set");
  }
};

}  // namespace

void SampleControl::Fire(Variant& eventName) {
  const BStr name = toBStr(eventName);
  if (sameName(name, u"Ping")) return raiseControlEvent(u"Ping");
  if (sameName(name, u"Change")) {
    int32_t newValue = 5;
    int16_t cancel = VARIANT_FALSE;
    raiseControlEvent(u"Change", {makeRef<VariableParameter>(u"NewValue", Variant::byRef(newValue)),
                                  makeRef<VariableParameter>(u"Cancel", Variant::byRefBool(cancel))});
    lastResult_ = u"NewValue=" + utf16(std::to_string(newValue)) + u" Cancel=" + (cancel ? u"True" : u"False");
    return;
  }
  if (sameName(name, u"Broken")) return raiseControlEvent(u"Broken", {makeRef<UnreadableParameter>(u"Bad")});
  raise(err::InvalidProcedureCall, u"SampleControl has no event '" + name + u"'");
}

void SampleControl::paint(DrawSurface& surface) const {
  surface.Line(0, 0, surface.scaleWidth() - 15, surface.scaleHeight() - 15, vbWindowText, LineShape::Box);
  surface.setCurrentX(60);
  surface.setCurrentY(45);
  surface.Print(text_.empty() ? BStrView(u"Sample") : BStrView(text_));
}

void SampleControl::onInput(ControlEvent event, std::span<Variant> params) {
  if (event == ControlEvent::Click) return raiseControlEvent(u"Click");
  if (event != ControlEvent::KeyPress || params.empty()) return;
  raiseControlEvent(u"KeyPress", {makeRef<VariableParameter>(u"KeyAscii", params[0])});
  const int16_t ascii = toI2(params[0]);
  if (ascii >= 32) text_ += static_cast<char16_t>(ascii);
}

const ClassInfo& SampleControl::info() {
  static const ClassInfo ci = ClassInfo(u"SampleControl")
                                  .method<&SampleControl::Fire>(u"Fire", {in(u"EventName")})
                                  .get<&SampleControl::LastResult>(u"LastResult")
                                  .get<&SampleControl::Text>(u"Text")
                                  .let<&SampleControl::letText>(u"Text", {in(u"Value")});
  return ci;
}

void registerSampleControls() {
  auto factory = [] { return ObjectRef(makeRef<SampleControl>()); };
  registerControlClass({u"Sorvanelix.SampleControl", factory, std::nullopt, nullptr});
  registerControlClass({u"Sorvanelix.SampleLicensedControl", factory, BStr(kSampleLicenseKey), nullptr});
}

}  // namespace svx
