// Scroll bars under a person's real mouse (XTest on a private Xvfb): the
// scroll bar controls, a list's bar, a multi-line box's bar and the help
// window's panes; then the same spots through the simulated user.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <filesystem>
#include <fstream>

#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/forms/list_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/font.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "tests/display/x11_fixture.h"
#include "windows/frm_help_all.h"

namespace svx::testing {
namespace {

using namespace std::chrono_literals;

class X11ScrollTest : public X11DisplayTest {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    if (IsSkipped()) return;
    attach();
    onEvent = [this](BStrView name) {
      if (name.ends_with(u"Change")) ++changes;
      if (name.ends_with(u"Scroll")) ++scrolls;
    };
  }


  // Shows `f`, lets the person act on its window (its client origin given)
  // on another thread, and serves the loop until the person is done.
  void withPerson(Form& f, std::function<void(int x, int y)> steps) {
    f.show(false);
    const HWND h = f.hWnd();
    std::atomic<uint32_t> window{0};
    std::atomic<bool> done{false};
    act([&] {
      if (eventually([&] { return window.load() != 0; })) {
        std::this_thread::sleep_for(100ms);  // mapped and drawn
        const auto [x, y] = person->origin(window.load());
        steps(x, y);
        std::this_thread::sleep_for(100ms);  // the last events reach the loop
      }
      done = true;
    });
    serveUntil([&] {
      if (!window.load() && x11->viewable(h)) window = x11->windowOf(h);
      return done.load();
    });
    actor.join();
    messageLoop().doEvents();
  }

  std::vector<BStr> listEvents() const {
    std::vector<BStr> out;
    for (const BStr& n : names())
      if (n.starts_with(u"List") && n != u"ListGotFocus") out.push_back(n);
    return out;
  }

  int changes = 0, scrolls = 0;
};

// A scroll bar at pixels (16, 16), 200 x 17, range 0..100.
TEST_F(X11ScrollTest, AnArrowHeldDownRepeatsAndTheThumbDragsWithScrollThenOneChange) {
  ScrollBar& bar = load<ScrollBar>(u"HScrollBar", u"HScroll", 240, 240, 3000, 255);
  bar.setMax(100);
  bar.setLargeChange(10);
  withPerson(*form, [&](int x, int y) {
    person->moveTo(x + 16 + 200 - 8, y + 24);  // the right arrow
    person->press(1);
    std::this_thread::sleep_for(1000ms);
    person->release(1);
  });
  // One step at the press, then one every interval after the delay.
  EXPECT_GE(bar.value(), 6);
  EXPECT_EQ(changes, bar.value());
  EXPECT_EQ(scrolls, 0);

  // The thumb: Value follows the pointer, Change comes once, at the release.
  const int start = bar.value();
  changes = scrolls = 0;
  events.clear();
  ScrollBarBox b;
  b.horizontal = true;
  b.width = 200;
  b.height = 17;
  b.max = 100;
  b.value = start;
  const double thumb = 16 + b.thumbStart() + b.thumbLength() / 2;
  withPerson(*form, [&](int x, int y) {
    person->moveTo(x + static_cast<int>(thumb), y + 24);
    std::this_thread::sleep_for(50ms);
    person->press(1);
    for (int dx = 10; dx <= 60; dx += 10) {
      std::this_thread::sleep_for(30ms);
      person->moveTo(x + static_cast<int>(thumb) + dx, y + 24 + dx / 4);
    }
    std::this_thread::sleep_for(50ms);
    person->release(1);
  });
  EXPECT_EQ(bar.value(), b.valueAtThumb(b.thumbStart() + 60));
  EXPECT_GE(scrolls, 2);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().name, u"HScrollChange");
  EXPECT_EQ(changes, 1);

  // The simulated user's clicks on the same spots.
  const int16_t before = bar.value();
  changes = 0;
  person::clickAt(bar, pixelsToTwips(200 - 8), pixelsToTwips(8));
  EXPECT_EQ(bar.value(), before + 1);
  person::clickAt(bar, pixelsToTwips(20), pixelsToTwips(8));  // the track before the thumb
  EXPECT_EQ(bar.value(), before + 1 - 10);
  EXPECT_EQ(changes, 2);
}

// A list of 30 items at pixels (16, 100), 160 x 60.
TEST_F(X11ScrollTest, AListsBarScrollsAndRepeatsWithoutChoosingAndTheThumbDrags) {
  ListBox& list = add<ListBox>(u"List", 240, 1500, 2400, 900);
  for (int i = 0; i < 30; ++i) list.addItem(u"item " + utf16(std::to_string(i)));
  const int lh = fontLineHeight(list.font());
  const ListBoxLayout l = listBoxLayout(160, 60, lh, 30, 0, 0, 0);
  ASSERT_TRUE(l.vertical);
  const int barX = 16 + static_cast<int>(l.vertical->left) + 8;
  withPerson(*form, [&](int x, int y) {
    person->click(x + barX, y + 100 + 60 - 1 - 8);  // the down arrow
    std::this_thread::sleep_for(100ms);
    person->moveTo(x + barX, y + 100 + 60 - 1 - 8);
    person->press(1);  // held: it repeats
    std::this_thread::sleep_for(800ms);
    person->release(1);
  });
  const int16_t top = list.topIndex();
  EXPECT_GE(top, 4);
  EXPECT_EQ(list.listIndex(), -1);
  for (const BStr& n : listEvents()) EXPECT_EQ(n, u"ListScroll");

  // The thumb dragged to the bottom.
  events.clear();
  ScrollBarBox v = *l.vertical;
  v.value = top;
  const int thumbY = 100 + static_cast<int>(v.top + v.thumbStart() + v.thumbLength() / 2);
  withPerson(*form, [&](int x, int y) {
    person->moveTo(x + barX, y + thumbY);
    std::this_thread::sleep_for(50ms);
    person->press(1);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + barX - 20, y + thumbY + 30);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + barX - 20, y + 300);
    std::this_thread::sleep_for(50ms);
    person->release(1);
  });
  EXPECT_EQ(list.topIndex(), 30 - l.visibleRows);
  EXPECT_EQ(list.listIndex(), -1);
  for (const BStr& n : listEvents()) EXPECT_EQ(n, u"ListScroll");

  // The simulated user: the up arrow, then the track below the thumb.
  person::clickAt(list, pixelsToTwips(barX - 16), pixelsToTwips(8));
  EXPECT_EQ(list.topIndex(), 30 - l.visibleRows - 1);
  EXPECT_EQ(list.listIndex(), -1);
}

// A multi-line box (its family's vertical bar) and the help window's panes
// (both bars, no wrapping).
TEST_F(X11ScrollTest, AMultiLineBoxAndTheHelpPanesScrollByTheirBars) {
  TextBox& text = add<TextBox>(u"MultiText", 240, 240, 2400, 900);  // pixels 16,16 .. 176,76
  std::u16string lines;
  for (int i = 0; i < 20; ++i) lines += u"line " + utf16(std::to_string(i)) + u"\r\n";
  text.setText(lines);
  withPerson(*form, [&](int x, int y) {
    person->click(x + 16 + 160 - 1 - 8, y + 16 + 60 - 1 - 8);  // the down arrow
    std::this_thread::sleep_for(50ms);
    person->click(x + 16 + 160 - 1 - 8, y + 16 + 60 - 1 - 8);
  });
  EXPECT_EQ(text.topLine(), 2);
  EXPECT_EQ(text.selStart(), 0);
  person::clickAt(text, pixelsToTwips(160 - 1 - 8), pixelsToTwips(1 + 8));  // the up arrow
  EXPECT_EQ(text.topLine(), 1);
  form->hide();

  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  TextBox& pane = help->element<TextBox>(u"txtHelp");
  const int w = twipsToRoundedPixels(pane.width()), h = twipsToRoundedPixels(pane.height());
  withPerson(*help, [&](int x, int y) {
    const int px = x + twipsToRoundedPixels(pane.left()), py = y + twipsToRoundedPixels(pane.top());
    person->click(px + w - 1 - 16 - 8, py + h - 1 - 8);  // the right arrow of the horizontal bar
    std::this_thread::sleep_for(50ms);
    person->click(px + w - 1 - 8, py + h - 1 - 16 - 8);  // the down arrow of the vertical bar
  });
  EXPECT_GT(pane.scrollLeft(), 0);
  EXPECT_EQ(pane.topLine(), 1);
  help->unload();
}

// A selection dragged past the bottom edge of a multi-line box goes on into
// the lines below it, which scroll into view; held still just past the edge
// it goes on a line at a time, and past the top edge upwards.
TEST_F(X11ScrollTest, ASelectionDraggedPastAMultiLineBoxsEdgeReachesTheLinesBeyond) {
  TextBox& text = add<TextBox>(u"MultiText", 240, 240, 2400, 900);  // pixels 16,16 .. 176,76
  std::u16string lines;
  for (int i = 0; i < 80; ++i) lines += u"line " + utf16(std::to_string(i)) + u"\r\n";
  text.setText(lines);
  const int lineHeight = fontLineHeight(text.font());
  int jumped = -1, held = -1, back = -1;
  int32_t selected = -1, selectedFrom = -1;
  std::atomic<int> top{0};
  messageLoop().setIdleHook([&] {
    top = text.topLine();
    return false;
  });
  withPerson(*form, [&](int x, int y) {
    person->moveTo(x + 20, y + 20);  // in the first line
    person->press(1);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + 60, y + 50);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + 60, y + 76 + 10 * lineHeight);  // ten lines below the bottom edge
    eventually([&] { return top.load() > 0; }, 2000);
    person->release(1);
    std::this_thread::sleep_for(100ms);
    jumped = top.load();
    person->moveTo(x + 60, y + 70);  // in the last line shown
    person->press(1);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + 60, y + 76 + 3);  // just below the edge, held still
    const int from = top.load();
    eventually([&] { return top.load() >= from + 5; }, 3000);
    person->release(1);
    std::this_thread::sleep_for(100ms);
    held = top.load();
    person->moveTo(x + 60, y + 30);
    person->press(1);
    std::this_thread::sleep_for(30ms);
    person->moveTo(x + 60, y + 16 - 3);  // just above the top edge, held still
    const int before = top.load();
    eventually([&] { return top.load() <= before - 3; }, 3000);
    person->release(1);
    std::this_thread::sleep_for(100ms);
    back = top.load();
  });
  selected = text.selLength();
  selectedFrom = text.selStart();
  messageLoop().setIdleHook({});
  EXPECT_GE(jumped, 8);
  EXPECT_GE(held, jumped + 5);
  EXPECT_LE(back, held - 3);
  // The selection reaches up into the first line shown.
  auto lineStart = [&](int i) { return static_cast<int32_t>(lines.find(u"line " + utf16(std::to_string(i)) + u"\r")); };
  EXPECT_GE(selectedFrom, lineStart(back));
  EXPECT_LT(selectedFrom, lineStart(back + 1));
  EXPECT_GT(selected, 0);
  form->hide();
}

// The Open dialog's list of 40 files at pixels (8, 36), 464 x 160 of its
// window: its bar scrolls, and no file is chosen.
TEST_F(X11ScrollTest, TheOpenDialogsListScrollsByItsBarWithoutChoosingAFile) {
  const auto dir = std::filesystem::temp_directory_path() / ("svx-scroll-open-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  for (int i = 0; i < 40; ++i) std::ofstream(dir / ("file" + std::to_string(100 + i) + ".txt")) << "x";
  std::atomic<uint32_t> dialog{0};
  std::atomic<int> top{-1}, chosen{-2};
  std::atomic<bool> named{false};
  messageLoop().setIdleHook([&] {
    if (const FileDialogSession* s = fileDialogs().openSession(); s && s->window) {
      dialog = x11->viewable(s->dialog) ? x11->windowOf(s->dialog) : 0;
      const auto& files = s->window->element<ListBox>(u"Files");
      top = files.topIndex();
      chosen = files.listIndex();
      named = !s->window->element<TextBox>(u"Name").text().empty();
    }
    return false;
  });
  act([&] {
    if (!eventually([&] { return dialog.load() != 0; })) return;
    std::this_thread::sleep_for(100ms);
    const auto [x, y] = person->origin(dialog.load());
    for (int i = 0; i < 3; ++i) {
      person->click(x + 8 + 464 - 1 - 8, y + 36 + 160 - 1 - 8);  // the down arrow
      std::this_thread::sleep_for(30ms);
    }
    eventually([&] { return top.load() == 3; }, 2000);
    person->key(0xff1b);  // Escape
  });
  const std::u16string initial = utf16(dir.string());
  std::u16string file(260, u'\0');
  OPENFILENAMEW ofn;
  ofn.lStructSize = kOpenFileNameSize;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = 259;
  ofn.lpstrInitialDir = initial.c_str();
  EXPECT_FALSE(GetOpenFileNameW(&ofn));  // cancelled
  actor.join();
  std::filesystem::remove_all(dir);
  EXPECT_EQ(top.load(), 3);
  EXPECT_EQ(chosen.load(), -1);
  EXPECT_FALSE(named.load());
}

}  // namespace
}  // namespace svx::testing
