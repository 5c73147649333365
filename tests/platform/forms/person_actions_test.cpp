#include "tests/platform/forms/forms_fixture.h"

#include <array>
#include <filesystem>

#include "platform/desktop/message_loop.h"
#include "platform/forms/person.h"
#include "platform/forms/user_control.h"

namespace svx::testing {
namespace {

class PersonTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 100, 100);
    button = &form->add<CommandButton>(u"Command", 1, 100, 600);
    form->show();
    form->take();
  }
  TextBox* text = nullptr;
  CommandButton* button = nullptr;
};

TEST_F(PersonTest, ShowGivesTheFocusToTheFirstControlInTabOrder) {
  EXPECT_EQ(form->activeControl(), text);
}

TEST_F(PersonTest, ClickOnAButtonMovesTheFocusWithValidate) {
  person::click(*button);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus",
                               "Command(1).GotFocus", "Command(1).MouseUp", "Command(1).Click"}));
}

TEST_F(PersonTest, ValidateCancelKeepsTheFocusAndDropsTheClick) {
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::Validate) {
      EXPECT_EQ(p[0].vt(), VT_BYREF | VT_BOOL);
      p[0].assign(Variant(true));
    }
  };
  person::click(*button);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Text(1).Validate", "Command(1).MouseUp"}));
  EXPECT_EQ(form->activeControl(), text);
  person::pressTab(*form);
  EXPECT_EQ(form->activeControl(), text);
}

TEST_F(PersonTest, TypingSendsKeysThroughThePreviewAndChangesText) {
  person::type(*text, u"a");
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(65)", "Text(1).KeyDown", "Form.KeyPress(97)", "Text(1).KeyPress(97)",
                               "Text(1).Change", "Form.KeyUp(65)", "Text(1).KeyUp"}));
  EXPECT_EQ(text->text(), u"a");
}

TEST_F(PersonTest, KeyAsciiZeroSwallowsTheCharacter) {
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyPress && toI2(p[0]) == 'b') p[0].assign(Variant(0));
    if (e == ControlEvent::KeyPress && toI2(p[0]) == 'c') p[0].assign(Variant(u"68"));  // "D"
  };
  person::type(*text, u"abc");
  EXPECT_EQ(text->text(), u"aD");
  form->react = nullptr;
  form->formKeyAscii = 0;  // the form's preview swallows it before the control
  form->take();
  person::keyPress(*text, 'x');
  EXPECT_EQ(form->take(), Log{"Form.KeyPress(120)"});
  EXPECT_EQ(text->text(), u"aD");
}

TEST_F(PersonTest, MaxLengthStopsTyping) {
  text->setMaxLength(3);
  person::type(*text, u"abcdef");
  EXPECT_EQ(text->text(), u"abc");
  person::keyStroke(*text, person::vbKeyBack);
  EXPECT_EQ(text->text(), u"ab");
}

TEST_F(PersonTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  auto& ok = form->add<CommandButton>(u"Command", 2);
  ok.setDefault(true);
  button->setCancel(true);
  person::press(*text, u"Enter");
  person::press(*text, u"Esc");
  EXPECT_EQ(form->take(), (Log{"Command(2).Click", "Command(1).Click"}));
  EXPECT_EQ(text->text(), u"");
  EXPECT_EQ(errorOf([&] { person::press(*text, u"F1"); }), 5);
}

TEST_F(PersonTest, TabFollowsTheTabOrder) {
  person::pressTab(*form);
  EXPECT_EQ(form->activeControl(), button);
  EXPECT_EQ(form->take(), (Log{"Text(1).Validate", "Text(1).LostFocus", "Command(1).GotFocus"}));
  button->setTabIndex(0);
  text->setCausesValidation(false);
  person::pressTab(*form);  // wraps round to the text box; no Validate wanted
  EXPECT_EQ(form->take(), (Log{"Command(1).LostFocus", "Text(1).GotFocus"}));
}

TEST_F(PersonTest, ChoosingAndCheckingItems) {
  auto& combo = form->add<ComboBox>(u"Combo", 1);
  combo.addItem(u"one");
  combo.addItem(u"two");
  auto& list = form->add<ListBox>(u"ListCheck", 1);
  list.addItem(u"a");
  list.addItem(u"b");
  text->setCausesValidation(false);
  form->take();
  person::choose(combo, 1);
  EXPECT_EQ(combo.text(), u"two");
  EXPECT_EQ(form->take(), (Log{"Text(1).Validate", "Text(1).LostFocus", "Combo(1).GotFocus", "Combo(1).DropDown",
                               "Combo(1).Click"}));
  person::check(list, 1);
  EXPECT_TRUE(list.selected(1));
  EXPECT_EQ(form->take(), (Log{"Combo(1).Validate", "Combo(1).LostFocus", "ListCheck(1).GotFocus",
                               "ListCheck(1).ItemCheck(1)", "ListCheck(1).Click"}));
}

TEST_F(PersonTest, DraggingAScrollBarScrollsThenChanges) {
  auto& bar = form->add<ScrollBar>(u"HScroll", 1);
  bar.setMax(100);
  bar.setCausesValidation(false);
  text->setCausesValidation(false);
  form->take();
  person::scroll(bar, 40);
  EXPECT_EQ(bar.value(), 40);
  EXPECT_EQ(form->take(), (Log{"Text(1).LostFocus", "HScroll(1).GotFocus", "HScroll(1).Scroll", "HScroll(1).Scroll",
                               "HScroll(1).Change"}));
  EXPECT_EQ(errorOf([&] { person::scroll(bar, 101); }), 380);
}

TEST_F(PersonTest, MouseParametersAreTypedReferencesTheControlReadsBack) {
  float seenX = 0;
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e != ControlEvent::MouseDown) return;
    EXPECT_EQ(p[0].vt(), VT_BYREF | VT_I2);
    EXPECT_EQ(p[2].vt(), VT_BYREF | VT_R4);
    seenX = toR4(p[2]);
  };
  person::mouseDown(*button, person::vbRightButton, person::vbShiftMask, 12.25f, 3);
  EXPECT_EQ(seenX, 12.25f);
}

TEST_F(PersonTest, ClickAtHitTestsThroughContainers) {
  auto& pic = form->add<PictureBox>(u"PictureCtrl", 1, 2000, 2000);
  pic.move(2000, 2000, 1500, 1500);
  auto& check = form->add<CheckBox>(u"Check", 1, 100, 100);
  check.setContainer(&pic);
  form->take();
  person::clickAt(*form, 2150, 2150);
  EXPECT_EQ(check.value(), 1);
  double x = 2150, y = 2150;
  EXPECT_EQ(form->controlAt(x, y), &check);
  EXPECT_EQ(x, 50);
}

TEST_F(PersonTest, SnapshotWritesAPicture) {
  const auto file = std::filesystem::temp_directory_path() / "svx_forms_snapshot.png";
  std::filesystem::remove(file);
  person::snapshot(*form, file);
  EXPECT_GT(std::filesystem::file_size(file), 0u);
  std::filesystem::remove(file);
}

// A user control with a saved property, invisible at run time, raising an
// event of its own.
class Ticker : public UserControl {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = [] {
      ClassInfo c(u"Ticker", &UserControl::info());
      formprop::prop<Ticker>(c, u"Interval", &Ticker::interval, &Ticker::setInterval);
      c.event(u"Tick", {});
      return c;
    }();
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Ref<Control> makeSibling() const override { return makeRef<Ticker>(); }
  bool invisibleAtRunTime() const override { return true; }
  void initProperties() override { interval_ = 100; }
  void writeProperties(PropertyBag& bag) const override { bag.writeProperty(u"Interval", Variant(interval_)); }
  void readProperties(const PropertyBag& bag) override { interval_ = toI4(bag.readProperty(u"Interval", 1)); }
  int32_t interval() const { return interval_; }
  void setInterval(int32_t v) { interval_ = v; }
  void tick() { raiseUserEvent(u"Tick"); }

 private:
  int32_t interval_ = 0;
};

TEST_F(FormsTest, UserControlsReadTheirTemplatesBagAndRaiseTheirEvents) {
  FormDesign d = testDesign();
  d.controls.push_back({u"TimerCtrl", ControlKind::User, [] { return Ref<Control>(makeRef<Ticker>()); },
                        {{u"Left", Variant(4110)}},
                        {}});
  auto f = makeRef<TestForm>(std::move(d));
  auto& tmpl = f->element<Ticker>(u"TimerCtrl");
  EXPECT_EQ(tmpl.interval(), 100);
  tmpl.setInterval(250);
  auto& t = dynamic_cast<Ticker&>(f->array(u"TimerCtrl").load(1));
  EXPECT_EQ(t.interval(), 250);
  EXPECT_EQ(t.left(), 4110);
  t.setVisible(true);
  EXPECT_FALSE(t.visible());
  f->take();
  t.tick();
  EXPECT_EQ(f->take(), Log{"TimerCtrl(1).Tick"});
  f->unload();
}

// Typed characters in a list: Space toggles the current item's check box;
// another character moves to the next item that starts with it, either case.
TEST_F(PersonTest, SpaceTogglesACheckAndALetterFindsTheNextItemInAList) {
  auto& list = form->add<ListBox>(u"List", 1, 2000, 100);
  auto& checks = form->add<ListBox>(u"ListCheck", 1, 2000, 1500);
  for (const char16_t* item : {u"apple", u"banana", u"Blueberry", u"cherry"}) list.addItem(item);
  checks.addItem(u"one");
  checks.addItem(u"two");
  form->take();
  person::keyPress(checks, ' ');  // no current item: nothing to toggle
  EXPECT_FALSE(checks.selected(0) || checks.selected(1));
  checks.setListIndex(1);
  form->take();
  person::keyPress(checks, ' ');
  EXPECT_TRUE(checks.selected(1));
  EXPECT_EQ(form->take(), (Log{"Form.KeyPress(32)", "ListCheck(1).KeyPress(32)", "ListCheck(1).ItemCheck(1)"}));
  person::keyPress(checks, ' ');
  EXPECT_FALSE(checks.selected(1));
  const std::pair<char16_t, int16_t> typed[] = {{u'b', 1}, {u'b', 2}, {u'B', 1}, {u'z', 1}, {u'A', 0}, {u' ', 0}};
  for (const auto& [ch, expected] : typed) {
    person::keyPress(list, static_cast<int16_t>(ch));
    EXPECT_EQ(list.listIndex(), expected) << static_cast<char>(ch);
  }
}

// The edit field of a drop-down combo: Home, End and the arrows move the
// caret, Delete deletes and raises Change; a drop-down list has no caret.
TEST_F(PersonTest, CaretKeysAndDeleteWorkInTheEditFieldOfADropDownCombo) {
  auto& edit = form->add<ComboBox>(u"ComboText", 1, 100, 1800);
  edit.addItem(u"first");
  edit.setListIndex(0);
  form->take();
  person::keyDown(edit, 36);  // home
  person::keyDown(edit, 46);  // delete
  EXPECT_EQ(edit.text(), u"irst");
  EXPECT_EQ(edit.listIndex(), -1);
  person::keyDown(edit, 35);  // end
  person::keyDown(edit, 46);  // nothing after the caret
  person::keyDown(edit, 37);  // left
  person::keyDown(edit, 46);
  EXPECT_EQ(edit.text(), u"irs");
  Log changes;
  for (const std::string& e : form->take())
    if (e.find("Change") != std::string::npos) changes.push_back(e);
  EXPECT_EQ(changes, (Log{"ComboText(1).Change", "ComboText(1).Change"}));
  auto& list = form->add<ComboBox>(u"Combo", 1, 100, 1200);
  list.addItem(u"only");
  list.setListIndex(0);
  person::keyDown(list, 46);
  EXPECT_EQ(list.text(), u"only");
}

}  // namespace
}  // namespace svx::testing

namespace svx::testing {
namespace {

TEST_F(PersonTest, SpaceClicksTheFocusedButtonAndClosingEndsTheModalShow) {
  button->setFocus();
  form->take();
  person::keyStroke(*button, 32);
  EXPECT_EQ(form->take(), (Log{"Form.KeyDown(32)", "Command(1).KeyDown", "Form.KeyPress(32)",
                               "Command(1).KeyPress(32)", "Command(1).Click", "Form.KeyUp(32)", "Command(1).KeyUp"}));
  form->hide();
  messageLoop().postTask([&] { person::close(*form); });
  form->show(true);
  EXPECT_FALSE(form->isLoaded());
}

}  // namespace
}  // namespace svx::testing

namespace svx::testing {
namespace {

TEST_F(PersonTest, DoubleClickSequence) {
  auto& label = form->add<Label>(u"Label", 1, 2000, 2000);
  form->take();
  person::dblClick(label);
  EXPECT_EQ(form->take(), (Log{"Label(1).MouseDown", "Label(1).MouseUp", "Label(1).Click", "Label(1).DblClick",
                               "Label(1).MouseUp"}));
  EXPECT_EQ(form->activeControl(), text);  // a label takes no focus
}

TEST_F(PersonTest, WithoutKeyPreviewOnlyTheControlSeesKeys) {
  form->setKeyPreview(false);
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyDown) {
      EXPECT_EQ(p[0].vt(), VT_BYREF | VT_I2);
      EXPECT_EQ(p[1].vt(), VT_BYREF | VT_I2);
      EXPECT_EQ(toI2(p[1]), person::vbShiftMask);
    }
  };
  person::type(*text, u"Q");
  EXPECT_EQ(form->take(), (Log{"Text(1).KeyDown", "Text(1).KeyPress(81)", "Text(1).Change", "Text(1).KeyUp"}));
}

TEST_F(PersonTest, UnloadingTheFocusedOrDefaultElementForgetsIt) {
  button->setDefault(true);
  form->array(u"Text").unload(1);
  EXPECT_EQ(form->activeControl(), nullptr);
  form->array(u"Command").unload(1);
  EXPECT_EQ(form->defaultButton(), nullptr);
  person::pressEnter(*form);  // nothing to press: nothing happens
  EXPECT_EQ(form->take(), Log{});
}

TEST_F(PersonTest, LockedTextIgnoresTypingButRaisesKeys) {
  text->setLocked(true);
  person::keyPress(*text, 'z');
  EXPECT_EQ(text->text(), u"");
  EXPECT_EQ(form->take(), (Log{"Form.KeyPress(122)", "Text(1).KeyPress(122)"}));
}

TEST_F(PersonTest, UnloadFromAHandlerEndsTheModalShow) {
  form->hide();
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant>) {
    if (e == ControlEvent::Click) form->unload();
  };
  messageLoop().postTask([&] { person::click(*form->findArray(u"Command")->find(1)); });
  form->show(true);
  EXPECT_FALSE(form->isLoaded());
  EXPECT_EQ(form->take().back(), "Form.Unload");
}

TEST_F(FormsTest, VisibleByNameShowsAndHides) {
  std::array<Variant, 1> on{Variant(true)};
  form->invoke(u"Visible", InvokeKind::PropertyPut, on);
  EXPECT_TRUE(form->visible());
  EXPECT_TRUE(IsWindowVisible(form->hWnd()));
  std::array<Variant, 1> off{Variant(false)};
  form->invoke(u"Visible", InvokeKind::PropertyPut, off);
  EXPECT_FALSE(IsWindowVisible(form->hWnd()));
  EXPECT_EQ(errorOf([&] { form->element<TextBox>(u"Text").setFocus(); }), 5);
}

}  // namespace
}  // namespace svx::testing
