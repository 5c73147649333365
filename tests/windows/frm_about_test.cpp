// The About box: its caption, title and version lines, the program's icon,
// the hidden picture and the chord that toggles it, OK, and its picture.
#include <gtest/gtest.h>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/shape_line.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "tests/windows/snapshot_dir.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/program_icon.h"
#include "windows/frm_about.h"
#include "windows/frm_help_all.h"

namespace svx {
namespace {

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    about = makeRef<frmAbout>();
    about->load();
    about->show(false);
  }
  void TearDown() override {
    about.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  bool pictureShown() { return about->control(u"Picture1").visible(); }
  Ref<frmAbout> about;
};

TEST_F(AboutBox, NamesTheProductAndItsVersion) {
  EXPECT_EQ(about->caption(), u"About Sorvanelix");
  EXPECT_EQ(about->element<TextBox>(u"lblVersion").text(), u"Version: 1.0.0.0");
  EXPECT_EQ(about->element<TextBox>(u"lblTitle").text(), frmAbout::kTitle);
  EXPECT_EQ(about->scaleWidth(), 5790);
  EXPECT_EQ(about->font(), (Font{u"Tahoma", 9, true}));
  auto& icon = about->element<PictureBox>(u"picIcon");
  EXPECT_EQ(icon.picture().widthPixels(), 32);
  EXPECT_EQ(icon.width(), 480);  // sized to its picture
  auto& picture = about->element<PictureBox>(u"Picture1");
  EXPECT_EQ(picture.picture().widthPixels(), 251);
  EXPECT_EQ(picture.picture().heightPixels(), 34);
  EXPECT_FALSE(pictureShown());
  // The etched separator: grey above, white below.
  auto& upper = about->element<Line>(u"Line1", 1);
  auto& lower = about->element<Line>(u"Line1", 0);
  EXPECT_EQ(upper.borderColor(), 0x808080u);
  EXPECT_EQ(upper.y1(), 2445);
  EXPECT_EQ(lower.borderColor(), 0xFFFFFFu);
  EXPECT_EQ(lower.borderWidth(), 2);
  EXPECT_EQ(lower.y1(), 2460);
}

TEST_F(AboutBox, AltWithARightClickOnTheBackgroundTogglesThePicture) {
  using namespace person;
  const struct {
    int16_t button, shift;
    bool toggles;
  } cases[] = {
      {vbRightButton, vbAltMask, true},
      {vbRightButton, vbAltMask | vbCtrlMask, true},
      {vbRightButton, vbAltMask | vbCtrlMask | vbShiftMask, true},
      {vbRightButton, 0, false},
      {vbRightButton, vbCtrlMask, false},
      {vbLeftButton, vbAltMask, false},
  };
  for (const auto& c : cases) {
    const bool before = pictureShown();
    mouseDown(*about, c.button, c.shift, 300, 1200);
    EXPECT_EQ(pictureShown(), before != c.toggles) << c.button << " " << c.shift;
  }
  // Over a control the chord does nothing.
  const bool before = pictureShown();
  mouseDown(about->control(u"cmdOK"), vbRightButton, vbAltMask);
  mouseDown(about->control(u"lblTitle"), vbRightButton, vbAltMask);
  EXPECT_EQ(pictureShown(), before);
}

TEST_F(AboutBox, OkHasTheFocusAndEnterClosesIt) {
  EXPECT_EQ(about->activeControl(), &about->control(u"cmdOK"));
  person::pressEnter(*about);
  EXPECT_FALSE(about->isLoaded());
}

TEST_F(AboutBox, TheTextsCannotBeEdited) {
  auto& title = about->element<TextBox>(u"lblTitle");
  person::type(title, u"x");
  EXPECT_EQ(title.text(), frmAbout::kTitle);
}

TEST_F(AboutBox, EachOpeningStartsWithThePictureHidden) {
  person::mouseDown(*about, person::vbRightButton, person::vbAltMask);
  EXPECT_TRUE(pictureShown());
  person::click(about->control(u"cmdOK"));
  EXPECT_FALSE(about->isLoaded());
  about->show(false);  // loaded again from its design
  EXPECT_FALSE(pictureShown());
}

TEST_F(AboutBox, APictureWithThePictureShown) {
  person::mouseDown(*about, person::vbRightButton, person::vbAltMask);
  const auto file = testing::snapshotDir() / "about_box.png";
  person::snapshot(*about, file);
  EXPECT_TRUE(testing::isPng(file));
}

TEST_F(AboutBox, AFixedDialogFrameWithoutTaskbarEntryAndTheProgramsIcon) {
  const Window& w = desktop().window(about->hWnd());
  EXPECT_EQ(about->borderStyle(), FormBorderStyle::FixedDialog);
  EXPECT_EQ(w.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  EXPECT_EQ(w.style & WS_CAPTION, WS_CAPTION);
  EXPECT_NE(w.style & WS_SYSMENU, 0u);  // the close box stays
  EXPECT_NE(w.exStyle & WS_EX_DLGMODALFRAME, 0u);
  EXPECT_NE(w.exStyle & WS_EX_TOOLWINDOW, 0u);
  EXPECT_EQ(about->icon(), programIcon());
  EXPECT_EQ(about->element<PictureBox>(u"picIcon").picture(), programIcon());
  const RenderItem picture = about->picture();
  EXPECT_EQ(picture.icon, programIcon());
  EXPECT_FALSE(picture.minMaxBoxes);
  // The help window keeps the sizable frame, with the same icon.
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  const Window& hw = desktop().window(help->hWnd());
  EXPECT_EQ(hw.style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(hw.exStyle & WS_EX_TOOLWINDOW, 0u);
  EXPECT_EQ(help->picture().icon, programIcon());
  EXPECT_TRUE(help->picture().minMaxBoxes);
  help->unload();
}

}  // namespace
}  // namespace svx
