// Sorvanelix.ProgressBar: a bar that fills from Min to Max as Value grows.
// A control plug-in like any other: loaded from the plug-in folders.
#include "platform/forms/control_plugins.h"
#include "platform/forms/hosted_control.h"
#include "platform/graphics/draw_surface.h"

namespace {

using namespace svx;

constexpr OleColor kBarColour = 0x00D77800;  // RGB(0, 120, 215)

class ProgressBar : public HostedControl {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"ProgressBar")
                                    .get<&ProgressBar::Min>(u"Min")
                                    .let<&ProgressBar::letMin>(u"Min", {in(u"Value")})
                                    .get<&ProgressBar::Max>(u"Max")
                                    .let<&ProgressBar::letMax>(u"Max", {in(u"Value")})
                                    .get<&ProgressBar::Value>(u"Value")
                                    .let<&ProgressBar::letValue>(u"Value", {in(u"Value")})
                                    .defaultMember(u"Value");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  double defaultWidth() const override { return 2400; }
  double defaultHeight() const override { return 300; }
  bool canTakeFocus() const override { return false; }

  void paint(DrawSurface& s) const override {
    const double w = s.scaleWidth(), h = s.scaleHeight();
    s.Line(0, 0, w - 15, h - 15, vbWindowBackground, LineShape::FilledBox);
    const double filled = (w - 30) * (value_ - min_) / (max_ - min_);
    if (filled > 0) s.Line(15, 15, 15 + filled, h - 30, kBarColour, LineShape::FilledBox);
    s.Line(0, 0, w - 15, h - 15, vbGrayText, LineShape::Box);
  }

  // Min below Max, Value within them (380 otherwise).
  Variant Min() { return Variant(static_cast<float>(min_)); }
  void letMin(Variant& v) {
    const double x = toR4(v);
    if (x >= max_) raise(err::InvalidPropertyValue);
    min_ = x;
    value_ = std::max(value_, min_);
  }
  Variant Max() { return Variant(static_cast<float>(max_)); }
  void letMax(Variant& v) {
    const double x = toR4(v);
    if (x <= min_) raise(err::InvalidPropertyValue);
    max_ = x;
    value_ = std::min(value_, max_);
  }
  Variant Value() { return Variant(static_cast<float>(value_)); }
  void letValue(Variant& v) {
    const double x = toR4(v);
    if (x < min_ || x > max_) raise(err::InvalidPropertyValue);
    value_ = x;
  }

 private:
  double min_ = 0, max_ = 100, value_ = 0;
};

}  // namespace

extern "C" int SvxRegisterControls(int apiVersion, svx::ControlRegistrar& registrar) {
  if (apiVersion != svx::ControlPluginApiVersion) return 1;
  registrar.add({u"Sorvanelix.ProgressBar", [] { return svx::ObjectRef(svx::makeRef<ProgressBar>()); }, std::nullopt,
                 nullptr});
  return 0;
}
