// A person's input as a display delivers it: window messages to the form's
// window, which take the simulated user's code paths.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"

namespace svx::testing {
namespace {

class PersonInputTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 150, 150);      // pixels 10,10 .. 91,29
    button = &form->add<CommandButton>(u"Command", 1, 150, 750);  // pixels 10,50 ..
    form->show();
    form->take();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  void press(int x, int y, int16_t button = 1) { send(WM_LBUTTONDOWN, packButtons(button, 0), packPoint(x, y)); }
  void release(int x, int y, int16_t button = 1) { send(WM_LBUTTONUP, packButtons(button, 0), packPoint(x, y)); }
  TextBox* text = nullptr;
  CommandButton* button = nullptr;
};

TEST_F(PersonInputTest, APressAndAReleaseOverAButtonAreTheSimulatedClick) {
  press(20, 55);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus",
                               "Command(1).GotFocus"}));
  release(21, 56);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseUp", "Command(1).Click"}));
}

TEST_F(PersonInputTest, AReleaseAwayFromTheButtonRaisesMouseUpWithoutClick) {
  press(20, 55);
  form->take();
  send(WM_MOUSEMOVE, packButtons(1, 0), packPoint(200, 200));
  release(200, 200);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseMove", "Command(1).MouseUp"}));
}

TEST_F(PersonInputTest, TwoQuickClicksAreADoubleClickAndSlowOnesAreNot) {
  press(20, 20);
  release(20, 20);
  form->take();
  Clock::advance(200);
  press(20, 20);
  release(20, 20);
  EXPECT_EQ(form->take(), (Log{"Text(1).DblClick", "Text(1).MouseUp"}));
  Clock::advance(person::kDoubleClickMs + 1);
  press(20, 20);
  release(20, 20);
  EXPECT_EQ(form->take(), (Log{"Text(1).MouseDown", "Text(1).MouseUp", "Text(1).Click"}));
}

TEST_F(PersonInputTest, TwoQuickClicksOnAButtonOrACheckBoxAreTwoClicks) {
  // Neither has DblClick: the second press is a press of its own.
  CheckBox& check = form->add<CheckBox>(u"Check", 1, 1500, 750);  // pixels 100,50 ..
  for (auto [x, name] : {std::pair{20, "Command(1)"}, std::pair{110, "Check(1)"}}) {
    press(x, 55);
    release(x, 55);
    form->take();
    Clock::advance(100);
    press(x, 55);
    release(x, 55);
    const Log log = form->take();
    ASSERT_GE(log.size(), 3u) << name;
    EXPECT_EQ((Log{log.end() - 3, log.end()}), (Log{std::string(name) + ".MouseDown", std::string(name) + ".MouseUp",
                                                   std::string(name) + ".Click"}));
    Clock::advance(person::kDoubleClickMs + 1);
  }
  EXPECT_EQ(check.value(), 0);  // ticked and cleared again
}

TEST_F(PersonInputTest, APressOnADisabledControlDoesNothing) {
  button->setEnabled(false);
  press(20, 55);
  release(20, 55);
  EXPECT_EQ(form->take(), Log{});
}

TEST_F(PersonInputTest, KeysGoThroughThePreviewToTheFocusAndTabEnterMoveAndPress) {
  send(WM_KEYDOWN, 72, 1);
  send(WM_CHAR, u'H', 1);
  send(WM_KEYUP, 72, 1);
  send(WM_CHAR, u'é', 0);
  EXPECT_EQ(text->text(), u"Hé");
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(72)", "Text(1).KeyDown", "Form.KeyPress(72)", "Text(1).KeyPress(72)",
                               "Text(1).Change", "Form.KeyUp(72)", "Text(1).KeyUp", "Form.KeyPress(233)",
                               "Text(1).KeyPress(233)", "Text(1).Change"}));
  send(WM_KEYDOWN, 9, 0);  // Tab
  send(WM_KEYUP, 9, 0);
  EXPECT_EQ(form->activeControl(), button);
  form->take();
  send(WM_KEYDOWN, 13, 0);  // Enter: the focused button
  send(WM_KEYUP, 13, 0);
  EXPECT_EQ(form->take(), (Log{"Command(1).Click"}));
}

TEST_F(PersonInputTest, CaretKeysMoveInTheTextAndDeleteRemovesAfterTheCaret) {
  auto key = [&](int16_t code) {
    send(WM_KEYDOWN, static_cast<WPARAM>(code), 0);
    send(WM_KEYUP, static_cast<WPARAM>(code), 0);
  };
  for (char16_t c : std::u16string_view(u"abc")) send(WM_CHAR, c, 0);
  key(37);
  key(37);
  send(WM_CHAR, u'X', 0);
  EXPECT_EQ(text->text(), u"aXbc");
  key(36);  // home
  key(46);  // delete
  EXPECT_EQ(text->text(), u"Xbc");
  form->take();
  key(35);  // end: nothing after the caret to delete
  key(46);
  EXPECT_EQ(text->text(), u"Xbc");
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(35)", "Text(1).KeyDown", "Form.KeyUp(35)", "Text(1).KeyUp",
                               "Form.KeyDown(46)", "Text(1).KeyDown", "Form.KeyUp(46)", "Text(1).KeyUp"}));
  // A handler that swallows the key (KeyCode 0) keeps the text; so does Locked.
  key(36);
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyDown) p[0].assign(Variant::i2(0));
  };
  key(46);
  EXPECT_EQ(text->text(), u"Xbc");
  form->react = nullptr;
  text->setLocked(true);
  key(46);
  EXPECT_EQ(text->text(), u"Xbc");
  text->setLocked(false);
  key(46);
  EXPECT_EQ(text->text(), u"bc");
}

TEST_F(PersonInputTest, ListsChooseTheItemUnderThePointerAndFollowTheArrowKeys) {
  ListBox& list = form->add<ListBox>(u"List", 1, 1500, 150);
  list.move(1500, 150, 1500, 4 * fontLineHeight(list.font()) * 15 + 30);
  for (const char16_t* s : {u"a", u"b", u"c", u"d", u"e", u"f", u"g"}) list.addItem(s);
  form->take();
  const int rowY = 10 + 1 + fontLineHeight(list.font()) + 2;  // the second row
  press(110, rowY);
  release(110, rowY);
  EXPECT_EQ(list.listIndex(), 1);
  EXPECT_EQ(form->take(), (Log{"List(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus", "List(1).GotFocus",
                               "List(1).Click", "List(1).MouseUp"}));
  for (int i = 0; i < 4; ++i) send(WM_KEYDOWN, 40, 0);  // down
  EXPECT_EQ(list.listIndex(), 5);
  EXPECT_EQ(list.topIndex(), 5 - list.visibleRows() + 1);  // scrolled into view
  send(WM_KEYDOWN, 36, 0);  // home
  EXPECT_EQ(list.listIndex(), 0);
  EXPECT_EQ(list.topIndex(), 0);
}

TEST_F(PersonInputTest, CloseBoxResizeAndPicture) {
  button->setDefault(true);
  const double before = form->scaleWidth();
  send(WM_SIZE, 0, packPoint(200, 150));
  EXPECT_EQ(form->scaleWidth(), 200 * 15);
  EXPECT_EQ(form->scaleHeight(), 150 * 15);
  EXPECT_NE(before, form->scaleWidth());
  EXPECT_EQ(form->take(), (Log{"Form.Resize"}));

  RenderItem picture;
  EXPECT_EQ(send(WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&picture)), 1);
  EXPECT_EQ(picture.kind, RenderKind::Form);
  EXPECT_EQ(picture.rect.width, 200 * 15);
  int focused = 0, defaults = 0;
  for (const RenderItem& c : picture.children) {
    if (!c.visible) continue;
    focused += c.focused;
    defaults += c.isDefault;
    if (c.kind == RenderKind::TextBox) {
      EXPECT_TRUE(c.focused);
    }
    if (c.kind == RenderKind::CommandButton) {
      EXPECT_TRUE(c.isDefault);
    }
  }
  EXPECT_EQ(focused, 1);
  EXPECT_EQ(defaults, 1);

  send(WM_CLOSE);
  EXPECT_EQ(form->take(), (Log{"Form.QueryUnload(0)", "Form.Unload"}));
  EXPECT_FALSE(form->isLoaded());
}

TEST_F(PersonInputTest, AltF4ClosesTheWindowAsItsCloseBoxAndF4WithoutAltDoesNot) {
  form->take();
  send(WM_KEYDOWN, 115, 2);  // Ctrl+F4
  send(WM_KEYDOWN, 115, 0);  // F4
  EXPECT_TRUE(form->isLoaded());
  form->take();
  send(WM_KEYDOWN, 115, 4);  // Alt+F4
  EXPECT_EQ(form->take(), (Log{"Form.QueryUnload(0)", "Form.Unload"}));
  EXPECT_FALSE(form->isLoaded());
}

}  // namespace
}  // namespace svx::testing
