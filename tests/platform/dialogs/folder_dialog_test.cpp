// The folder dialog as a form of the runtime: a person's keys and clicks as
// the display hands them to its window, and the simulated user's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/folder_dialog.h"
#include "platform/dialogs/services.h"
#include "platform/forms/input.h"
#include "platform/forms/person.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/scroll_bar_layout.h"
#include "platform/graphics/units.h"
#include "platform/shell/shell.h"
#include "tests/platform/forms/forms_fixture.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kDown = 40, kPageDown = 34, kHome = 36, kEnd = 35, kBack = 8, kEsc = 27;
constexpr uint32_t kHighlight = 0x3366CC;  // the renderer's selection colour

class FolderDialogForm : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    resetServices();
    attachFolderDialogWindow();
    dir = fs::temp_directory_path() / ("svx-folder-dialog-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    for (const char* name : {"alpha", "beta/inner", "gamma", ".hidden"}) fs::create_directories(dir / name);
    for (int i = 0; i < 30; ++i) fs::create_directories(dir / ("f" + std::to_string(10 + i)));
    std::ofstream(dir / "file.txt") << "x";
    owner = makeRef<TestForm>();
    owner->load();
    button = &owner->add<CommandButton>(u"Command", 1, 150, 150);
    owner->show();
    owner->take();
  }
  void TearDown() override {
    owner.reset();
    resetServices();
    desktop().reset();
    Clock::useRealTime();
    fs::remove_all(dir);
  }

  // Opens the dialog on `dir` over the owner; `whileOpen` runs from its
  // loop with the dialog's form. Returns the folder chosen.
  std::optional<std::string> browse(const std::function<void(Form&)>& whileOpen) {
    messageLoop().postTask([&] {
      const FolderDialogSession* s = folderDialogs().openSession();
      Form* f = s ? Form::fromHandle(s->dialog) : nullptr;
      ASSERT_NE(f, nullptr);
      whileOpen(*f);
    });
    BROWSEINFOA info;
    info.hwndOwner = owner->hWnd();
    info.pidlRoot = allocateIdList(dir.string());
    info.lpszTitle = "Pick a folder";
    const LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    CoTaskMemFree(info.pidlRoot);
    std::optional<std::string> path = chosen ? pathOfIdList(chosen) : std::nullopt;
    CoTaskMemFree(chosen);
    return path;
  }

  // A person's input as the display hands it to the window (client pixels).
  static void key(Form& f, int16_t code, int16_t shift = 0) {
    desktop().deliver(f.hWnd(), WM_KEYDOWN, static_cast<WPARAM>(code), shift, false);
    if (f.isLoaded()) desktop().deliver(f.hWnd(), WM_KEYUP, static_cast<WPARAM>(code), shift, false);
  }
  static void typed(Form& f, char16_t c) { desktop().deliver(f.hWnd(), WM_CHAR, c, 0, false); }
  static void click(Form& f, int x, int y) {
    desktop().deliver(f.hWnd(), WM_LBUTTONDOWN, packButtons(1, 0), packPoint(x, y), false);
    desktop().deliver(f.hWnd(), WM_LBUTTONUP, packButtons(1, 0), packPoint(x, y), false);
  }
  // The middle of row `row` of the list (client pixels), shown from its top.
  static int rowY(int row) { return 62 + 1 + row * fontLineHeight(Font{u"Tahoma", 8.25}) + 4; }

  static std::string selection() { return folderDialogs().openSession()->selection; }
  std::string in(const std::string& name) const { return (dir / name).string(); }

  fs::path dir;
  Ref<TestForm> owner;
  CommandButton* button = nullptr;
};

// The list has the focus at once and is operated as any list: the caret
// keys and a typed letter choose, Enter opens the folder chosen, Backspace
// the one above, Enter with none chosen returns the folder shown.
TEST_F(FolderDialogForm, TheListHasTheFocusAtOnceAndTheKeysOfAList) {
  // Rows: "..", alpha, beta, f10 .. f39, gamma (hidden folders and files left out).
  const std::optional<std::string> chosen = browse([&](Form& f) {
    auto& list = f.element<ListBox>(u"Folders");
    EXPECT_EQ(f.activeControl(), &list);
    EXPECT_EQ(list.listCount(), 34);
    key(f, kDown);
    EXPECT_EQ(selection(), dir.parent_path().string());  // ".."
    key(f, kEnd);
    EXPECT_EQ(selection(), in("gamma"));
    key(f, kHome);
    key(f, kPageDown);
    EXPECT_EQ(list.listIndex(), list.visibleRows() - 1);
    typed(f, u'g');
    EXPECT_EQ(selection(), in("gamma"));
    key(f, person::vbKeyReturn);  // opens gamma
    EXPECT_EQ(selection(), in("gamma"));
    EXPECT_EQ(list.listCount(), 1);
    EXPECT_EQ(f.element<Label>(u"Folder").caption(), utf16(in("gamma")));
    key(f, kBack);  // back up
    EXPECT_EQ(selection(), dir.string());
    EXPECT_EQ(list.listCount(), 34);
    key(f, kDown);
    key(f, kDown);
    key(f, kDown);
    key(f, person::vbKeyReturn);  // opens beta
    key(f, kDown);
    key(f, kDown);
    key(f, person::vbKeyReturn);  // opens inner
    key(f, person::vbKeyReturn);  // nothing chosen in the list: OK
  });
  EXPECT_EQ(chosen, in("beta/inner"));
  const FolderDialogSession& s = folderDialogs().sessions().back();
  EXPECT_EQ(s.selectionsReported.front(), dir.string());
  EXPECT_EQ(s.selectionsReported.back(), in("beta/inner"));
  EXPECT_EQ(GetActiveWindow(), owner->hWnd());
}

// A press on the list's scroll bar scrolls it (an arrow a row, the track a
// page) and chooses nothing; the simulated user's click there does the same.
TEST_F(FolderDialogForm, TheScrollBarScrollsTheListWithoutChoosing) {
  int16_t afterArrow = -1, afterTrack = -1, afterUser = -1, index = -2;
  std::size_t reported = 0;
  const std::optional<std::string> chosen = browse([&](Form& f) {
    auto& list = f.element<ListBox>(u"Folders");
    const int barX = 10 + 312 - 1 - ScrollBarThickness / 2, bottom = 62 + 190 - 1;
    click(f, barX, bottom - ScrollBarThickness / 2);  // the down arrow
    afterArrow = list.topIndex();
    click(f, barX, bottom - ScrollBarThickness - 4);  // the track below the thumb
    afterTrack = list.topIndex();
    person::clickAt(list, pixelsToTwips(312 - 1 - ScrollBarThickness / 2),
                  pixelsToTwips(190 - 1 - ScrollBarThickness / 2));
    afterUser = list.topIndex();
    index = list.listIndex();
    reported = folderDialogs().openSession()->selectionsReported.size();
    EXPECT_EQ(f.activeControl(), &list);
    key(f, kEsc);
  });
  EXPECT_FALSE(chosen);
  EXPECT_EQ(afterArrow, 1);
  EXPECT_GT(afterTrack, afterArrow + 1);
  EXPECT_EQ(afterUser, afterTrack + 1);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(reported, 1u);  // only the folder it opened on
}

// Tab moves between the list and the buttons, Alt+I back to the list (the
// key "Look in:" marks); Enter on OK returns the folder chosen without
// opening it.
TEST_F(FolderDialogForm, TabAndTheAccessKeyMoveTheFocus) {
  std::vector<BStr> focus;
  const std::optional<std::string> chosen = browse([&](Form& f) {
    auto name = [&] { return f.activeControl() ? f.activeControl()->array()->name() : BStr(u"none"); };
    key(f, person::vbKeyTab);
    focus.push_back(name());
    key(f, person::vbKeyTab);
    focus.push_back(name());
    key(f, person::vbKeyTab);
    focus.push_back(name());
    key(f, person::vbKeyTab, person::vbShiftMask);
    focus.push_back(name());
    key(f, 'I', person::vbAltMask);
    focus.push_back(name());
    key(f, kDown);
    key(f, kDown);  // alpha
    key(f, person::vbKeyTab);
    key(f, person::vbKeyReturn);
  });
  EXPECT_EQ(focus, (std::vector<BStr>{u"OK", u"Cancel", u"Folders", u"Cancel", u"Folders"}));
  EXPECT_EQ(chosen, in("alpha"));
}

// A double click opens a folder; a click chooses one and OK returns it.
// While the dialog shows, its owner takes no input; afterwards it is the
// active form again.
TEST_F(FolderDialogForm, TheMouseOpensAndChoosesAndTheOwnerWaits) {
  bool blocked = false;
  const std::optional<std::string> chosen = browse([&](Form& f) {
    blocked = !input::takesInput(*owner) && !IsWindowEnabled(owner->hWnd());
    person::click(*button);
    click(f, 60, rowY(2));  // beta
    click(f, 60, rowY(2));  // a double click: opens it
    EXPECT_EQ(f.element<Label>(u"Folder").caption(), utf16(in("beta")));
    Clock::advance(1000);
    click(f, 60, rowY(1));  // inner
    person::click(f.control(u"OK"));
  });
  EXPECT_TRUE(blocked);
  EXPECT_EQ(owner->take(), std::vector<std::string>{});
  EXPECT_EQ(chosen, in("beta/inner"));
  EXPECT_EQ(person::activeForm(), owner.get());
  person::click(*button);
  EXPECT_EQ(owner->take().back(), "Command(1).Click");
}

// A scripted answer is acted out in the window: the folders on the way and
// the one answered are chosen in the list, then OK; the picture shows it.
TEST_F(FolderDialogForm, AScriptedAnswerIsChosenInTheListAndPictured) {
  const fs::path png = dir.parent_path() / ("svx-folder-dialog-" + std::to_string(::getpid()) + ".png");
  queueDialogSnapshot(u"Folder", png);
  folderDialogs().queue(FolderDialogAnswer{in("gamma"), {in("alpha")}, 0});
  BROWSEINFOA info;
  info.hwndOwner = owner->hWnd();
  info.pidlRoot = allocateIdList(dir.string());
  info.lpszTitle = "Pick a folder";
  const LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  EXPECT_EQ(pathOfIdList(chosen), in("gamma"));
  EXPECT_EQ(folderDialogs().sessions().back().selectionsReported,
            (std::vector<std::string>{dir.string(), in("alpha"), in("gamma")}));
  std::ifstream file(png, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  fs::remove(png);
  const std::optional<RasterImage> picture = decodeImage(bytes);
  ASSERT_TRUE(picture);
  // The chosen row (gamma, the last) is highlighted, scrolled into view; the
  // client area lies 4 pixels in from the frame, under a 20-pixel caption.
  int highlighted = 0;
  for (int y = 24 + 62; y < 24 + 62 + 190; ++y) highlighted += (picture->at(4 + 100, y) & 0xFFFFFF) == kHighlight;
  EXPECT_GT(highlighted, 5);
}

TEST_F(FolderDialogForm, WithoutAWindowNoDialogShows) {
  setFolderDialogWindow({});
  BROWSEINFOA info;
  try {
    SHBrowseForFolderA(&info);
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::AutomationError);
  }
  EXPECT_TRUE(folderDialogs().sessions().empty());
  attachFolderDialogWindow();
}

}  // namespace
}  // namespace svx::testing
