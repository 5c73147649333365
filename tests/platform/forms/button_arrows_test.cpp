// The arrow keys among push buttons: on a form that behaves as a dialog box
// they move the focus round a group of buttons (those next to one another in
// tab order within one container), and the default follows the focus; on a
// program's form they are the focused button's keys alone. As a display
// delivers the keys and through the simulated user.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"

namespace svx::testing {
namespace {

constexpr int16_t kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kReturn = 13;

// A form that takes the arrows as the platform's dialog boxes do.
class DialogBoxForm : public TestForm {
 public:
  bool arrowsMoveAmongButtons() const override { return true; }
};

// A text box, three buttons, a check box and one more button, in that tab
// order; the second button is the default.
template <class F>
class ButtonArrowsTestOf : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    form = makeRef<F>();
    text = &form->template add<TextBox>(u"Text", 1, 150, 150);
    for (int16_t i = 1; i <= 3; ++i) button[i] = &form->template add<CommandButton>(u"Command", i, 150 + 1300.0 * (i - 1), 1500);
    check = &form->template add<CheckBox>(u"Check", 1, 150, 2100);
    button[4] = &form->template add<CommandButton>(u"Command", 4, 150, 2700);
    for (Control* c : std::initializer_list<Control*>{text, button[1], button[2], button[3], check, button[4]})
      c->setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
    button[2]->setDefault(true);
    for (int16_t i = 1; i <= 4; ++i) button[i]->setCaption(u"B" + BStr(1, static_cast<char16_t>(u'0' + i)));
    form->show();
    button[2]->setFocus();
    form->take();
  }
  void TearDown() override {
    form.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  void key(int16_t code, int16_t shift = 0) {
    send(WM_KEYDOWN, static_cast<WPARAM>(code), shift);
    send(WM_KEYUP, static_cast<WPARAM>(code), shift);
  }
  // The captions of the buttons drawn with the default's frame.
  std::vector<std::u16string> defaultDrawn() {
    RenderItem p;
    send(WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&p));
    std::vector<std::u16string> out;
    for (const RenderItem& c : p.children)
      if (c.kind == RenderKind::CommandButton && c.isDefault) out.push_back(c.text);
    return out;
  }
  int clicks(int16_t index) {
    const std::string entry = "Command(" + std::to_string(index) + ").Click";
    const Log log = form->take();
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
  }
  Ref<F> form;
  TextBox* text = nullptr;
  CheckBox* check = nullptr;
  CommandButton* button[5] = {};
};

using ButtonArrowsTest = ButtonArrowsTestOf<DialogBoxForm>;
using ProgramFormArrowsTest = ButtonArrowsTestOf<TestForm>;

TEST_F(ButtonArrowsTest, ArrowsMoveRoundTheGroupAndReturnPressesTheButtonWithTheFocus) {
  key(kRight);
  EXPECT_EQ(form->activeControl(), button[3]);
  // KeyDown first, then the move; the KeyUp goes to the button reached.
  Log moves = form->take();
  std::erase_if(moves, [](const std::string& e) { return e.starts_with("Form."); });
  EXPECT_EQ(moves, (Log{"Command(2).KeyDown", "Command(2).LostFocus", "Command(3).GotFocus", "Command(3).KeyUp"}));
  EXPECT_EQ(defaultDrawn(), std::vector<std::u16string>{u"B3"});  // the default follows the focus
  key(kReturn);
  EXPECT_EQ(clicks(3), 1);
  const struct {
    int16_t key;
    int16_t to;
  } steps[] = {{kDown, 1}, {kRight, 2}, {kUp, 1}, {kLeft, 3}, {kLeft, 2}};
  for (const auto& s : steps) {
    key(s.key);
    EXPECT_EQ(form->activeControl(), button[s.to]) << s.key;
  }
  // Shift does not matter; Ctrl or Alt with an arrow moves nothing.
  key(kRight, 1);
  EXPECT_EQ(form->activeControl(), button[3]);
  key(kRight, 2);
  key(kRight, 4);
  EXPECT_EQ(form->activeControl(), button[3]);
}

TEST_F(ButtonArrowsTest, AGroupEndsAtAControlThatTakesTheFocusAndPassesOverOnesThatCannot) {
  // The check box parts the fourth button from the others: a group of one.
  button[4]->setFocus();
  key(kRight);
  EXPECT_EQ(form->activeControl(), button[4]);
  // On the check box the arrows are not the group's.
  check->setFocus();
  key(kRight);
  EXPECT_EQ(form->activeControl(), check);
  // With the check box hidden the four buttons are one group.
  check->setVisible(false);
  button[3]->setFocus();
  key(kDown);
  EXPECT_EQ(form->activeControl(), button[4]);
  key(kDown);
  EXPECT_EQ(form->activeControl(), button[1]);
  // A disabled button is passed over, a button in another container is
  // another group.
  button[2]->setEnabled(false);
  key(kRight);
  EXPECT_EQ(form->activeControl(), button[3]);
  Control& box = form->add<Control>(u"PictureCtrl", 1, 3000, 3000);
  button[4]->setContainer(&box);
  key(kRight);
  EXPECT_EQ(form->activeControl(), button[1]);
  EXPECT_EQ(form->buttonGroupOf(*button[1]), (std::vector<Control*>{button[1], button[3]}));
  EXPECT_TRUE(form->buttonGroupOf(*button[2]).empty());
}

TEST_F(ButtonArrowsTest, AKeyDownThatSwallowsTheArrowKeepsTheFocus) {
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> params) {
    if (e == ControlEvent::KeyDown) params[0].assign(Variant::i2(0));
  };
  key(kRight);
  EXPECT_EQ(form->activeControl(), button[2]);
}

TEST_F(ButtonArrowsTest, TheSimulatedUsersStrokesTakeTheSamePath) {
  person::keyStroke(*button[2], kRight);
  EXPECT_EQ(form->activeControl(), button[3]);
  person::keyDownOn(*form, kRight, 0);
  EXPECT_EQ(form->activeControl(), button[1]);
  person::pressEnter(*form);
  EXPECT_EQ(clicks(1), 1);
}

TEST_F(ProgramFormArrowsTest, OnAProgramsFormTheArrowsAreTheButtonsKeysAlone) {
  key(kRight);
  key(kDown);
  EXPECT_EQ(form->activeControl(), button[2]);
  Log log = form->take();
  std::erase_if(log, [](const std::string& e) { return e.starts_with("Form."); });
  EXPECT_EQ(log, (Log{"Command(2).KeyDown", "Command(2).KeyUp", "Command(2).KeyDown", "Command(2).KeyUp"}));
  person::keyStroke(*button[2], kLeft);
  EXPECT_EQ(form->activeControl(), button[2]);
  key(kReturn);
  EXPECT_EQ(clicks(2), 1);
}

}  // namespace
}  // namespace svx::testing
