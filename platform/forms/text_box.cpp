#include "platform/forms/text_box.h"

#include <algorithm>

#include "platform/graphics/form_render.h"

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
  if (p_.edit.key(keyCode)) fire(ControlEvent::Change);
}

void TextBox::typeChar(int16_t ascii) {
  if (p_.locked) return;
  if (p_.edit.type(ascii, p_.maxLength, p_.multiLine)) fire(ControlEvent::Change);
}

void TextBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::TextBox;
  item.border = p_.borderStyle == 1;
  item.text = p_.passwordChar.empty() ? p_.edit.text : BStr(p_.edit.text.size(), p_.passwordChar[0]);
  item.caret = std::min<int>(p_.edit.selStart + p_.edit.selLength, static_cast<int>(p_.edit.text.size()));
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
