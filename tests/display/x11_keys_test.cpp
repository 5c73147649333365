// A person's keyboard at a real X server (private Xvfb, XTest): text
// selection and the clipboard keys through the X selections, access keys,
// option groups and the keys of message and input boxes; each then checked
// through the simulated user on the same code paths.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>

#include "platform/forms/command_button.h"
#include "platform/forms/label.h"
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/system/clipboard.h"
#include "tests/display/x11_fixture.h"
#include "tests/support/test_folder.h"

namespace svx::testing {
namespace {

constexpr uint32_t kShiftL = 0xffe1, kCtrlL = 0xffe3, kAltL = 0xffe9;
constexpr uint32_t kHomeSym = 0xff50, kLeftSym = 0xff51, kDownSym = 0xff54, kEndSym = 0xff57, kInsertSym = 0xff63;
constexpr uint32_t kTabSym = 0xff09, kEscapeSym = 0xff1b;

void savePng(const RasterImage& image, const std::string& name) {
  const std::vector<uint8_t> png = encodePng(image);
  std::ofstream(pictureFolder() / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                              static_cast<std::streamsize>(png.size()));
}

class X11KeysTest : public X11DisplayTest {
 protected:
  void TearDown() override {
    X11DisplayTest::TearDown();
    clipboard().setPrimary({});
  }
  // Counts the form's key releases by key code (on the loop's thread), so
  // that the person's next step waits for the last one to be handled.
  void countKeyUps() {
    onEvent = [this](BStrView name) {
      if (name.ends_with(u"KeyUp")) {
        std::lock_guard lock(mutex);
        ++keyUps[toI2(events.back().args[1])];
      }
      if (name.ends_with(u"GotFocus")) ++focusMoves;
      if (name == u"CommandClick") form->hide();
    };
  }
  int keyUpsOf(int16_t code) {
    std::lock_guard lock(mutex);
    return keyUps[code];
  }
  // A key with modifiers held, then a wait until the form has its release.
  void stroke(uint32_t keysym, int16_t code, std::vector<uint32_t> held = {}) {
    const int before = keyUpsOf(code);
    person->key(keysym, std::move(held));
    eventually([&] { return keyUpsOf(code) > before; });
  }
  // Tab, which moves the focus on its press and raises no KeyUp.
  void tab(std::vector<uint32_t> held = {}) {
    const int before = focusMoves.load();
    person->key(kTabSym, std::move(held));
    eventually([&] { return focusMoves.load() > before; });
  }
  std::mutex mutex;
  std::map<int16_t, int> keyUps;
  std::atomic<int> focusMoves{0};
};

TEST_F(X11KeysTest, SelectionAndClipboardKeysGoThroughTheXSelectionsBothWays) {
  attach();
  TextBox& text = add<TextBox>(u"Text", 240, 240, 3600, 315);  // pixels 16,16 .. 256,37
  CommandButton& done = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  done.setCaption(u"Done");
  countKeyUps();
  OtherProgram reader(xvfb.name()), primaryReader(xvfb.name(), "PRIMARY");
  OtherProgram owner(xvfb.name()), primaryOwner(xvfb.name(), "PRIMARY");
  std::optional<std::string> copied, selected;
  const int textX = 16 + RenderTextLeft;
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 100, y + 26);
    person->type(u"hello world");
    eventually([&] { return keyUpsOf('D') > 0; });
    stroke(kHomeSym, 36, {kShiftL});  // Shift+Home: all of it
    stroke('c', 'C', {kCtrlL});
    copied = reader.read(reader.utf8());  // another program reads our CLIPBOARD
    stroke(kEndSym, 35);
    stroke(kLeftSym, 37, {kShiftL, kCtrlL});  // "world"
    selected = primaryReader.read(primaryReader.utf8());  // and our PRIMARY
    // Another program's CLIPBOARD pasted with Shift+Insert at the end.
    owner.own(" from X", "");
    stroke(kEndSym, 35);
    stroke(kInsertSym, 45, {kShiftL});
    // Another program's PRIMARY pasted by a middle click at the start.
    primaryOwner.own("<<", "");
    person->click(x + textX, y + 26, 2);
    person->click(x + 56, y + 72);
  });
  form->show(true);
  actor.join();
  owner.stop();
  primaryOwner.stop();
  ASSERT_TRUE(copied);
  EXPECT_EQ(*copied, "hello world");
  ASSERT_TRUE(selected);
  EXPECT_EQ(*selected, "world");
  EXPECT_EQ(text.text(), u"<<hello world from X");
  // The keys reached the script as KeyDown and KeyUp, the changes as Change.
  int changes = 0;
  for (const auto& e : events) changes += e.name == u"TextChange";
  EXPECT_EQ(changes, 11 + 2);

  // The simulated user's strokes on the same paths (the clipboard is ours again).
  form->unload();
  form->load();
  TextBox& text2 = add<TextBox>(u"Text", 240, 240, 3600, 315);
  form->show(false);
  person::click(text2);
  person::type(text2, u"hello world");
  person::keyStroke(text2, 36, 1);
  person::keyStroke(text2, 'C', 2);
  EXPECT_EQ(clipboard().getText(), u"hello world");
  person::keyStroke(text2, 35);
  person::keyStroke(text2, 37, 3);
  EXPECT_EQ(clipboard().primary(), u"world");
  person::keyStroke(text2, 35);
  person::keyStroke(text2, 45, 1);
  EXPECT_EQ(text2.text(), u"hello worldhello world");
}

TEST_F(X11KeysTest, AccessKeysAreDrawnUnderlinedOnTheScreenAndAltWithTheKeyActs) {
  attach();
  Label& name = add<Label>(u"Label", 240, 240, 900, 255);
  name.setCaption(u"&Name:");
  TextBox& text = add<TextBox>(u"Text", 1200, 210, 2400, 315);
  CommandButton& open = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  open.setCaption(u"&Open");
  Label& both = add<Label>(u"Label", 1560, 960, 1800, 255);
  both.setCaption(u"Tom && Jerry");
  name.setTabIndex(0);
  text.setTabIndex(1);
  open.setTabIndex(2);
  countKeyUps();
  std::atomic<int> clicks{0};
  onEvent = [&, count = onEvent](BStrView event) {
    if (event == u"CommandClick") ++clicks;
    if (event.ends_with(u"KeyUp")) count(event);
  };
  form->show(false);
  const HWND h = form->hWnd();
  serveUntil([&] { return x11->viewable(h) && x11->framesPainted() > 0; });
  const uint32_t w = x11->windowOf(h);
  ASSERT_NE(w, 0u);
  // What the screen shows is the renderer's picture, underline and all.
  const RasterImage expected = renderClientArea(form->picture());
  RasterImage shown;
  EXPECT_TRUE(eventually([&] {
    shown = person->pixels(w, expected.width, expected.height);
    return shown == expected;
  }));
  savePng(shown, "access_keys.png");

  std::atomic<bool> done{false};
  act([&] {
    const auto [x, y] = person->origin(w);
    person->click(x + 50, y + 72);  // the button: the focus leaves the text box
    eventually([&] { return clicks.load() == 1; });
    stroke('n', 'N', {kAltL});  // the label: the focus goes to the text box
    person->type(u"ab");
    eventually([&] { return keyUpsOf('B') > 0; });
    stroke('o', 'O', {kAltL});  // the button clicks
    done = true;
  });
  serveUntil([&] { return done.load() && clicks.load() == 2; });
  actor.join();
  EXPECT_EQ(clicks.load(), 2);
  EXPECT_EQ(text.text(), u"ab");  // Alt+N and Alt+O typed nothing
  EXPECT_EQ(form->activeControl(), &open);
}

TEST_F(X11KeysTest, AMessageBoxTakesTheLettersOfItsButtons) {
  attach();
  std::vector<int32_t> answers;
  onFirstPaint([&] {
    answers.push_back(MsgBox(Variant(u"Save?"), Variant(vbYesNoCancel), Variant(u"Question")));
    answers.push_back(MsgBox(Variant(u"Again?"), Variant(vbAbortRetryIgnore), Variant(u"Question")));
    form->hide();
  });
  act([&] {
    eventually([&] { return boxWindow.load() != 0; });
    const uint32_t first = boxWindow.load();
    if (!first) return;
    person->key('n');
    eventually([&] { return boxWindow.load() != 0 && boxWindow.load() != first; });
    if (boxWindow.load() == first) return;
    person->key('r', {kAltL});
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(answers, (std::vector<int32_t>{vbNo, vbRetry}));
}

TEST_F(X11KeysTest, SpacePressesTheMessageBoxButtonThatHasTheFocus) {
  attach();
  std::vector<int32_t> answers;
  onFirstPaint([&] {
    // The default button has the focus as the box opens; Tab moves it.
    answers.push_back(MsgBox(Variant(u"Save?"), Variant(vbYesNoCancel + vbDefaultButton2), Variant(u"Question")));
    answers.push_back(MsgBox(Variant(u"Go on?"), Variant(vbOKCancel), Variant(u"Question")));
    form->hide();
  });
  act([&] {
    // Space, else Esc so that a box that ignores Space ends all the same.
    auto space = [&](uint32_t box) {
      person->key(' ');
      if (!eventually([&] { return boxWindow.load() != box; }, 1000)) person->key(kEscapeSym);
    };
    eventually([&] { return boxWindow.load() != 0; });
    const uint32_t first = boxWindow.load();
    if (!first) return;
    space(first);
    eventually([&] { return boxWindow.load() != 0 && boxWindow.load() != first; });
    const uint32_t second = boxWindow.load();
    if (second == first || !second) return;
    person->key(kTabSym);
    space(second);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(answers, (std::vector<int32_t>{vbNo, vbCancel}));
}

TEST_F(X11KeysTest, WithTheKeyboardAloneAPersonChoosesAnOption) {
  attach();
  auto build = [&] {
    TextBox& text = add<TextBox>(u"Text", 240, 240, 2400, 315);
    std::vector<OptionButton*> options;
    for (int i = 0; i < 3; ++i) {
      Variant n, d;
      std::vector<Variant> refs{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
      const auto index = static_cast<int16_t>(form->invoke(u"LoadOption", InvokeKind::Method, refs).asI4());
      options.push_back(&form->element<OptionButton>(u"OptionCtrl", index));
      options.back()->move(240, 700 + 330.0 * i, 2400, 315);
      options.back()->setVisible(true);
      options.back()->setCaption(u"Choice " + BStr(1, static_cast<char16_t>(u'A' + i)));
    }
    CommandButton& done = add<CommandButton>(u"Command", 240, 1800, 1200, 375);
    done.setCaption(u"Done");
    text.setTabIndex(0);
    for (int i = 0; i < 3; ++i) options[static_cast<size_t>(i)]->setTabIndex(static_cast<int16_t>(i + 1));
    done.setTabIndex(4);
    return options;
  };
  auto clicked = [&] {
    std::vector<int> out;
    for (const auto& e : events)
      if (e.name == u"OptionClick") out.push_back(toI2(e.args[0]));
    return out;
  };
  const std::vector<OptionButton*> options = build();
  countKeyUps();
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 100, y + 26);  // the text box
    tab();                 // to the group: its first option
    stroke(' ', 32);       // chosen
    stroke(kDownSym, 40);  // the next one, chosen
    tab();                 // out of the group: the button
    tab({kShiftL});        // back: the chosen option
    stroke(kDownSym, 40);
    person->click(x + 50, y + 135);  // Done
  });
  form->show(true);
  actor.join();
  EXPECT_FALSE(options[0]->value());
  EXPECT_FALSE(options[1]->value());
  EXPECT_TRUE(options[2]->value());
  const std::vector<int> real = clicked();
  EXPECT_EQ(real, (std::vector<int>{options[0]->index(), options[1]->index(), options[2]->index()}));

  // The simulated user, on a fresh form.
  form->unload();
  form->load();
  const std::vector<OptionButton*> again = build();
  form->show(false);
  events.clear();
  person::click(form->element<TextBox>(u"Text", 1));
  person::pressTab(*form);
  person::keyStroke(*form->activeControl(), 32);
  person::keyStroke(*form->activeControl(), 40);
  person::pressTab(*form);
  person::pressTab(*form, true);
  person::keyStroke(*form->activeControl(), 40);
  EXPECT_TRUE(again[2]->value());
  EXPECT_EQ(clicked(), real);
}

}  // namespace
}  // namespace svx::testing
