// A person at a private Xvfb (no window manager) through XTest, in text
// fields: the page keys in a multi-line box, Undo, the context menu by the
// right button, the Menu key and Shift+F10, and a character beyond 16 bits
// typed on the keyboard. The simulated user's side of each is in the forms
// tests (text_edit_test.cpp).
#include <gtest/gtest.h>

#include <thread>

#include "platform/forms/text_box.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/system/clipboard.h"
#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

constexpr uint32_t XK_Page_Up = 0xff55, XK_Page_Down = 0xff56, XK_Left = 0xff51, XK_Down = 0xff54,
                   XK_Return = 0xff0d, XK_BackSpace = 0xff08, XK_Menu = 0xff67, XK_F10 = 0xffc7,
                   XK_Shift_L = 0xffe1, XK_Control_L = 0xffe3;

class X11Text : public X11DisplayTest {
 protected:
  int count(BStrView name) const {
    int n = 0;
    for (const auto& e : events) n += e.name == name;
    return n;
  }
};

TEST_F(X11Text, PageKeysPageThroughAMultiLineBox) {
  attach();
  form->move(3000, 1500, 6000, 4500);
  auto& box = add<TextBox>(u"MultiText", 150, 150, 4500, 1500);
  BStr lines;
  for (int i = 0; i < 60; ++i) lines += (i ? u"\r\n" : u"") + utf16("line " + std::to_string(i));
  box.setText(lines);
  box.setSelStart(0);
  const TextBoxLayout shape = textBoxLayout(twipsToRoundedPixels(4500), twipsToRoundedPixels(1500), box.scrollBars());
  const int page = std::max(1, static_cast<int>(shape.textHeight) / fontLineHeight(box.font()));
  // Where the caret is after each key (read on the form's thread).
  std::vector<int> caretLines;
  std::vector<int> selections;
  onEvent = [&](BStrView name) {
    // After each page key's release (not the modifiers').
    if (name != u"MultiTextKeyUp" || (toI2(events.back().args[1]) != 33 && toI2(events.back().args[1]) != 34)) return;
    RenderItem shown;
    box.render(shown);
    caretLines.push_back(textLineOf(box.text(), box.font(), -1, shown.caret));
    selections.push_back(box.selLength());
  };
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return person->inputFocus() == w; });
    person->key(XK_Page_Down);
    person->key(XK_Page_Down, {XK_Shift_L});
    person->key(XK_Page_Down, {XK_Control_L});
    person->key(XK_Page_Up);
    eventually([&] { return count(u"MultiTextKeyUp") >= 4; });
    person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(caretLines, (std::vector<int>{page, 2 * page, 3 * page, 2 * page}));
  EXPECT_EQ(selections, (std::vector<int>{0, static_cast<int>(lines.find(u"line " + utf16(std::to_string(2 * page)))) -
                                                  static_cast<int>(lines.find(u"line " + utf16(std::to_string(page)))),
                                          0, 0}));
}

TEST_F(X11Text, UndoTheContextMenuAndACharacterBeyondSixteenBitsAsAPersonUsesThem) {
  attach();
  clipboard().clear();
  form->move(3000, 1500, 6000, 4500);
  auto& box = add<TextBox>(u"Text", 150, 150, 3000, 315);      // pixels 10,10 .. 210,31
  auto& other = add<TextBox>(u"Text", 150, 1500, 3000, 315);   // pixels 10,100
  Ref<TextBox> keep(&box), keepOther(&other);  // read after the window closed
  const int16_t boxIndex = box.index(), otherIndex = other.index();
  box.setText({});
  other.setText(u"other");
  const std::u16string typed = u"a\u00e9\U0001F600b";
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return person->inputFocus() == w; });
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    person->type(typed);  // the emoji from a key of its own symbol
    person->key(XK_Left);
    person->key(XK_Left);  // before the emoji, stepped over whole
    person->key(XK_BackSpace);  // "a" + emoji + "b"
    person->key('z', {XK_Control_L});  // undone: the whole text again
    // A right click: the menu at the pointer; "a" chooses Select All.
    person->click(x + 40, y + 20, 3);
    person->type(u"a");
    // The Menu key: down to Cut, Return.
    person->key(XK_Menu);
    person->key(XK_Down);
    person->key(XK_Down);
    person->key(XK_Return);
    // Shift+F10 opens it at the field's middle (110, 20); a click on Paste.
    person->key(XK_F10, {XK_Shift_L});
    const int pasteY = RenderMenuFrame + RenderMenuItemHeight + RenderMenuSeparatorHeight + 2 * RenderMenuItemHeight +
                       RenderMenuItemHeight / 2;
    person->click(x + 110 + 40, y + 20 + pasteY);
    // Another right click; a press on the other box only closes the menu.
    person->click(x + 40, y + 20, 3);
    person->click(x + 40 + RenderMenuWidth + 20, y + 110);  // right of the menu
    person->type(u"!");
    // The five halves and characters typed, Ctrl+Z's character and "!".
    eventually([&] { return count(u"TextKeyPress") >= 7; });
    person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(box.text(), typed + u"!");
  EXPECT_EQ(clipboard().getText(), typed);
  EXPECT_EQ(other.text(), u"other");
  // The right button's own events reached the box; the closing press reached nothing.
  int rightDowns = 0, otherDowns = 0;
  for (const auto& e : events) {
    if (e.name == u"TextMouseDown" && toI2(e.args[0]) == otherIndex) ++otherDowns;
    if (e.name == u"TextMouseDown" && toI2(e.args[0]) == boxIndex && toI2(e.args[1]) == 2) ++rightDowns;
  }
  EXPECT_EQ(rightDowns, 2);
  EXPECT_EQ(otherDowns, 0);
}

}  // namespace
}  // namespace svx::testing
