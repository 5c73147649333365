// Access keys: the caption's '&' parsed once, drawn as an underline by the
// renderer, and Alt with the key routed to the control, as a display
// delivers the keys and through the simulated user.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/forms/person.h"
#include "platform/graphics/access_key.h"
#include "platform/graphics/form_render.h"

namespace svx::testing {
namespace {

TEST(AccessKey, TheFirstAmpersandMarksTheKeyAndADoubledOneIsShown) {
  const struct {
    std::u16string_view caption;
    std::u16string_view shown;
    int underlined;
    char16_t key;
  } cases[] = {
      {u"&Open", u"Open", 0, u'O'},
      {u"Save &as", u"Save as", 5, u'A'},
      {u"&&", u"&", -1, 0},
      {u"Tom && Jerry", u"Tom & Jerry", -1, 0},
      {u"a&&b&c&d", u"a&bcd", 3, u'C'},  // later marks are dropped
      {u"&&&x", u"&x", 1, u'X'},
      {u"end&", u"end&", -1, 0},
      {u"&é", u"é", 0, u'É'},
      {u"&1st", u"1st", 0, u'1'},
      {u"plain", u"plain", -1, 0},
      {u"", u"", -1, 0},
  };
  for (const auto& c : cases) {
    const AccessKeyText t = parseAccessKey(c.caption);
    EXPECT_EQ(t.shown, c.shown) << utf8(c.caption);
    EXPECT_EQ(t.underlined, c.underlined) << utf8(c.caption);
    EXPECT_EQ(t.key, c.key) << utf8(c.caption);
  }
}

// The pixels of one item drawn alone.
RasterImage drawn(RenderKind kind, std::u16string text, bool accessKeys) {
  RenderItem it;
  it.kind = kind;
  it.rect = {0, 0, 1500, 375};
  it.text = std::move(text);
  it.accessKeys = accessKeys;
  it.transparent = false;
  it.border = false;
  return renderItems(it);
}

// Where two pictures of one size differ: how many pixels, in which rows
// and columns.
struct Difference {
  int count = 0, top = 0, bottom = -1, left = 0, right = -1;
};
Difference differenceOf(const RasterImage& a, const RasterImage& b) {
  Difference d{0, a.height, -1, a.width, -1};
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.at(x, y) != b.at(x, y)) {
        ++d.count;
        d.top = std::min(d.top, y), d.bottom = std::max(d.bottom, y);
        d.left = std::min(d.left, x), d.right = std::max(d.right, x);
      }
  return d;
}

TEST(AccessKey, EveryCaptionThatTakesThemDrawsTheKeyUnderlinedAndADoubledAmpersandOnce) {
  for (RenderKind kind : {RenderKind::CommandButton, RenderKind::CheckBox, RenderKind::OptionButton, RenderKind::Label,
                          RenderKind::Frame}) {
    // The two differ by a short horizontal line: one row, under the O; in
    // right-to-left text too, under its letter.
    for (std::u16string caption : {u"Open", u"\u05E9\u05DC\u05D5\u05DD"}) {
      const Difference d = differenceOf(drawn(kind, u"&" + caption, true), drawn(kind, caption, false));
      EXPECT_GT(d.count, 3) << static_cast<int>(kind) << " " << utf8(caption);
      EXPECT_EQ(d.top, d.bottom) << static_cast<int>(kind) << " " << utf8(caption);
      EXPECT_LT(d.right - d.left, fontLineHeight(Font{u"Tahoma", 8.25})) << static_cast<int>(kind);
    }
    // "&&" is drawn as the single '&' of a caption without access keys.
    const RasterImage doubled = drawn(kind, u"Tom && Jerry", true);
    const RasterImage single = drawn(kind, u"Tom & Jerry", false);
    EXPECT_EQ(doubled.pixels, single.pixels) << static_cast<int>(kind);
  }
  // Text that takes no access keys (a text box, a message's prompt) shows '&' as it is.
  EXPECT_NE(drawn(RenderKind::Label, u"&Open", false).pixels, drawn(RenderKind::Label, u"Open", false).pixels);
}

class AccessKeyTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    label = &form->add<Label>(u"Label", 1, 150, 150);
    label->setCaption(u"&Name:");
    text = &form->add<TextBox>(u"Text", 1, 1500, 150);
    open = &form->add<CommandButton>(u"Command", 1, 150, 750);
    open->setCaption(u"&Open");
    check = &form->add<CheckBox>(u"Check", 1, 150, 1350);
    check->setCaption(u"&Bold");
    for (Control* c : std::initializer_list<Control*>{label, text, open, check})
      c->setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
    form->show();
    person::click(*check);
    check->setValue(0);
    form->take();
  }
  LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(form->hWnd(), msg, w, l, false); }
  // Alt with a letter as a display delivers it: the key, its character, the release.
  void alt(char16_t letter) {
    send(WM_KEYDOWN, static_cast<WPARAM>(letter), 4);
    send(WM_CHAR, static_cast<WPARAM>(letter - u'A' + u'a'), 4);
    send(WM_KEYUP, static_cast<WPARAM>(letter), 4);
  }
  static Log without(Log log, const std::string& what) {
    std::erase_if(log, [&](const std::string& e) { return e.find(what) != std::string::npos; });
    return log;
  }
  Label* label = nullptr;
  TextBox* text = nullptr;
  CommandButton* open = nullptr;
  CheckBox* check = nullptr;
};

TEST_F(AccessKeyTest, AltWithTheKeyClicksAButtonAndALabelGivesTheFocusToTheControlAfterIt) {
  alt(u'O');
  EXPECT_EQ(form->activeControl(), open);
  EXPECT_EQ(without(form->take(), "Form."),
            (Log{"Check(1).KeyDown", "Check(1).Validate", "Check(1).LostFocus", "Command(1).GotFocus",
                 "Command(1).Click", "Command(1).KeyUp"}));
  alt(u'N');
  EXPECT_EQ(form->activeControl(), text);
  EXPECT_EQ(text->text(), u"");  // Alt+N typed nothing
  alt(u'B');
  EXPECT_EQ(check->value(), 1);
  EXPECT_EQ(form->activeControl(), check);
  // A key no caption marks does nothing; nor does Ctrl+Alt with a marked one.
  form->take();
  alt(u'Q');
  send(WM_KEYDOWN, 'O', 6);
  EXPECT_EQ(without(without(form->take(), "Form."), "Key"), Log{});
  // Hidden or disabled controls take no access keys.
  open->setEnabled(false);
  alt(u'O');
  open->setEnabled(true);
  open->setVisible(false);
  alt(u'O');
  EXPECT_EQ(without(without(form->take(), "Form."), "Key"), Log{});
  open->setVisible(true);
  // A script that swallows the key in KeyDown keeps it from the control.
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::KeyDown) p[0].assign(Variant::i2(0));
  };
  alt(u'O');
  EXPECT_EQ(form->activeControl(), check);
  form->react = nullptr;
  // The simulated user's key strokes take the same path.
  form->take();
  person::keyStroke(*check, 'O', 4);
  EXPECT_EQ(form->activeControl(), open);
  EXPECT_EQ(without(without(form->take(), "Form."), "Key"),
            (Log{"Check(1).Validate", "Check(1).LostFocus", "Command(1).GotFocus", "Command(1).Click"}));
}

TEST_F(AccessKeyTest, AValidateThatCancelsKeepsTheFocusAndTheClick) {
  person::click(*text);
  form->react = [](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e == ControlEvent::Validate) p[0].assign(Variant(true));
  };
  form->take();
  alt(u'O');
  EXPECT_EQ(form->activeControl(), text);
  EXPECT_EQ(without(without(form->take(), "Form."), "Key"), (Log{"Text(1).Validate"}));
}

TEST_F(AccessKeyTest, TwoControlsWithOneKeyTakeTheFocusInTurnWithoutAClick) {
  check->setCaption(u"&Open as copy");
  Label& second = form->add<Label>(u"Label", 2, 150, 1950);
  second.setCaption(u"&Other:");
  ComboBox& after = form->add<ComboBox>(u"ComboText", 1, 1500, 1950);
  second.setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
  after.setTabIndex(static_cast<int16_t>(form->tabOrder().size()));
  person::click(*text);
  form->take();
  alt(u'O');
  EXPECT_EQ(form->activeControl(), open);
  alt(u'O');
  EXPECT_EQ(form->activeControl(), check);
  alt(u'O');
  EXPECT_EQ(form->activeControl(), &after);  // the label's: the control after it
  alt(u'O');
  EXPECT_EQ(form->activeControl(), open);
  for (const std::string& e : form->take()) EXPECT_EQ(e.find("Click"), std::string::npos) << e;
  EXPECT_EQ(check->value(), 0);
}

TEST_F(AccessKeyTest, WithNoControlFocusedTheFormStillRoutesTheKey) {
  Ref<TestForm> bare = makeRef<TestForm>();
  CommandButton& b = bare->add<CommandButton>(u"Command", 1, 150, 150);
  b.setCaption(u"&Go");
  b.setEnabled(false);
  bare->show();
  b.setEnabled(true);
  ASSERT_EQ(bare->activeControl(), nullptr);
  bare->take();
  desktop().deliver(bare->hWnd(), WM_KEYDOWN, 'G', 4, false);
  EXPECT_EQ(bare->take(), (Log{"Form.KeyDown(71)", "Command(1).GotFocus", "Command(1).Click"}));
}

}  // namespace
}  // namespace svx::testing
