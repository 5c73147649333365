#include "platform/forms/list_box.h"

#include "platform/forms/list_members.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cwctype>

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

void ListBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const ListBox&>(s).p_;
}

void ListBox::checkIndex(int16_t index) const {
  if (index < 0 || index >= listCount()) raise(err::InvalidPropertyValue);
}

void ListBox::addItem(BStr item, std::optional<int16_t> index) {
  const size_t at = items_.insertPosition(item, index, p_.sorted);
  items_.insert(at, std::move(item));
  selected_.insert(selected_.begin() + static_cast<std::ptrdiff_t>(at), false);
  if (listIndex_ >= static_cast<int16_t>(at)) ++listIndex_;
}

void ListBox::removeItem(int16_t index) {
  items_.erase(index);
  selected_.erase(selected_.begin() + index);
  if (listIndex_ == index)
    listIndex_ = -1;
  else if (listIndex_ > index)
    --listIndex_;
  if (anchor_ == index)
    anchor_ = -1;
  else if (anchor_ > index)
    --anchor_;
  topIndex_ = std::clamp<int16_t>(topIndex_, 0, std::max<int16_t>(0, listCount() - 1));
}

void ListBox::clear() {
  items_.clear();
  selected_.clear();
  listIndex_ = -1;
  anchor_ = -1;
  topIndex_ = 0;
}

BStr ListBox::list(int16_t index) const { return items_.text(index); }
void ListBox::setList(int16_t index, BStr item) { items_.setText(index, std::move(item)); }
int32_t ListBox::itemData(int16_t index) const { return items_.itemData(index); }
void ListBox::setItemData(int16_t index, int32_t v) { items_.setItemData(index, v); }

void ListBox::setListIndex(int16_t v) {
  checkPropertyRange(v, -1, listCount() - 1);
  if (v == listIndex_) return;
  listIndex_ = v;
  scrollIntoView(v);
  // A single-selection standard list selects the current item.
  if (p_.style == 0 && p_.multiSelect == 0)
    for (size_t i = 0; i < selected_.size(); ++i) selected_[i] = static_cast<int16_t>(i) == v;
  fire(ControlEvent::Click);
}

bool ListBox::selected(int16_t index) const {
  checkIndex(index);
  return selected_[static_cast<size_t>(index)];
}

void ListBox::setSelected(int16_t index, bool v) {
  checkIndex(index);
  if (selected_[static_cast<size_t>(index)] == v) return;
  if (p_.style == 1) {
    selected_[static_cast<size_t>(index)] = v;
    int16_t item = index;
    std::array<Variant, 1> p{Variant::byRef(item)};
    fire(ControlEvent::ItemCheck, p);
    return;
  }
  if (p_.multiSelect == 0) {
    if (v) return setListIndex(index);
    selected_[static_cast<size_t>(index)] = false;
    listIndex_ = -1;
    return;
  }
  selected_[static_cast<size_t>(index)] = v;
  listIndex_ = index;
  fire(ControlEvent::Click);
}

int16_t ListBox::selCount() const {
  return static_cast<int16_t>(std::count(selected_.begin(), selected_.end(), true));
}

void ListBox::setTopIndex(int16_t v) {
  if (v < 0 || (v > 0 && v >= listCount())) raise(err::InvalidPropertyValue);
  topIndex_ = v;
}

ListBoxLayout ListBox::layout() const {
  return listBoxLayout(twipsToRoundedPixels(width_), twipsToRoundedPixels(height_), fontLineHeight(font()),
                       listCount(), topIndex_, horizontalExtent_, scrollLeft_);
}

int16_t ListBox::visibleRows() const { return static_cast<int16_t>(layout().visibleRows); }

int16_t ListBox::itemAt(double y) const {
  const int lineHeight = std::max(1, fontLineHeight(font()));
  const int row = static_cast<int>(std::floor((twipsToPixels(y) - 1) / lineHeight));
  if (row < 0 || row >= visibleRows()) return -1;
  const int index = topIndex_ + row;
  return index < listCount() ? static_cast<int16_t>(index) : int16_t{-1};
}

void ListBox::extendTo(int16_t item, int16_t shift, ExtendBy by) {
  if (item < 0 || item >= listCount()) return;
  const bool ctrl = (shift & 2) != 0;
  const bool range = (shift & 1) != 0 && anchor_ >= 0 && anchor_ < listCount();
  std::vector<bool> next = ctrl ? selected_ : std::vector<bool>(selected_.size(), false);
  if (range) {
    const auto [from, to] = std::minmax(anchor_, item);
    for (int16_t i = from; i <= to; ++i) next[static_cast<size_t>(i)] = true;
  } else {
    if (!ctrl) next[static_cast<size_t>(item)] = true;
    else if (by == ExtendBy::Press) next[static_cast<size_t>(item)] = !next[static_cast<size_t>(item)];
    anchor_ = item;
  }
  const bool changed = next != selected_ || item != listIndex_;
  selected_ = std::move(next);
  listIndex_ = item;
  scrollIntoView(item);
  if (changed) fire(ControlEvent::Click);
}

void ListBox::pressAt(double x, double y, int16_t shift) {
  if (press_.pressAt(*this, *this, x, y)) return;
  const int16_t item = itemAt(y);
  if (item < 0) return;
  if (p_.style == 1) {
    if (twipsToPixels(x) + scrollLeft() < 2 + 13 + 2) setSelected(item, !selected(item));
    if (loaded()) setListIndex(item);
  } else if (p_.multiSelect == 2) {
    extendTo(item, shift, ExtendBy::Press);
  } else if (p_.multiSelect != 0) {
    setSelected(item, !selected(item));
  } else {
    setListIndex(item);
  }
}

void ListBox::dragTo(double x, double y) { press_.dragTo(x, y); }
void ListBox::releaseAt(double, double) { press_.release(); }
void ListBox::cancelPress() { press_.cancel(); }
bool ListBox::nonClientAt(double x, double y) const { return ScrollPress::onBar(*this, x, y); }

std::optional<ScrollBarBox> ListBox::scrollBarBox(Bar bar) const {
  ListBoxLayout l = layout();
  auto& box = bar == Vertical ? l.vertical : l.horizontal;
  if (box) box->enabled = enabledOnForm();
  return box;
}

void ListBox::scrollTo(Bar bar, int value) {
  const auto box = scrollBarBox(bar);
  if (!box) return;
  value = std::clamp(value, box->min, box->max);
  if (value == box->value) return;
  if (bar == Vertical) topIndex_ = static_cast<int16_t>(value);
  else scrollLeft_ = value;
  fire(ControlEvent::Scroll);
}

void ListBox::scrollStep(Bar bar, ScrollPart part) {
  // A row, or an average character across; a page is what the box shows.
  stepBy(bar, part, bar == Vertical ? 1 : std::max(1, fontLineHeight(font()) / 2));
}

void ListBox::scrollThumbTo(Bar bar, int value) { scrollTo(bar, value); }

bool ListBox::wheel(int notches) {
  const int most = std::max(0, listCount() - visibleRows());
  const auto top = static_cast<int16_t>(std::clamp(topIndex_ - 3 * notches, 0, most));
  if (top != topIndex_) {
    topIndex_ = top;
    fire(ControlEvent::Scroll);
  }
  return true;
}

void ListBox::typeChar(int16_t ascii) {
  if (ascii == ' ' && (p_.style == 1 || p_.multiSelect == 1)) {
    if (listIndex_ >= 0) setSelected(listIndex_, !selected(listIndex_));
    return;
  }
  const int16_t n = listCount();
  if (ascii < ' ' || n == 0) return;
  const auto ch = std::towupper(static_cast<wint_t>(ascii));
  for (int16_t i = 0; i < n; ++i) {
    const auto at = static_cast<int16_t>((listIndex_ + 1 + i) % n);
    const BStr& item = items_[at];
    if (item.empty() || std::towupper(static_cast<wint_t>(item[0])) != ch) continue;
    if (p_.multiSelect == 0) return setListIndex(at);
    listIndex_ = at;  // with multiple selection only the caret moves
    return scrollIntoView(at);
  }
}

void ListBox::scrollIntoView(int16_t index) {
  if (index < 0) return;
  const int16_t rows = visibleRows();
  if (index < topIndex_) topIndex_ = index;
  else if (index >= topIndex_ + rows) topIndex_ = static_cast<int16_t>(index - rows + 1);
}

bool ListBox::hasHorizontalScrollBar() const { return layout().horizontal.has_value(); }

int32_t ListBox::scrollLeft() const {
  const auto box = layout().horizontal;
  return box ? box->value : 0;
}

LRESULT ListBox::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == LB_SETHORIZONTALEXTENT) {
    horizontalExtent_ = static_cast<int32_t>(wParam);
    return 0;
  }
  return Control::handleMessage(msg, wParam, lParam);
}

void ListBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::ListBox;
  item.items = items_.texts();
  item.selectedIndex = listIndex_;
  item.topIndex = topIndex_;
  item.horizontalExtent = horizontalExtent_;
  item.scrollLeft = scrollLeft();
  press_.showPressed(item);
  if (p_.style == 1) item.itemChecked = selected_;
  else if (p_.multiSelect != 0) item.itemSelected = selected_;
}

const ClassInfo& ListBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"ListBox", &Control::info());
    Control::declareFont(c);
    formprop::prop<ListBox>(c, u"Style", &ListBox::style, &ListBox::setStyle);
    formprop::prop<ListBox>(c, u"MultiSelect", &ListBox::multiSelect, &ListBox::setMultiSelect);
    formprop::prop<ListBox>(c, u"Sorted", &ListBox::sorted, &ListBox::setSorted);
    formprop::prop<ListBox>(c, u"ListIndex", &ListBox::listIndex, &ListBox::setListIndex);
    formprop::prop<ListBox>(c, u"ListCount", &ListBox::listCount);
    formprop::prop<ListBox>(c, u"TopIndex", &ListBox::topIndex, &ListBox::setTopIndex);
    formprop::prop<ListBox>(c, u"SelCount", &ListBox::selCount);
    formprop::prop<ListBox>(c, u"Text", &ListBox::text);
    formprop::declareListMembers<ListBox>(c);
    c.member(u"Selected", InvokeKind::PropertyGet, {in(u"Index")}, [](Object& o, const Args& a) {
      return Variant(static_cast<ListBox&>(o).selected(toI2(a[0])));
    });
    c.member(u"Selected", InvokeKind::PropertyPut, {in(u"Index"), in(u"Value")}, [](Object& o, const Args& a) {
      static_cast<ListBox&>(o).setSelected(toI2(a[0]), toBool(a[1]));
      return Variant();
    });
    return c;
  }();
  return ci;
}

}  // namespace svx
