// ListBox: Style 0 (standard) and 1 (check boxes); the list with AddItem,
// RemoveItem, Clear, List(i), ListCount, ListIndex (a change raises Click),
// Selected(i) (on a check-box list a change raises ItemCheck), MultiSelect,
// TopIndex, and a horizontal extent set by LB_SETHORIZONTALEXTENT.
#pragma once

#include <optional>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/item_list.h"
#include "platform/forms/scroll_press.h"

namespace svx {

class ListBox : public Control, private ScrollBarOwner {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::ListBox; }
  Ref<Control> makeSibling() const override { return makeRef<ListBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  void userClick() override {}

  int16_t style() const { return p_.style; }
  void setStyle(int16_t v) { checkPropertyRange(v, 0, 1); p_.style = v; }
  int16_t multiSelect() const { return p_.multiSelect; }
  void setMultiSelect(int16_t v) { checkPropertyRange(v, 0, 2); p_.multiSelect = v; }
  bool sorted() const { return p_.sorted; }
  void setSorted(bool v) { p_.sorted = v; }
  void addItem(BStr item, std::optional<int16_t> index = std::nullopt);
  void removeItem(int16_t index);
  void clear();
  BStr list(int16_t index) const;
  void setList(int16_t index, BStr item);
  int16_t listCount() const { return items_.count(); }
  int16_t listIndex() const { return listIndex_; }
  void setListIndex(int16_t v);  // 380 outside -1..ListCount-1
  bool selected(int16_t index) const;  // 380 outside the list
  void setSelected(int16_t index, bool v);
  int16_t selCount() const;
  int16_t topIndex() const { return topIndex_; }
  void setTopIndex(int16_t v);
  BStr text() const { return list(listIndex_); }
  int32_t itemData(int16_t index) const;
  void setItemData(int16_t index, int32_t v);

  // Width in pixels that the list scrolls over horizontally, and the pixels
  // it is scrolled to the left.
  int32_t horizontalExtent() const { return horizontalExtent_; }
  bool hasHorizontalScrollBar() const;
  int32_t scrollLeft() const;
  // Rows the box shows at once; the item at a height within the box (twips),
  // -1 below the last one.
  int16_t visibleRows() const;
  int16_t itemAt(double y) const;

  // A press chooses (with check boxes or simple multiple selection, toggles)
  // the item under the pointer; with extended multiple selection see
  // extendTo. The wheel scrolls three rows a notch (Scroll).
  // The scroll bars (vertical: the items do not fit; horizontal: the extent
  // is wider than the rows) take the pointer as any bar does (ScrollPress):
  // an arrow scrolls a row (or a few pixels), the track a page; each move
  // raises Scroll, and the selection stays as it is.
  void pressAt(double x, double y, int16_t shift) override;
  void dragTo(double x, double y) override;
  void releaseAt(double x, double y) override;
  void cancelPress() override;
  bool nonClientAt(double x, double y) const override;
  bool wheel(int notches) override;
  // Space toggles the current item's check box (ItemCheck), or with simple
  // multiple selection its selection; another character moves to the next
  // item that starts with it.
  void typeChar(int16_t ascii) override;
  // Extended multiple selection (MultiSelect 2), from a press or a caret key
  // on `item` with `shift` (1 Shift, 2 Ctrl): alone it selects the item only;
  // Shift selects the items from the anchor (the item last chosen without
  // Shift) to it; Ctrl with Shift adds that range to the selection; Ctrl
  // alone toggles the item (a press) or only moves the caret (a key). One
  // Click when the selection or the current item changed.
  enum class ExtendBy { Press, Key };
  void extendTo(int16_t item, int16_t shift, ExtendBy by);

  ListBox() { width_ = 1215; height_ = 1035; backColor_ = vbWindowBackground; foreColor_ = vbWindowText; }

 protected:
  LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  ListBoxLayout layout() const;
  std::optional<ScrollBarBox> scrollBarBox(Bar bar) const override;
  void scrollStep(Bar bar, ScrollPart part) override;
  void scrollThumbTo(Bar bar, int value) override;
  void scrollTo(Bar bar, int value);  // Scroll when it moved
  void checkIndex(int16_t index) const;
  void scrollIntoView(int16_t index);
  struct Props {
    int16_t style = 0;
    int16_t multiSelect = 0;
    bool sorted = false;
  } p_;
  ItemList items_;
  std::vector<bool> selected_;
  int16_t listIndex_ = -1;
  int16_t anchor_ = -1;  // where an extended selection by Shift starts
  int16_t topIndex_ = 0;
  int32_t horizontalExtent_ = 0;
  int32_t scrollLeft_ = 0;
  ScrollPress press_;
};

}  // namespace svx
