// The folder dialog under a private Xvfb (no window manager), a person
// acting through XTest: the first key at opening, also after a click, the
// list's scroll bar, Tab and the access key, and the owner that waits and
// gets the keyboard back. The simulated user takes the same paths in
// tests/platform/dialogs/folder_dialog_test.cpp.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/forms/command_button.h"
#include "platform/forms/list_box.h"
#include "platform/forms/text_box.h"
#include "platform/graphics/font.h"
#include "platform/graphics/scroll_bar_layout.h"
#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t XK_Return = 0xff0d, XK_Tab = 0xff09, XK_Down = 0xff54, XK_Escape = 0xff1b, XK_Alt = 0xffe9;

// A test that fails must not hang: past the deadline the dialog goes.
void rescue(HWND, UINT, UINT_PTR, DWORD) {
  if (Clock::nowMs() <= g_deadline) return;
  if (const FolderDialogSession* s = folderDialogs().openSession()) DestroyWindow(s->dialog);
}

class X11FolderDialog : public X11DisplayTest {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    if (IsSkipped()) return;
    dir = fs::temp_directory_path() / ("svx_x11_folder_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    for (const char* name : {"alpha", "beta/inner", "gamma"}) fs::create_directories(dir / name);
    for (int i = 0; i < 30; ++i) fs::create_directories(dir / ("f" + std::to_string(10 + i)));
  }
  void TearDown() override {
    X11DisplayTest::TearDown();
    fs::remove_all(dir);
  }

  // The display and the form; the loop notes the dialog's window and its
  // list's state, read by the person's thread.
  void open() {
    attach();
    SetTimer(0, 0, 100, &rescue);
    form->move(3000, 1500, 4500, 3000);  // client pixels 200,124 .. 492,304: beside the dialog
    messageLoop().setIdleHook([this] {
      const HWND h = form && form->isLoaded() ? form->hWnd() : 0;
      formWindow = h && x11->viewable(h) ? x11->windowOf(h) : 0;
      const FolderDialogSession* s = folderDialogs().openSession();
      folderWindow = s && x11->viewable(s->dialog) ? x11->windowOf(s->dialog) : 0;
      if (Form* f = s ? Form::fromHandle(s->dialog) : nullptr) {
        auto& list = f->element<ListBox>(u"Folders");
        topRow = list.topIndex();
        chosenRow = list.listIndex();
        listFocused = f->activeControl() == &list;
      }
      return false;
    });
  }

  // Opens the dialog on `dir` once the form shows; ends the form after it.
  void browseWhenShown(std::optional<std::string>& chosen) {
    messageLoop().postTask([this, &chosen] {
      chosen = browseForFolder(form->hWnd(), dir.string(), "Pick a folder");
      form->hide();
    });
  }

  // The dialog's window once it shows and has the input focus.
  uint32_t dialogWithFocus() {
    eventually([&] { return folderWindow.load() != 0 && person->inputFocus() == folderWindow.load(); });
    return person->inputFocus() == folderWindow.load() ? folderWindow.load() : 0;
  }

  void keys(std::initializer_list<uint32_t> list) {
    for (uint32_t k : list) {
      person->key(k);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  }

  std::string in(const char* name) const { return (dir / name).string(); }

  fs::path dir;
  std::atomic<int> topRow{-1}, chosenRow{-2};
  std::atomic<bool> listFocused{false};
};

// Rows: "..", alpha, beta, f10 .. f39, gamma. A click on beta, then the
// keys: Up chooses alpha, Enter opens it, Enter returns it.
TEST_F(X11FolderDialog, TheKeysWorkAtOnceAlsoAfterAClickInTheList) {
  open();
  std::optional<std::string> chosen;
  bool focusedAtOnce = false;
  act([&] {
    const uint32_t w = dialogWithFocus();
    if (!w) return;
    eventually([&] { return listFocused.load(); });
    focusedAtOnce = listFocused.load();
    const auto [x, y] = person->origin(w);
    const int lh = fontLineHeight(Font{u"Tahoma", 8.25});
    person->click(x + 60, y + 62 + 1 + 2 * lh + lh / 2);
    eventually([&] { return chosenRow.load() == 2; });
    keys({0xff52 /* Up */, XK_Return, XK_Return});
  });
  browseWhenShown(chosen);
  form->show(true);
  actor.join();
  EXPECT_TRUE(focusedAtOnce);
  EXPECT_EQ(chosen, in("alpha"));
}

// The arrow scrolls a row, and goes on while it is held; the track scrolls
// a page; nothing is chosen, the list keeps the focus and Esc cancels.
TEST_F(X11FolderDialog, TheListScrollsByItsBarWithoutChoosing) {
  open();
  std::optional<std::string> chosen;
  int afterArrow = -1, afterTrack = -1, afterHold = -1, chosenAfter = -2;
  act([&] {
    const uint32_t w = dialogWithFocus();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    const int barX = x + 10 + 312 - 1 - ScrollBarThickness / 2, bottom = y + 62 + 190 - 1;
    person->click(barX, bottom - ScrollBarThickness / 2);  // the down arrow
    eventually([&] { return topRow.load() == 1; });
    afterArrow = topRow.load();
    person->click(barX, bottom - ScrollBarThickness - 4);  // the track below the thumb
    eventually([&] { return topRow.load() > 1; });
    afterTrack = topRow.load();
    person->moveTo(barX, bottom - ScrollBarThickness / 2);
    person->press(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    person->release(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    afterHold = topRow.load();
    chosenAfter = chosenRow.load();
    keys({XK_Escape});
  });
  browseWhenShown(chosen);
  form->show(true);
  actor.join();
  ASSERT_FALSE(folderDialogs().sessions().empty());
  EXPECT_TRUE(folderDialogs().sessions().back().answered);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(afterArrow, 1);
  EXPECT_GT(afterTrack, 2);
  EXPECT_GT(afterHold, afterTrack + 1);  // repeated while held
  EXPECT_EQ(chosenAfter, -1);
  EXPECT_EQ(folderDialogs().sessions().back().selectionsReported.size(), 1u);
}

// Tab goes to OK and Cancel, Alt+I back to the list; Enter on OK returns
// the folder chosen (alpha) instead of opening it.
TEST_F(X11FolderDialog, TabAndTheAccessKeyMoveTheFocus) {
  open();
  std::optional<std::string> chosen;
  act([&] {
    if (!dialogWithFocus()) return;
    keys({XK_Tab, XK_Tab});
    person->key('i', {XK_Alt});
    keys({XK_Down, XK_Down, XK_Tab, XK_Return});
  });
  browseWhenShown(chosen);
  form->show(true);
  actor.join();
  EXPECT_EQ(chosen, in("alpha"));
}

// While the dialog shows, a click on its owner's button does nothing; once
// it closed, the owner has the keyboard again and takes the first key.
TEST_F(X11FolderDialog, TheOwnerWaitsAndGetsTheKeyboardBack) {
  open();
  CommandButton& button = add<CommandButton>(u"Command", 150, 150, 1200, 375);  // client pixels 10,10
  TextBox& text = add<TextBox>(u"Text", 150, 750, 1500, 315);                   // client pixels 10,50
  int clicksMeanwhile = -1;
  std::optional<std::string> chosen;
  onEvent = [&](BStrView name) {
    if (name != u"CommandClick" || folderDialogs().openSession()) return;
    form->hide();
  };
  messageLoop().postTask([&] {
    text.setFocus();
    chosen = browseForFolder(form->hWnd(), dir.string());
    int n = 0;
    for (const auto& e : events) n += e.name == u"CommandClick";
    clicksMeanwhile = n;
  });
  act([&] {
    const uint32_t f = waitForFormWindow();
    if (!f || !dialogWithFocus()) return;
    const auto [x, y] = person->origin(f);
    person->click(x + 20, y + 20);  // the owner's button
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    person->moveTo(1000, 740);      // keys go where the focus is
    keys({XK_Escape});
    eventually([&] { return folderWindow.load() == 0 && person->inputFocus() == f; });
    person->type(u"k");
    eventually([&] { return text.text() == u"k"; });
    person->click(x + 20, y + 20);
  });
  form->show(true);
  actor.join();
  (void)button;
  EXPECT_FALSE(chosen);
  EXPECT_EQ(clicksMeanwhile, 0);
  EXPECT_EQ(text.text(), u"k");
}

}  // namespace
}  // namespace svx::testing
