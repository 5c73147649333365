// A person's keys at message and input boxes, as a display delivers them
// (window messages to the box's window), and what the box then shows.
#include <gtest/gtest.h>

#include <functional>

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/message_box.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/system/clipboard.h"
#include "tests/platform/dialogs/services_fixture.h"

namespace svx::testing {
namespace {

constexpr uint32_t kHighlight = 0x3366CC;

class BoxKeysTest : public ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    dialogResponder().setWaitForAnswers(true);
  }
  // Runs `person` once the next box is open; it ends the box itself.
  void whenOpen(std::function<void(HWND)> person) {
    messageLoop().postTask([person = std::move(person)] {
      if (const ShownBox* box = dialogResponder().openSession()) person(box->window);
    });
  }
  static void send(HWND box, UINT msg, WPARAM w, LPARAM l = 0) { desktop().deliver(box, msg, w, l, false); }
  static void key(HWND box, int16_t code, int16_t shift = 0) {
    send(box, WM_KEYDOWN, static_cast<WPARAM>(code), shift);
    send(box, WM_KEYUP, static_cast<WPARAM>(code), shift);
  }
  static RenderItem picture(HWND box) {
    RenderItem p;
    send(box, WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
  }
  static const RenderItem* field(const RenderItem& p) {
    for (const RenderItem& c : p.children)
      if (c.kind == RenderKind::TextBox) return &c;
    return nullptr;
  }
};

TEST_F(BoxKeysTest, AnInputBoxOpensWithItsDefaultTextDrawnSelected) {
  RenderItem shown;
  whenOpen([&](HWND box) {
    shown = picture(box);
    key(box, 27);
  });
  InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"default"));
  const RenderItem* f = field(shown);
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->focused);
  EXPECT_EQ(f->selectionStart, 0);
  EXPECT_EQ(f->selectionLength, 7);
  // The highlight is in the pixels of the field.
  const RasterImage image = renderItems(shown);
  const int x0 = RenderFrameBorder + twipsToRoundedPixels(f->rect.left);
  const int y0 = RenderFrameBorder + RenderCaptionHeight + twipsToRoundedPixels(f->rect.top);
  int highlighted = 0;
  for (int y = y0; y < y0 + twipsToRoundedPixels(f->rect.height); ++y)
    for (int x = x0; x < x0 + twipsToRoundedPixels(f->rect.width); ++x)
      highlighted += (image.at(x, y) & 0xFFFFFF) == kHighlight;
  EXPECT_GT(highlighted, 50);
}

TEST_F(BoxKeysTest, TheInputBoxFieldIsOneLineThatThePointerSelectsAndPastesInto) {
  clipboard().setPrimary(u"<primary>");
  const std::u16string typed =
      u"a long answer that does not fit into the field of the input box, not by a long way, and goes on and on";
  RenderItem atEnd, atStart;
  BStr selected;
  whenOpen([&](HWND box) {
    key(box, 46);  // Delete: the selected default text goes
    for (char16_t c : typed) send(box, WM_CHAR, c);
    atEnd = picture(box);
    key(box, 36);  // Home
    atStart = picture(box);
    const RenderItem* f = field(atStart);
    // A press after "a l", a drag to after "a long", at the field's own
    // coordinates (pixels of the box's client area).
    const int left = twipsToRoundedPixels(f->rect.left) + RenderTextLeft;
    const int y = twipsToRoundedPixels(f->rect.top) + 8;
    auto xAfter = [&](int n) { return left + static_cast<int>(textCaretX(typed, f->font, -1, n)) + 1; };
    send(box, WM_LBUTTONDOWN, packButtons(1, 0), packPoint(xAfter(3), y));
    send(box, WM_MOUSEMOVE, packButtons(1, 0), packPoint(xAfter(6), y));
    send(box, WM_LBUTTONUP, packButtons(1, 0), packPoint(xAfter(6), y));
    selected = clipboard().heldPrimary();
    // A middle click at the start pastes the primary selection there.
    send(box, WM_MBUTTONDOWN, packButtons(4, 0), packPoint(left, y));
    send(box, WM_MBUTTONUP, packButtons(4, 0), packPoint(left, y));
    key(box, 13);
  });
  const auto answer = InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"default"));
  const RenderItem* end = field(atEnd);
  ASSERT_TRUE(end);
  EXPECT_TRUE(end->singleLine);
  const double caretX = textCaretX(typed, end->font, -1, static_cast<int>(typed.size())) - end->scrollLeft;
  EXPECT_GT(end->scrollLeft, 0);
  EXPECT_GE(caretX, 0);
  EXPECT_LT(caretX, twipsToRoundedPixels(end->rect.width) - 2 * RenderTextLeft);
  EXPECT_EQ(field(atStart)->scrollLeft, 0);
  EXPECT_EQ(selected, u"ong");
  EXPECT_EQ(answer, u"ong" + typed);
}

TEST_F(BoxKeysTest, TheInputBoxFieldTakesTheEditingKeysOfATextBox) {
  clipboard().setText(u"pasted");
  RenderItem shown;
  whenOpen([&](HWND box) {
    key(box, 35);     // End: the default text stays, the caret after it
    key(box, 37, 3);  // Ctrl+Shift+Left: the word before the caret
    shown = picture(box);
    key(box, 'V', 2);  // Ctrl+V replaces it
    send(box, WM_CHAR, 22, 2);  // the control character changes nothing
    send(box, WM_CHAR, u'o', 4);  // nor does Alt with a letter
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"my name")), u"my pasted");
  const RenderItem* f = field(shown);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->selectionStart, 3);
  EXPECT_EQ(f->selectionLength, 4);
  EXPECT_EQ(f->caret, 3);
}

TEST_F(BoxKeysTest, TheInputBoxFieldUndoesAndHasTheContextMenuOfATextField) {
  clipboard().clear();
  RenderItem withMenu;
  bool closedByAPressElsewhere = false;
  whenOpen([&](HWND box) {
    key(box, 35);  // End
    for (char16_t c : std::u16string_view(u" smith")) send(box, WM_CHAR, c);
    key(box, 'Z', 2);  // undoes the typing
    key(box, 'Z', 2);  // and redoes it
    key(box, 8, 4);    // Alt+Backspace undoes it again
    const RenderItem shown = picture(box);
    const RenderItem* f = field(shown);
    const int fx = twipsToRoundedPixels(f->rect.left) + 20, fy = twipsToRoundedPixels(f->rect.top) + 8;
    // A right click in the field: the menu, drawn over the box; "a" chooses Select All.
    send(box, WM_RBUTTONDOWN, packButtons(2, 0), packPoint(fx, fy));
    send(box, WM_RBUTTONUP, packButtons(2, 0), packPoint(fx, fy));
    withMenu = picture(box);
    send(box, WM_CHAR, u'a');
    // The Menu key: down to Copy, Return.
    key(box, 93);
    key(box, 40);
    key(box, 40);
    key(box, 40);
    key(box, 13);
    // Shift+F10, then a press elsewhere closes it with nothing changed.
    key(box, 121, 1);
    send(box, WM_LBUTTONDOWN, packButtons(1, 0), packPoint(2, 2));
    send(box, WM_LBUTTONUP, packButtons(1, 0), packPoint(2, 2));
    RenderItem after = picture(box);
    closedByAPressElsewhere = after.children.back().kind != RenderKind::Menu;
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"john")), u"john");
  ASSERT_FALSE(withMenu.children.empty());
  const RenderItem& menu = withMenu.children.back();
  EXPECT_EQ(menu.kind, RenderKind::Menu);
  // Undo can act (the typing was undone: Undo redoes); nothing selected, an empty clipboard.
  EXPECT_EQ(menu.itemGreyed, (std::vector<bool>{false, false, true, true, true, true, false, false}));
  EXPECT_EQ(clipboard().getText(), u"john");
  EXPECT_TRUE(closedByAPressElsewhere);
}

TEST_F(BoxKeysTest, AMessageBoxButtonTakesItsLetterAloneOrWithAlt) {
  const struct {
    int32_t style;
    int16_t letter;
    int16_t shift;
    int32_t result;
  } cases[] = {
      {vbYesNoCancel, 'Y', 0, vbYes},       {vbYesNoCancel, 'N', 0, vbNo},        {vbYesNoCancel, 'N', 4, vbNo},
      {vbYesNo, 'Y', 4, vbYes},             {vbYesNo, 'Y', 1, vbYes},             {vbAbortRetryIgnore, 'A', 0, vbAbort},
      {vbAbortRetryIgnore, 'R', 4, vbRetry}, {vbAbortRetryIgnore, 'I', 0, vbIgnore}, {vbRetryCancel, 'R', 0, vbRetry},
  };
  for (const auto& c : cases) {
    whenOpen([&](HWND box) {
      key(box, c.letter, c.shift);
      if (dialogResponder().openSession()) dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbOK));
    });
    EXPECT_EQ(MsgBox(Variant(u"?"), Variant(c.style)), c.result) << c.style << " " << c.letter;
  }
  // A letter no button carries, or one with Ctrl, does nothing.
  whenOpen([&](HWND box) {
    key(box, 'Y', 2);
    key(box, 'C', 0);
    key(box, 'O', 0);
    key(box, 'Y', 0);
  });
  EXPECT_EQ(MsgBox(Variant(u"?"), Variant(vbOKCancel)), vbOK);
  EXPECT_EQ(dialogResponder().sessions().back().source, AnswerSource::Scripted);
}

TEST_F(BoxKeysTest, SpacePressesTheButtonThatHasTheFocus) {
  // As the box opens its default button has the focus; Tab moves it on.
  auto orCancel = [] {
    if (dialogResponder().openSession()) dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbCancel));
  };
  whenOpen([&](HWND box) {
    key(box, 32);
    orCancel();
  });
  EXPECT_EQ(MsgBox(Variant(u"?"), Variant(vbYesNoCancel + vbDefaultButton2)), vbNo);
  whenOpen([&](HWND box) {
    key(box, 9);
    key(box, 32);
  });
  EXPECT_EQ(MsgBox(Variant(u"?"), Variant(vbOKCancel)), vbCancel);
  // In an input box's field Space is a character.
  whenOpen([&](HWND box) {
    key(box, 32);
    send(box, WM_CHAR, u' ');
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"?")), u" ");
}

// The arrow keys move the focus round a box's buttons, and the default
// (drawn, and taken by Enter and Space) follows it.
TEST_F(BoxKeysTest, TheArrowsMoveTheFocusRoundTheButtonsAndTheDefaultFollows) {
  const struct {
    int32_t style;
    std::vector<int16_t> arrows;
    int16_t then;
    int32_t result;
  } cases[] = {
      {vbYesNoCancel + vbDefaultButton2, {39}, 13, vbCancel},
      {vbYesNoCancel + vbDefaultButton2, {37}, 13, vbYes},
      {vbYesNoCancel + vbDefaultButton2, {40, 40}, 13, vbYes},  // round from the last to the first
      {vbYesNoCancel, {38}, 32, vbCancel},                       // and back from the first to the last
      {vbOKCancel, {39, 39}, 13, vbOK},
      {vbOKOnly, {39}, 13, vbOK},
      {vbYesNo, {39}, 13, vbNo},
  };
  for (const auto& c : cases) {
    whenOpen([&](HWND box) {
      for (int16_t a : c.arrows) key(box, a);
      key(box, c.then);
      if (dialogResponder().openSession()) dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbIgnore));
    });
    EXPECT_EQ(MsgBox(Variant(u"?"), Variant(c.style)), c.result) << c.style << " " << c.arrows.size();
  }
  // The button drawn as the default and the one with the focus move together.
  std::vector<std::u16string> defaults, focused;
  whenOpen([&](HWND box) {
    key(box, 39);
    key(box, 39, 2);  // Ctrl+Right: nothing
    for (const RenderItem& b : picture(box).children) {
      if (b.kind != RenderKind::CommandButton) continue;
      if (b.isDefault) defaults.push_back(b.text);
      if (b.focused) focused.push_back(b.text);
    }
    key(box, 27);
  });
  MsgBox(Variant(u"?"), Variant(vbYesNoCancel));
  EXPECT_EQ(defaults, std::vector<std::u16string>{u"&No"});
  EXPECT_EQ(focused, std::vector<std::u16string>{u"&No"});
}

// In the input box's field the arrows move the caret; once Tab has taken
// the focus to the buttons they move it between OK and Cancel.
TEST_F(BoxKeysTest, TheInputBoxsArrowsEditInTheFieldAndMoveAmongTheButtons) {
  whenOpen([&](HWND box) {
    key(box, 35);  // End
    key(box, 37);  // Left: the caret before the last letter
    send(box, WM_CHAR, u'x');
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"?"), Variant(u"T"), Variant(u"abc")), u"abxc");
  whenOpen([&](HWND box) {
    key(box, 9);   // OK
    key(box, 39);  // Cancel
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"?"), Variant(u"T"), Variant(u"abc")), u"");
  EXPECT_TRUE(dialogResponder().sessions().back().cancelled);
  whenOpen([&](HWND box) {
    key(box, 9, 1);  // Shift+Tab: Cancel
    key(box, 40);    // round to OK
    key(box, 13);
  });
  EXPECT_EQ(InputBox(Variant(u"?"), Variant(u"T"), Variant(u"abc")), u"abc");
}

TEST_F(BoxKeysTest, TheButtonsThatTakeALetterShowItUnderlined) {
  RenderItem shown;
  whenOpen([&](HWND box) {
    shown = picture(box);
    key(box, 27);
  });
  MsgBox(Variant(u"?"), Variant(vbYesNoCancel));
  std::vector<std::u16string> captions;
  for (const RenderItem& c : shown.children)
    if (c.kind == RenderKind::CommandButton) {
      EXPECT_TRUE(c.accessKeys);
      captions.push_back(c.text);
    }
  EXPECT_EQ(captions, (std::vector<std::u16string>{u"&Yes", u"&No", u"Cancel"}));
}

}  // namespace
}  // namespace svx::testing
