#include "core/mod_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/mod_cd_browse_for_folder.h"
#include "core/mod_show_in_taskbar.h"
#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/shell/shell.h"
#include "tests/platform/desktop/desktop_fixture.h"

namespace svx {
namespace {

using SupportTest = testing::DesktopTest;

TEST_F(SupportTest, TranslateSysColorMapsOnlySystemColours) {
  int32_t system = static_cast<int32_t>(0x80000005u);
  EXPECT_EQ(TranslateSysColor(system), static_cast<int32_t>(GetSysColor(5)));
  int32_t button = static_cast<int32_t>(0x8000000Fu);
  EXPECT_EQ(TranslateSysColor(button), 0xF0F0F0);
  int32_t plain = 0x00123456;
  EXPECT_EQ(TranslateSysColor(plain), 0x00123456);
}

TEST_F(SupportTest, SetListBoxHorizontalExtentSendsTheWidth) {
  const HWND list = makeWindow("ListBox", WS_VISIBLE);
  SetListBoxHorizontalExtent(list, 321);
  ASSERT_EQ(desktop().messages(list).size(), 1u);
  EXPECT_EQ(desktop().messages(list).front(),
            (MessageRecord{LB_SETHORIZONTALEXTENT, 321, 0, false}));
}

TEST_F(SupportTest, ForceForegroundWindowInFrontAlreadyDoesNothing) {
  const HWND w = makeWindow("W", 0);
  desktop().userActivates(w);
  EXPECT_TRUE(ForceForegroundWindow(w));
  EXPECT_FALSE(IsWindowVisible(w));  // not shown
}

TEST_F(SupportTest, ForceForegroundWindowAttachesToAForeignForegroundThread) {
  const ForeignThread other = desktop().addForeignThread();
  const HWND foreign = makeWindow("Foreign", WS_VISIBLE, 0, other.threadId);
  const HWND mine = makeWindow("Mine", WS_VISIBLE);
  ShowWindow(mine, SW_MINIMIZE);
  desktop().userActivates(foreign);
  ASSERT_EQ(SetForegroundWindow(mine), 0);  // refused without the attachment

  EXPECT_TRUE(ForceForegroundWindow(mine));
  EXPECT_EQ(GetForegroundWindow(), mine);
  EXPECT_FALSE(IsIconic(mine));  // restored
  EXPECT_FALSE(desktop().inputAttached(other.threadId, GetCurrentThreadId()));  // detached again
}

TEST_F(SupportTest, FindProcessOwnerWindowReturnsTheOwnerOfTheFirstVisibleWindow) {
  EXPECT_EQ(FindProcessOwnerWindow(), 0);
  const HWND app = desktop().applicationWindow();
  const HWND form = makeWindow("Form", WS_OVERLAPPEDWINDOW, app);
  EXPECT_EQ(FindProcessOwnerWindow(), 0);  // nothing visible yet
  ShowWindow(form, SW_SHOW);
  // Windows of other processes and owned pop-ups in front are passed over.
  const ForeignThread other = desktop().addForeignThread();
  makeWindow("Foreign", WS_VISIBLE, 0, other.threadId);
  makeWindow("Popup", WS_POPUP | WS_VISIBLE, form);
  EXPECT_EQ(FindProcessOwnerWindow(), app);
  // A visible window without an owner in front answers 0.
  makeWindow("Unowned", WS_VISIBLE);
  EXPECT_EQ(FindProcessOwnerWindow(), 0);
}

TEST_F(SupportTest, SetTopMostMovesTheWindowBetweenTheBands) {
  const HWND form = makeWindow("Form", WS_VISIBLE);
  const HWND other = makeWindow("Other", WS_VISIBLE);
  SetTopMost(form, true);
  EXPECT_EQ(GetTopWindow(0), form);
  EXPECT_NE(GetWindowLongA(form, GWL_EXSTYLE) & static_cast<LONG>(WS_EX_TOPMOST), 0);
  SetTopMost(form, false);
  EXPECT_EQ(GetWindowLongA(form, GWL_EXSTYLE) & static_cast<LONG>(WS_EX_TOPMOST), 0);
  desktop().userActivates(other);
  EXPECT_EQ(GetTopWindow(0), other);
  SetTopMost(0x7777, true);  // ignored
}

TEST_F(SupportTest, IsArrayNotEmpty) {
  struct Case {
    const char* name;
    Variant value;
    bool expected;
  };
  std::vector<Case> cases;
  cases.push_back({"non-array", Variant(5), false});
  cases.push_back({"never dimensioned", Variant::arrayTypeWithoutArray(VT_VARIANT), false});
  cases.push_back({"0 To -1", Variant(SafeArray::vector(VT_VARIANT, 0, 0)), false});
  cases.push_back({"one element", Variant(SafeArray::vector(VT_I4, 0, 1)), true});
  cases.push_back({"1 To 3", Variant(SafeArray::vector(VT_BSTR, 1, 3)), true});
  for (Case& c : cases) {
    const Variant result = IsArrayNotEmpty(c.value);
    ASSERT_EQ(result.vt(), VT_BOOL) << c.name;
    EXPECT_EQ(result.asBool(), c.expected) << c.name;
  }
  Variant array(SafeArray::vector(VT_I4, 0, 1));
  Variant ref = Variant::byRef(array);
  EXPECT_TRUE(IsArrayNotEmpty(ref).asBool());
}

TEST_F(SupportTest, UnsignedLongToDouble) {
  for (auto [in, out] : std::vector<std::pair<int32_t, double>>{
           {-1, 4294967295.0}, {2147483647, 2147483647.0}, {0, 0.0}, {INT32_MIN, 2147483648.0}}) {
    EXPECT_EQ(UnsignedLongToDouble(in), out) << in;
  }
}

TEST_F(SupportTest, TimerMillisecondsPadsToThreeDigits) {
  for (auto [ms, text] : std::vector<std::pair<int, BStr>>{{7, u"007"}, {0, u"000"}, {250, u"250"}}) {
    Clock::setNow(LocalDateTime{2024, 5, 1, 0, 0, 0, ms});
    EXPECT_EQ(TimerMilliseconds(), text) << ms;
  }
}

TEST_F(SupportTest, InitializeDialogModuleReplacesTheFileSystemObject) {
  InitializeDialogModule();
  const auto first = moduleFileSystem();
  ASSERT_TRUE(first);
  InitializeDialogModule();
  EXPECT_NE(moduleFileSystem(), first);
  EXPECT_EQ(desktop().initCommonControlsCalls, 2);
  EXPECT_FALSE(moduleFileSystem()->FileExists(u"/no/such/file"));
  EXPECT_THROW(moduleFileSystem()->GetFile(u"/no/such/file"), RuntimeError);
}

TEST_F(SupportTest, ShowWindowInTaskBarWithAndWithoutTaskbar) {
  const HWND form = makeWindow("Form", WS_VISIBLE);
  ShowWindowInTaskBar(form);
  EXPECT_NE(GetWindowLongA(form, GWL_EXSTYLE) & static_cast<LONG>(WS_EX_APPWINDOW), 0);

  desktop().installTaskbar();
  ShowWindowInTaskBar(form);
  const auto& bar = *desktop().taskbar();
  ASSERT_EQ(bar.shellHookMessages.size(), 1u);
  EXPECT_EQ(bar.shellHookMessages[0],
            (MessageRecord{RegisterWindowMessageA("SHELLHOOK"), HSHELL_WINDOWCREATED, form, true}));
  EXPECT_TRUE(bar.buttons.count(form));
}

TEST_F(SupportTest, BringToFrontSequenceOnTheDesktop) {
  desktop().installTaskbar();
  const ForeignThread other = desktop().addForeignThread();
  const HWND foreign = makeWindow("Editor", WS_VISIBLE, 0, other.threadId);
  const HWND form = makeWindow("Form", WS_OVERLAPPEDWINDOW, desktop().applicationWindow());
  desktop().userActivates(foreign);
  ShowWindow(form, SW_SHOW);
  ASSERT_EQ(GetForegroundWindow(), foreign);

  ShowWindowInTaskBar(form);
  const HWND h = FindProcessOwnerWindow();
  EXPECT_EQ(h, desktop().applicationWindow());
  EXPECT_TRUE(ForceForegroundWindow(h));
  SetFocus(h);
  // The hidden owner hands the activation and the focus on to the form shown
  // over it.
  EXPECT_EQ(GetForegroundWindow(), form);
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), form);
  EXPECT_TRUE(desktop().taskbar()->buttons.count(form));
  EXPECT_EQ(FindProcessOwnerWindow(), h);  // the form is still in front of its owner
}

class FolderTest : public SupportTest {
 protected:
  void SetUp() override {
    SupportTest::SetUp();
    dir = std::filesystem::temp_directory_path() / ("svx-core-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "start");
    std::filesystem::create_directories(dir / "chosen");
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    SupportTest::TearDown();
  }
  std::filesystem::path dir;
};

TEST_F(FolderTest, MyDocumentsPath) {
  setDocumentsFolderOverride(dir.string());
  EXPECT_EQ(MyDocumentsPath(), utf16(dir.string()));
  setDocumentsFolderOverride("");
  EXPECT_EQ(MyDocumentsPath(), u"");
}

TEST_F(FolderTest, BrowseFolderDialogAnswered) {
  const std::string start = (dir / "start").string();
  const std::string chosen = (dir / "chosen").string();
  folderDialogs().queueAnswer(chosen);
  int32_t owner = makeWindow("Form", 0);
  BStr title = u"Where?";
  BStr startFolder = utf16(start);
  Variant number = Variant(99);
  Variant description = Variant(u"old");
  EXPECT_EQ(BrowseFolderDialog(owner, title, startFolder, number, description), utf16(chosen));
  EXPECT_EQ(number.vt(), VT_I2);
  EXPECT_EQ(number.asI2(), 0);
  EXPECT_EQ(description.asBStr(), u"");
  EXPECT_EQ(browseStartFolder(), utf16(start) + u'\0');

  const FolderDialogSession& s = folderDialogs().sessions().back();
  EXPECT_EQ(s.owner, owner);
  EXPECT_EQ(s.title, "Where?");
  EXPECT_EQ(s.flags, 0x43u);
  ASSERT_EQ(s.messages.size(), 3u);
  EXPECT_EQ(s.messages[0].message, BFFM_SETSELECTIONA);
  EXPECT_EQ(s.messages[0].wParam, 1u);
  EXPECT_EQ(s.messages[0].text, start);
  EXPECT_EQ(s.messages[1].message, BFFM_SETSTATUSTEXTA);
  EXPECT_EQ(s.messages[1].wParam, 0u);
  EXPECT_EQ(s.messages[1].text, start);
  EXPECT_EQ(s.messages[2].text, chosen);
}

TEST_F(FolderTest, BrowseFolderDialogCancelledAndOmittedOutParameters) {
  folderDialogs().queueCancel();
  int32_t owner = 0;
  BStr title;
  BStr startFolder = u"/nowhere";
  Variant number = Variant(99);
  Variant description = Variant(u"old");
  EXPECT_EQ(BrowseFolderDialog(owner, title, startFolder, number, description), u"");
  EXPECT_EQ(number.vt(), VT_I2);
  EXPECT_EQ(number.asI2(), 0);
  EXPECT_EQ(description.asBStr(), u"");

  Variant missingNumber = Variant::missing();
  Variant missingDescription = Variant::missing();
  EXPECT_EQ(BrowseFolderDialog(owner, title, startFolder, missingNumber, missingDescription), u"");
  EXPECT_TRUE(missingNumber.isMissing());
  EXPECT_TRUE(missingDescription.isMissing());
}

TEST_F(FolderTest, BrowseFolderDialogReportsAFailureOfTheDialog) {
  // The dialog's modal loop runs into its limit: reported, not raised.
  messageLoop().setModalTimeLimit(100);
  folderDialogs().queueAnswer((dir / "chosen").string(), 10'000);
  int32_t owner = 0;
  BStr title;
  BStr startFolder;
  Variant number;
  Variant description;
  EXPECT_EQ(BrowseFolderDialog(owner, title, startFolder, number, description), u"");
  EXPECT_EQ(number.vt(), VT_I4);
  EXPECT_NE(number.asI4(), 0);
  EXPECT_FALSE(description.asBStr().empty());
}

}  // namespace
}  // namespace svx
