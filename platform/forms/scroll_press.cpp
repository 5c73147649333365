#include "platform/forms/scroll_press.h"

#include <algorithm>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

// One pointer, so one press at a time.
ScrollPress* g_active = nullptr;

constexpr ScrollBarOwner::Bar kBars[] = {ScrollBarOwner::Vertical, ScrollBarOwner::Horizontal};

}  // namespace

void ScrollBarOwner::stepBy(Bar bar, ScrollPart part, int arrow) {
  const auto box = scrollBarBox(bar);
  if (!box) return;
  const int page = std::max(1, box->page);
  switch (part) {
    case ScrollPart::ArrowToMin: return scrollThumbTo(bar, box->value - arrow);
    case ScrollPart::ArrowToMax: return scrollThumbTo(bar, box->value + arrow);
    case ScrollPart::TrackToMin: return scrollThumbTo(bar, box->value - page);
    case ScrollPart::TrackToMax: return scrollThumbTo(bar, box->value + page);
    default: return;
  }
}

ScrollPress::~ScrollPress() {
  stopTimer();
  if (g_active == this) g_active = nullptr;
}

bool ScrollPress::onBar(const ScrollBarOwner& owner, double x, double y) {
  const double px = twipsToPixels(x), py = twipsToPixels(y);
  for (auto bar : kBars)
    if (auto box = owner.scrollBarBox(bar); box && box->contains(px, py)) return true;
  return false;
}

bool ScrollPress::pressAt(Control& control, ScrollBarOwner& owner, double x, double y) {
  const double px = twipsToPixels(x), py = twipsToPixels(y);
  for (auto bar : kBars) {
    const auto box = owner.scrollBarBox(bar);
    if (!box || !box->contains(px, py)) continue;
    if (g_active) g_active->release();
    const ScrollPart part = box->partAt(px, py);
    if (part == ScrollPart::None) return true;
    control_ = &control;
    owner_ = &owner;
    bar_ = bar;
    part_ = part;
    x_ = px;
    y_ = py;
    repeating_ = false;
    g_active = this;
    if (part == ScrollPart::Thumb) {
      grab_ = box->along(px, py) - box->thumbStart();
      return true;
    }
    Ref<Control> keep(&control);
    owner.scrollStep(bar, part);
    // The handlers of the step may have ended the press; the delay counts
    // from after them, so that one click stays one step.
    if (owner_ == &owner) timer_ = SetTimer(0, 0, static_cast<UINT>(kRepeatDelayMs), &ScrollPress::tick);
    return true;
  }
  return false;
}

void ScrollPress::dragTo(double x, double y) {
  if (!active()) return;
  x_ = twipsToPixels(x);
  y_ = twipsToPixels(y);
  if (part_ != ScrollPart::Thumb) return;
  const auto box = owner_->scrollBarBox(bar_);
  if (!box) return;
  const int value = box->valueAtThumb(box->along(x_, y_) - grab_);
  if (value == box->value) return;
  Ref<Control> keep(control_);
  owner_->scrollThumbTo(bar_, value);
}

void ScrollPress::release() {
  if (!active()) return;
  ScrollBarOwner* owner = owner_;
  const ScrollBarOwner::Bar bar = bar_;
  const bool thumb = part_ == ScrollPart::Thumb;
  Ref<Control> keep(control_);
  stopTimer();
  if (g_active == this) g_active = nullptr;
  control_ = nullptr;
  owner_ = nullptr;
  part_ = ScrollPart::None;
  if (thumb) owner->scrollThumbDropped(bar);
}

ScrollPart ScrollPress::pressedPart(ScrollBarOwner::Bar bar) const {
  if (!active() || bar != bar_) return ScrollPart::None;
  return part_ == ScrollPart::Thumb || overPressedPart() ? part_ : ScrollPart::None;
}

bool ScrollPress::overPressedPart() const {
  const auto box = owner_->scrollBarBox(bar_);
  return box && box->partAt(x_, y_) == part_;
}

void ScrollPress::stopTimer() {
  if (timer_) KillTimer(0, timer_);
  timer_ = 0;
}

void ScrollPress::tick(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_active && g_active->timer_ == id) g_active->repeat();
}

void ScrollPress::repeat() {
  Ref<Control> keep(control_);
  Form* f = control_->form();
  // A press whose control or window can no longer take the pointer ends.
  if (!f || !f->visible() || !control_->shownOnForm() || !control_->enabledOnForm() || !IsWindowEnabled(f->hWnd()))
    return release();
  if (!repeating_) {
    repeating_ = true;
    SetTimer(0, timer_, static_cast<UINT>(kRepeatIntervalMs), &ScrollPress::tick);
  }
  if (overPressedPart()) owner_->scrollStep(bar_, part_);
}

}  // namespace svx
