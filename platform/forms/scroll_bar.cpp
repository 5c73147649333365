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

void ScrollBar::moveBy(int delta) {
  const int lo = std::min(p_.min, p_.max), hi = std::max(p_.min, p_.max);
  const int towardsMax = p_.max >= p_.min ? delta : -delta;
  const auto v = static_cast<int16_t>(std::clamp(p_.value + towardsMax, lo, hi));
  if (v == p_.value) return;
  p_.value = v;
  fire(ControlEvent::Change);
}

void ScrollBar::pressKey(int16_t keyCode, int16_t) {
  constexpr int16_t kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36, kLeft = 37, kUp = 38, kRight = 39,
                    kDown = 40;
  switch (keyCode) {
    case kLeft:
    case kUp: return moveBy(-p_.smallChange);
    case kRight:
    case kDown: return moveBy(p_.smallChange);
    case kPageUp: return moveBy(-p_.largeChange);
    case kPageDown: return moveBy(p_.largeChange);
    case kHome: return moveBy(-65536);
    case kEnd: return moveBy(65536);
    default: return;
  }
}

ScrollBar::Part ScrollBar::partAt(double x, double y) const {
  // Along the bar: an arrow as long as the bar is thick at each end, the
  // thumb (as long as an arrow) where Value puts it on the track between.
  const double length = horizontal_ ? width_ : height_;
  const double thickness = horizontal_ ? height_ : width_;
  const double at = horizontal_ ? x : y;
  const double arrow = std::min(thickness, length / 2);
  if (at < arrow) return Part::ArrowToMin;
  if (at >= length - arrow) return Part::ArrowToMax;
  const double track = std::max(0.0, length - 3 * arrow);
  const double span = static_cast<double>(p_.max) - p_.min;
  const double thumb = arrow + (span == 0 ? 0 : track * (p_.value - p_.min) / span);
  if (at < thumb) return Part::TrackToMin;
  if (at >= thumb + arrow) return Part::TrackToMax;
  return Part::Thumb;
}

void ScrollBar::clickPart(Part part) {
  switch (part) {
    case Part::ArrowToMin: return moveBy(-p_.smallChange);
    case Part::ArrowToMax: return moveBy(p_.smallChange);
    case Part::TrackToMin: return moveBy(-p_.largeChange);
    case Part::TrackToMax: return moveBy(p_.largeChange);
    case Part::Thumb: return;
  }
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
