#include <gtest/gtest.h>

#include "core/dialog_form.h"
#include "platform/desktop/win32.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

using DialogFormEvents = testing::DialogFormTest;

TEST_F(DialogFormEvents, TheDesignPlacesTheTemplates) {
  EXPECT_EQ(form->caption(), u"");
  EXPECT_TRUE(form->keyPreview());
  EXPECT_EQ(form->linkTopic(), u"DialogForm");
  Control& command = form->array(u"Command").item(0);
  EXPECT_EQ(command.left(), 90);
  EXPECT_EQ(command.top(), 4890);
  EXPECT_FALSE(command.visible());
  Control& option = form->array(u"OptionCtrl").item(0);
  EXPECT_EQ(option.container(), &form->array(u"Frame").item(0));
  EXPECT_EQ(form->array(u"ComboText").item(0).invoke(u"Text", InvokeKind::PropertyGet, {}).asBStr(), u"ComboText");
  for (BStrView name : {u"Label", u"Text", u"Check", u"Frame", u"OptionCtrl", u"List", u"Combo", u"MultiText",
                        u"Command", u"ComboText", u"HScroll", u"VScroll", u"PictureCtrl", u"ListCheck", u"DataCtrl",
                        u"TimerCtrl", u"ctrlWrapperVBControlExtender", u"LineCtrl", u"ShapeCtrl", u"ImageCtrl"})
    EXPECT_TRUE(form->array(name).exists(0)) << utf8(name);
}

TEST_F(DialogFormEvents, KeyPressSwallowedThroughTheRelay) {
  Control& text = form->array(u"Text").load(1);
  text.setVisible(true);
  form->show(false);
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"TextKeyPress" && args[1].value() == Variant::i2('x')) args[1].assign(Variant(0));
  };
  person::type(text, u"axb");
  EXPECT_EQ(text.invoke(u"Text", InvokeKind::PropertyGet, {}).asBStr(), u"ab");
  const auto* press = last(u"TextKeyPress");
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(press->args[0], Variant::i2(1));
}

TEST_F(DialogFormEvents, FormQueryUnloadCancelKeepsTheFormAndItsControls) {
  form->array(u"Command").load(1);
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"FormQueryUnload") {
      EXPECT_EQ(args[0].varType(), VT_I2);
      EXPECT_EQ(args[1].value(), Variant::i2(0));  // the user's close
      args[0].assign(Variant(true));
    }
  };
  form->show(false);
  EXPECT_FALSE(person::close(*form));
  EXPECT_TRUE(form->isLoaded());
  EXPECT_TRUE(form->array(u"Command").exists(1));
  // FormUnload's Cancel: the same.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"FormUnload") args[0].assign(Variant(u"1"));
  };
  EXPECT_FALSE(person::close(*form));
  EXPECT_TRUE(form->array(u"Command").exists(1));
  // A value that does not convert leaves Cancel as it was: the form goes.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"FormQueryUnload") args[0].assign(Variant(u"abc"));
  };
  EXPECT_TRUE(person::close(*form));
  EXPECT_FALSE(form->isLoaded());
  // Touched again, it comes back with only the templates.
  events.clear();
  EXPECT_FALSE(form->array(u"Command").exists(1));
  EXPECT_EQ(eventNames().front(), u"FormLoad");
}

TEST_F(DialogFormEvents, MouseArgumentsAreTypedCopies) {
  form->show(false);
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"FormMouseDown") {
      EXPECT_EQ(args[0].varType(), VT_I2);
      EXPECT_EQ(args[2].varType(), VT_R4);
      args[2].assign(Variant(12.25));
    }
  };
  person::clickAt(*form, 300, 300);  // on no control: the form itself
  const auto* down = last(u"FormMouseDown");
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->args[0], Variant::i2(1));
  EXPECT_NE(last(u"FormClick"), nullptr);
}

TEST_F(DialogFormEvents, GetFormWritesOnlyWhatIsPassedAndSetFormStopsAtAFailure) {
  Variant n, d;
  call(u"GetForm", {nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  Variant caption(u"Hello"), left(u"abc"), top(600);
  call(u"SetForm", {&caption, &left, &top, nullptr, nullptr, &n, &d});
  EXPECT_EQ(n, Variant(13));
  EXPECT_EQ(form->caption(), u"Hello");
  EXPECT_NE(form->top(), 600);
  Variant gotCaption, gotWidth;
  call(u"GetForm", {&gotCaption, nullptr, nullptr, &gotWidth, nullptr, &n, &d});
  EXPECT_EQ(gotCaption.asBStr(), u"Hello");
  EXPECT_EQ(gotWidth.vt(), VT_R4);
  EXPECT_GT(gotWidth.asR4(), form->scaleWidth());
  const Variant self = call(u"FormObject", {&n, &d});
  EXPECT_EQ(self.asObject().get(), form.get());
}

TEST_F(DialogFormEvents, DrawingMembersReportTheirFailures) {
  Variant n, d, text(u"abc"), x(0), m = Variant::missing();
  call(u"FormPaintPicture", {&text, &x, &x, &m, &m, &m, &m, &m, &m, &m, &n, &d});
  EXPECT_EQ(n, Variant::i2(-300));
  Variant px(150), colour(255);
  call(u"FormPSetAbsolute", {&px, &px, &colour, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST_F(DialogFormEvents, TheAboutChordWorksWithTheFocusInATextBox) {
  Control& text = form->array(u"Text").load(1);
  text.setVisible(true);
  form->show(false);
  std::string seenCaption;
  // While the About box is open, the idle hook sees its window, then closes it.
  messageLoop().setIdleHook([&] {
    char buf[64] = {};
    GetWindowTextA(GetActiveWindow(), buf, sizeof buf);
    if (seenCaption.empty()) seenCaption = buf;
    return false;
  });
  person::keyDown(text, 65, person::vbShiftMask | person::vbCtrlMask | person::vbAltMask);
  messageLoop().setIdleHook({});
  EXPECT_EQ(seenCaption, "About Sorvanelix");
  const auto* down = last(u"FormKeyDown");
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->args[0], Variant::i2(65));
  EXPECT_EQ(down->args[1], Variant::i2(7));
  // A chord with a left click opens nothing.
  seenCaption.clear();
}

// Which keys and clicks open the About box: all of Shift, Ctrl and Alt with
// A or the keypad's 1, or with the right button; and the form's own event
// arrives afterwards with the values the person used.
TEST_F(DialogFormEvents, TheAboutChordsAndWhatIsNoChord) {
  Control& text = form->array(u"Text").load(1);
  text.setVisible(true);
  form->show(false);
  const int16_t all = person::vbShiftMask | person::vbCtrlMask | person::vbAltMask;
  struct Case {
    const char* label;
    bool mouse;
    int16_t codeOrButton, shift;
    bool opens;
  };
  const Case cases[] = {
      {"A", false, 65, all, true},
      {"keypad 1", false, 0x61, all, true},
      {"A without Shift", false, 65, person::vbCtrlMask | person::vbAltMask, false},
      {"B", false, 66, all, false},
      {"a right click", true, person::vbRightButton, all, true},
      {"a left click", true, person::vbLeftButton, all, false},
      {"a right click with Ctrl and Alt", true, person::vbRightButton, person::vbCtrlMask | person::vbAltMask, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    bool opened = false;
    messageLoop().setIdleHook([&] {
      char buf[64] = {};
      GetWindowTextA(GetActiveWindow(), buf, sizeof buf);
      if (std::string(buf) == "About Sorvanelix") opened = true;
      return false;
    });
    events.clear();
    if (c.mouse) {
      person::mouseDown(*form, c.codeOrButton, c.shift);
    } else {
      person::keyDown(text, c.codeOrButton, c.shift);
      person::keyUp(text, c.codeOrButton, c.shift);
    }
    messageLoop().setIdleHook({});
    EXPECT_EQ(opened, c.opens);
    const auto* event = last(c.mouse ? u"FormMouseDown" : u"FormKeyDown");
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->args[0], Variant::i2(c.codeOrButton));
    EXPECT_EQ(event->args[1], Variant::i2(c.shift));
  }
}

}  // namespace
}  // namespace svx
