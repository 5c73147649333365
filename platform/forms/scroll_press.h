// The pointer held down on a scroll bar: of a scroll bar control, or one of
// the bars at the edges of a list or text box. Every bar works alike:
// - an arrow or the track acts at the press (a step towards that end: a row
//   or SmallChange for an arrow, a page or LargeChange for the track), then
//   again after kRepeatDelayMs and every kRepeatIntervalMs while the button
//   is held, on the message loop's timers; a step is skipped while the
//   pointer is off the pressed part (the track's part ends at the thumb);
// - the thumb follows the pointer, keeping the offset at which it was taken;
// - the press ends at the release or when it is cancelled (the pointer owner
//   dropped, the control hidden, disabled or unloaded); nothing waits for a
//   later click.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/desktop/win32.h"
#include "platform/graphics/scroll_bar_layout.h"

namespace svx {

class Control;
struct RenderItem;

// A control with scroll bars says where they are and how they move.
class ScrollBarOwner {
 public:
  enum Bar { Vertical = 0, Horizontal = 1 };
  // The bar as it shows now, in the control's own pixels (none: not shown).
  virtual std::optional<ScrollBarBox> scrollBarBox(Bar bar) const = 0;
  // A step of an arrow or of the track (`part`), towards its end.
  virtual void scrollStep(Bar bar, ScrollPart part) = 0;
  // The thumb dragged to the place of `value`.
  virtual void scrollThumbTo(Bar bar, int value) = 0;
  // The thumb let go (after any number of scrollThumbTo).
  virtual void scrollThumbDropped(Bar /*bar*/) {}

 protected:
  ~ScrollBarOwner() = default;
  // The step of a box's bar, through scrollThumbTo: `arrow` for an arrow,
  // what the box shows at once (at least 1) for the track.
  void stepBy(Bar bar, ScrollPart part, int arrow);
};

// A step repeated on the message loop's timers while the pointer is held
// on a control: after `delayMs`, then every `intervalMs`. One pointer, so
// one runs at a time: starting one stops any other. It stops by itself,
// calling `lost`, when the control or its window can no longer take the
// pointer (hidden, disabled, unloaded, blocked by a modal window).
class HoldRepeat {
 public:
  HoldRepeat() = default;
  ~HoldRepeat() { stop(); }
  HoldRepeat(const HoldRepeat&) = delete;
  HoldRepeat& operator=(const HoldRepeat&) = delete;

  void start(Control& control, int64_t delayMs, int64_t intervalMs, std::function<void()> step,
             std::function<void()> lost = {});
  void stop();
  bool running() const { return timer_ != 0; }

 private:
  static void tick(HWND, UINT, UINT_PTR, DWORD);
  void fire();

  Control* control_ = nullptr;
  UINT_PTR timer_ = 0;
  int64_t intervalMs_ = 0;
  bool repeating_ = false;  // past the first delay
  std::function<void()> step_, lost_;
};

class ScrollPress {
 public:
  static constexpr int64_t kRepeatDelayMs = 400;
  static constexpr int64_t kRepeatIntervalMs = 50;

  ScrollPress() = default;
  ~ScrollPress();
  ScrollPress(const ScrollPress&) = delete;
  ScrollPress& operator=(const ScrollPress&) = delete;

  // A press at (x, y), the control's twips: when it lies on one of the
  // owner's bars, takes it (acting at once) and returns true.
  bool pressAt(Control& control, ScrollBarOwner& owner, double x, double y);
  // The pointer moved with the button held.
  void dragTo(double x, double y);
  // The button released, or the press cancelled: the press ends (a dragged
  // thumb is dropped where it is either way).
  void release();
  void cancel() { release(); }
  bool active() const { return owner_ != nullptr; }
  // The part held down, for drawing: while the pointer is over it (the
  // thumb: all along).
  ScrollPart pressedPart(ScrollBarOwner::Bar bar) const;
  // Marks that part, and which of the owner's bars it is on, in `item`.
  void showPressed(RenderItem& item) const;

  // Whether a point (twips) lies on one of the owner's bars.
  static bool onBar(const ScrollBarOwner& owner, double x, double y);

 private:
  bool overPressedPart() const;

  Control* control_ = nullptr;
  ScrollBarOwner* owner_ = nullptr;
  ScrollBarOwner::Bar bar_ = ScrollBarOwner::Vertical;
  ScrollPart part_ = ScrollPart::None;
  double x_ = 0, y_ = 0;  // the pointer, pixels
  double grab_ = 0;       // where along the thumb it was taken
  HoldRepeat repeat_;
};

}  // namespace svx
