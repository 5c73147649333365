// The help window: its panes, the option buttons along the bottom edge, the
// layout on resize, the pane choice, the taskbar button and its pictures.
#include <gtest/gtest.h>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "tests/support/caption_fit.h"
#include "tests/windows/snapshot_dir.h"
#include "windows/frm_help_all.h"
#include "windows/window_place.h"

namespace svx {
namespace {

class HelpWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    desktop().installTaskbar();
    help = makeRef<frmHelpAll>();
    help->load();
  }
  void TearDown() override {
    help.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  Control& pane(int i) { return help->control(i == 0 ? u"txtHelp" : i == 1 ? u"txtHelp2" : u"txtHelp3"); }
  Control& option(int16_t i) { return help->control(u"optDisplay", i); }
  std::vector<bool> visiblePanes() { return {pane(0).visible(), pane(1).visible(), pane(2).visible()}; }
  // The option buttons on the bottom edge, 150 twips apart, and the panes
  // filling the client area above them.
  void expectLayout() {
    const double h = help->scaleHeight(), w = help->scaleWidth();
    EXPECT_EQ(option(0).left(), 0);
    EXPECT_EQ(option(0).top(), h - 315);
    EXPECT_EQ(option(1).left(), 1245 + 150);
    EXPECT_EQ(option(2).left(), 1245 + 150 + 2760 + 150);
    EXPECT_EQ(option(1).top(), option(0).top());
    EXPECT_EQ(option(2).top(), option(0).top());
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(pane(i).left(), 0);
      EXPECT_EQ(pane(i).top(), 0);
      EXPECT_EQ(pane(i).width(), w);
      EXPECT_EQ(pane(i).height(), h - 315);
    }
  }
  Ref<frmHelpAll> help;
};

TEST_F(HelpWindow, OpensOnTheEventsPaneFillingTheWindow) {
  help->show(false);
  EXPECT_EQ(help->caption(), u"Help");
  EXPECT_EQ(help->scaleWidth(), 7260);
  EXPECT_EQ(help->scaleHeight(), 3930);
  EXPECT_TRUE(help->element<OptionButton>(u"optDisplay", 0).value());
  EXPECT_FALSE(help->element<OptionButton>(u"optDisplay", 1).value());
  EXPECT_EQ(help->element<OptionButton>(u"optDisplay", 0).caption(), u"Public Events");
  EXPECT_EQ(help->element<OptionButton>(u"optDisplay", 1).caption(), u"Public Properties and Methods (I)");
  EXPECT_EQ(help->element<OptionButton>(u"optDisplay", 2).caption(), u"Public Properties and Methods (II)");
  EXPECT_EQ(option(1).width(), 2760);
  EXPECT_EQ(visiblePanes(), (std::vector<bool>{true, false, false}));
  expectLayout();
  const BStr& events = help->element<TextBox>(u"txtHelp").text();
  EXPECT_NE(events.find(u"\tPublic Events ***"), BStr::npos);
  EXPECT_NE(events.find(u"\r\n\t\t\tPublic Event FormActivate (  ) \r\n"), BStr::npos);
  EXPECT_EQ(help->activeControl(), &pane(0));
  // The panes have their own bold font; the options keep the form's.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pane(i).font(), (Font{u"Tahoma", 9, true})) << i;
  EXPECT_EQ(option(0).font(), (Font{u"Tahoma", 8.25}));
}

TEST_F(HelpWindow, ChoosingAnOptionShowsItsPaneWithTheFocus) {
  help->show(false);
  person::click(option(1));
  EXPECT_EQ(visiblePanes(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(help->activeControl(), &pane(1));
  person::click(option(2));
  EXPECT_EQ(visiblePanes(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(help->activeControl(), &pane(2));
  person::click(option(0));
  EXPECT_EQ(visiblePanes(), (std::vector<bool>{true, false, false}));
  expectLayout();
}

TEST_F(HelpWindow, ResizingKeepsTheLayoutAndTooSmallASizeIsSkipped) {
  help->show(false);
  person::resize(*help, 12000, 9000);
  expectLayout();
  EXPECT_EQ(pane(0).width(), 12000 - 2 * FormBorderTwips);
  // So low that the panes' height would be negative: no error, the panes
  // keep their size, the buttons follow the edge.
  const double before = pane(0).height();
  EXPECT_NO_THROW(person::resize(*help, 3000, 2 * FormBorderTwips + FormCaptionTwips + 200));
  EXPECT_EQ(pane(0).height(), before);
  EXPECT_EQ(option(0).top(), 200 - 315);
  person::resize(*help, 9000, 6000);
  expectLayout();
  // Minimised and restored.
  EXPECT_NO_THROW(help->setWindowState(1));
  EXPECT_NO_THROW(help->setWindowState(0));
  expectLayout();
}

TEST_F(HelpWindow, ThePanesCannotBeEditedButTheirTextCanBeSelected) {
  help->show(false);
  auto& text = help->element<TextBox>(u"txtHelp");
  const BStr before = text.text();
  person::type(text, u"xyz");
  person::keyStroke(text, person::vbKeyBack);
  EXPECT_EQ(text.text(), before);
  text.setSelStart(2);  // after the empty first line
  text.setSelLength(17);
  EXPECT_EQ(text.selText(), u"Sorvanelix.Dialog");
}

TEST_F(HelpWindow, HasATaskbarButtonAlsoWhenOwned) {
  WindowSpec spec;
  spec.className = "Owner";
  spec.style = WS_VISIBLE;
  HWND owner = desktop().createWindow(spec);
  SetWindowLongA(help->hWnd(), GWL_HWNDPARENT, owner);
  help->show(false);
  EXPECT_EQ(desktop().taskbar()->buttons.count(help->hWnd()), 1u);
}

TEST_F(HelpWindow, ClosingEndsTheModalShow) {
  int idle = 0;
  messageLoop().setIdleHook([&] {
    if (++idle == 1) person::close(*help);
    return true;
  });
  help->show(true);
  messageLoop().setIdleHook({});
  EXPECT_FALSE(help->isLoaded());
}

// The owner's window goes while the help window is shown modally over it
// (the owning form unloaded from a timer's tick): the owned window goes with
// it, and the modal show ends instead of waiting for a window that is gone.
TEST_F(HelpWindow, TheModalShowEndsWhenTheOwnerIsDestroyed) {
  WindowSpec spec;
  spec.className = "Owner";
  spec.style = WS_VISIBLE;
  HWND owner = desktop().createWindow(spec);
  SetWindowLongA(help->hWnd(), GWL_HWNDPARENT, owner);
  const HWND window = help->hWnd();
  int idle = 0;
  messageLoop().setIdleHook([&] {
    if (++idle == 1) DestroyWindow(owner);
    return idle < 50;  // then the loop reports that it has nothing to wait for
  });
  EXPECT_NO_THROW(help->show(true));
  messageLoop().setIdleHook({});
  EXPECT_EQ(idle, 1);
  EXPECT_FALSE(desktop().find(window));
}

TEST_F(HelpWindow, APictureOfEachPane) {
  help->show(false);
  std::vector<std::uintmax_t> sizes;
  for (int16_t i = 0; i < 3; ++i) {
    person::click(option(i));
    const auto file = testing::snapshotDir() / ("help_pane_" + std::to_string(i + 1) + ".png");
    person::snapshot(*help, file);
    EXPECT_TRUE(testing::isPng(file));
    sizes.push_back(std::filesystem::file_size(file));
  }
  EXPECT_NE(sizes[0], sizes[1]);
  EXPECT_NE(sizes[1], sizes[2]);
}

TEST_F(HelpWindow, TheOptionCaptionsReadWhole) {
  help->show(false);
  EXPECT_EQ(help->element<OptionButton>(u"optDisplay", 1).caption(), u"Public Properties and Methods (I)");
  EXPECT_EQ(help->element<OptionButton>(u"optDisplay", 2).caption(), u"Public Properties and Methods (II)");
  const std::vector<std::string> clipped = testing::clippedCaptions(*help);
  EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST(WindowPlace, AnOwnedWindowStartsCentredOnItsOwner) {
  Clock::useVirtualTime();
  desktop().reset();
  WindowSpec spec;
  spec.className = "Owner";
  spec.rect = {100, 50, 800, 600};
  const HWND owner = desktop().createWindow(spec);
  auto help = makeRef<frmHelpAll>();
  help->load();
  centreOnOwner(*help, owner);
  EXPECT_DOUBLE_EQ(help->left() + help->width() / 2, pixelsToTwips(100 + 400));
  EXPECT_DOUBLE_EQ(help->top() + help->height() / 2, pixelsToTwips(50 + 300));
  help.reset();
  desktop().reset();
  Clock::useRealTime();
}

}  // namespace
}  // namespace svx
