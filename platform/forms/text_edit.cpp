#include "platform/forms/text_edit.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <utility>

#include "platform/automation/error.h"
#include "platform/system/clipboard.h"

namespace svx {

namespace {

constexpr int16_t kShift = 1, kCtrl = 2, kAlt = 4;

struct EditKeyRow {
  int16_t keyCode;
  int16_t shift;
  EditCommand command;
};

// The editing keys of the platform: Ctrl with the arrows moves by words, and
// the clipboard has two sets of keys, the letters and the older Insert and
// Delete chords. A move with Shift added extends the selection.
// Ctrl with the page keys pages as they do alone; Ctrl+Z and Alt+Backspace
// undo.
constexpr std::array<EditKeyRow, 24> kEditKeys = {{
    {37, 0, EditCommand::CharLeft},      {39, 0, EditCommand::CharRight},
    {37, kCtrl, EditCommand::WordLeft},  {39, kCtrl, EditCommand::WordRight},
    {36, 0, EditCommand::LineStart},     {35, 0, EditCommand::LineEnd},
    {36, kCtrl, EditCommand::TextStart}, {35, kCtrl, EditCommand::TextEnd},
    {38, 0, EditCommand::LineUp},        {40, 0, EditCommand::LineDown},
    {33, 0, EditCommand::PageUp},        {34, 0, EditCommand::PageDown},
    {33, kCtrl, EditCommand::PageUp},    {34, kCtrl, EditCommand::PageDown},
    {'Z', kCtrl, EditCommand::Undo},     {8, kAlt, EditCommand::Undo},
    {'A', kCtrl, EditCommand::SelectAll},
    {'C', kCtrl, EditCommand::Copy},     {45, kCtrl, EditCommand::Copy},
    {'X', kCtrl, EditCommand::Cut},      {46, kShift, EditCommand::Cut},
    {'V', kCtrl, EditCommand::Paste},    {45, kShift, EditCommand::Paste},
    {46, 0, EditCommand::Delete},
}};

bool isMove(EditCommand c) { return c >= EditCommand::CharLeft && c <= EditCommand::PageDown; }

// Words: letters, digits and '_'; runs of spaces (line breaks too); runs of
// other marks.
int charClass(char16_t c) {
  const auto w = static_cast<wint_t>(c);
  if (std::iswalnum(w) || c == u'_') return 1;
  return std::iswspace(w) ? 0 : 2;
}

bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// One character to the left or right of `i`: a line break (CR LF) and a
// surrogate pair count as one.
int32_t stepLeft(const BStr& t, int32_t i) {
  if (i <= 0) return 0;
  const auto at = static_cast<std::size_t>(i);
  if (i >= 2 && ((t[at - 2] == u'\r' && t[at - 1] == u'\n') || (isHigh(t[at - 2]) && isLow(t[at - 1])))) return i - 2;
  return i - 1;
}

int32_t stepRight(const BStr& t, int32_t i) {
  const auto n = static_cast<int32_t>(t.size());
  if (i >= n) return n;
  const auto at = static_cast<std::size_t>(i);
  if (i + 1 < n && ((t[at] == u'\r' && t[at + 1] == u'\n') || (isHigh(t[at]) && isLow(t[at + 1])))) return i + 2;
  return i + 1;
}

}  // namespace

EditKey editKeyOf(int16_t keyCode, int16_t shift) {
  shift &= kShift | kCtrl | kAlt;
  for (const EditKeyRow& r : kEditKeys)
    if (r.keyCode == keyCode && r.shift == shift) return {r.command, false};
  if ((shift & kShift) != 0)
    for (const EditKeyRow& r : kEditKeys)
      if (r.keyCode == keyCode && r.shift == (shift & ~kShift) && isMove(r.command)) return {r.command, true};
  return {};
}

void TextEdit::select(int32_t from, int32_t to) {
  const auto n = static_cast<int32_t>(text.size());
  anchor = std::clamp(from, 0, n);
  caret = std::clamp(to, 0, n);
}

void TextEdit::setSelStart(int32_t v) {
  if (v < 0) raise(err::InvalidPropertyValue);
  select(v, v);
}

void TextEdit::setSelLength(int32_t v) {
  if (v < 0) raise(err::InvalidPropertyValue);
  const int32_t start = selStart();
  select(start, start + std::min<int32_t>(v, static_cast<int32_t>(text.size()) - start));
}

void TextEdit::replaceSelection(BStrView s) {
  clampSelection();
  const int32_t start = selStart();
  text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(selLength()), s);
  anchor = caret = start + static_cast<int32_t>(s.size());
}

void TextEdit::selectWordAt(int32_t index) {
  const auto n = static_cast<int32_t>(text.size());
  if (n == 0) return;
  auto kind = [&](int32_t i) { return charClass(text[static_cast<std::size_t>(i)]); };
  const int32_t at = std::clamp(index, 0, n);
  int32_t from = at < n ? at : at - 1;
  // Just past a word, before spaces: that word.
  if (kind(from) == 0 && from > 0 && kind(from - 1) != 0) --from;
  const int k = kind(from);
  int32_t to = from;
  while (from > 0 && kind(from - 1) == k) --from;
  while (to < n && kind(to) == k) ++to;
  select(from, to);
}

bool TextEdit::type(int16_t ascii, const EditRules& rules) {
  clampSelection();
  const auto unit = static_cast<char16_t>(static_cast<uint16_t>(ascii));
  const char16_t high = std::exchange(pendingHigh_, 0);
  if (rules.readOnly) return false;
  if (isHigh(unit)) {
    pendingHigh_ = unit;
    return false;
  }
  if (ascii == 8) {  // backspace
    if (selLength() == 0) {
      if (caret == 0) return false;
      anchor = stepLeft(text, caret);
    }
    keepForUndo();
    replaceSelection({});
    return true;
  }
  BStr add;
  if (isLow(unit)) {
    if (!high) return false;
    add = {high, unit};
  } else if (ascii == 13) {
    if (!rules.multiLine) return false;
    add = u"\r\n";
  } else if (ascii >= 0 && ascii < 32 && ascii != 9) {
    return false;
  } else {
    add.assign(1, unit);
  }
  const auto kept = static_cast<int32_t>(text.size()) - selLength();
  if (rules.maxLength > 0 && kept + static_cast<int32_t>(add.size()) > rules.maxLength) return false;
  // Characters typed one after another undo together.
  if (!(typing_ && selLength() == 0 && caret == typedEnd_)) keepForUndo();
  replaceSelection(add);
  typing_ = true;
  typedEnd_ = caret;
  return true;
}

void TextEdit::keepForUndo() {
  undoText_ = text;
  undoAnchor_ = anchor;
  undoCaret_ = caret;
  hasUndo_ = true;
  typing_ = false;
}

bool TextEdit::canDo(EditCommand c, const EditRules& rules) const {
  const bool selection = selLength() > 0;
  switch (c) {
    case EditCommand::Undo:
      return canUndo(rules);
    case EditCommand::Cut:
      return selection && !rules.readOnly && !rules.secret;
    case EditCommand::Copy:
      return selection && !rules.secret;
    case EditCommand::Paste:
      return !rules.readOnly && !clipboard().getText().empty();
    case EditCommand::Delete:
      return selection && !rules.readOnly;
    case EditCommand::SelectAll:
      return !text.empty() && selLength() < static_cast<int32_t>(text.size());
    default:
      return false;
  }
}

bool TextEdit::insert(BStrView s, const EditRules& rules) {
  if (rules.readOnly) return false;
  BStr add;
  if (!rules.multiLine) {
    add = BStr(s.substr(0, std::min(s.find(u'\r'), s.find(u'\n'))));
  } else {
    // Every line break as CR LF, as the box keeps them.
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\r' || s[i] == u'\n') {
        add += u"\r\n";
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      } else {
        add += s[i];
      }
    }
  }
  if (rules.maxLength > 0) {
    const auto kept = static_cast<int32_t>(text.size()) - selLength();
    auto room = static_cast<std::size_t>(std::max(0, rules.maxLength - kept));
    if (room < add.size()) {
      // Never half a line break or half a surrogate pair.
      if (room > 0 && ((add[room - 1] == u'\r' && add[room] == u'\n') || isHigh(add[room - 1]))) --room;
      add.resize(room);
    }
  }
  if (add.empty()) return false;
  if (selected() == add) {
    replaceSelection(add);
    return false;
  }
  keepForUndo();
  replaceSelection(add);
  return true;
}

int32_t TextEdit::moved(EditCommand move, const LineMoves& lines) const {
  const auto n = static_cast<int32_t>(text.size());
  auto kind = [&](int32_t i) { return charClass(text[static_cast<std::size_t>(i)]); };
  int32_t i = caret;
  switch (move) {
    case EditCommand::CharLeft:
      return stepLeft(text, i);
    case EditCommand::CharRight:
      return stepRight(text, i);
    case EditCommand::WordLeft:
      // To the start of this word, or of the one before the spaces.
      while (i > 0 && kind(i - 1) == 0) --i;
      if (i > 0)
        for (const int k = kind(i - 1); i > 0 && kind(i - 1) == k;) --i;
      return i;
    case EditCommand::WordRight:
      // Past this word and the spaces after it: the start of the next.
      if (i < n && kind(i) != 0)
        for (const int k = kind(i); i < n && kind(i) == k;) ++i;
      while (i < n && kind(i) == 0) ++i;
      return i;
    case EditCommand::TextStart:
      return 0;
    case EditCommand::TextEnd:
      return n;
    case EditCommand::LineStart:
    case EditCommand::LineEnd:
    case EditCommand::LineUp:
    case EditCommand::LineDown:
    case EditCommand::PageUp:
    case EditCommand::PageDown:
      if (lines) return std::clamp(lines(i, move), 0, n);
      return move == EditCommand::LineStart ? 0 : move == EditCommand::LineEnd ? n : i;
    default:
      return i;
  }
}

bool TextEdit::apply(EditKey key, const EditRules& rules, const LineMoves& lines) {
  clampSelection();
  switch (key.command) {
    case EditCommand::None:
      return false;
    case EditCommand::SelectAll:
      selectAll();
      offerSelection(rules);
      return false;
    case EditCommand::Copy:
    case EditCommand::Cut: {
      if (rules.secret || selLength() == 0) return false;
      const bool cut = key.command == EditCommand::Cut && !rules.readOnly;
      if (key.command == EditCommand::Cut && !cut) return false;
      clipboard().clear();
      clipboard().setText(selected());
      if (!cut) return false;
      keepForUndo();
      replaceSelection({});
      return true;
    }
    case EditCommand::Paste:
      return insert(clipboard().getText(), rules);
    case EditCommand::Delete:
      if (rules.readOnly) return false;
      if (selLength() == 0) {
        if (caret >= static_cast<int32_t>(text.size())) return false;
        caret = stepRight(text, caret);
      }
      keepForUndo();
      replaceSelection({});
      return true;
    case EditCommand::Undo: {
      if (!canUndo(rules)) return false;
      std::swap(text, undoText_);
      const int32_t a = anchor, c = caret;
      select(undoAnchor_, undoCaret_);
      undoAnchor_ = a;
      undoCaret_ = c;
      typing_ = false;
      return text != undoText_;
    }
    default:
      break;
  }
  const bool vertical = key.command == EditCommand::LineUp || key.command == EditCommand::LineDown ||
                        key.command == EditCommand::PageUp || key.command == EditCommand::PageDown;
  if (vertical && !lines) return false;  // a single line has no line above or below
  if (!key.extend && selLength() > 0 &&
      (key.command == EditCommand::CharLeft || key.command == EditCommand::CharRight)) {
    // Without Shift an arrow ends the selection at its edge.
    const int32_t edge = key.command == EditCommand::CharLeft ? selStart() : selStart() + selLength();
    anchor = caret = edge;
    return false;
  }
  const int32_t to = moved(key.command, lines);
  caret = to;
  if (key.extend) offerSelection(rules);
  else anchor = to;
  return false;
}

bool TextEdit::pastePrimaryAt(int32_t index, const EditRules& rules) {
  if (rules.readOnly) return false;
  select(index, index);
  return insert(clipboard().primary(), rules);
}

void TextEdit::offerSelection(const EditRules& rules) const {
  if (!rules.secret && selLength() > 0) clipboard().setPrimary(selected());
}

}  // namespace svx
