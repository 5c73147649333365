#include "platform/forms/combo_box.h"

#include "platform/forms/list_members.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwctype>

#include "platform/forms/form.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

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
  if (marked_ >= listCount()) marked_ = -1;
  listTop_ = static_cast<int16_t>(std::clamp<int>(listTop_, 0, std::max(0, listCount() - kListRows)));
  if (p_.listIndex == index) {
    p_.listIndex = -1;
    if (p_.style == 2) changeText({});
  } else if (p_.listIndex > index) {
    --p_.listIndex;
  }
}

void ComboBox::clear() {
  items_.clear();
  marked_ = -1;
  listTop_ = 0;
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
  marked_ = v;
  if (listOpen()) scrollList(0);
  p_.edit.text = v < 0 ? BStr() : items_[v];
  p_.edit.forgetUndo();
  p_.edit.selectAll();
  fire(ControlEvent::Click);
}

void ComboBox::changeText(BStr t) {
  if (t == p_.edit.text) return;
  p_.edit.text = std::move(t);
  p_.edit.clampSelection();
  p_.edit.forgetUndo();
  if (p_.style != 2) fire(ControlEvent::Change);
}

int ComboBox::shownEditScroll() const {
  return fieldScroll(p_.edit.text, font(), comboTextWidth(twipsToRoundedPixels(width_)), p_.edit.caret, editScroll_);
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
  fieldEdited(p_.edit.type(ascii, {}));
}

void ComboBox::pressKey(int16_t keyCode, int16_t shift) {
  if (p_.style == 2 || listOpen()) return;
  // Up and Down choose items (the form's key handling); the rest edit.
  if (keyCode == 38 || keyCode == 40) return;
  fieldEdited(p_.edit.apply(editKeyOf(keyCode, shift), {}));
}

void ComboBox::fieldEdited(bool changed) {
  if (!changed) return;
  p_.listIndex = -1;
  fire(ControlEvent::Change);
}

bool ComboBox::canEdit(EditCommand c) const { return p_.style != 2 && p_.edit.canDo(c, {}); }

void ComboBox::editCommand(EditCommand c) {
  if (canEdit(c)) fieldEdited(p_.edit.apply({c, false}, {}));
}

bool ComboBox::listOpen() const {
  const Form* f = form();
  return f && f->droppedList() == this;
}

namespace {

int lineHeightOf(const Font& font) { return std::max(1, fontLineHeight(font)); }

}  // namespace

void ComboBox::openList() {
  Form* f = form();
  if (!f || p_.style == 1 || listOpen() || !shownOnForm() || !enabledOnForm()) return;
  if (Control* other = f->droppedList()) static_cast<ComboBox*>(other)->closeList();
  marked_ = p_.listIndex;
  listTop_ = 0;
  f->setDroppedList(this);
  fire(ControlEvent::DropDown);
  if (listOpen()) scrollList(0);  // the DropDown handler may change the items
}

void ComboBox::closeList() {
  press_.cancel();
  if (Form* f = form(); f && listOpen()) f->setDroppedList(nullptr);
}

RenderRect ComboBox::listRect() const {
  Form* f = form();
  if (!f) return {};
  const auto [x, y] = f->clientOrigin(*this);
  const int rows = std::clamp<int>(listCount(), 1, kListRows);
  const double h = pixelsToTwips(rows * lineHeightOf(font()) + 2);
  double top = y + height_;
  if (top + h > f->scaleHeight() && y - h >= 0) top = y - h;
  return {x, top, width_, h};
}

int16_t ComboBox::listItemAt(double x, double y) const {
  const RenderRect r = listRect();
  if (x < r.left || x >= r.left + r.width || y < r.top || y >= r.top + r.height || onListScrollBar(x, y)) return -1;
  const int row = static_cast<int>(std::floor((twipsToPixels(y - r.top) - 1) / lineHeightOf(font())));
  const int rows = std::clamp<int>(listCount(), 1, kListRows);
  if (row < 0 || row >= rows) return -1;
  const int index = listTop_ + row;
  return index < listCount() ? static_cast<int16_t>(index) : int16_t{-1};
}

bool ComboBox::onListScrollBar(double x, double y) const { return listOpen() && ScrollPress::onBar(*this, x, y); }

std::optional<ScrollBarBox> ComboBox::scrollBarBox(Bar bar) const {
  if (bar != Vertical || !listOpen()) return std::nullopt;
  const RenderRect r = listRect();
  const double left = twipsToRoundedPixels(r.left), top = twipsToRoundedPixels(r.top);
  auto box = listBoxLayout(twipsToRoundedPixels(r.width), twipsToRoundedPixels(r.height), lineHeightOf(font()),
                           listCount(), listTop_, 0, 0)
                 .vertical;
  if (box) {
    box->left += left;
    box->top += top;
  }
  return box;
}

void ComboBox::scrollStep(Bar, ScrollPart part) {
  switch (part) {
    case ScrollPart::ArrowToMin: return scrollList(-1);
    case ScrollPart::ArrowToMax: return scrollList(1);
    case ScrollPart::TrackToMin: return scrollList(-kListRows);
    case ScrollPart::TrackToMax: return scrollList(kListRows);
    default: return;
  }
}

void ComboBox::scrollThumbTo(Bar, int value) { scrollList(value - listTop_); }

void ComboBox::pressListBar(double x, double y) { press_.pressAt(*this, *this, x, y); }
void ComboBox::dragListBar(double x, double y) { press_.dragTo(x, y); }
void ComboBox::releaseListBar() { press_.release(); }
void ComboBox::cancelPress() { press_.cancel(); }

void ComboBox::chooseFromList(int16_t index) {
  closeList();
  if (index >= 0 && index < listCount()) setListIndex(index);
}

void ComboBox::scrollList(int rows) {
  const int most = std::max(0, listCount() - kListRows);
  const auto top = static_cast<int16_t>(std::clamp(listTop_ + rows, 0, most));
  // The marked item stays in view.
  if (rows == 0 && marked_ >= 0) {
    listTop_ = static_cast<int16_t>(std::clamp<int>(std::clamp<int>(listTop_, marked_ - kListRows + 1, marked_), 0, most));
    return;
  }
  if (top == listTop_) return;
  listTop_ = top;
  fire(ControlEvent::Scroll);
}

void ComboBox::markItem(int16_t index) {
  if (index < -1 || index >= listCount()) return;
  marked_ = index;
  if (index >= 0) scrollList(0);
}

void ComboBox::pressAt(double x, double, int16_t) {
  if (p_.style == 1) return;
  const double button = pixelsToTwips(std::min(16.0, twipsToPixels(width_) / 2) + 1);
  if (p_.style == 2 || x >= width_ - button) openList();
}

void ComboBox::setVisible(bool visible) {
  if (!visible) closeList();
  Control::setVisible(visible);
}

bool ComboBox::wheel(int notches) {
  if (listOpen()) {
    scrollList(-3 * notches);
    return true;
  }
  const Form* f = form();
  if (p_.style != 2 || !f || f->activeControl() != this) return false;
  Ref<Control> keep(this);
  for (int64_t n = std::abs(static_cast<int64_t>(notches)); n > 0 && loaded() && !listOpen(); --n) {
    const int count = listCount();
    if (count == 0) break;
    const auto target = static_cast<int16_t>(std::clamp(p_.listIndex + (notches > 0 ? -1 : 1), 0, count - 1));
    if (target == p_.listIndex) break;
    setListIndex(target);
  }
  return true;
}

RenderItem ComboBox::listPicture() const {
  RenderItem item;
  item.kind = RenderKind::ListBox;
  item.rect = listRect();
  item.items = items_.texts();
  item.topIndex = listTop_;
  item.selectedIndex = marked_;
  item.scrollPressed = press_.pressedPart(Vertical);
  item.font = font();
  item.foreColor = foreColor_;
  item.backColor = backColor_;
  item.enabled = true;
  return item;
}

void ComboBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::ComboBox;
  item.text = p_.edit.text;
  item.items = items_.texts();
  item.selectedIndex = p_.listIndex;
  if (p_.style != 2) {
    // The edit field of the editable styles shows a caret while focused.
    item.caret = std::min<int>(p_.edit.caret, static_cast<int>(p_.edit.text.size()));
    item.selectionStart = p_.edit.selStart();
    item.selectionLength = p_.edit.selLength();
    item.scrollLeft = editScroll_ = shownEditScroll();
  }
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
