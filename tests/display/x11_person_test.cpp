// A person at a private Xvfb (no window manager) through XTest, on paths
// where only real timing and real pixels show the fault: one-line fields
// that keep what is typed on one line and in sight, quick second clicks on
// buttons, and the primary selection of another program pasted into the
// input box. The simulated user's side of each is in the forms and dialogs
// tests.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dialogs/message_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/text_box.h"
#include "platform/graphics/form_render.h"
#include "platform/system/clipboard.h"
#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

constexpr uint32_t XK_Return = 0xff0d;

// Dark (text) pixels in a rectangle of a window's picture.
int darkPixels(const RasterImage& image, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) n += (image.at(x, y) & 0xFF) < 0x80;
  return n;
}

class X11Person : public X11DisplayTest {
 protected:
  int count(BStrView name) const {
    int n = 0;
    for (const auto& e : events) n += e.name == name;
    return n;
  }
  static uint32_t await(const std::atomic<uint32_t>& window) {
    eventually([&] { return window.load() != 0; });
    return window.load();
  }
};

TEST_F(X11Person, TextTypedPastTheEndOfAOneLineBoxStaysOnOneLineWithItsEndInSight) {
  attach();
  form->move(3000, 1500, 6000, 3000);
  add<TextBox>(u"Text", 150, 150, 2400, 600);  // pixels 10,10 .. 170,50: room for two lines
  int firstLine = -1, secondLine = -1, rightEnd = -1;
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return person->inputFocus() == w; });
    person->type(u"alpha beta gamma delta epsilon zeta eta theta iota kappa");
    eventually([&] { return darkPixels(person->pixels(w, 200, 60), 120, 12, 168, 12 + 14) > 0; });
    const RasterImage shown = person->pixels(w, 200, 60);
    firstLine = darkPixels(shown, 12, 12, 168, 12 + 14);
    secondLine = darkPixels(shown, 12, 12 + 16, 168, 48);
    rightEnd = darkPixels(shown, 120, 12, 168, 12 + 14);
    person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_GT(firstLine, 0);
  EXPECT_GT(rightEnd, 0);  // the end of the text, where the caret is
  EXPECT_EQ(secondLine, 0);
}

TEST_F(X11Person, TwoQuickClicksOnAButtonAreTwoClicks) {
  attach();
  form->move(3000, 1500, 6000, 3000);
  add<CommandButton>(u"Command", 150, 150, 1200, 375);  // pixels 10,10
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    person->click(x + 20, y + 20);  // 20 ms apart: well within a double click
    eventually([&] { return count(u"CommandClick") >= 2; });
    person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(count(u"CommandMouseDown"), 2);
  EXPECT_EQ(count(u"CommandClick"), 2);
}

TEST_F(X11Person, AMiddleClickPastesAnotherProgramsPrimarySelectionIntoTheInputBox) {
  attach();
  form->move(3000, 1500, 7500, 5250);
  OtherProgram other(xvfb.name(), "PRIMARY");
  other.own("from elsewhere ", "");
  act([&] {
    const uint32_t b = await(boxWindow);
    if (!b) return;
    eventually([&] { return person->inputFocus() == b; });
    // The field lies along the box's bottom: 9 pixels in, 30 up.
    const auto [bx, by] = person->origin(b);
    person->key(0xff50);  // Home: the caret before the default text
    person->click(bx + 12, by + (155 - 28) - 30 + 10, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    person->key(XK_Return);
  });
  BStr answer = u"untouched";
  messageLoop().postTask([&] {
    answer = InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"default"));
    form->hide();
  });
  form->show(true);
  actor.join();
  other.stop();
  EXPECT_EQ(answer, u"from elsewhere default");
}

TEST_F(X11Person, LinesCrossTheClipboardWithTheLineEndsOfEachSide) {
  attach();
  OtherProgram reader(xvfb.name()), primaryReader(xvfb.name(), "PRIMARY");
  std::optional<std::string> copied, selected;
  clipboard().setText(u"one\r\ntwo\r\n");
  clipboard().setPrimary(u"three\r\nfour");
  std::atomic<bool> done{false};
  act([&] {
    copied = reader.read(reader.utf8());
    selected = primaryReader.read(primaryReader.utf8());
    done = true;
  });
  serveUntil([&] { return done.load(); });
  actor.join();
  EXPECT_EQ(copied, std::optional<std::string>("one\ntwo\n"));
  EXPECT_EQ(selected, std::optional<std::string>("three\nfour"));

  OtherProgram owner(xvfb.name());
  owner.own("five\nsix\r\nseven", "");
  EXPECT_EQ(clipboard().getText(), u"five\r\nsix\r\nseven");
  owner.stop();
}

}  // namespace
}  // namespace svx::testing
