// ComboBox: Style 0 (editable), 1 (simple), 2 (drop-down list); the list
// with AddItem, RemoveItem, Clear (which also empties the edit field),
// List(i), ListCount, ListIndex (-1..ListCount-1; a change raises Click and
// puts the item's text in Text) and Text (editable styles; a change raises
// Change).
#pragma once

#include <optional>
#include <vector>

#include "platform/forms/item_list.h"
#include "platform/forms/text_box.h"

namespace svx {

class ComboBox : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::ComboBox; }
  Ref<Control> makeSibling() const override { return makeRef<ComboBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  void typeChar(int16_t ascii) override;
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

  ComboBox() { width_ = 1215; height_ = 315; backColor_ = vbWindowBackground; foreColor_ = vbWindowText; }

 private:
  void changeText(BStr t);
  struct Props {
    int16_t style = 0;
    bool sorted = false;
    int16_t listIndex = -1;
    TextEdit edit;
  } p_;
  ItemList items_;
};

}  // namespace svx
