// ComboBox: Style 0 (editable), 1 (simple), 2 (drop-down list); the list
// with AddItem, RemoveItem, Clear (which also empties the edit field),
// List(i), ListCount, ListIndex (-1..ListCount-1; a change raises Click and
// puts the item's text in Text) and Text (editable styles; a change raises
// Change).
#pragma once

#include <optional>
#include <vector>

#include "platform/forms/item_list.h"
#include "platform/forms/scroll_press.h"
#include "platform/forms/text_box.h"
#include "platform/graphics/form_render.h"

namespace svx {

class ComboBox : public Control, private ScrollBarOwner {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::ComboBox; }
  Ref<Control> makeSibling() const override { return makeRef<ComboBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  void typeChar(int16_t ascii) override;
  // In the edit field of a closed drop-down combo the caret keys move the
  // caret and Delete deletes (Change).
  void pressKey(int16_t keyCode, int16_t shift) override;
  // The edit field of the editable styles has the context menu of a text field.
  bool hasEditMenu() const override { return p_.style != 2; }
  bool canEdit(EditCommand c) const override;
  void editCommand(EditCommand c) override;
  void userClick() override {}

  int16_t style() const { return p_.style; }
  void setStyle(int16_t v);
  bool sorted() const { return p_.sorted; }
  void setSorted(bool v) { p_.sorted = v; }
  void addItem(BStr item, std::optional<int16_t> index = std::nullopt);  // 5 outside 0..ListCount
  void removeItem(int16_t index);                                        // 5 outside the list
  void clear();
  BStr list(int16_t index) const;  // "" outside the list
  void setList(int16_t index, BStr item);
  int16_t listCount() const { return items_.count(); }
  int16_t listIndex() const { return p_.listIndex; }
  void setListIndex(int16_t v);  // 380 outside -1..ListCount-1
  const BStr& text() const { return p_.edit.text; }
  void setText(BStr t);  // drop-down list: 383 for text not in the list
  int32_t itemData(int16_t index) const;
  void setItemData(int16_t index, int32_t v);
  // The user opens the list.
  void dropDown() { fire(ControlEvent::DropDown); }

  // The drop-down list of the drop-down styles, drawn over the form below
  // the box (above it when the form has no room below): opened by a press on
  // the button (anywhere on a drop-down list), closed by a choice, a press
  // elsewhere, Escape or the loss of the focus.
  static constexpr int16_t kListRows = 8;
  bool listOpen() const;
  void openList();   // DropDown
  void closeList();  // without a change
  // The open list in the form's client area (twips), and its picture.
  RenderRect listRect() const;
  RenderItem listPicture() const;
  // The item at a point of the form's client area (-1: none); whether the
  // point lies on the list's scroll bar.
  int16_t listItemAt(double x, double y) const;
  bool onListScrollBar(double x, double y) const;
  // The pointer on the open list's scroll bar, at points of the form's client
  // area: it works as every bar does (ScrollPress), a row or a page at a time.
  void pressListBar(double x, double y);
  void dragListBar(double x, double y);
  void releaseListBar();
  void cancelPress() override;
  // Closes the list and selects the item (Click when the selection changes).
  void chooseFromList(int16_t index);
  // Scrolls the open list by rows (Scroll when it moved); marks an item.
  void scrollList(int rows);
  void markItem(int16_t index);
  int16_t markedItem() const { return marked_; }
  int16_t listTop() const { return listTop_; }

  void pressAt(double x, double y, int16_t shift) override;
  // The wheel scrolls an open list three rows a notch; on a closed drop-down
  // list with the focus each notch chooses the item before (away from the
  // person) or after it, as Up and Down do.
  bool wheel(int notches) override;
  void setVisible(bool visible) override;

  ComboBox() { width_ = 1215; height_ = 315; backColor_ = vbWindowBackground; foreColor_ = vbWindowText; }

 private:
  std::optional<ScrollBarBox> scrollBarBox(Bar bar) const override;
  void scrollStep(Bar bar, ScrollPart part) override;
  void scrollThumbTo(Bar bar, int value) override;
  void changeText(BStr t);
  // After a key or a menu command in the edit field: a changed text leaves
  // the list's choice and raises Change.
  void fieldEdited(bool changed);
  // The pixels the edit field is scrolled across: the caret stays in sight.
  // Worked out when the field is drawn, not at each key.
  int shownEditScroll() const;
  struct Props {
    int16_t style = 0;
    bool sorted = false;
    int16_t listIndex = -1;
    TextEdit edit;
  } p_;
  ItemList items_;
  int16_t listTop_ = 0;   // first row of the open list
  int16_t marked_ = -1;   // the item under the pointer or the arrow keys
  mutable int editScroll_ = 0;  // the edit field's pixels scrolled across, as last drawn
  ScrollPress press_;     // on the open list's bar
};

}  // namespace svx
