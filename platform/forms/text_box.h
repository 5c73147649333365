// TextBox: Text (a change raises Change), MultiLine, ScrollBars 0-3,
// MaxLength (typing stops at it), PasswordChar, SelStart, SelLength,
// SelText, Locked, BorderStyle 0-1. A person edits it through TextEdit:
// the editing keys after KeyDown, typed characters after KeyPress; a change
// of the text by either raises Change. A Locked box selects and copies but
// never changes; a password box lets no text out.
#pragma once

#include "platform/forms/control.h"
#include "platform/forms/scroll_press.h"
#include "platform/forms/text_edit.h"

namespace svx {

class TextBox : public Control, private ScrollBarOwner {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::TextBox; }
  Ref<Control> makeSibling() const override { return makeRef<TextBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  void typeChar(int16_t ascii) override;
  void pressKey(int16_t keyCode, int16_t shift) override;
  bool hasEditMenu() const override { return true; }
  bool canEdit(EditCommand c) const override;
  void editCommand(EditCommand c) override;

  const BStr& text() const { return p_.edit.text; }
  void setText(BStr t);
  bool multiLine() const { return p_.multiLine; }
  void setMultiLine(bool v) { p_.multiLine = v; }
  int16_t scrollBars() const { return p_.scrollBars; }
  void setScrollBars(int16_t v) { checkPropertyRange(v, 0, 3); p_.scrollBars = v; }
  int32_t maxLength() const { return p_.maxLength; }
  void setMaxLength(int32_t v) { checkPropertyRange(v, 0, 2147483647.0); p_.maxLength = v; }
  const BStr& passwordChar() const { return p_.passwordChar; }
  void setPasswordChar(BStr v);
  // 0 none, 1 fixed single.
  int16_t borderStyle() const { return p_.borderStyle; }
  void setBorderStyle(int16_t v) { checkPropertyRange(v, 0, 1); p_.borderStyle = v; }
  // 0 left, 1 right, 2 centre.
  int16_t alignment() const { return p_.alignment; }
  void setAlignment(int16_t v) { checkPropertyRange(v, 0, 2); p_.alignment = v; }
  bool locked() const { return p_.locked; }
  void setLocked(bool v) { p_.locked = v; }
  int32_t selStart() const { return p_.edit.selStart(); }
  void setSelStart(int32_t v) { p_.edit.setSelStart(v); }
  int32_t selLength() const { return p_.edit.selLength(); }
  void setSelLength(int32_t v) { p_.edit.setSelLength(v); }
  void selectAll() { p_.edit.selectAll(); }
  BStr selText() const { return p_.edit.selected(); }
  void setSelText(BStr v);

  // The pointer: a press places the caret at the nearest character boundary
  // (with Shift, extends the selection from its anchor), a drag selects (past
  // an edge, into the text beyond it, which scrolls into view; while the
  // pointer stays there, a line or a few pixels more every
  // ScrollPress::kRepeatIntervalMs), a double click selects the word, a middle click pastes the primary
  // selection there; the wheel scrolls a multi-line box three lines a notch.
  // A single-line box shows its one line unwrapped, scrolled across so that
  // the caret stays in sight.
  // A multi-line box shows the scroll bars that ScrollBars names, always
  // (without a thumb while there is nothing to scroll); they take the
  // pointer as any bar does (ScrollPress): a line or a page up and down, a
  // few pixels or the box's width across. With a horizontal bar the lines
  // are not wrapped.
  void pressAt(double x, double y, int16_t shift) override;
  void dragTo(double x, double y) override;
  void releaseAt(double x, double y) override;
  void cancelPress() override;
  bool nonClientAt(double x, double y) const override;
  void doublePressAt(double x, double y) override;
  void middlePressAt(double x, double y) override;
  bool wheel(int notches) override;
  // The first line shown, the pixels scrolled to the left, and the character
  // boundary at a point (twips).
  int32_t topLine() const { return shownScroll().first; }
  int32_t scrollLeft() const { return shownScroll().second; }
  int32_t indexAt(double x, double y) const;

  TextBox() { width_ = 1215; height_ = 285; backColor_ = vbWindowBackground; foreColor_ = vbWindowText; }

 private:
  BStr shownText() const;
  // The bars shown: ScrollBars of a multi-line box.
  int16_t shownScrollBars() const { return p_.multiLine ? p_.scrollBars : 0; }
  TextBoxLayout layout() const;
  // The first line and the pixels across as shown: with scroll bars, within
  // their ranges (the text may have become shorter since).
  std::pair<int32_t, int32_t> shownScroll() const;
  // The width the lines wrap at (pixels; negative: no wrapping).
  double textWidth() const;
  // A single-line box: the width its one line is shown in (pixels).
  double fieldWidth() const;
  EditRules rules() const;
  // After the person moved the caret or changed the text.
  void edited(bool changed);
  int visibleLines() const;
  void caretIntoView();
  std::optional<ScrollBarBox> scrollBarBox(Bar bar) const override;
  void scrollStep(Bar bar, ScrollPart part) override;
  void scrollThumbTo(Bar bar, int value) override;
  // A selection dragged past an edge of the text goes on while the pointer
  // stays there (dragRepeat on a timer, until the release or the press ends).
  void selectTowards(double x, double y);
  void dragRepeat();
  int32_t topLine_ = 0;
  // Pixels scrolled across; a single line follows its caret when it is
  // drawn, not at each key (laying out the line is what costs).
  mutable int32_t scrollLeft_ = 0;
  ScrollPress press_;
  HoldRepeat dragHold_;
  double dragX_ = 0, dragY_ = 0;  // the pointer, twips

  struct Props {
    TextEdit edit;
    bool multiLine = false;
    int16_t scrollBars = 0;
    int32_t maxLength = 0;
    BStr passwordChar;
    bool locked = false;
    int16_t borderStyle = 1;
    int16_t alignment = 0;
  } p_;
};

}  // namespace svx
