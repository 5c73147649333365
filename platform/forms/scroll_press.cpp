#include "platform/forms/scroll_press.h"

#include <algorithm>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

// One pointer, so one press and one repeat at a time.
ScrollPress* g_active = nullptr;
HoldRepeat* g_repeating = nullptr;

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

void HoldRepeat::start(Control& control, int64_t delayMs, int64_t intervalMs, std::function<void()> step,
                       std::function<void()> lost) {
  stop();
  if (g_repeating) g_repeating->stop();
  control_ = &control;
  intervalMs_ = intervalMs;
  repeating_ = delayMs == intervalMs;
  step_ = std::move(step);
  lost_ = std::move(lost);
  g_repeating = this;
  timer_ = SetTimer(0, 0, static_cast<UINT>(delayMs), &HoldRepeat::tick);
}

void HoldRepeat::stop() {
  if (timer_) KillTimer(0, timer_);
  timer_ = 0;
  if (g_repeating == this) g_repeating = nullptr;
  step_ = nullptr;
  lost_ = nullptr;
}

void HoldRepeat::tick(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_repeating && g_repeating->timer_ == id) g_repeating->fire();
}

void HoldRepeat::fire() {
  Ref<Control> keep(control_);
  Form* f = control_->form();
  if (!f || !f->visible() || !control_->shownOnForm() || !control_->enabledOnForm() || !IsWindowEnabled(f->hWnd())) {
    const std::function<void()> lost = std::move(lost_);
    stop();
    if (lost) lost();
    return;
  }
  if (!repeating_) {
    repeating_ = true;
    SetTimer(0, timer_, static_cast<UINT>(intervalMs_), &HoldRepeat::tick);
  }
  const std::function<void()> step = step_;  // the step may stop the repeat
  step();
}

ScrollPress::~ScrollPress() {
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
    g_active = this;
    if (part == ScrollPart::Thumb) {
      grab_ = box->along(px, py) - box->thumbStart();
      return true;
    }
    Ref<Control> keep(&control);
    owner.scrollStep(bar, part);
    // The handlers of the step may have ended the press; the delay counts
    // from after them, so that one click stays one step.
    if (owner_ == &owner)
      repeat_.start(
          control, kRepeatDelayMs, kRepeatIntervalMs,
          [this] {
            if (overPressedPart()) owner_->scrollStep(bar_, part_);
          },
          [this] { release(); });
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
  repeat_.stop();
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

void ScrollPress::showPressed(RenderItem& item) const {
  const ScrollPart part = pressedPart(bar_);
  if (part == ScrollPart::None) return;
  item.scrollPressed = part;
  item.scrollPressedHorizontal = bar_ == ScrollBarOwner::Horizontal;
}

bool ScrollPress::overPressedPart() const {
  const auto box = owner_->scrollBarBox(bar_);
  return box && box->partAt(x_, y_) == part_;
}

}  // namespace svx
