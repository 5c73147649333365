// Desktop habits a person at a private Xvfb (no window manager, XTest)
// relies on: the arrow keys among the buttons of a box and of a dialog, the
// focus mark of a scroll bar, the wheel over scroll bars and a closed
// drop-down list, and the data control's bar drawn whole at every width.
// Each is then checked through the simulated user on the same code paths.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/desktop/display_messages.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "services/data_control.h"
#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uint32_t XK_Return = 0xff0d, XK_Tab = 0xff09, XK_Right = 0xff53, XK_Escape = 0xff1b;
constexpr uint32_t kEdge = 0x404040;  // the renderer's border colour
constexpr int kWheelAway = 4, kWheelTowards = 5;

int darkPixels(const RasterImage& image, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) n += (image.at(x, y) & 0xFFFFFF) == 0;
  return n;
}

class X11Habits : public X11DisplayTest {
 protected:
  static uint32_t await(const std::atomic<uint32_t>& window) {
    eventually([&] { return window.load() != 0; });
    return window.load();
  }
  // Waits until `window` is another one than `before` (a box that closed
  // and maybe the next one).
  static void awaitOther(const std::atomic<uint32_t>& window, uint32_t before) {
    eventually([&] { return window.load() != before; });
  }
  // The loop's idle step: finds the form's window, runs `step`, and hides
  // the form (its modal show ends, its controls stay) once `done` is set.
  void onIdle(std::function<void()> step) {
    messageLoop().setIdleHook([this, step = std::move(step)] {
      const HWND h = form->isLoaded() ? form->hWnd() : 0;
      formWindow = h && x11->viewable(h) ? x11->windowOf(h) : 0;
      if (step) step();
      if (done.load() && form->visible()) form->hide();
      return false;
    });
  }
  std::atomic<bool> done{false};
};

// Yes, No, Cancel with No as the default: Right, then Return answers Cancel.
// The input box: Tab to OK, Right to Cancel, Return cancels. The folder
// dialog: Tab from its list to OK, Right to Cancel, Return cancels; Right
// twice goes round to OK again.
TEST_F(X11Habits, TheArrowKeysMoveTheFocusAndTheDefaultAmongTheButtonsOfBoxesAndDialogs) {
  attach();
  const fs::path root = fs::temp_directory_path() / ("svx_x11_habits_" + std::to_string(::getpid()));
  fs::create_directories(root / "alpha");
  int32_t answer = 0;
  BStr typed = u"untouched";
  std::optional<std::string> cancelled{"untouched"}, chosen;
  onFirstPaint([&] {
    answer = MsgBox(Variant(u"Save?"), Variant(vbYesNoCancel + vbDefaultButton2), Variant(u"Question"));
    typed = InputBox(Variant(u"Name?"), Variant(u"Title"), Variant(u"default"));
    cancelled = browseForFolder(form->hWnd(), root.string(), "Pick");
    chosen = browseForFolder(form->hWnd(), root.string(), "Pick");
    form->hide();
  });
  act([&] {
    auto keys = [&](std::initializer_list<uint32_t> syms) {
      for (uint32_t k : syms) {
        person->key(k);
        std::this_thread::sleep_for(40ms);
      }
    };
    const uint32_t box = await(boxWindow);
    if (!box) return;
    eventually([&] { return person->inputFocus() == box; });
    keys({XK_Right, XK_Return});
    awaitOther(boxWindow, box);
    const uint32_t input = await(boxWindow);
    if (!input || input == box) return;
    eventually([&] { return person->inputFocus() == input; });
    keys({XK_Tab, XK_Right, XK_Return});
    const uint32_t folder = await(folderWindow);
    if (!folder) return;
    eventually([&] { return person->inputFocus() == folder; });
    keys({XK_Tab, XK_Right, XK_Return});
    awaitOther(folderWindow, folder);
    const uint32_t again = await(folderWindow);
    if (!again) return;
    eventually([&] { return person->inputFocus() == again; });
    keys({XK_Tab, XK_Right, XK_Right, XK_Return});
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(answer, vbCancel);
  EXPECT_EQ(typed, u"");
  EXPECT_EQ(cancelled, std::nullopt);
  EXPECT_EQ(chosen, std::optional<std::string>(root.string()));

  // The simulated user: the same keys as the display delivers them.
  dialogResponder().setWaitForAnswers(true);
  std::vector<BStr> reached;
  messageLoop().postTask([&] {
    const ShownBox* open = dialogResponder().openSession();
    if (!open) return;
    for (const WPARAM k : {39, 13}) desktop().deliver(open->window, WM_KEYDOWN, k, 0, false);
    // A box the keys did not end ends all the same.
    if (dialogResponder().openSession()) dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbIgnore));
  });
  EXPECT_EQ(MsgBox(Variant(u"Save?"), Variant(vbYesNoCancel + vbDefaultButton2)), vbCancel);
  messageLoop().setIdleHook([&] {
    const FolderDialogSession* s = folderDialogs().openSession();
    Form* f = s ? Form::fromHandle(s->dialog) : nullptr;
    if (!f || !f->visible()) return false;
    person::pressTab(*f);
    reached.push_back(f->activeControl()->name());
    person::keyDownOn(*f, 39, 0);
    reached.push_back(f->activeControl()->name());
    messageLoop().setIdleHook({});
    person::pressEnter(*f);
    return true;
  });
  EXPECT_EQ(browseForFolder(desktop().applicationWindow(), root.string(), "Pick"), std::nullopt);
  EXPECT_EQ(reached, (std::vector<BStr>{u"OK", u"Cancel"}));
  fs::remove_all(root);
}

// A form with a text box, a horizontal scroll bar at pixels (16, 60), 200 x
// 17, range 0..100 at 50, a vertical one at (240, 16), 17 x 100, range 0..10,
// and a drop-down list at (16, 100), 160 x 21, of five items.
class X11HabitsControls : public X11Habits {
 protected:
  void SetUp() override {
    X11Habits::SetUp();
    if (IsSkipped()) return;
    attach();
    form->move(3000, 1500, 6000, 3300);
    text = &add<TextBox>(u"Text", 240, 240, 2400, 315);
    hbar = &load<ScrollBar>(u"HScrollBar", u"HScroll", 240, 900, 3000, 255);
    hbar->setMax(100);
    hbar->setValue(50);
    vbar = &load<ScrollBar>(u"VScrollBar", u"VScroll", 3600, 240, 255, 1500);
    vbar->setMax(10);
    combo = &load<ComboBox>(u"Combo", u"Combo", 240, 1500, 2400, 315);
    for (int i = 0; i < 5; ++i) combo->addItem(u"item " + BStr(1, static_cast<char16_t>(u'a' + i)));
    text->setTabIndex(0);
    hbar->setTabIndex(1);
    onEvent = [this](BStrView name) {
      if (name == u"HScrollChange") ++hChanges;
      if (name == u"VScrollChange") ++vChanges;
      if (name == u"ComboClick") ++comboClicks;
      if (name.ends_with(u"GotFocus")) ++focusMoves;
    };
    events.clear();
  }
  // The horizontal bar's thumb, inside its raised edges, in client pixels.
  int thumbMarks(const RasterImage& image) const {
    ScrollBarBox b;
    b.horizontal = true;
    b.width = 200;
    b.height = 17;
    b.max = 100;
    b.value = hbar->value();
    const int start = 16 + static_cast<int>(b.thumbStart()) + 2;
    return darkPixels(image, start, 60 + 3, start + static_cast<int>(b.thumbLength()) - 4, 60 + 14);
  }

  TextBox* text = nullptr;
  ScrollBar* hbar = nullptr;
  ScrollBar* vbar = nullptr;
  ComboBox* combo = nullptr;
  std::atomic<int> hChanges{0}, vChanges{0}, comboClicks{0}, focusMoves{0};
};

TEST_F(X11HabitsControls, AFocusedScrollBarShowsItsMarkAndTheWheelStepsBarsAndAFocusedDropDownList) {
  int unmarked = -1, marked = -1, left = -1;
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 60, y + 26);  // the text box
    eventually([&] { return focusMoves.load() >= 1; });
    std::this_thread::sleep_for(100ms);
    unmarked = thumbMarks(person->pixels(w, 300, 160));
    person->key(XK_Tab);  // to the horizontal bar
    eventually([&] { return thumbMarks(person->pixels(w, 300, 160)) > 0; });
    marked = thumbMarks(person->pixels(w, 300, 160));
    // The wheel over the bars: towards the person towards Max, away towards Min.
    person->click(x + 116, y + 68, kWheelTowards);
    person->click(x + 116, y + 68, kWheelTowards);
    person->click(x + 116, y + 68, kWheelAway);
    eventually([&] { return hChanges.load() >= 3; });
    for (int i = 0; i < 3; ++i) person->click(x + 248, y + 60, kWheelTowards);
    eventually([&] { return vChanges.load() >= 3; });
    // The drop-down list: a click opens it and takes the focus, Escape
    // closes it; then each notch chooses the next item.
    person->click(x + 60, y + 110);
    std::this_thread::sleep_for(100ms);
    person->key(XK_Escape);
    std::this_thread::sleep_for(100ms);
    person->click(x + 60, y + 110, kWheelTowards);
    person->click(x + 60, y + 110, kWheelTowards);
    eventually([&] { return comboClicks.load() >= 2; });
    // The bar without the focus shows no mark.
    std::this_thread::sleep_for(100ms);
    left = thumbMarks(person->pixels(w, 300, 160));
    done = true;
  });
  onIdle({});
  form->show(true);
  actor.join();
  EXPECT_EQ(unmarked, 0);
  EXPECT_GT(marked, 8);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(hbar->value(), 51);
  EXPECT_EQ(hChanges.load(), 3);
  EXPECT_EQ(vbar->value(), 3);
  EXPECT_EQ(vChanges.load(), 3);
  EXPECT_EQ(combo->listIndex(), 1);
  EXPECT_EQ(comboClicks.load(), 2);

  // The simulated user: the same focus, the same picture, the same wheel.
  form->show(false);
  person::click(*text);
  EXPECT_EQ(thumbMarks(renderClientArea(form->picture())), 0);
  person::pressTab(*form);
  ASSERT_EQ(form->activeControl(), hbar);
  EXPECT_GT(thumbMarks(renderClientArea(form->picture())), 8);
  person::wheelAt(*form, -2, pixelsToTwips(116), pixelsToTwips(68));
  EXPECT_EQ(hbar->value(), 53);
  person::wheelAt(*form, 1, pixelsToTwips(248), pixelsToTwips(60));
  EXPECT_EQ(vbar->value(), 2);
  person::wheelAt(*form, -1, pixelsToTwips(60), pixelsToTwips(110));  // the list has no focus: nothing
  EXPECT_EQ(combo->listIndex(), 1);
  combo->setFocus();
  person::wheelAt(*form, -1, pixelsToTwips(60), pixelsToTwips(110));
  EXPECT_EQ(combo->listIndex(), 2);
  EXPECT_EQ(hChanges.load(), 5);
  EXPECT_EQ(comboClicks.load(), 3);
  form->hide();
}

// The data control's bar 6560 twips wide (437 1/3 pixels) at pixels
// (16, 16): the ">>" button's right edge is drawn on the bar's last column,
// as at 6555, 6570 and 6600.
TEST_F(X11Habits, TheDataControlsLastButtonKeepsItsRightEdgeAtEveryWidth) {
  attach();
  form->move(1500, 1500, 7800, 1800);
  DataControl& bar = add<DataControl>(u"DataCtrl", 240, 240, 6560, 315);
  const double widths[] = {6560, 6555, 6570, 6600};
  std::vector<uint32_t> seen, drawn;
  // The loop applies the width the person asks for next.
  std::atomic<int> wanted{0}, applied{0};
  onIdle([&] {
    if (const int i = wanted.load(); i != applied.load() && i < static_cast<int>(std::size(widths))) {
      bar.setWidth(widths[i]);
      applied = i;
    }
  });
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    for (std::size_t i = 0; i < std::size(widths); ++i) {
      wanted = static_cast<int>(i);
      eventually([&] { return applied.load() == static_cast<int>(i); });
      const int last = 16 + static_cast<int>(std::lround(widths[i] / 15)) - 1;
      eventually([&] { return (person->pixels(w, 480, 60).at(last, 26) & 0xFFFFFF) == kEdge; }, 1500);
      seen.push_back(person->pixels(w, 480, 60).at(last, 26) & 0xFFFFFF);
    }
    done = true;
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(seen, std::vector<uint32_t>(std::size(widths), kEdge));

  // The simulated user's picture of the same form.
  form->show(false);
  for (const double width : widths) {
    bar.setWidth(width);
    const RasterImage image = renderClientArea(form->picture());
    drawn.push_back(image.at(16 + static_cast<int>(std::lround(width / 15)) - 1, 26) & 0xFFFFFF);
  }
  EXPECT_EQ(drawn, std::vector<uint32_t>(std::size(widths), kEdge));
  form->hide();
}

}  // namespace
}  // namespace svx::testing
