// The X11 display under real window managers (each on a private Xvfb): the
// frame stands where the script puts it and stays there while the script
// sizes the window; moves, sizes and states by the manager reach the form,
// and the script's states reach the manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

class X11WindowManagerTest : public X11DisplayTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    if (IsSkipped()) return;
    if (!WindowManager::installed(GetParam())) GTEST_SKIP() << GetParam() << " is not installed";
    wm = std::make_unique<WindowManager>(GetParam(), xvfb.name());
    ASSERT_TRUE(wm->running()) << GetParam() << " did not start";
    attach();
    ASSERT_TRUE(x11->hasWindowManager());
  }
  void TearDown() override {
    X11DisplayTest::TearDown();
    wm.reset();
  }

  // Shows the form at (left, top) twips; its X11 window once it is managed
  // (the manager has put its frame around it and said so).
  uint32_t showAt(double left, double top) {
    form->move(left, top);
    form->show(false);
    const HWND h = form->hWnd();
    serveUntil([&] {
      return x11->viewable(h) && !person->values(x11->windowOf(h), "_NET_FRAME_EXTENTS").empty() &&
             person->frame(x11->windowOf(h)).width > 0;
    });
    settle(200);
    return x11->windowOf(h);
  }

  // Serves the loop for `ms` of real time (stray reports arrive meanwhile)
  // and until what arrived is handled: on a loaded machine the time can be
  // up before the loop has served anything.
  void settle(int ms) {
    const int64_t until = Clock::nowMs() + ms;
    serveUntil([&] { return Clock::nowMs() >= until && messageLoop().pendingCount() == 0; });
  }

  int resizes() const {
    const std::vector<BStr> all = names();
    return static_cast<int>(std::count(all.begin(), all.end(), BStr(u"FormResize")));
  }

  // The frame on the screen stands at the form's Left and Top and has its
  // Width and Height.
  bool frameIsForm(uint32_t w) {
    const Person::Geometry f = person->frame(w);
    return f.x * 15 == form->left() && f.y * 15 == form->top() && f.width * 15 == form->width() &&
           f.height * 15 == form->height();
  }

  std::string describe(uint32_t w) {
    const Person::Geometry f = person->frame(w);
    return "frame " + std::to_string(f.x) + "," + std::to_string(f.y) + " " + std::to_string(f.width) + "x" +
           std::to_string(f.height) + "; form " + std::to_string(form->left() / 15) + "," +
           std::to_string(form->top() / 15) + " " + std::to_string(form->width() / 15) + "x" +
           std::to_string(form->height() / 15) + "; client at " + std::to_string(person->origin(w).first) + "," +
           std::to_string(person->origin(w).second);
  }

  std::unique_ptr<WindowManager> wm;
};

TEST_P(X11WindowManagerTest, TheFrameStandsWhereTheScriptPutsItAndStaysWhileTheScriptSizesIt) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  serveUntil([&] { return frameIsForm(w); });
  EXPECT_EQ(person->frame(w).x, 100) << describe(w);
  EXPECT_EQ(person->frame(w).y, 100) << describe(w);
  EXPECT_EQ(form->left(), 1500);
  EXPECT_EQ(form->top(), 1500);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  // The client area is what the manager's frame leaves of the outer size.
  const auto extents = person->values(w, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(extents.size(), 4u);
  EXPECT_EQ(form->scaleWidth(), form->width() - 15.0 * (extents[0] + extents[1]));
  EXPECT_EQ(form->scaleHeight(), form->height() - 15.0 * (extents[2] + extents[3]));

  const double width = form->width();
  for (int step = 1; step <= 8; ++step) {
    form->setWidth(width + 150 * step);
    serveUntil([&] { return person->frame(w).width * 15 == form->width(); });
    EXPECT_TRUE(frameIsForm(w)) << "step " << step << ": " << describe(w);
  }
  settle(200);
  EXPECT_EQ(form->left(), 1500);
  EXPECT_EQ(form->top(), 1500);
  EXPECT_EQ(form->width(), width + 1200);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
}

TEST_P(X11WindowManagerTest, MovesBothWaysAreInTheFramesTerms) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  // The manager moves it (a pager asks for the client area's place): the
  // form reads the frame's place.
  const auto extents = person->values(w, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(extents.size(), 4u);
  person->place(w, 300 + static_cast<int>(extents[0]), 200 + static_cast<int>(extents[2]));
  serveUntil([&] { return form->left() == 4500 && form->top() == 3000; });
  EXPECT_EQ(form->left(), 4500) << describe(w);
  EXPECT_EQ(form->top(), 3000) << describe(w);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  // The script moves it: the frame goes there.
  form->setLeft(6000);
  serveUntil([&] { return person->frame(w).x == 400; });
  settle(100);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  EXPECT_EQ(form->left(), 6000);
  EXPECT_EQ(form->top(), 3000);
}

TEST_P(X11WindowManagerTest, TheManagersStatesReachTheFormWithoutTradingSizes) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  settle(100);
  const double width = form->width(), height = form->height();
  const uint32_t vert = person->atom("_NET_WM_STATE_MAXIMIZED_VERT"), horz = person->atom("_NET_WM_STATE_MAXIMIZED_HORZ");

  events.clear();
  person->tellManager(w, "_NET_WM_STATE", {1, vert, horz});
  serveUntil([&] { return form->windowState() == 2 && form->width() > width; });
  settle(200);
  EXPECT_EQ(form->windowState(), 2);
  EXPECT_GT(form->width(), 900 * 15) << describe(w);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  // One for each change the manager reports: the state, the size, the
  // frame (a maximised window's may have no borders).
  EXPECT_GE(resizes(), 1);
  EXPECT_LE(resizes(), 3);

  events.clear();
  person->tellManager(w, "_NET_WM_STATE", {0, vert, horz});
  serveUntil([&] { return form->windowState() == 0 && form->width() == width; });
  settle(300);
  EXPECT_EQ(form->windowState(), 0);
  EXPECT_EQ(form->width(), width) << describe(w);
  EXPECT_EQ(form->height(), height) << describe(w);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  EXPECT_GE(resizes(), 1);
  EXPECT_LE(resizes(), 3);  // no trading of sizes with the manager
  const int settled = resizes();
  settle(300);
  EXPECT_EQ(resizes(), settled);

  events.clear();
  person->tellManager(w, "WM_CHANGE_STATE", {3, 0, 0});  // IconicState
  serveUntil([&] { return form->windowState() == 1; });
  EXPECT_EQ(form->windowState(), 1);
  EXPECT_EQ(resizes(), 1);

  events.clear();
  person->tellManager(w, "_NET_ACTIVE_WINDOW", {2, 0, 0});
  serveUntil([&] { return form->windowState() == 0 && x11->viewable(form->hWnd()); });
  EXPECT_EQ(form->windowState(), 0);
  EXPECT_EQ(resizes(), 1);
  EXPECT_EQ(form->width(), width);
}

TEST_P(X11WindowManagerTest, TheScriptsStatesReachTheManager) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  settle(100);
  const double width = form->width();

  form->setWindowState(2);
  serveUntil([&] {
    return person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT") && form->width() > width;
  });
  settle(100);
  EXPECT_TRUE(person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_HORZ"));
  EXPECT_GT(form->width(), 900 * 15) << describe(w);
  EXPECT_EQ(form->windowState(), 2);

  form->setWindowState(0);
  serveUntil([&] {
    return !person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT") && form->width() == width;
  });
  settle(100);
  EXPECT_EQ(form->width(), width) << describe(w);
  EXPECT_EQ(form->windowState(), 0);

  form->setWindowState(1);
  serveUntil([&] { return person->windowProperty(w, "WM_STATE") == 3; });
  EXPECT_EQ(person->windowProperty(w, "WM_STATE"), 3u);  // IconicState
  settle(100);
  EXPECT_EQ(form->windowState(), 1);

  form->setWindowState(0);
  serveUntil([&] { return person->windowProperty(w, "WM_STATE") == 1 && x11->viewable(form->hWnd()); });
  EXPECT_EQ(person->windowProperty(w, "WM_STATE"), 1u);  // NormalState
  EXPECT_EQ(form->windowState(), 0);
  // Back where it was (once the manager's animation of the frame is over).
  serveUntil([&] { return frameIsForm(w); });
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
  EXPECT_EQ(form->left(), 1500);
  EXPECT_EQ(form->top(), 1500);
}

TEST_P(X11WindowManagerTest, AStateTheScriptSetsWinsOverTheManagersReportsFromBeforeIt) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  auto within = [&](int ms, const std::function<bool()>& done) {
    const int64_t until = Clock::nowMs() + ms;
    serveUntil([&] { return done() || Clock::nowMs() >= until; });
    return done();
  };
  auto maximised = [&] {
    return person->windowProperty(w, "WM_STATE") == 1 &&
           person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT") && form->windowState() == 2 &&
           form->width() > 900 * 15;
  };
  // The person minimises the window from its frame; before the display
  // reads the manager's report of it, the script maximises the form.
  person->tellManager(w, "WM_CHANGE_STATE", {3, 0, 0});
  ASSERT_TRUE(eventually([&] { return person->windowProperty(w, "WM_STATE") == 3; }));
  form->setWindowState(2);
  EXPECT_TRUE(within(10000, maximised)) << "state " << form->windowState() << "; " << describe(w);
  EXPECT_EQ(form->windowState(), 2);

  // Likewise restored while a report of the person's maximising is queued.
  const uint32_t vert = person->atom("_NET_WM_STATE_MAXIMIZED_VERT"), horz = person->atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  person->tellManager(w, "_NET_WM_STATE", {0, vert, horz});
  ASSERT_TRUE(eventually([&] { return !person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT"); }));
  person->tellManager(w, "_NET_WM_STATE", {1, vert, horz});
  ASSERT_TRUE(eventually([&] { return person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT"); }));
  form->setWindowState(1);
  EXPECT_TRUE(within(10000, [&] { return person->windowProperty(w, "WM_STATE") == 3 && form->windowState() == 1; }))
      << "state " << form->windowState();

  // The person's own change after the manager answered is followed.
  person->tellManager(w, "_NET_ACTIVE_WINDOW", {2, 0, 0});
  EXPECT_TRUE(within(10000, [&] { return person->windowProperty(w, "WM_STATE") == 1 && form->windowState() == 2; }))
      << "state " << form->windowState();
}

TEST_P(X11WindowManagerTest, AStateTheScriptSetsWinsOverTheManagersReportsNotYetHandled) {
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  const double width = form->width();
  // The person maximises the window from its frame; the display reads the
  // manager's reports, and before the form handles them the script
  // minimises it.
  const uint32_t vert = person->atom("_NET_WM_STATE_MAXIMIZED_VERT"), horz = person->atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  person->tellManager(w, "_NET_WM_STATE", {1, vert, horz});
  ASSERT_TRUE(eventually([&] {
    return person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT") && person->frame(w).width == 1024;
  }));
  ASSERT_TRUE(eventually([&] {
    x11->pump();
    return messageLoop().pendingCount() > 0;
  }));
  form->setWindowState(1);
  const int64_t until = Clock::nowMs() + 10000;
  auto minimised = [&] { return person->windowProperty(w, "WM_STATE") == 3 && form->windowState() == 1; };
  serveUntil([&] { return minimised() || Clock::nowMs() >= until; });
  EXPECT_TRUE(minimised()) << "state " << form->windowState() << "; " << describe(w);
  EXPECT_EQ(form->width(), width);

  // The script moves the form while the manager's report of its own move
  // waits: the form stays where the script put it, and so does the frame.
  form->setWindowState(0);
  serveUntil([&] { return (person->windowProperty(w, "WM_STATE") == 1 && frameIsForm(w)) || Clock::nowMs() >= until; });
  ASSERT_TRUE(frameIsForm(w)) << describe(w);
  const auto extents = person->values(w, "_NET_FRAME_EXTENTS");
  ASSERT_EQ(extents.size(), 4u);
  person->place(w, 300 + static_cast<int>(extents[0]), 200 + static_cast<int>(extents[2]));
  ASSERT_TRUE(eventually([&] { return person->frame(w).x == 300; }));
  ASSERT_TRUE(eventually([&] {
    x11->pump();
    return messageLoop().pendingCount() > 0;
  }));
  form->move(6000, 4500);
  serveUntil([&] { return person->frame(w).x == 400 || Clock::nowMs() >= until; });
  settle(200);
  EXPECT_EQ(form->left(), 6000);
  EXPECT_EQ(form->top(), 4500);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
}

TEST_P(X11WindowManagerTest, AFormMaximisedBeforeItIsShownOpensMaximised) {
  form->setWindowState(2);
  form->show(false);
  const HWND h = form->hWnd();
  serveUntil([&] { return x11->viewable(h) && form->width() > 900 * 15; });
  settle(300);
  const uint32_t w = x11->windowOf(h);
  EXPECT_TRUE(person->hasValue(w, "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT"));
  EXPECT_EQ(form->windowState(), 2);
  EXPECT_GT(form->width(), 900 * 15) << describe(w);
  EXPECT_TRUE(frameIsForm(w)) << describe(w);
}

TEST_P(X11WindowManagerTest, OnAScaledScreenTheFormKeepsThePlaceAndSizeItWasGiven) {
  // 120 dpi: 1.25 device pixels to the pixel, so that sizes do not divide evenly.
  form.reset();
  setDisplay(nullptr);
  person->setRootResource("Xft.dpi:\t120\n");
  attach();
  ASSERT_EQ(x11->scale(), 1.25);
  const uint32_t w = showAt(1500, 1500);
  ASSERT_NE(w, 0u);
  for (int step = 1; step <= 3; ++step) {
    const double width = form->width() + 165, height = form->height() + 195;
    form->move(1500, 1500, width, height);
    settle(150);
    EXPECT_EQ(form->width(), width) << "step " << step;
    EXPECT_EQ(form->height(), height) << "step " << step;
    EXPECT_EQ(form->left(), 1500) << "step " << step;
    EXPECT_EQ(form->top(), 1500) << "step " << step;
  }
  const Person::Geometry f = person->frame(w);
  EXPECT_NEAR(f.x, 125, 1);
  EXPECT_NEAR(f.y, 125, 1);
}

INSTANTIATE_TEST_SUITE_P(Managers, X11WindowManagerTest, ::testing::Values("openbox", "fluxbox"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace svx::testing
