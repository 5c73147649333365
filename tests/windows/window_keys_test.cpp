// The help window and the About box from the keyboard: their read-only texts
// are selected and copied but never changed, and the help window's option
// buttons choose a pane without the mouse.
#include <gtest/gtest.h>

#include "platform/desktop/desktop.h"
#include "platform/desktop/display_messages.h"
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/system/clipboard.h"
#include "tests/platform/dialogs/services_fixture.h"
#include "windows/frm_about.h"
#include "windows/frm_help_all.h"

namespace svx {
namespace {

class WindowKeys : public testing::ServicesTest {
 protected:
  // A key as a display delivers it to the window of `f`.
  static void key(Form& f, int16_t code, int16_t shift = 0) {
    desktop().deliver(f.hWnd(), WM_KEYDOWN, static_cast<WPARAM>(code), shift, false);
    if (code >= 'A' && code <= 'Z')
      desktop().deliver(f.hWnd(), WM_CHAR, (shift & 2) != 0 ? code - 'A' + 1 : code + 32, shift, false);
    desktop().deliver(f.hWnd(), WM_KEYUP, static_cast<WPARAM>(code), shift, false);
  }
};

TEST_F(WindowKeys, TheHelpPanesAreSelectedAndCopiedButNeverChanged) {
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  help->show(false);
  auto& pane = help->element<TextBox>(u"txtHelp");
  ASSERT_EQ(help->activeControl(), &pane);
  const BStr text = pane.text();
  key(*help, 40, 1);  // Shift+Down: the first line, empty, and its break
  key(*help, 40, 1);  // and the banner line
  key(*help, 'C', 2);
  EXPECT_EQ(clipboard().getText(), text.substr(0, static_cast<std::size_t>(pane.selLength())));
  EXPECT_TRUE(clipboard().getText().starts_with(u"\r\nSorvanelix.Dialog "));
  key(*help, 'A', 2);
  key(*help, 45, 2);  // Ctrl+Insert
  EXPECT_EQ(clipboard().getText(), text);
  clipboard().setText(u"pasted");
  for (const auto& [code, shift] : std::vector<std::pair<int16_t, int16_t>>{
           {'V', 2}, {'X', 2}, {46, 0}, {46, 1}, {45, 1}, {'Q', 0}, {8, 0}})
    key(*help, code, shift);
  desktop().deliver(help->hWnd(), WM_CHAR, u'z', 0, false);
  EXPECT_EQ(pane.text(), text);
  EXPECT_EQ(clipboard().getText(), u"pasted");
}

TEST_F(WindowKeys, PageDownPagesThroughAHelpPaneToItsEndAndPageUpBack) {
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  help->show(false);
  auto& pane = help->element<TextBox>(u"txtHelp2");
  help->element<OptionButton>(u"optDisplay", 1).setValue(true);
  pane.setFocus();
  ASSERT_EQ(help->activeControl(), &pane);
  const auto end = static_cast<int32_t>(pane.text().size());
  int32_t before = -1;
  int keys = 0;
  for (; pane.selStart() != before && keys < 1000; ++keys) {
    before = pane.selStart();
    key(*help, 34);
    if (keys == 0) {
      EXPECT_GT(pane.selStart(), 0);
      EXPECT_GT(pane.topLine(), 0);
    }
  }
  EXPECT_GT(keys, 5);  // pages, not lines nor the whole text at once
  EXPECT_EQ(pane.selStart(), static_cast<int32_t>(pane.text().rfind(u"\r\n")) + 2);  // the last line
  EXPECT_LE(pane.selStart(), end);
  key(*help, 36, 2);  // Ctrl+Home
  key(*help, 34, 1);  // Shift+Page Down selects a page
  EXPECT_EQ(pane.selStart(), 0);
  EXPECT_GT(pane.selLength(), 0);
  key(*help, 33);
  EXPECT_EQ(pane.selStart(), 0);
  EXPECT_EQ(pane.topLine(), 0);
}

TEST_F(WindowKeys, TheKeyboardAloneChoosesAHelpPane) {
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  help->show(false);
  auto option = [&](int16_t i) -> OptionButton& { return help->element<OptionButton>(u"optDisplay", i); };
  key(*help, 9);  // Tab: the group's chosen option, the first
  EXPECT_EQ(help->activeControl(), &option(0));
  key(*help, 39);  // Right: the second is chosen, its pane shown and focused
  EXPECT_TRUE(option(1).value());
  EXPECT_TRUE(help->control(u"txtHelp2").visible());
  EXPECT_FALSE(help->control(u"txtHelp").visible());
  EXPECT_EQ(help->activeControl(), &help->control(u"txtHelp2"));
  key(*help, 9, 1);  // Shift+Tab from the pane: back to the group, on its chosen option
  EXPECT_EQ(help->activeControl(), &option(1));
  key(*help, 37);  // Left: the first again
  EXPECT_TRUE(help->control(u"txtHelp").visible());
}

TEST_F(WindowKeys, TheAboutBoxTextsAreSelectedButNotEdited) {
  Ref<frmAbout> about = makeRef<frmAbout>();
  about->load();
  about->show(false);
  auto& title = about->element<TextBox>(u"lblTitle");
  const BStr text = title.text();
  title.setFocus();
  key(*about, 'A', 2);
  key(*about, 'C', 2);
  EXPECT_EQ(clipboard().getText(), text);
  key(*about, 'V', 2);
  key(*about, 'X', 2);
  key(*about, 'Q');
  EXPECT_EQ(title.text(), text);
}

}  // namespace
}  // namespace svx
