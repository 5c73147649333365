#include "platform/forms/scroll_bar.h"

#include <algorithm>
#include <cstdlib>

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

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

void ScrollBar::trackThumb(int16_t v) {
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

std::optional<ScrollBarBox> ScrollBar::scrollBarBox(Bar bar) const {
  if (bar != ownBar()) return std::nullopt;
  ScrollBarBox b;
  b.horizontal = horizontal_;
  b.width = twipsToRoundedPixels(width_);
  b.height = twipsToRoundedPixels(height_);
  b.value = p_.value;
  b.min = p_.min;
  b.max = p_.max;
  b.enabled = enabledOnForm();
  return b;
}

ScrollPart ScrollBar::partAt(double x, double y) const {
  return scrollBarBox(ownBar())->partAt(twipsToPixels(x), twipsToPixels(y));
}

void ScrollBar::clickPart(ScrollPart part) {
  switch (part) {
    case ScrollPart::ArrowToMin: return moveBy(-p_.smallChange);
    case ScrollPart::ArrowToMax: return moveBy(p_.smallChange);
    case ScrollPart::TrackToMin: return moveBy(-p_.largeChange);
    case ScrollPart::TrackToMax: return moveBy(p_.largeChange);
    case ScrollPart::Thumb:
    case ScrollPart::None: return;
  }
}

bool ScrollBar::wheel(int notches) {
  Ref<Control> keep(this);
  const ScrollPart arrow = notches > 0 ? ScrollPart::ArrowToMin : ScrollPart::ArrowToMax;
  // At an end of the range the remaining notches have nothing to move.
  for (int64_t n = std::abs(static_cast<int64_t>(notches)); n > 0 && loaded(); --n) {
    const int16_t before = p_.value;
    clickPart(arrow);
    if (p_.value == before) break;
  }
  return true;
}

void ScrollBar::pressAt(double x, double y, int16_t) {
  thumbTakenAt_ = p_.value;
  press_.pressAt(*this, *this, x, y);
}

void ScrollBar::dragTo(double x, double y) { press_.dragTo(x, y); }
void ScrollBar::releaseAt(double, double) { press_.release(); }
void ScrollBar::cancelPress() { press_.cancel(); }

void ScrollBar::scrollStep(Bar, ScrollPart part) { clickPart(part); }

void ScrollBar::scrollThumbTo(Bar, int value) {
  if (value == p_.value || !inRange(static_cast<int16_t>(value))) return;
  trackThumb(static_cast<int16_t>(value));
}

void ScrollBar::scrollThumbDropped(Bar) {
  if (p_.value != thumbTakenAt_) fire(ControlEvent::Change);
}

void ScrollBar::render(RenderItem& item) const {
  Control::render(item);
  item.kind = horizontal_ ? RenderKind::HScrollBar : RenderKind::VScrollBar;
  item.scrollValue = p_.value;
  item.scrollMin = p_.min;
  item.scrollMax = p_.max;
  item.scrollPressed = press_.pressedPart(ownBar());
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
