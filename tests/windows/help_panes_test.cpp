// The help window's panes: multi-line boxes with both scroll bars (ScrollBars
// 3), so their lines are not wrapped; the bars scroll them across and down.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "tests/windows/snapshot_dir.h"
#include "windows/frm_help_all.h"

namespace svx {
namespace {

class HelpPanes : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    help = makeRef<frmHelpAll>();
    help->load();
    help->show(false);
  }
  void TearDown() override {
    help.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  TextBox& pane() { return help->element<TextBox>(u"txtHelp"); }
  // The pane's size in pixels, and its bars.
  TextBoxLayout layout() {
    TextBox& p = pane();
    return textBoxScroll(p.text(), p.font(), twipsToRoundedPixels(p.width()), twipsToRoundedPixels(p.height()), 3,
                         p.topLine(), p.scrollLeft());
  }
  Ref<frmHelpAll> help;
};

TEST_F(HelpPanes, EachLineIsOneRowAndBothBarsScrollThePane) {
  TextBox& p = pane();
  const TextBoxLayout l = layout();
  ASSERT_TRUE(l.vertical && l.horizontal);
  EXPECT_FALSE(l.wraps());
  // No line is wrapped: the rows are the text's lines.
  const auto lines = static_cast<int>(std::count(p.text().begin(), p.text().end(), u'\n')) + 1;
  EXPECT_EQ(textLineCount(p.text(), p.font(), -1), lines);
  EXPECT_EQ(l.vertical->max, lines - l.vertical->page);
  EXPECT_GT(l.horizontal->max, 0);  // the banner line is wider than the window
  // The arrows, as the simulated user clicks them.
  const double w = p.width(), h = p.height();
  person::clickAt(p, w - pixelsToTwips(8), h - pixelsToTwips(24));  // down
  person::clickAt(p, w - pixelsToTwips(8), h - pixelsToTwips(24));
  EXPECT_EQ(p.topLine(), 2);
  person::clickAt(p, w - pixelsToTwips(24), h - pixelsToTwips(8));  // right
  EXPECT_GT(p.scrollLeft(), 0);
  EXPECT_EQ(p.selLength(), 0);
  const RenderItem shown = help->picture();
  const auto it = std::find_if(shown.children.begin(), shown.children.end(),
                               [](const RenderItem& c) { return c.kind == RenderKind::TextBox && c.visible; });
  ASSERT_NE(it, shown.children.end());
  EXPECT_EQ(it->scrollBars, 3);
  EXPECT_EQ(it->topIndex, 2);
  EXPECT_EQ(it->scrollLeft, p.scrollLeft());
  person::snapshot(*help, testing::snapshotDir() / "help_scroll_bars.png");
}

}  // namespace
}  // namespace svx
