// Option groups and the keyboard: one tab stop per group (its chosen
// option), the arrow keys move and choose within the group, Space chooses;
// as a display delivers the keys and through the simulated user.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/person.h"

namespace svx::testing {
namespace {

constexpr int16_t kTab = 9, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

class OptionGroupTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 150, 150);
    for (int16_t i = 1; i <= 3; ++i) opt[i] = &form->add<OptionButton>(u"OptionCtrl", i, 150, 300.0 + 300 * i);
    button = &form->add<CommandButton>(u"Command", 1, 150, 1500);
    for (Control* c : std::initializer_list<Control*>{text, opt[1], opt[2], opt[3], button})
      c->setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
    form->show();
    form->take();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  void key(int16_t code, int16_t shift = 0) {
    send(WM_KEYDOWN, static_cast<WPARAM>(code), shift);
    if (code == 32) send(WM_CHAR, 32, shift);
    send(WM_KEYUP, static_cast<WPARAM>(code), shift);
  }
  static Log without(Log log, const std::string& what) {
    std::erase_if(log, [&](const std::string& e) { return e.find(what) != std::string::npos; });
    return log;
  }
  TextBox* text = nullptr;
  OptionButton* opt[4] = {};
  CommandButton* button = nullptr;
};

TEST_F(OptionGroupTest, AGroupIsOneTabStopThatLandsOnTheChosenOption) {
  opt[2]->setValue(true);
  ASSERT_EQ(form->activeControl(), text);
  key(kTab);
  EXPECT_EQ(form->activeControl(), opt[2]);
  key(kTab);  // out of the group
  EXPECT_EQ(form->activeControl(), button);
  key(kTab, 1);
  EXPECT_EQ(form->activeControl(), opt[2]);
  key(kTab, 1);
  EXPECT_EQ(form->activeControl(), text);
  // Nothing chosen: the group's first, from either side.
  opt[2]->setValue(false);
  key(kTab);
  EXPECT_EQ(form->activeControl(), opt[1]);
  person::click(*button);
  key(kTab, 1);
  EXPECT_EQ(form->activeControl(), opt[1]);
  // The chosen option hidden: the group's first that can take the focus.
  opt[3]->setValue(true);
  opt[3]->setVisible(false);
  person::click(*text);
  key(kTab);
  EXPECT_EQ(form->activeControl(), opt[1]);
  // Options in a picture box are a group of their own, with a stop of its own.
  opt[3]->setVisible(true);
  Control& box = form->add<Control>(u"PictureCtrl", 1, 2000, 300);
  box.setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
  OptionButton& inner = form->add<OptionButton>(u"OptionCtrl", 4, 60, 60);
  inner.setContainer(&box);
  inner.setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
  person::click(*button);
  key(kTab);
  EXPECT_EQ(form->activeControl(), &box);
  key(kTab);
  EXPECT_EQ(form->activeControl(), &inner);
  EXPECT_TRUE(opt[3]->value());  // the other group keeps its choice
}

TEST_F(OptionGroupTest, ArrowsMoveWithinTheGroupAndChooseRaisingClick) {
  opt[1]->setValue(true);
  person::click(*opt[1]);
  form->take();
  key(kDown);
  EXPECT_TRUE(opt[2]->value());
  EXPECT_FALSE(opt[1]->value());
  EXPECT_EQ(form->activeControl(), opt[2]);
  EXPECT_EQ(without(form->take(), "Form."),
            (Log{"OptionCtrl(1).KeyDown", "OptionCtrl(1).Validate", "OptionCtrl(1).LostFocus",
                 "OptionCtrl(2).GotFocus", "OptionCtrl(2).Click", "OptionCtrl(2).KeyUp"}));
  key(kRight);
  EXPECT_TRUE(opt[3]->value());
  key(kDown);  // round to the first
  EXPECT_TRUE(opt[1]->value());
  key(kUp);
  EXPECT_TRUE(opt[3]->value());
  // A disabled option is passed over.
  opt[2]->setEnabled(false);
  key(kLeft);
  EXPECT_TRUE(opt[1]->value());
  EXPECT_EQ(form->activeControl(), opt[1]);
  // The simulated user's strokes take the same path.
  opt[2]->setEnabled(true);
  person::keyStroke(*opt[1], kDown);
  EXPECT_TRUE(opt[2]->value());
  EXPECT_EQ(form->activeControl(), opt[2]);
  // Arrows with Ctrl or Alt, and arrows on other controls, choose nothing.
  key(kDown, 2);
  person::click(*button);
  key(kDown);
  EXPECT_TRUE(opt[2]->value());
}

TEST_F(OptionGroupTest, SpaceChoosesTheFocusedOption) {
  opt[1]->setValue(true);
  opt[3]->setFocus();
  form->take();
  key(32);
  EXPECT_TRUE(opt[3]->value());
  EXPECT_FALSE(opt[1]->value());
  EXPECT_EQ(without(form->take(), "Form."),
            (Log{"OptionCtrl(3).KeyDown", "OptionCtrl(3).KeyPress(32)", "OptionCtrl(3).Click", "OptionCtrl(3).KeyUp"}));
  opt[2]->setFocus();
  person::keyStroke(*opt[2], 32);
  EXPECT_TRUE(opt[2]->value());
}

}  // namespace
}  // namespace svx::testing
