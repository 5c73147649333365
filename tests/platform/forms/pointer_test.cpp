// Drop-down lists and the mouse wheel, as a display delivers a person's
// input (window messages), and through the simulated user's positioned clicks.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"

namespace svx::testing {
namespace {

class PointerTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    button = &form->add<CommandButton>(u"Command", 1, 150, 150);  // pixels 10,10 ..
    combo = &form->add<ComboBox>(u"Combo", 1, 1500, 150);         // pixels 100,10 .. 181,31
    for (const char16_t* s : {u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight", u"nine",
                              u"ten", u"eleven", u"twelve"})
      combo->addItem(s);
    form->show();
    form->take();
    lh = fontLineHeight(combo->font());
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  void press(int x, int y, int16_t b = 1) {
    const UINT msg = b == 1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    send(msg, packButtons(b, 0), packPoint(x, y));
  }
  void release(int x, int y, int16_t b = 1) {
    const UINT msg = b == 1 ? WM_LBUTTONUP : WM_RBUTTONUP;
    send(msg, packButtons(b, 0), packPoint(x, y));
  }
  void click(int x, int y) {
    press(x, y);
    release(x, y);
    Clock::advance(person::kDoubleClickMs + 1);  // no double clicks between steps
  }
  void wheel(int notches, int x, int y) {
    send(WM_MOUSEWHEEL, packWheel(static_cast<int16_t>(notches), 0), packPoint(x, y));
  }
  void key(int16_t code, int16_t shift = 0) {
    send(WM_KEYDOWN, static_cast<WPARAM>(code), shift);
    send(WM_KEYUP, static_cast<WPARAM>(code), shift);
  }
  // The middle of row `row` of the open list (pixels), when it opens below the box.
  int rowY(int row) const { return 31 + 1 + row * lh + lh / 2; }
  // The form's picture: the open list is its last item.
  RenderItem picture() {
    RenderItem p;
    send(WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
  }
  static std::vector<std::string> without(Log log, const std::string& what) {
    std::erase_if(log, [&](const std::string& e) { return e.find(what) != std::string::npos; });
    return log;
  }
  CommandButton* button = nullptr;
  ComboBox* combo = nullptr;
  int lh = 0;
};

TEST_F(PointerTest, APressOnADropDownListOpensItsListBelowTheBoxAndAnItemIsChosenAtTheRelease) {
  press(120, 20);
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(form->take(), (Log{"Combo(1).MouseDown", "Command(1).LostFocus",
                               "Combo(1).GotFocus", "Combo(1).DropDown"}));
  release(120, 20);
  EXPECT_EQ(form->take(), (Log{"Combo(1).MouseUp"}));
  EXPECT_TRUE(combo->listOpen());

  const RenderItem open = picture();
  ASSERT_FALSE(open.children.empty());
  const RenderItem& list = open.children.back();
  EXPECT_EQ(list.kind, RenderKind::ListBox);
  EXPECT_EQ(list.rect.left, 1500);
  EXPECT_EQ(list.rect.top, 150 + 315);
  EXPECT_EQ(list.rect.height, (ComboBox::kListRows * lh + 2) * 15);
  EXPECT_EQ(list.items.size(), 12u);

  Clock::advance(person::kDoubleClickMs + 1);
  send(WM_MOUSEMOVE, 0, packPoint(120, rowY(2)));
  EXPECT_EQ(combo->markedItem(), 2);
  EXPECT_EQ(picture().children.back().selectedIndex, 2);
  press(120, rowY(2));
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(form->take(), Log{});
  release(120, rowY(2));
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 2);
  EXPECT_EQ(combo->text(), u"three");
  EXPECT_EQ(form->take(), (Log{"Combo(1).Click"}));
  EXPECT_EQ(picture().children.back().kind, RenderKind::ComboBox);

  // Choosing the item already selected raises nothing.
  click(120, 20);
  form->take();
  click(120, rowY(2));
  EXPECT_EQ(combo->listIndex(), 2);
  EXPECT_EQ(form->take(), Log{});
}

TEST_F(PointerTest, APressElsewhereOrEscapeClosesTheListWithoutAChangeAndIsTakenByTheList) {
  combo->setListIndex(0);
  form->take();
  click(120, 20);
  form->take();
  click(20, 15);  // on the button: only closes the list
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 0);
  EXPECT_EQ(form->take(), Log{});
  EXPECT_EQ(form->activeControl(), combo);

  // A press on the box itself closes its list; the next one opens it again.
  click(120, 20);
  click(120, 20);
  EXPECT_FALSE(combo->listOpen());
  click(120, 20);
  EXPECT_TRUE(combo->listOpen());
  form->take();
  // Escape closes the list and does not press the Cancel button.
  button->setCancel(true);
  key(27);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(without(form->take(), "Key"), Log{});
  key(27);  // with the list closed, Escape presses Cancel again
  EXPECT_EQ(without(form->take(), "Key"), (Log{"Command(1).Click"}));

  // A right press closes the list, as does the loss of the focus.
  click(120, 20);
  press(120, rowY(3), 2);
  release(120, rowY(3), 2);
  EXPECT_FALSE(combo->listOpen());
  click(120, 20);
  key(9);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 0);
}

TEST_F(PointerTest, APressOnTheBoxDraggedOntoAnItemChoosesItAtTheRelease) {
  press(120, 20);
  send(WM_MOUSEMOVE, packButtons(1, 0), packPoint(120, rowY(4)));
  EXPECT_EQ(combo->markedItem(), 4);
  form->take();
  release(120, rowY(4));
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 4);
  EXPECT_EQ(form->take(), (Log{"Combo(1).MouseUp", "Combo(1).Click"}));
  // Released beside the list: it stays open.
  Clock::advance(person::kDoubleClickMs + 1);
  press(120, 20);
  release(300, rowY(4));
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 4);
}

TEST_F(PointerTest, AnEditableComboOpensOnlyFromItsButton) {
  ComboBox& edit = form->add<ComboBox>(u"ComboText", 1, 1500, 1500);  // pixels 100,100 .. 181,121
  edit.addItem(u"alpha");
  edit.addItem(u"beta");
  form->take();
  click(110, 110);  // the edit field
  EXPECT_EQ(form->activeControl(), &edit);
  EXPECT_FALSE(edit.listOpen());
  click(175, 110);  // the button
  EXPECT_TRUE(edit.listOpen());
  EXPECT_EQ(form->take(), (Log{"ComboText(1).MouseDown", "Command(1).LostFocus",
                               "ComboText(1).GotFocus", "ComboText(1).MouseUp", "ComboText(1).MouseDown",
                               "ComboText(1).DropDown", "ComboText(1).MouseUp"}));
  // Two items: a list of two rows, and a press below them only closes it.
  const RenderItem list = picture().children.back();
  EXPECT_EQ(list.rect.height, (2 * lh + 2) * 15);
  click(110, 121 + 1 + lh + lh / 2);
  EXPECT_EQ(edit.listIndex(), 1);
  EXPECT_EQ(edit.text(), u"beta");
  EXPECT_EQ(without(form->take(), "Mouse"), (Log{"ComboText(1).Click"}));  // no Change from the list
}

TEST_F(PointerTest, TheListOpensAboveTheBoxWhenTheFormHasNoRoomBelow) {
  combo->move(1500, form->scaleHeight() - 315 - 30);
  person::clickAt(*form, 1600, form->scaleHeight() - 200);
  ASSERT_TRUE(combo->listOpen());
  const RenderRect r = combo->listRect();
  EXPECT_DOUBLE_EQ(r.top + r.height, combo->top());
  // A box too near the top for either side opens below, clipped by the form.
  combo->closeList();
  combo->move(1500, 600, 1215, form->scaleHeight() - 900);
  combo->openList();
  EXPECT_DOUBLE_EQ(combo->listRect().top, combo->top() + combo->height());
}

TEST_F(PointerTest, CaretKeysOnAClosedListChooseTheItemAtOnce) {
  click(120, 20);
  key(27);
  form->take();
  ASSERT_FALSE(combo->listOpen());
  // down, down, up, up at the top, end, page up, home
  const std::pair<int16_t, int16_t> keys[] = {{40, 0},  {40, 1}, {38, 0}, {38, 0},
                                              {35, 11}, {33, 11 - (ComboBox::kListRows - 1)}, {36, 0}};
  for (const auto& [code, expected] : keys) {
    key(code);
    EXPECT_FALSE(combo->listOpen());
    EXPECT_EQ(combo->listIndex(), expected) << "key " << code;
  }
  EXPECT_EQ(combo->text(), combo->list(0));
  EXPECT_EQ(without(form->take(), "Key"), (Log{"Combo(1).Click", "Combo(1).Click", "Combo(1).Click", "Combo(1).Click",
                                               "Combo(1).Click", "Combo(1).Click"}));
}

TEST_F(PointerTest, KeysOperateTheOpenListAndF4OrAltDownOpenIt) {
  click(120, 20);
  key(27);
  form->take();
  key(115);  // F4
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(without(form->take(), "Key"), (Log{"Combo(1).DropDown"}));
  key(40);
  key(40);
  EXPECT_EQ(combo->markedItem(), 1);
  EXPECT_EQ(combo->listIndex(), -1);  // only marked while the list is open
  key(35);  // end: the last item, scrolled into view
  EXPECT_EQ(combo->markedItem(), 11);
  EXPECT_EQ(combo->listTop(), 12 - ComboBox::kListRows);
  button->setDefault(true);
  form->take();
  key(13);  // Enter chooses the marked item, not the Default button
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 11);
  EXPECT_EQ(without(form->take(), "Key"), (Log{"Combo(1).Click"}));
  key(40, person::vbAltMask);
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(combo->markedItem(), 11);
  key(38, person::vbAltMask);  // Alt+Up closes, choosing the marked item
  EXPECT_FALSE(combo->listOpen());
}

TEST_F(PointerTest, TheWheelScrollsTheOpenListAndAListBoxThreeRowsANotch) {
  click(120, 20);
  form->take();
  wheel(-1, 300, 300);  // anywhere: the open list scrolls
  EXPECT_EQ(combo->listTop(), 3);
  wheel(-5, 120, rowY(0));
  EXPECT_EQ(combo->listTop(), 12 - ComboBox::kListRows);  // not past the last row
  wheel(2, 120, rowY(0));
  EXPECT_EQ(combo->listTop(), 0);
  EXPECT_EQ(form->take(), (Log{"Combo(1).Scroll", "Combo(1).Scroll", "Combo(1).Scroll"}));
  EXPECT_TRUE(combo->listOpen());
  // The open list's scroll bar: its down arrow scrolls a row, the track
  // below the thumb a page (as far as the last row).
  combo->scrollList(-100);
  const int bottom = 31 + 2 + ComboBox::kListRows * lh;
  click(100 + 81 - 5, bottom - 8);
  EXPECT_TRUE(combo->listOpen());
  EXPECT_EQ(combo->listTop(), 1);
  click(100 + 81 - 5, bottom - 16 - 2);
  EXPECT_EQ(combo->listTop(), 12 - ComboBox::kListRows);
  EXPECT_TRUE(combo->listOpen());
  key(27);

  ListBox& list = form->add<ListBox>(u"List", 1, 150, 1500);  // pixels 10,100 ..
  list.move(150, 1500, 1500, (4 * lh + 2) * 15);
  for (int i = 0; i < 10; ++i) list.addItem(BStr(1, static_cast<char16_t>(u'a' + i)));
  form->take();
  wheel(-1, 20, 110);
  EXPECT_EQ(list.topIndex(), 3);
  wheel(-10, 20, 110);
  EXPECT_EQ(list.topIndex(), 10 - list.visibleRows());
  wheel(10, 20, 110);
  EXPECT_EQ(list.topIndex(), 0);
  wheel(1, 20, 110);  // already at the top: nothing
  EXPECT_EQ(list.listIndex(), -1);
  EXPECT_EQ(form->take(), (Log{"List(1).Scroll", "List(1).Scroll", "List(1).Scroll"}));
  // Not on a list: nothing scrolls, nothing is raised.
  wheel(-1, 20, 15);
  wheel(-1, 400, 300);
  EXPECT_EQ(form->take(), Log{});
  list.setEnabled(false);
  wheel(-1, 20, 110);
  EXPECT_EQ(list.topIndex(), 0);
}

TEST_F(PointerTest, TheSimulatedUsersClicksOperateTheListAsAPersonDoes) {
  person::clickAt(*form, 1600, 200);
  ASSERT_TRUE(combo->listOpen());
  const RenderRect r = combo->listRect();
  person::clickAt(*form, 1600, r.top + 15 + 1.5 * lh * 15);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(combo->listIndex(), 1);
  EXPECT_EQ(without(form->take(), "Mouse"),
            (Log{"Command(1).LostFocus", "Combo(1).GotFocus", "Combo(1).DropDown",
                 "Combo(1).Click"}));
  // A click on a control while the list is open only closes the list.
  person::clickAt(*combo, 100, 100);
  EXPECT_TRUE(combo->listOpen());
  person::clickAt(*button, 100, 100);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(without(form->take(), "Mouse"), (Log{"Combo(1).DropDown"}));
  // choose() still raises DropDown and Click, and leaves no list open.
  person::choose(*combo, 4);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(without(form->take(), "Mouse"), (Log{"Combo(1).DropDown", "Combo(1).Click"}));
}

TEST_F(PointerTest, AHiddenOrUnloadedComboLeavesNoListBehind) {
  click(120, 20);
  ASSERT_TRUE(combo->listOpen());
  combo->setVisible(false);
  combo->setVisible(true);
  EXPECT_FALSE(combo->listOpen());
  combo->openList();
  combo->setVisible(false);
  EXPECT_FALSE(combo->listOpen());
  EXPECT_EQ(form->droppedList(), nullptr);
  combo->setVisible(true);
  EXPECT_FALSE(combo->listOpen());  // shown again closed
  combo->setEnabled(false);
  combo->openList();
  EXPECT_FALSE(combo->listOpen());
  combo->setEnabled(true);
  combo->openList();
  ASSERT_TRUE(combo->listOpen());
  // The DropDown handler may empty the list: an empty list opens one row high.
  combo->closeList();
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant>) {
    if (e == ControlEvent::DropDown) combo->clear();
  };
  combo->openList();
  form->react = nullptr;
  EXPECT_EQ(combo->listRect().height, (lh + 2) * 15);
  EXPECT_EQ(combo->listItemAt(1600, combo->listRect().top + 30), -1);
  form->hide();  // a hidden form shows again without the list
  form->show();
  EXPECT_FALSE(combo->listOpen());
  combo->openList();
  form->array(u"Combo").unload(1);
  EXPECT_EQ(form->droppedList(), nullptr);
  click(120, 20);  // nothing there any more
  EXPECT_EQ(picture().children.back().kind, RenderKind::CommandButton);
}

class TextPointerTest : public PointerTest {
 protected:
  void SetUp() override {
    PointerTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 150, 1500);  // pixels 10,100 .. 170,119
    text->move(150, 1500, 2400, 285);
    text->setText(u"hello world");
    form->take();
  }
  // The pixel column of the boundary after `prefix`.
  int after(std::u16string_view prefix) const { return 10 + RenderTextLeft + measureText(text->font(), prefix).width; }
  TextBox* text = nullptr;
  static constexpr int y = 109;
};

TEST_F(TextPointerTest, APressPlacesTheCaretAtTheNearestCharacterBoundary) {
  struct Case {
    int x;
    int32_t caret;
  } cases[] = {
      {11, 0},                                // the margin
      {after(u"hello w") + 1, 7},             // just after the boundary
      {after(u"hello wo") - 1, 8},            // just before the next one
      {after(u"hello world") + 30, 11},       // past the end
  };
  for (const Case& c : cases) {
    click(c.x, y);
    EXPECT_EQ(text->selStart(), c.caret) << c.x;
    EXPECT_EQ(text->selLength(), 0);
  }
  // The simulated user's positioned click places it the same way.
  person::clickAt(*text, (after(u"hello w") + 1 - 10) * 15.0, 150);
  EXPECT_EQ(text->selStart(), 7);
  EXPECT_EQ(text->selLength(), 0);
  // And at a point of the form: the point in the box's own coordinates.
  person::clickAt(*form, (after(u"hello wo") + 1) * 15.0, y * 15.0);
  EXPECT_EQ(text->selStart(), 8);
  // Masked text keeps the positions of the characters it hides.
  text->setPasswordChar(u"*");
  click(after(u"hello world") + 30, y);
  EXPECT_EQ(text->selStart(), 11);
}

TEST_F(TextPointerTest, ShiftExtendsTheSelectionADragSelectsADoubleClickSelectsAWord) {
  click(after(u"hello w") + 1, y);
  send(WM_LBUTTONDOWN, packButtons(1, person::vbShiftMask), packPoint(after(u"hello world") + 30, y));
  release(after(u"hello world") + 30, y);
  EXPECT_EQ(text->selStart(), 7);
  EXPECT_EQ(text->selLength(), 4);
  Clock::advance(person::kDoubleClickMs + 1);
  // From the same start, backwards.
  send(WM_LBUTTONDOWN, packButtons(1, person::vbShiftMask), packPoint(11, y));
  release(11, y);
  EXPECT_EQ(text->selStart(), 0);
  EXPECT_EQ(text->selLength(), 7);
  RenderItem shown = picture();
  const auto it = std::find_if(shown.children.begin(), shown.children.end(),
                               [](const RenderItem& c) { return c.kind == RenderKind::TextBox && c.visible; });
  ASSERT_NE(it, shown.children.end());
  EXPECT_EQ(it->selectionLength, 7);
  EXPECT_EQ(it->caret, 0);  // at the end the pointer moved last
  Clock::advance(person::kDoubleClickMs + 1);

  press(after(u"he") - 1, y);
  send(WM_MOUSEMOVE, packButtons(1, 0), packPoint(after(u"hello wor") + 1, y + 3));
  EXPECT_EQ(text->selText(), u"llo wor");
  send(WM_MOUSEMOVE, packButtons(1, 0), packPoint(5, y));  // left of the box
  EXPECT_EQ(text->selText(), u"he");
  release(5, y);
  send(WM_MOUSEMOVE, 0, packPoint(after(u"hello world"), y));  // no button: no change
  EXPECT_EQ(text->selText(), u"he");
  Clock::advance(person::kDoubleClickMs + 1);

  press(after(u"hello wo"), y);
  release(after(u"hello wo"), y);
  press(after(u"hello wo"), y);
  release(after(u"hello wo"), y);
  EXPECT_EQ(text->selText(), u"world");
  Clock::advance(person::kDoubleClickMs + 1);
  text->setText(u"a, b");
  form->take();
  press(after(u"a,") - 1, y);
  release(after(u"a,") - 1, y);
  press(after(u"a,") - 1, y);
  EXPECT_EQ(text->selText(), u",");
  release(after(u"a,") - 1, y);
  EXPECT_EQ(without(form->take(), "Mouse"), (Log{"Text(1).Click", "Text(1).DblClick"}));
}

TEST_F(TextPointerTest, LinesOfAMultiLineBoxAndTheWheel) {
  text->setMultiLine(true);
  text->move(150, 1500, 2400, (4 * lh + 2 * RenderTextTop) * 15);
  text->setText(u"ab\r\ncd");
  click(after(u"ab") + 20, 100 + RenderTextTop + lh / 2);  // right of the first line: before its break
  EXPECT_EQ(text->selStart(), 2);
  click(11, 100 + RenderTextTop + lh + lh / 2);
  EXPECT_EQ(text->selStart(), 4);
  click(11, 100 + RenderTextTop + 3 * lh + lh / 2);  // below the last line: on it
  EXPECT_EQ(text->selStart(), 4);

  BStr lines;
  for (int i = 0; i < 10; ++i) lines += BStr(1, static_cast<char16_t>(u'0' + i)) + u"\r\n";
  text->setText(lines);  // ten lines and an empty one
  form->take();
  wheel(-1, 20, 110);
  EXPECT_EQ(text->topLine(), 3);
  click(11, 100 + RenderTextTop + lh / 2);
  EXPECT_EQ(text->selStart(), 3 * 3);  // the first line shown is "3"
  wheel(-10, 20, 110);
  EXPECT_EQ(text->topLine(), 11 - 4);
  wheel(10, 20, 110);
  EXPECT_EQ(text->topLine(), 0);
  // Typing and the caret keys keep the caret's line in view.
  key(35, 2);  // Ctrl+End: the last, empty line
  EXPECT_EQ(text->topLine(), 11 - 4);
  key(36, 2);  // Ctrl+Home: the text's start
  EXPECT_EQ(text->topLine(), 0);
  key(35, 2);
  for (char16_t c : std::u16string_view(u"x\ry\rz")) send(WM_CHAR, c, 0);
  EXPECT_EQ(text->topLine(), 13 - 4);
  form->take();
  text->setMultiLine(false);
  wheel(-1, 20, 110);
  EXPECT_EQ(text->topLine(), 0);  // one line, shown from its start
  text->setMultiLine(true);
  EXPECT_EQ(text->topLine(), 13 - 4);  // the wheel moved nothing
  EXPECT_EQ(without(form->take(), "Mouse"), Log{});
}

// Dark pixels (text) in a rectangle of the form's client area.
int darkPixels(const RasterImage& image, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (image.contains(x, y) && (image.at(x, y) & 0xFF) < 0x80) ++n;
  return n;
}

// The item of a kind that shows `text`.
const RenderItem* shownItem(const RenderItem& root, RenderKind kind, std::u16string_view text) {
  for (const RenderItem& c : root.children)
    if (c.kind == kind && c.text == text) return &c;
  return nullptr;
}

TEST_F(TextPointerTest, ALongLineStaysOneLineAndScrollsSoThatTheCaretShows) {
  const std::u16string line = u"alpha beta gamma delta epsilon zeta eta theta iota kappa";
  text->move(150, 1500, 2400, 600);  // pixels 10,100 .. 170,140: room for two lines
  text->setText(line);
  click(11, 109);
  key(35);  // End
  const RenderItem p = picture();
  const RenderItem* it = shownItem(p, RenderKind::TextBox, line);
  ASSERT_NE(it, nullptr);
  EXPECT_TRUE(it->singleLine);
  const double shown = 160 - 2 * RenderTextLeft;
  const double caretX = textCaretX(line, text->font(), -1, static_cast<int>(line.size())) - it->scrollLeft;
  EXPECT_GT(it->scrollLeft, 0);
  EXPECT_GE(caretX, 0);
  EXPECT_LT(caretX, shown);
  // Nothing is drawn below the one line, and a press at the right edge
  // lands at the end that shows there.
  const RasterImage image = renderClientArea(p);
  EXPECT_EQ(darkPixels(image, 12, 100 + RenderTextTop + lh + 2, 168, 138), 0);
  EXPECT_GT(darkPixels(image, 12, 100 + RenderTextTop, 168, 100 + RenderTextTop + lh), 0);
  click(168, 109);
  EXPECT_EQ(text->selStart(), static_cast<int32_t>(line.size()));
  // Home scrolls back to the start; moving the caret within sight scrolls nothing.
  key(36);
  EXPECT_EQ(shownItem(picture(), RenderKind::TextBox, line)->scrollLeft, 0);
  key(39);
  EXPECT_EQ(shownItem(picture(), RenderKind::TextBox, line)->scrollLeft, 0);
  // Typing at the end keeps the caret in sight too.
  key(35);
  for (char16_t c : std::u16string_view(u" lambda mu")) send(WM_CHAR, c, 0);
  const RenderItem afterTyping = picture();
  const RenderItem* typed = shownItem(afterTyping, RenderKind::TextBox, text->text());
  const double typedX =
      textCaretX(text->text(), text->font(), -1, static_cast<int>(text->text().size())) - typed->scrollLeft;
  EXPECT_GE(typedX, 0);
  EXPECT_LT(typedX, shown);
}

TEST_F(PointerTest, TheEditFieldOfAComboScrollsSoThatTheCaretShows) {
  combo->setStyle(0);
  press(105, 20);  // in the field, not on the button
  release(105, 20);
  const std::u16string typed = u"a long text typed into the field of the combo";
  for (char16_t c : typed) send(WM_CHAR, c, 0);
  const RenderItem p = picture();
  const RenderItem* it = shownItem(p, RenderKind::ComboBox, typed);
  ASSERT_NE(it, nullptr);
  const double caretX = textCaretX(typed, combo->font(), -1, static_cast<int>(typed.size())) - it->scrollLeft;
  EXPECT_GT(it->scrollLeft, 0);
  EXPECT_GE(caretX, 0);
  EXPECT_LT(caretX, comboTextWidth(81));
  key(36);  // Home
  EXPECT_EQ(shownItem(picture(), RenderKind::ComboBox, typed)->scrollLeft, 0);
}

}  // namespace
}  // namespace svx::testing
