// HScrollBar and VScrollBar: Value within the current Min..Max (Min may
// exceed Max: the range is then Max..Min), SmallChange and LargeChange
// (1..32767). A changed Value raises Change; changing Min or Max brings
// Value into the new range.
#pragma once

#include "platform/forms/control.h"
#include "platform/forms/scroll_press.h"

namespace svx {

class ScrollBar : public Control, private ScrollBarOwner {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return horizontal_ ? ControlKind::HScrollBar : ControlKind::VScrollBar; }
  Ref<Control> makeSibling() const override { return makeRef<ScrollBar>(horizontal_); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  void userClick() override {}
  // Right, Down: SmallChange towards Max; Left, Up: towards Min; Page Down,
  // Page Up: LargeChange; Home, End: Min, Max.
  void pressKey(int16_t keyCode, int16_t shift) override;

  // The pointer (see ScrollPress): the arrows move Value by SmallChange, the
  // track on either side of the thumb by LargeChange, within the range, at
  // the press and again while held, each changed Value raising Change; the
  // thumb follows the pointer, raising Scroll at each new Value, and Change
  // once at its release when Value moved.
  void pressAt(double x, double y, int16_t shift) override;
  void dragTo(double x, double y) override;
  void releaseAt(double x, double y) override;
  void cancelPress() override;
  ScrollPart partAt(double x, double y) const;  // in the bar's own twips
  // The wheel: each notch is an arrow's step (SmallChange, Change), away
  // from the person towards Min (up, left), towards the person towards Max
  // (down, right), as the arrow at that end would move it.
  bool wheel(int notches) override;
  void clickPart(ScrollPart part);

  int16_t value() const { return p_.value; }
  void setValue(int16_t v);  // 380 outside the current range
  int16_t min() const { return p_.min; }
  void setMin(int16_t v);
  int16_t max() const { return p_.max; }
  void setMax(int16_t v);
  int16_t smallChange() const { return p_.smallChange; }
  void setSmallChange(int16_t v) { checkPropertyRange(v, 1, 32767); p_.smallChange = v; }
  int16_t largeChange() const { return p_.largeChange; }
  void setLargeChange(int16_t v) { checkPropertyRange(v, 1, 32767); p_.largeChange = v; }
  // The thumb being dragged: Value follows it and Scroll is raised; Change
  // comes when the drag ends.
  void trackThumb(int16_t v);
  bool inRange(int16_t v) const;

  explicit ScrollBar(bool horizontal = true) : horizontal_(horizontal) {
    width_ = horizontal ? 1215 : 255;
    height_ = horizontal ? 255 : 1215;
  }

 private:
  Bar ownBar() const { return horizontal_ ? Horizontal : Vertical; }
  std::optional<ScrollBarBox> scrollBarBox(Bar bar) const override;
  void scrollStep(Bar bar, ScrollPart part) override;
  void scrollThumbTo(Bar bar, int value) override;
  void scrollThumbDropped(Bar bar) override;
  void clampIntoRange();
  void moveBy(int delta);  // towards Max for a positive delta, clamped
  bool horizontal_;
  ScrollPress press_;
  int16_t thumbTakenAt_ = 0;  // Value when the thumb was taken
  struct Props {
    int16_t value = 0;
    int16_t min = 0;
    int16_t max = 32767;
    int16_t smallChange = 1;
    int16_t largeChange = 1;
  } p_;
};

}  // namespace svx
