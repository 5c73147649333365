#include "platform/forms/combo_box.h"

#include "platform/forms/list_members.h"

#include <algorithm>
#include <cwctype>

#include "platform/graphics/form_render.h"

namespace svx {

void ComboBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const ComboBox&>(s).p_;
  p_.listIndex = -1;  // the list is not copied
  if (p_.style == 2) p_.edit = {};
}

void ComboBox::setStyle(int16_t v) {
  checkPropertyRange(v, 0, 2);
  p_.style = v;
}

void ComboBox::addItem(BStr item, std::optional<int16_t> index) {
  const size_t at = items_.insertPosition(item, index, p_.sorted);
  items_.insert(at, std::move(item));
  if (p_.listIndex >= static_cast<int16_t>(at)) ++p_.listIndex;
}

void ComboBox::removeItem(int16_t index) {
  items_.erase(index);
  if (p_.listIndex == index) {
    p_.listIndex = -1;
    if (p_.style == 2) changeText({});
  } else if (p_.listIndex > index) {
    --p_.listIndex;
  }
}

void ComboBox::clear() {
  items_.clear();
  p_.listIndex = -1;
  changeText({});
}

BStr ComboBox::list(int16_t index) const { return items_.text(index); }
void ComboBox::setList(int16_t index, BStr item) { items_.setText(index, std::move(item)); }
int32_t ComboBox::itemData(int16_t index) const { return items_.itemData(index); }
void ComboBox::setItemData(int16_t index, int32_t v) { items_.setItemData(index, v); }

void ComboBox::setListIndex(int16_t v) {
  checkPropertyRange(v, -1, listCount() - 1);
  if (v == p_.listIndex) return;
  p_.listIndex = v;
  p_.edit.text = v < 0 ? BStr() : items_[v];
  p_.edit.selStart = 0;
  p_.edit.selLength = static_cast<int32_t>(p_.edit.text.size());
  fire(ControlEvent::Click);
}

void ComboBox::changeText(BStr t) {
  if (t == p_.edit.text) return;
  p_.edit.text = std::move(t);
  p_.edit.clampSelection();
  if (p_.style != 2) fire(ControlEvent::Change);
}

void ComboBox::setText(BStr t) {
  if (p_.style == 2) {
    const auto& texts = items_.texts();
    auto it = std::find(texts.begin(), texts.end(), t);
    if (it == texts.end()) raise(err::PropertyCannotBeSetNow);
    setListIndex(static_cast<int16_t>(it - texts.begin()));
    return;
  }
  if (p_.listIndex >= 0 && items_[p_.listIndex] != t) p_.listIndex = -1;
  changeText(std::move(t));
}

void ComboBox::typeChar(int16_t ascii) {
  if (p_.style == 2) {
    // A typed character selects the next item that starts with it.
    const char16_t ch = static_cast<char16_t>(std::towupper(static_cast<wint_t>(ascii)));
    for (int16_t i = 0; i < listCount(); ++i) {
      const int16_t at = static_cast<int16_t>((p_.listIndex + 1 + i) % listCount());
      const BStr& item = items_[at];
      if (!item.empty() && std::towupper(static_cast<wint_t>(item[0])) == ch) return setListIndex(at);
    }
    return;
  }
  const BStr before = p_.edit.text;
  if (p_.edit.type(ascii, 0, false)) {
    p_.listIndex = -1;
    if (p_.edit.text != before) fire(ControlEvent::Change);
  }
}

void ComboBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::ComboBox;
  item.text = p_.edit.text;
  item.items = items_.texts();
  item.selectedIndex = p_.listIndex;
}

const ClassInfo& ComboBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"ComboBox", &Control::info());
    Control::declareFont(c);
    formprop::prop<ComboBox>(c, u"Style", &ComboBox::style, &ComboBox::setStyle);
    formprop::prop<ComboBox>(c, u"Sorted", &ComboBox::sorted, &ComboBox::setSorted);
    formprop::prop<ComboBox>(c, u"Text", &ComboBox::text, &ComboBox::setText);
    formprop::prop<ComboBox>(c, u"ListIndex", &ComboBox::listIndex, &ComboBox::setListIndex);
    formprop::prop<ComboBox>(c, u"ListCount", &ComboBox::listCount);
    formprop::declareListMembers<ComboBox>(c);
    c.defaultMember(u"Text");
    return c;
  }();
  return ci;
}

}  // namespace svx
