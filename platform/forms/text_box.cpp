#include "platform/forms/text_box.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <tuple>

#include "platform/graphics/font.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

void TextBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const TextBox&>(s).p_;
}

void TextBox::setText(BStr t) {
  if (t == p_.edit.text) return;
  p_.edit.text = std::move(t);
  p_.edit.forgetUndo();
  p_.edit.clampSelection();
  fire(ControlEvent::Change);
}

void TextBox::setPasswordChar(BStr v) {
  if (v.size() > 1) raise(err::InvalidPropertyValue);
  p_.passwordChar = std::move(v);
}

void TextBox::setSelText(BStr v) {
  p_.edit.forgetUndo();
  const BStr before = p_.edit.text;
  p_.edit.replaceSelection(v);
  if (p_.edit.text != before) fire(ControlEvent::Change);
}

EditRules TextBox::rules() const {
  return {p_.locked, !p_.passwordChar.empty(), p_.multiLine, p_.maxLength};
}

void TextBox::edited(bool changed) {
  caretIntoView();
  if (changed) fire(ControlEvent::Change);
}

void TextBox::pressKey(int16_t keyCode, int16_t shift) {
  const EditKey key = editKeyOf(keyCode, shift);
  if (key.command == EditCommand::None) return;
  LineMoves lines;
  const bool page = key.command == EditCommand::PageUp || key.command == EditCommand::PageDown;
  if (p_.multiLine) {
    // Home, End, the vertical arrows and the page keys follow the lines as
    // they are drawn; a page is the lines the box shows.
    lines = [this, page](int32_t index, EditCommand move) {
      const LineMove m = move == EditCommand::LineStart                       ? LineMove::Start
                         : move == EditCommand::LineEnd                       ? LineMove::End
                         : move == EditCommand::LineUp || move == EditCommand::PageUp ? LineMove::Up
                                                                              : LineMove::Down;
      return textLineMove(shownText(), font(), textWidth(), index, m, page ? visibleLines() : 1);
    };
    if (page) {
      // The view goes a page too, the caret staying where it was in it.
      const int lineCount = textLineCount(shownText(), font(), textWidth());
      const int step = key.command == EditCommand::PageUp ? -visibleLines() : visibleLines();
      topLine_ = std::clamp(shownScroll().first + step, 0, std::max(0, lineCount - visibleLines()));
    }
  }
  edited(p_.edit.apply(key, rules(), lines));
}

bool TextBox::canEdit(EditCommand c) const { return p_.edit.canDo(c, rules()); }

void TextBox::editCommand(EditCommand c) {
  if (!canEdit(c)) return;
  edited(p_.edit.apply({c, false}, rules()));
}

void TextBox::typeChar(int16_t ascii) { edited(p_.edit.type(ascii, rules())); }

BStr TextBox::shownText() const {
  return p_.passwordChar.empty() ? p_.edit.text : BStr(p_.edit.text.size(), p_.passwordChar[0]);
}

double TextBox::fieldWidth() const { return twipsToRoundedPixels(width_) - 2.0 * RenderTextLeft; }

TextBoxLayout TextBox::layout() const {
  return textBoxScroll(shownText(), font(), twipsToRoundedPixels(width_), twipsToRoundedPixels(height_),
                       shownScrollBars(), topLine_, scrollLeft_);
}

double TextBox::textWidth() const {
  if (!p_.multiLine) return -1;
  if (shownScrollBars() == 0) return twipsToRoundedPixels(width_) - 2.0 * RenderTextLeft;
  const TextBoxLayout l = textBoxLayout(twipsToRoundedPixels(width_), twipsToRoundedPixels(height_), shownScrollBars());
  return l.wraps() ? l.textWidth : -1;
}

std::pair<int32_t, int32_t> TextBox::shownScroll() const {
  if (!p_.multiLine) return {0, fieldScroll(shownText(), font(), fieldWidth(), p_.edit.caret, scrollLeft_)};
  if (shownScrollBars() == 0) return {topLine_, 0};
  const TextBoxLayout l = layout();
  return {l.vertical ? l.vertical->value : topLine_, l.horizontal ? l.horizontal->value : 0};
}

int32_t TextBox::indexAt(double x, double y) const {
  const auto [top, left] = shownScroll();
  return textIndexAt(shownText(), font(), textWidth(), top, twipsToPixels(x) - RenderTextLeft + left,
                     twipsToPixels(y) - RenderTextTop);
}

void TextBox::pressAt(double x, double y, int16_t shift) {
  if (press_.pressAt(*this, *this, x, y)) return;
  const int32_t at = indexAt(x, y);
  if ((shift & 1) != 0) {
    p_.edit.select(p_.edit.anchor, at);
    p_.edit.offerSelection(rules());
  } else {
    p_.edit.select(at, at);
  }
}

void TextBox::selectTowards(double x, double y) {
  p_.edit.select(p_.edit.anchor, indexAt(x, y));
  p_.edit.offerSelection(rules());
  // Past an edge the selection goes on into the text beyond it, which
  // scrolls into view.
  if (!p_.multiLine) scrollLeft_ = shownScroll().second;
  caretIntoView();
}

void TextBox::dragTo(double x, double y) {
  if (press_.active()) return press_.dragTo(x, y);
  selectTowards(x, y);
  dragX_ = x;
  dragY_ = y;
  if (!dragHold_.running())
    dragHold_.start(*this, ScrollPress::kRepeatIntervalMs, ScrollPress::kRepeatIntervalMs, [this] { dragRepeat(); });
}

void TextBox::dragRepeat() {
  // Held still past an edge: a line further (or a few pixels across) each time.
  const TextBoxLayout l = layout();
  const double px = twipsToPixels(dragX_), py = twipsToPixels(dragY_);
  const double line = fontLineHeight(font()), step = std::max(1.0, line / 2);
  const double top = p_.multiLine ? l.textTop : RenderTextTop;
  const double bottom = p_.multiLine ? l.textTop + l.textHeight : top + line;
  const double left = p_.multiLine ? l.textLeft : RenderTextLeft;
  const double right = p_.multiLine ? l.textLeft + l.textWidth : left + fieldWidth();
  const bool across = !p_.multiLine || textWidth() < 0;
  double x = px, y = py;
  if (p_.multiLine && py < top) y = top - line / 2;
  else if (p_.multiLine && py >= bottom) y = bottom + line / 2;
  if (across && px < left) x = left - step;
  else if (across && px >= right) x = right + step;
  if (x == px && y == py) return;  // over the text: the last move placed it
  selectTowards(pixelsToTwips(x), pixelsToTwips(y));
}

void TextBox::releaseAt(double, double) {
  dragHold_.stop();
  press_.release();
}

void TextBox::cancelPress() {
  dragHold_.stop();
  press_.cancel();
}
bool TextBox::nonClientAt(double x, double y) const {
  return shownScrollBars() != 0 && ScrollPress::onBar(*this, x, y);
}

std::optional<ScrollBarBox> TextBox::scrollBarBox(Bar bar) const {
  if (shownScrollBars() == 0) return std::nullopt;
  TextBoxLayout l = layout();
  auto& box = bar == Vertical ? l.vertical : l.horizontal;
  if (box) box->enabled = enabledOnForm();
  return box;
}

void TextBox::scrollThumbTo(Bar bar, int value) {
  const auto box = scrollBarBox(bar);
  if (!box) return;
  value = std::clamp(value, box->min, box->max);
  (bar == Vertical ? topLine_ : scrollLeft_) = value;
}

void TextBox::scrollStep(Bar bar, ScrollPart part) {
  // A line, or an average character across; a page is what the box shows.
  stepBy(bar, part, bar == Vertical ? 1 : std::max(1, fontLineHeight(font()) / 2));
}

void TextBox::doublePressAt(double x, double y) {
  if (!p_.passwordChar.empty()) return;
  p_.edit.selectWordAt(indexAt(x, y));
  p_.edit.offerSelection(rules());
}

void TextBox::middlePressAt(double x, double y) { edited(p_.edit.pastePrimaryAt(indexAt(x, y), rules())); }

int TextBox::visibleLines() const {
  const TextBoxLayout l = textBoxLayout(twipsToRoundedPixels(width_), twipsToRoundedPixels(height_), shownScrollBars());
  return std::max(1, static_cast<int>(l.textHeight) / std::max(1, fontLineHeight(font())));
}

bool TextBox::wheel(int notches) {
  if (!p_.multiLine) return false;
  const int lines = textLineCount(shownText(), font(), textWidth());
  topLine_ = std::clamp(topLine_ - 3 * notches, 0, std::max(0, lines - visibleLines()));
  return true;
}

void TextBox::caretIntoView() {
  // A single line scrolls to the caret when it is drawn (render).
  if (!p_.multiLine) return;
  std::tie(topLine_, scrollLeft_) = shownScroll();
  const int32_t caret = p_.edit.caret;
  const double width = textWidth();
  const int line = textLineOf(shownText(), font(), width, caret);
  if (line < topLine_) topLine_ = line;
  else if (line >= topLine_ + visibleLines()) topLine_ = line - visibleLines() + 1;
  if (width >= 0) return;
  // Unwrapped lines: across as well, by a quarter of the width more, so
  // that the caret does not sit at the edge.
  const TextBoxLayout l = layout();
  if (!l.horizontal) return;
  const auto shown = static_cast<int32_t>(l.textWidth);
  const auto x = static_cast<int32_t>(textCaretX(shownText(), font(), width, caret));
  if (x < scrollLeft_) scrollLeft_ = x - shown / 4;
  else if (x >= scrollLeft_ + shown) scrollLeft_ = x - shown + shown / 4;
  scrollLeft_ = std::clamp(scrollLeft_, 0, l.horizontal->max);
}

void TextBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::TextBox;
  item.border = p_.borderStyle == 1;
  item.text = shownText();
  item.caret = std::min<int>(p_.edit.caret, static_cast<int>(p_.edit.text.size()));
  item.selectionStart = p_.edit.selStart();
  item.selectionLength = p_.edit.selLength();
  std::tie(item.topIndex, item.scrollLeft) = shownScroll();
  if (!p_.multiLine) scrollLeft_ = item.scrollLeft;
  item.scrollBars = shownScrollBars();
  item.singleLine = !p_.multiLine;
  press_.showPressed(item);
}

const ClassInfo& TextBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"TextBox", &Control::info());
    Control::declareFont(c);
    formprop::prop<TextBox>(c, u"Text", &TextBox::text, &TextBox::setText);
    formprop::prop<TextBox>(c, u"MultiLine", &TextBox::multiLine, &TextBox::setMultiLine);
    formprop::prop<TextBox>(c, u"ScrollBars", &TextBox::scrollBars, &TextBox::setScrollBars);
    formprop::prop<TextBox>(c, u"MaxLength", &TextBox::maxLength, &TextBox::setMaxLength);
    formprop::prop<TextBox>(c, u"PasswordChar", &TextBox::passwordChar, &TextBox::setPasswordChar);
    formprop::prop<TextBox>(c, u"Locked", &TextBox::locked, &TextBox::setLocked);
    formprop::prop<TextBox>(c, u"BorderStyle", &TextBox::borderStyle, &TextBox::setBorderStyle);
    formprop::prop<TextBox>(c, u"Alignment", &TextBox::alignment, &TextBox::setAlignment);
    formprop::prop<TextBox>(c, u"SelStart", &TextBox::selStart, &TextBox::setSelStart);
    formprop::prop<TextBox>(c, u"SelLength", &TextBox::selLength, &TextBox::setSelLength);
    formprop::prop<TextBox>(c, u"SelText", &TextBox::selText, &TextBox::setSelText);
    c.defaultMember(u"Text");
    return c;
  }();
  return ci;
}

}  // namespace svx
