#include "platform/forms/text_box.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

void TextEdit::clampSelection() {
  const auto n = static_cast<int32_t>(text.size());
  selStart = std::clamp(selStart, 0, n);
  selLength = std::clamp(selLength, 0, n - selStart);
}

void TextEdit::setSelStart(int32_t v) {
  if (v < 0) raise(err::InvalidPropertyValue);
  selStart = std::min<int32_t>(v, static_cast<int32_t>(text.size()));
  selLength = 0;
}

void TextEdit::setSelLength(int32_t v) {
  if (v < 0) raise(err::InvalidPropertyValue);
  selLength = std::min<int32_t>(v, static_cast<int32_t>(text.size()) - selStart);
}

void TextEdit::replaceSelection(const BStr& s) {
  clampSelection();
  text.replace(selStart, selLength, s);
  selStart += static_cast<int32_t>(s.size());
  selLength = 0;
}

bool TextEdit::type(int16_t ascii, int32_t maxLength, bool multiLine) {
  clampSelection();
  if (ascii == 8) {  // backspace
    if (selLength == 0) {
      if (selStart == 0) return false;
      --selStart;
      selLength = 1;
    }
    replaceSelection({});
    return true;
  }
  BStr insert;
  if (ascii == 13) {
    if (!multiLine) return false;
    insert = u"\r\n";
  } else if (ascii < 32 && ascii != 9) {
    return false;
  } else {
    insert.assign(1, static_cast<char16_t>(static_cast<uint16_t>(ascii)));
  }
  const auto kept = static_cast<int32_t>(text.size()) - selLength;
  if (maxLength > 0 && kept + static_cast<int32_t>(insert.size()) > maxLength) return false;
  replaceSelection(insert);
  return true;
}

void TextBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const TextBox&>(s).p_;
}

void TextBox::setText(BStr t) {
  if (t == p_.edit.text) return;
  p_.edit.text = std::move(t);
  p_.edit.clampSelection();
  fire(ControlEvent::Change);
}

void TextBox::setPasswordChar(BStr v) {
  if (v.size() > 1) raise(err::InvalidPropertyValue);
  p_.passwordChar = std::move(v);
}

void TextBox::setSelText(BStr v) {
  const BStr before = p_.edit.text;
  p_.edit.replaceSelection(v);
  if (p_.edit.text != before) fire(ControlEvent::Change);
}

bool TextEdit::key(int16_t keyCode) {
  clampSelection();
  const auto n = static_cast<int32_t>(text.size());
  switch (keyCode) {
    case 37:  // left
      selStart = selLength > 0 ? selStart : std::max(0, selStart - 1);
      break;
    case 39:  // right
      selStart = selLength > 0 ? selStart + selLength : std::min(n, selStart + 1);
      break;
    case 36:  // home
      selStart = 0;
      break;
    case 35:  // end
      selStart = n;
      break;
    case 46:  // delete
      if (selLength == 0 && selStart >= n) return false;
      if (selLength == 0) selLength = 1;
      replaceSelection({});
      return true;
    default:
      return false;
  }
  selLength = 0;
  return false;
}

void TextBox::pressKey(int16_t keyCode, int16_t) {
  if (keyCode == 46 && p_.locked) return;
  const bool changed = p_.edit.key(keyCode);
  caretIntoView();
  if (changed) fire(ControlEvent::Change);
}

void TextBox::typeChar(int16_t ascii) {
  if (p_.locked) return;
  const bool changed = p_.edit.type(ascii, p_.maxLength, p_.multiLine);
  if (changed) caretIntoView();
  if (changed) fire(ControlEvent::Change);
}

BStr TextBox::shownText() const {
  return p_.passwordChar.empty() ? p_.edit.text : BStr(p_.edit.text.size(), p_.passwordChar[0]);
}

double TextBox::textWidth() const { return twipsToRoundedPixels(width_) - 2.0 * RenderTextLeft; }

int32_t TextBox::indexAt(double x, double y) const {
  return textIndexAt(shownText(), font(), textWidth(), topLine_, twipsToPixels(x) - RenderTextLeft,
                     twipsToPixels(y) - RenderTextTop);
}

void TextBox::selectFromAnchor(int32_t to) {
  const auto n = static_cast<int32_t>(p_.edit.text.size());
  const int32_t from = std::clamp(anchor_, 0, n);
  to = std::clamp(to, 0, n);
  p_.edit.selStart = std::min(from, to);
  p_.edit.selLength = std::abs(to - from);
}

void TextBox::pressAt(double x, double y, int16_t shift) {
  const int32_t at = indexAt(x, y);
  // Shift extends from the end of the selection that the pointer did not
  // move last (the start of the selection when it was set otherwise).
  const int32_t start = p_.edit.selStart, end = p_.edit.selStart + p_.edit.selLength;
  if ((shift & 1) != 0) {
    if (anchor_ != start && anchor_ != end) anchor_ = start;
  } else {
    anchor_ = at;
  }
  selectFromAnchor(at);
}

void TextBox::dragTo(double x, double y) { selectFromAnchor(indexAt(x, y)); }

void TextBox::doublePressAt(double x, double y) {
  const BStr& t = p_.edit.text;
  const auto n = static_cast<int32_t>(t.size());
  const int32_t at = std::min(indexAt(x, y), n);
  if (n == 0 || !p_.passwordChar.empty()) return;
  // The run of word characters (or of other non-space characters) at the point.
  auto kind = [&](int32_t i) {
    const auto c = static_cast<wint_t>(t[static_cast<std::size_t>(i)]);
    return std::iswalnum(c) || c == u'_' ? 1 : std::iswspace(c) ? 0 : 2;
  };
  int32_t from = at < n ? at : at - 1;
  if (kind(from) == 0 && from > 0 && kind(from - 1) != 0) --from;
  const int k = kind(from);
  int32_t to = from;
  while (from > 0 && kind(from - 1) == k) --from;
  while (to < n && kind(to) == k) ++to;
  anchor_ = from;
  selectFromAnchor(to);
}

int TextBox::visibleLines() const {
  return std::max(1, (twipsToRoundedPixels(height_) - 2 * RenderTextTop) / std::max(1, fontLineHeight(font())));
}

bool TextBox::wheel(int notches) {
  if (!p_.multiLine) return false;
  const int lines = textLineCount(shownText(), font(), textWidth());
  topLine_ = std::clamp(topLine_ - 3 * notches, 0, std::max(0, lines - visibleLines()));
  return true;
}

void TextBox::caretIntoView() {
  if (!p_.multiLine) return;
  const int line = textLineOf(shownText(), font(), textWidth(), p_.edit.selStart + p_.edit.selLength);
  if (line < topLine_) topLine_ = line;
  else if (line >= topLine_ + visibleLines()) topLine_ = line - visibleLines() + 1;
}

void TextBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::TextBox;
  item.border = p_.borderStyle == 1;
  item.text = shownText();
  item.caret = std::min<int>(p_.edit.selStart + p_.edit.selLength, static_cast<int>(p_.edit.text.size()));
  // The caret at the end the pointer moved last.
  if (p_.edit.selLength > 0 && anchor_ == p_.edit.selStart + p_.edit.selLength) item.caret = p_.edit.selStart;
  item.selectionStart = p_.edit.selStart;
  item.selectionLength = p_.edit.selLength;
  item.topIndex = topLine_;
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
