#include "platform/forms/scroll_bar.h"

#include <algorithm>

#include "platform/graphics/form_render.h"

namespace svx {

void ScrollBar::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const ScrollBar&>(s).p_;
}

bool ScrollBar::inRange(int16_t v) const {
  return v >= std::min(p_.min, p_.max) && v <= std::max(p_.min, p_.max);
}

void ScrollBar::setValue(int16_t v) {
  if (!inRange(v)) raise(err::InvalidPropertyValue);
  if (v == p_.value) return;
  p_.value = v;
  fire(ControlEvent::Change);
}

void ScrollBar::clampIntoRange() {
  const int16_t v = std::clamp(p_.value, std::min(p_.min, p_.max), std::max(p_.min, p_.max));
  if (v == p_.value) return;
  p_.value = v;
  fire(ControlEvent::Change);
}

void ScrollBar::setMin(int16_t v) {
  p_.min = v;
  clampIntoRange();
}

void ScrollBar::setMax(int16_t v) {
  p_.max = v;
  clampIntoRange();
}

void ScrollBar::dragTo(int16_t v) {
  if (!inRange(v)) raise(err::InvalidPropertyValue);
  p_.value = v;
  fire(ControlEvent::Scroll);
}

void ScrollBar::render(RenderItem& item) const {
  Control::render(item);
  item.kind = horizontal_ ? RenderKind::HScrollBar : RenderKind::VScrollBar;
  item.scrollValue = p_.value;
  item.scrollMin = p_.min;
  item.scrollMax = p_.max;
}

const ClassInfo& ScrollBar::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"ScrollBar", &Control::info());
    formprop::prop<ScrollBar>(c, u"Value", &ScrollBar::value, &ScrollBar::setValue);
    formprop::prop<ScrollBar>(c, u"Min", &ScrollBar::min, &ScrollBar::setMin);
    formprop::prop<ScrollBar>(c, u"Max", &ScrollBar::max, &ScrollBar::setMax);
    formprop::prop<ScrollBar>(c, u"SmallChange", &ScrollBar::smallChange, &ScrollBar::setSmallChange);
    formprop::prop<ScrollBar>(c, u"LargeChange", &ScrollBar::largeChange, &ScrollBar::setLargeChange);
    c.defaultMember(u"Value");
    return c;
  }();
  return ci;
}

}  // namespace svx
