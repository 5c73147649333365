// Editing text as a person does: selection keys, the clipboard keys through
// the clipboard, the primary selection, locked and password boxes, both as a
// display delivers the keys (window messages) and through the simulated
// user's key strokes.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/user.h"
#include "platform/graphics/form_render.h"
#include "platform/system/clipboard.h"

namespace svx::testing {
namespace {

constexpr int16_t kShift = 1, kCtrl = 2;
constexpr int16_t kLeft = 37, kRight = 39, kUp = 38, kDown = 40, kHome = 36, kEnd = 35, kInsert = 45, kDelete = 46;

class TextEditTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    clipboard().clear();
    clipboard().setPrimary({});
    text = &form->add<TextBox>(u"Text", 1, 150, 150);  // pixels 10,10 .. 91,29
    text->move(150, 150, 3000, 315);
    other = &form->add<TextBox>(u"Text", 2, 150, 750);  // pixels 10,50 ..
    other->move(150, 750, 3000, 315);
    form->show();
    form->take();
  }
  void TearDown() override {
    clipboard().clear();
    clipboard().setPrimary({});
    FormsTest::TearDown();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  // A key as a display delivers it: the key, its character when it has one
  // (Ctrl with a letter: the control character), the release.
  void key(int16_t code, int16_t shift = 0) {
    send(WM_KEYDOWN, static_cast<WPARAM>(code), shift);
    if (code >= 'A' && code <= 'Z') {
      const int ch = (shift & kCtrl) != 0 ? code - 'A' + 1 : (shift & kShift) != 0 ? code : code + 32;
      send(WM_CHAR, static_cast<WPARAM>(ch), shift);
    }
    send(WM_KEYUP, static_cast<WPARAM>(code), shift);
  }
  std::pair<int32_t, int32_t> selection(const TextBox& t) const { return {t.selStart(), t.selLength()}; }
  static Log without(Log log, const std::string& what) {
    std::erase_if(log, [&](const std::string& e) { return e.find(what) != std::string::npos; });
    return log;
  }
  TextBox* text = nullptr;
  TextBox* other = nullptr;
};

using Sel = std::pair<int32_t, int32_t>;

// Each step: a key, then the selection (start, length) it leaves.
struct Step {
  int16_t code;
  int16_t shift;
  Sel after;
};

const Step kSelectionSteps[] = {
    {kHome, 0, {0, 0}},
    {kRight, kShift, {0, 1}},
    {kRight, kShift, {0, 2}},
    {kRight, kCtrl | kShift, {0, 4}},  // to the start of "two"
    {kEnd, kShift, {0, 13}},
    {kHome, kShift, {0, 0}},           // back over the anchor: nothing selected
    {kEnd, 0, {13, 0}},
    {kLeft, kCtrl, {8, 0}},            // the start of "three"
    {kLeft, kCtrl | kShift, {4, 4}},   // "two " between the anchor and the caret
    {kRight, 0, {8, 0}},               // an arrow without Shift ends the selection at its edge
    {kLeft, kShift, {7, 1}},
    {kLeft, kShift, {6, 2}},
    {kLeft, 0, {6, 0}},
    {kRight, kCtrl, {8, 0}},
    {kHome, kCtrl | kShift, {0, 8}},
    {kEnd, kCtrl, {13, 0}},
};

TEST_F(TextEditTest, ShiftWithTheCaretKeysSelectsFromTheAnchorAndAPlainMoveEndsTheSelection) {
  // A person's keys, then the simulated user's key strokes on a second box.
  text->setText(u"one two three");
  other->setText(u"one two three");
  form->take();
  for (const Step& s : kSelectionSteps) {
    key(s.code, s.shift);
    EXPECT_EQ(selection(*text), s.after) << "key " << s.code << " shift " << s.shift;
  }
  for (const Step& s : kSelectionSteps) {
    user::keyStroke(*other, s.code, s.shift);
    EXPECT_EQ(selection(*other), s.after) << "key " << s.code << " shift " << s.shift;
  }
  // Moving changes no text.
  for (const std::string& e : form->take()) EXPECT_EQ(e.find("Change"), std::string::npos) << e;
}

TEST_F(TextEditTest, TheClipboardKeysCopyCutAndPasteThroughTheClipboardAndRaiseChange) {
  text->setText(u"hello world");
  form->take();
  key('A', kCtrl);
  EXPECT_EQ(selection(*text), Sel(0, 11));
  key('C', kCtrl);
  EXPECT_EQ(clipboard().getText(), u"hello world");
  key(kEnd);
  form->take();
  key('V', kCtrl);
  EXPECT_EQ(text->text(), u"hello worldhello world");
  // KeyDown reaches the script before the paste, then Change, then the
  // key's control character as KeyPress.
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(86)", "Text(1).KeyDown", "Text(1).Change", "Form.KeyPress(22)",
                               "Text(1).KeyPress(22)", "Form.KeyUp(86)", "Text(1).KeyUp"}));
  // The older chords: Shift+Delete cuts, Shift+Insert pastes, Ctrl+Insert copies.
  key(kHome);
  key(kRight, kShift);
  key(kRight, kShift);
  key(kRight, kShift);
  key(kRight, kShift);
  key(kRight, kShift);  // "hello"
  key(kDelete, kShift);
  EXPECT_EQ(text->text(), u" worldhello world");
  EXPECT_EQ(clipboard().getText(), u"hello");
  key(kEnd);
  key(kInsert, kShift);
  EXPECT_EQ(text->text(), u" worldhello worldhello");
  key(kLeft, kShift | kCtrl);
  key(kInsert, kCtrl);
  EXPECT_EQ(clipboard().getText(), u"worldhello");
  key('X', kCtrl);
  EXPECT_EQ(text->text(), u" worldhello ");
  std::vector<std::string> changes;
  for (const std::string& e : form->take())
    if (e.find("Change") != std::string::npos) changes.push_back(e);
  EXPECT_EQ(changes, (Log{"Text(1).Change", "Text(1).Change", "Text(1).Change"}));

  // A script that swallows the key in KeyDown keeps the text.
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyDown) p[0].assign(Variant::i2(0));
  };
  key('V', kCtrl);
  EXPECT_EQ(text->text(), u" worldhello ");
  form->react = nullptr;

  // The simulated user's strokes take the same path.
  user::keyStroke(*other, 'V', kCtrl);
  EXPECT_EQ(other->text(), u"worldhello");
  user::keyStroke(*other, 'A', kCtrl);
  user::keyStroke(*other, 'X', kCtrl);
  EXPECT_EQ(other->text(), u"");
}

TEST_F(TextEditTest, ALockedBoxSelectsAndCopiesButNeverChangesAndAPasswordBoxLetsNoTextOut) {
  text->setText(u"read only");
  text->setLocked(true);
  form->take();
  clipboard().setText(u"pasted");
  key('A', kCtrl);
  key('C', kCtrl);
  EXPECT_EQ(clipboard().getText(), u"read only");
  clipboard().setText(u"pasted");
  key('X', kCtrl);
  key('V', kCtrl);
  key(kDelete, kShift);
  key(kInsert, kShift);
  key(kDelete);
  key('Q');
  send(WM_CHAR, 8, 0);
  EXPECT_EQ(text->text(), u"read only");
  EXPECT_EQ(clipboard().getText(), u"pasted");
  for (const std::string& e : form->take()) EXPECT_EQ(e.find("Change"), std::string::npos) << e;

  clipboard().setPrimary({});
  other->setText(u"secret");
  other->setPasswordChar(u"*");
  user::click(*other);
  clipboard().setText(u"kept");
  key('A', kCtrl);
  key('C', kCtrl);
  key(kInsert, kCtrl);
  key('X', kCtrl);
  EXPECT_EQ(clipboard().getText(), u"kept");
  EXPECT_EQ(other->text(), u"secret");
  EXPECT_EQ(clipboard().primary(), u"");  // no primary selection either
  key('V', kCtrl);                        // pasting into it is fine
  EXPECT_EQ(other->text(), u"kept");
}

TEST_F(TextEditTest, APasteKeepsToOneLineInASingleLineBoxAndToTheLengthLimit) {
  clipboard().setText(u"ab\ncd");
  key('V', kCtrl);
  EXPECT_EQ(text->text(), u"ab");
  text->setMaxLength(5);
  clipboard().setText(u"12345");
  key('V', kCtrl);
  EXPECT_EQ(text->text(), u"ab123");
  form->take();
  key('V', kCtrl);  // full: nothing, and no Change
  EXPECT_EQ(text->text(), u"ab123");
  EXPECT_EQ(without(form->take(), "Key"), Log{});

  other->setMultiLine(true);
  user::click(*other);
  clipboard().setText(u"one\ntwo\r\nthree\rfour");
  key('V', kCtrl);
  EXPECT_EQ(other->text(), u"one\r\ntwo\r\nthree\r\nfour");
}

TEST_F(TextEditTest, HomeEndAndTheVerticalArrowsOfAMultiLineBoxFollowItsLines) {
  text->setMultiLine(true);
  text->move(150, 150, 3000, 1500);
  // The same letters on each line, so that a column is the same count of characters.
  text->setText(u"abc\r\nabcde\r\nab");
  text->setSelStart(7);  // between "ab" and "cde"
  key(kHome);
  EXPECT_EQ(selection(*text), Sel(5, 0));
  key(kEnd);
  EXPECT_EQ(selection(*text), Sel(10, 0));
  key(kUp);  // the first line is shorter: its end
  EXPECT_EQ(selection(*text), Sel(3, 0));
  key(kDown);
  EXPECT_EQ(selection(*text), Sel(8, 0));
  key(kDown, kShift);  // the last line is shorter: its end
  EXPECT_EQ(selection(*text), Sel(8, 6));
  key(kUp);
  EXPECT_EQ(selection(*text), Sel(7, 0));
  key(kUp);
  key(kUp);  // nothing above the first line
  EXPECT_EQ(selection(*text), Sel(2, 0));
  key(kEnd, kCtrl | kShift);
  EXPECT_EQ(selection(*text), Sel(2, 12));
  key(kHome);
  key(kLeft);  // over the line break in one step
  EXPECT_EQ(selection(*text), Sel(10, 0));
  key(kDelete);  // the line break as one
  EXPECT_EQ(text->text(), u"abc\r\nabcdeab");
}

TEST_F(TextEditTest, SelectingFillsThePrimarySelectionAndAMiddleClickPastesItAtThePointer) {
  text->setText(u"alpha beta");
  other->setText(u"xy");
  const int lh = fontLineHeight(text->font());
  const int y = 10 + RenderTextTop + lh / 2;
  auto at = [&](std::u16string_view before) { return 10 + RenderTextLeft + measureText(text->font(), before).width; };
  // A drag over "alpha".
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(at(u""), y));
  send(WM_MOUSEMOVE, packButtons(1, 0), packPoint(at(u"alpha"), y));
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(at(u"alpha"), y));
  EXPECT_EQ(text->selText(), u"alpha");
  EXPECT_EQ(clipboard().primary(), u"alpha");
  EXPECT_EQ(clipboard().getText(), u"");  // the clipboard itself stays
  form->take();
  // A middle click between "x" and "y" of the other box: the focus moves, the text goes in.
  const int y2 = 50 + RenderTextTop + lh / 2;
  send(WM_MBUTTONDOWN, packButtons(4, 0), packPoint(at(u"x"), y2));
  send(WM_MBUTTONUP, packButtons(4, 0), packPoint(at(u"x"), y2));
  EXPECT_EQ(other->text(), u"xalphay");
  EXPECT_EQ(form->activeControl(), other);
  EXPECT_EQ(without(form->take(), "Focus"),
            (Log{"Text(2).MouseDown", "Text(1).Validate", "Text(2).Change", "Text(2).MouseUp"}));
  // Selection keys fill it too; a double click does.
  key(kLeft, kShift);
  EXPECT_EQ(clipboard().primary(), u"a");
  Clock::advance(user::kDoubleClickMs + 1);
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  EXPECT_EQ(clipboard().primary(), u"beta");
  // A locked box takes no paste.
  other->setLocked(true);
  Clock::advance(user::kDoubleClickMs + 1);
  send(WM_MBUTTONDOWN, packButtons(4, 0), packPoint(at(u""), y2));
  send(WM_MBUTTONUP, packButtons(4, 0), packPoint(at(u""), y2));
  EXPECT_EQ(other->text(), u"xalphay");
}

TEST_F(TextEditTest, AnEditableComboTakesTheSameEditingKeys) {
  ComboBox& combo = form->add<ComboBox>(u"ComboText", 1, 150, 1500);
  combo.move(150, 1500, 3000, 315);
  combo.setText(u"red green");
  user::click(combo);
  form->take();
  key(kEnd);
  key(kLeft, kShift | kCtrl);
  key('C', kCtrl);
  EXPECT_EQ(clipboard().getText(), u"green");
  key(kHome);
  key('V', kCtrl);
  EXPECT_EQ(combo.text(), u"greenred green");
  std::vector<std::string> changes;
  for (const std::string& e : form->take())
    if (e.find("Change") != std::string::npos) changes.push_back(e);
  EXPECT_EQ(changes, (Log{"ComboText(1).Change"}));
}

}  // namespace
}  // namespace svx::testing
