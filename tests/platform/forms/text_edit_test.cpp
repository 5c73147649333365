// Editing text as a person does: selection keys, the clipboard keys through
// the clipboard, the primary selection, locked and password boxes, both as a
// display delivers the keys (window messages) and through the simulated
// user's key strokes.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/edit_menu.h"
#include "platform/forms/person.h"
#include "platform/graphics/units.h"
#include "platform/graphics/form_render.h"
#include "platform/system/clipboard.h"

namespace svx::testing {
namespace {

constexpr int16_t kShift = 1, kCtrl = 2;
constexpr int16_t kLeft = 37, kRight = 39, kUp = 38, kDown = 40, kHome = 36, kEnd = 35, kInsert = 45, kDelete = 46;
constexpr int16_t kPageUp = 33, kPageDown = 34, kMenu = 93, kF10 = 121, kReturn = 13, kEscape = 27;

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
    person::keyStroke(*other, s.code, s.shift);
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
  person::keyStroke(*other, 'V', kCtrl);
  EXPECT_EQ(other->text(), u"worldhello");
  person::keyStroke(*other, 'A', kCtrl);
  person::keyStroke(*other, 'X', kCtrl);
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
  person::click(*other);
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
  person::click(*other);
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
  Clock::advance(person::kDoubleClickMs + 1);
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(at(u"alpha b"), y));
  EXPECT_EQ(clipboard().primary(), u"beta");
  // A locked box takes no paste.
  other->setLocked(true);
  Clock::advance(person::kDoubleClickMs + 1);
  send(WM_MBUTTONDOWN, packButtons(4, 0), packPoint(at(u""), y2));
  send(WM_MBUTTONUP, packButtons(4, 0), packPoint(at(u""), y2));
  EXPECT_EQ(other->text(), u"xalphay");
}

TEST_F(TextEditTest, AnEditableComboTakesTheSameEditingKeys) {
  ComboBox& combo = form->add<ComboBox>(u"ComboText", 1, 150, 1500);
  combo.move(150, 1500, 3000, 315);
  combo.setText(u"red green");
  person::click(combo);
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

// Forty numbered lines; the box shows `shown` of them.
BStr numberedLines(int count) {
  BStr t;
  for (int i = 0; i < count; ++i) t += (i ? u"\r\n" : u"") + utf16("line " + std::to_string(i));
  return t;
}

TEST_F(TextEditTest, PageKeysMoveTheCaretAndTheViewByTheLinesTheBoxShows) {
  text->setMultiLine(true);
  text->setScrollBars(2);
  text->setText(numberedLines(40));
  const int lh = fontLineHeight(text->font());
  text->move(150, 150, 3000, pixelsToTwips(10 * lh + 2 * RenderTextTop + 2));  // ten lines shown
  const int page = 10;
  auto lineOfCaret = [&] {
    RenderItem shown;
    text->render(shown);
    return textLineOf(text->text(), text->font(), -1, shown.caret);
  };
  text->setSelStart(2);  // "li|ne 0"
  key(kPageDown);
  EXPECT_EQ(lineOfCaret(), page);
  EXPECT_EQ(text->topLine(), page);
  EXPECT_EQ(selection(*text), Sel(static_cast<int32_t>(text->text().find(u"line 10")) + 2, 0));  // the same place across
  key(kPageDown, kShift);  // extends the selection
  EXPECT_EQ(text->selLength(), static_cast<int32_t>(text->text().find(u"line 20") - text->text().find(u"line 10")));
  EXPECT_EQ(text->topLine(), 2 * page);
  key(kPageDown, kCtrl);  // as alone
  EXPECT_EQ(lineOfCaret(), 3 * page);
  EXPECT_EQ(text->selLength(), 0);
  key(kPageDown);  // past the end: the last line, the view at its end
  EXPECT_EQ(lineOfCaret(), 39);
  EXPECT_EQ(text->topLine(), 40 - page);
  key(kPageUp, kShift);
  EXPECT_EQ(lineOfCaret(), 29);
  EXPECT_GT(text->selLength(), 0);
  key(kPageUp, kCtrl);
  key(kPageUp);
  key(kPageUp);
  EXPECT_EQ(selection(*text), Sel(2, 0));  // back at the first line, where it started across
  EXPECT_EQ(text->topLine(), 0);

  // The simulated user's strokes take the same path; a single line has no pages.
  person::keyStroke(*text, kPageDown);
  EXPECT_EQ(lineOfCaret(), page);
  other->setText(u"one line");
  other->setSelStart(3);
  person::keyStroke(*other, kPageDown);
  EXPECT_EQ(selection(*other), Sel(3, 0));
}

TEST_F(TextEditTest, UndoTakesBackTheLastEditWithItsChangeAndASecondUndoRedoesIt) {
  text->setText(u"start");
  text->setSelStart(5);
  form->take();
  for (char16_t c : std::u16string_view(u" abc")) send(WM_CHAR, c, 0);  // typed one after another: one edit
  EXPECT_EQ(text->text(), u"start abc");
  form->take();
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), u"start");
  EXPECT_EQ(selection(*text), Sel(5, 0));
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(90)", "Text(1).KeyDown", "Text(1).Change", "Form.KeyPress(26)",
                               "Text(1).KeyPress(26)", "Form.KeyUp(90)", "Text(1).KeyUp"}));
  key('Z', kCtrl);  // redo
  EXPECT_EQ(text->text(), u"start abc");
  send(WM_KEYDOWN, 8, 4);  // Alt+Backspace undoes too
  EXPECT_EQ(text->text(), u"start");
  key('Z', kCtrl);
  // A paste, a cut and Delete are an edit each.
  clipboard().setText(u"X");
  key(kHome);
  key('V', kCtrl);
  EXPECT_EQ(text->text(), u"Xstart abc");
  key(kDelete);
  EXPECT_EQ(text->text(), u"Xtart abc");
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), u"Xstart abc");
  // Backspace too, and a character typed after a move starts a new edit.
  key(kEnd);
  send(WM_CHAR, 8, 0);
  send(WM_CHAR, 'd', 0);
  EXPECT_EQ(text->text(), u"Xstart abd");
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), u"Xstart ab");
  // The text set by the program leaves nothing to undo; a locked box undoes nothing.
  text->setText(u"set");
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), u"set");
  send(WM_CHAR, '!', 0);
  text->setLocked(true);
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), u"set!");
  // Through the simulated user, and in an editable combo.
  person::type(*other, u"typed");
  person::keyStroke(*other, 'Z', kCtrl);
  EXPECT_EQ(other->text(), u"");
  ComboBox& combo = form->add<ComboBox>(u"ComboText", 1, 150, 1500);
  combo.move(150, 1500, 3000, 315);
  combo.setText({});
  person::type(combo, u"abc");
  form->take();
  person::keyStroke(combo, 'Z', kCtrl);
  EXPECT_EQ(combo.text(), u"");
  EXPECT_EQ(without(without(without(form->take(), "Key"), "Focus"), "Validate"), (Log{"ComboText(1).Change"}));
}

TEST_F(TextEditTest, ACharacterBeyondSixteenBitsComesAsTwoKeyPressesAndGoesInWhole) {
  const std::u16string typed = u"a\u00e9\U0001F600b";
  ASSERT_EQ(typed.size(), 5u);
  for (char16_t c : typed) send(WM_CHAR, c, 0);  // a display sends each half of the pair
  EXPECT_EQ(text->text(), typed);
  EXPECT_EQ(form->take(), (Log{"Form.KeyPress(97)", "Text(1).KeyPress(97)", "Text(1).Change", "Form.KeyPress(233)",
                               "Text(1).KeyPress(233)", "Text(1).Change", "Form.KeyPress(-10179)",
                               "Text(1).KeyPress(-10179)", "Form.KeyPress(-8704)", "Text(1).KeyPress(-8704)",
                               "Text(1).Change", "Form.KeyPress(98)", "Text(1).KeyPress(98)", "Text(1).Change"}));
  // The caret steps over it, Backspace deletes it whole, Undo brings it back.
  key(kLeft);
  key(kLeft);
  EXPECT_EQ(selection(*text), Sel(2, 0));
  key(kRight);
  send(WM_CHAR, 8, 0);
  EXPECT_EQ(text->text(), u"a\u00e9b");
  key('Z', kCtrl);
  EXPECT_EQ(text->text(), typed);
  // Pasted, the same text arrives whole.
  clipboard().setText(typed);
  person::click(*other);
  key('V', kCtrl);
  EXPECT_EQ(other->text(), typed);
  // KeyAscii 0 for either half drops the character; a half alone is dropped.
  other->setText({});
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyPress && toI2(p[0]) == -10179) p[0].assign(Variant::i2(0));
  };
  person::type(*other, typed);
  EXPECT_EQ(other->text(), u"a\u00e9b");
  form->react = nullptr;
  other->setText({});
  send(WM_CHAR, 0xDE00, 0);
  send(WM_CHAR, 0xD83D, 0);
  send(WM_CHAR, 'c', 0);
  EXPECT_EQ(other->text(), u"c");
  // The simulated user types it as a person's input method does.
  other->setText({});
  person::type(*other, typed);
  EXPECT_EQ(other->text(), typed);
  // A character at 0x8000 and above is a character like any other.
  person::type(*other, u"\u8a9e");
  EXPECT_EQ(other->text(), typed + u"\u8a9e");
}

// The context menu's items, in order, with the separators left out.
constexpr int kUndo = 0, kCut = 2, kCopy = 3, kPaste = 4, kDelete_ = 5, kSelectAll = 7;

std::string greyedOf(Form& f) {
  std::string out;
  EditMenu* m = f.editMenu();
  if (!m) return "closed";
  for (int e : {kUndo, kCut, kCopy, kPaste, kDelete_, kSelectAll}) out += m->enabled(e) ? '+' : '-';
  return out;
}

TEST(EditMenuPlacement, TheMenuStaysInsideTheClientAreaAndHugsTheFarEdgeWhereNeitherSideHasRoom) {
  // The menu is 130 x 130 pixels. Cases in pixels: point, client area, the menu's top-left corner.
  struct Case {
    double x, y, clientW, clientH, left, top;
  };
  const Case cases[] = {
      {10, 10, 400, 400, 10, 10},     // room right and below
      {350, 350, 400, 400, 220, 220},  // left of and above the point
      {100, 100, 200, 126, 70, 0},    // an input box: no room on either side
      {-5, 20, 400, 400, 0, 20},      // never left of the client area
  };
  for (const Case& c : cases) {
    const EditMenu m({}, pixelsToTwips(c.x), pixelsToTwips(c.y), pixelsToTwips(c.clientW), pixelsToTwips(c.clientH));
    EXPECT_NEAR(twipsToPixels(m.rect().left), c.left, 0.01) << c.x << "," << c.y;
    EXPECT_NEAR(twipsToPixels(m.rect().top), c.top, 0.01) << c.x << "," << c.y;
  }
}

TEST_F(TextEditTest, TheContextMenuGreysWhatCannotActOnTheField) {
  struct Case {
    const char* what;
    std::function<void(TextBox&)> set;
    bool clip;
    const char* greyed;  // Undo, Cut, Copy, Paste, Delete, Select All
  } cases[] = {
      {"nothing selected, empty clipboard", [](TextBox&) {}, false, "-----+"},
      {"a selection", [](TextBox& t) { t.setSelLength(2); }, false, "-++-++"},
      {"everything selected, text on the clipboard", [](TextBox& t) { t.selectAll(); }, true, "-++++-"},
      {"a locked box", [](TextBox& t) { t.setLocked(true); t.setSelLength(2); }, true, "--+--+"},
      {"a password box", [](TextBox& t) { t.setPasswordChar(u"*"); t.setSelLength(2); }, true, "---+++"},
      {"an empty box", [](TextBox& t) { t.setText({}); }, true, "---+--"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    text->setLocked(false);
    text->setPasswordChar({});
    text->setText(u"hello");
    text->setSelStart(0);
    clipboard().clear();
    if (c.clip) clipboard().setText(u"clip");
    c.set(*text);
    person::rightClick(*text);
    EXPECT_EQ(greyedOf(*form), c.greyed);
    person::pressEsc(*form);
    EXPECT_EQ(form->editMenu(), nullptr);
  }
  // After an edit Undo can act.
  text->setText(u"hello");
  person::type(*text, u"x");
  person::rightClick(*text);
  EXPECT_EQ(greyedOf(*form).substr(0, 1), "+");
}

TEST_F(TextEditTest, TheContextMenuOpensByTheRightButtonTheMenuKeyOrShiftF10AndIsWorkedByKeysAndClicks) {
  text->setText(u"hello world");
  const int lh = fontLineHeight(text->font());
  const int y = 10 + RenderTextTop + lh / 2;
  form->take();
  // A right click: the control's mouse events, then the menu at the pointer, drawn over the form.
  send(WM_RBUTTONDOWN, packButtons(2, 0), packPoint(30, y));
  send(WM_RBUTTONUP, packButtons(2, 0), packPoint(30, y));
  EXPECT_EQ(without(form->take(), "Focus"), (Log{"Text(1).MouseDown", "Text(1).MouseUp"}));
  ASSERT_NE(form->editMenu(), nullptr);
  EXPECT_NEAR(form->editMenu()->rect().left, pixelsToTwips(30), 1);
  const RenderItem shown = form->picture();
  ASSERT_EQ(shown.children.back().kind, RenderKind::Menu);
  EXPECT_EQ(shown.children.back().items.front(), u"&Undo");
  // Keys go to the menu, not to the field: "a" chooses Select All.
  key('A');
  EXPECT_EQ(form->editMenu(), nullptr);
  EXPECT_EQ(selection(*text), Sel(0, 11));
  EXPECT_EQ(text->text(), u"hello world");
  EXPECT_EQ(form->take(), (Log{"Form.KeyUp(65)", "Text(1).KeyUp"}));
  // The Menu key: the arrows mark (past the separator and the greyed Undo), Return chooses: Cut.
  key(kMenu);
  ASSERT_NE(form->editMenu(), nullptr);
  key(kDown);
  key(kDown);
  EXPECT_EQ(form->editMenu()->marked(), kCut);
  send(WM_KEYDOWN, kReturn, 0);
  EXPECT_EQ(text->text(), u"");
  EXPECT_EQ(clipboard().getText(), u"hello world");
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(93)", "Text(1).KeyDown", "Text(1).Change"}));
  // Shift+F10: a click on Paste pastes; Undo takes the paste back.
  key(kF10, kShift);
  EditMenu* m = form->editMenu();
  ASSERT_NE(m, nullptr);
  const RenderRect r = m->rect();
  auto itemPoint = [&](int entry) {
    for (double yy = r.top; yy < r.top + r.height; yy += 15)
      if (form->editMenu()->entryAt(r.left + 300, yy) == entry)
        return packPoint(twipsToPixels(r.left + 300), twipsToPixels(yy + 30));
    return packPoint(0, 0);
  };
  const LPARAM paste = itemPoint(kPaste);
  send(WM_MOUSEMOVE, 0, paste);
  EXPECT_EQ(form->editMenu()->marked(), kPaste);
  send(WM_LBUTTONDOWN, packButtons(1, 0), paste);
  send(WM_LBUTTONUP, packButtons(1, 0), paste);
  EXPECT_EQ(text->text(), u"hello world");
  EXPECT_EQ(form->editMenu(), nullptr);
  person::rightClick(*text);
  send(WM_CHAR, 'u', 0);
  EXPECT_EQ(text->text(), u"");
  // A greyed item does nothing and the menu stays; Escape closes it with nothing changed.
  person::rightClick(*text);
  send(WM_CHAR, 'c', 0);  // Copy: nothing selected
  ASSERT_NE(form->editMenu(), nullptr);
  EXPECT_EQ(form->editMenu()->marked(), kCopy);
  send(WM_KEYDOWN, kEscape, 0);
  EXPECT_EQ(form->editMenu(), nullptr);
  // A press outside closes it, and reaches nothing else.
  text->setText(u"kept");
  person::rightClick(*text);
  form->take();
  send(WM_LBUTTONDOWN, packButtons(1, 0), packPoint(20, 60));  // on the other box
  send(WM_LBUTTONUP, packButtons(1, 0), packPoint(20, 60));
  EXPECT_EQ(form->editMenu(), nullptr);
  EXPECT_EQ(form->activeControl(), text);
  EXPECT_EQ(form->take(), Log{});
  EXPECT_EQ(text->text(), u"kept");
  // A script that swallows the Menu key keeps the menu shut; the focus leaving closes it.
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyDown) p[0].assign(Variant::i2(0));
  };
  key(kMenu);
  EXPECT_EQ(form->editMenu(), nullptr);
  form->react = nullptr;
  person::rightClick(*text);
  other->setFocus();
  EXPECT_EQ(form->editMenu(), nullptr);
  // Through the simulated user: keys on the field reach the open menu.
  other->setText(u"abc");
  person::rightClick(*other);
  person::keyPress(*other, 'a');
  EXPECT_EQ(other->selLength(), 3);
  person::keyDown(*other, kMenu);
  person::keyDown(*other, kDown);
  person::keyDown(*other, kDown);
  person::keyDown(*other, kDown);  // Copy
  person::press(*other, u"Enter");
  EXPECT_EQ(clipboard().getText(), u"abc");
  EXPECT_EQ(form->editMenu(), nullptr);
  // An editable combo's field has the menu too; a drop-down list has none.
  ComboBox& combo = form->add<ComboBox>(u"ComboText", 1, 150, 1500);
  combo.move(150, 1500, 3000, 315);
  combo.setText(u"red");
  person::click(combo);
  person::keyStroke(combo, kMenu);
  ASSERT_NE(form->editMenu(), nullptr);
  person::keyPress(combo, 'a');
  person::keyStroke(combo, kMenu);
  person::keyPress(combo, 'd');
  EXPECT_EQ(combo.text(), u"");
}

}  // namespace
}  // namespace svx::testing
