#include "platform/desktop/desktop.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/desktop/message_loop.h"
#include "platform/desktop/modal_owner.h"
#include "platform/desktop/win32.h"
#include "tests/platform/desktop/desktop_fixture.h"

namespace svx::testing {
namespace {

std::vector<HWND> walkTopLevel() {
  std::vector<HWND> order;
  for (HWND h = GetTopWindow(0); h != 0; h = GetWindow(h, GW_HWNDNEXT)) order.push_back(h);
  return order;
}

using ZOrderTest = DesktopTest;

TEST_F(ZOrderTest, TopmostBandStaysInFrontAndTheWalkFollowsZOrder) {
  const HWND a = makeWindow("A");
  const HWND b = makeWindow("B");
  const HWND c = makeWindow("C");
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{c, b, a}));

  desktop().window(a).rect = WindowRect{10, 20, 30, 40};
  ASSERT_EQ(SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{a, c, b}));
  EXPECT_EQ(desktop().window(a).rect, (WindowRect{10, 20, 30, 40}));
  EXPECT_NE(GetWindowLongA(a, GWL_EXSTYLE) & static_cast<LONG>(WS_EX_TOPMOST), 0);

  // A new window and an activated one stay behind the topmost band.
  const HWND d = makeWindow("D");
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{a, d, c, b}));
  desktop().userActivates(b);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{a, b, d, c}));

  SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, 3);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{d, a, b, c}));
  SetWindowPos(d, HWND_NOTOPMOST, 0, 0, 0, 0, 3);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{a, d, b, c}));
  // No effect on a window that is not topmost.
  SetWindowPos(c, HWND_NOTOPMOST, 0, 0, 0, 0, 3);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{a, d, b, c}));

  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), 0);
  EXPECT_EQ(SetWindowPos(0x7777, HWND_TOPMOST, 0, 0, 0, 0, 3), 0);
}

TEST_F(ZOrderTest, OwnedWindowsStayAboveTheirOwner) {
  const HWND app = desktop().applicationWindow();
  EXPECT_EQ(app, desktop().applicationWindow());
  EXPECT_FALSE(IsWindowVisible(app));
  const HWND form = makeWindow("Form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, app);
  const HWND other = makeWindow("Other");
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{other, form, app}));
  ASSERT_EQ(SetForegroundWindow(app), 1);
  EXPECT_EQ(walkTopLevel(), (std::vector<HWND>{form, app, other}));
  EXPECT_EQ(GetWindowLongA(form, GWL_HWNDPARENT), app);
  EXPECT_EQ(GetWindow(form, GW_OWNER), app);
}

TEST_F(DesktopTest, GetParentGivesParentOfChildAndOwnerOfPopupOnly) {
  const HWND owner = makeWindow("Owner");
  const HWND overlapped = makeWindow("Overlapped", WS_OVERLAPPED | WS_VISIBLE, owner);
  const HWND popup = makeWindow("Popup", WS_POPUP | WS_VISIBLE, owner);
  const HWND child = makeChild("Child", owner);
  const HWND grandchild = makeChild("Grandchild", child);
  EXPECT_EQ(GetParent(overlapped), 0);
  EXPECT_EQ(GetParent(popup), owner);
  EXPECT_EQ(GetParent(child), owner);
  EXPECT_EQ(GetParent(owner), 0);
  // An owner given as a child becomes that child's top-level window.
  const HWND ownedByChild = makeWindow("X", WS_POPUP, grandchild);
  EXPECT_EQ(GetWindowLongA(ownedByChild, GWL_HWNDPARENT), owner);
  EXPECT_EQ(GetTopWindow(owner), child);
  // A child is visible only while its parents are.
  ShowWindow(owner, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(grandchild));
  // Destroying the owner takes its children and owned windows with it.
  EXPECT_EQ(DestroyWindow(owner), 1);
  for (HWND h : {owner, overlapped, popup, child, grandchild, ownedByChild}) {
    EXPECT_FALSE(IsWindow(h)) << h;
  }
}

TEST_F(DesktopTest, ForegroundIsRefusedUnlessInputIsAttachedToTheForegroundThread) {
  const ForeignThread other = desktop().addForeignThread();
  const HWND foreign = makeWindow("Foreign", WS_OVERLAPPED | WS_VISIBLE, 0, other.threadId);
  const HWND mine = makeWindow("Mine");
  desktop().userActivates(foreign);
  ASSERT_EQ(GetForegroundWindow(), foreign);

  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(foreign, &pid), other.threadId);
  EXPECT_EQ(pid, other.processId);
  EXPECT_NE(pid, GetCurrentProcessId());
  EXPECT_EQ(GetWindowThreadProcessId(mine), GetCurrentThreadId());

  EXPECT_EQ(SetForegroundWindow(mine), 0);
  EXPECT_EQ(GetForegroundWindow(), foreign);
  EXPECT_EQ(desktop().refusedForegroundRequests, 1);
  EXPECT_EQ(desktop().window(mine).flashCount, 1);

  EXPECT_EQ(AttachThreadInput(other.threadId, GetCurrentThreadId(), 1), 1);
  EXPECT_EQ(SetForegroundWindow(mine), 1);
  EXPECT_EQ(AttachThreadInput(other.threadId, GetCurrentThreadId(), 0), 1);
  EXPECT_EQ(GetForegroundWindow(), mine);
  EXPECT_EQ(GetActiveWindow(), mine);
  EXPECT_EQ(walkTopLevel().front(), mine);

  // Now this process is in front: no attachment needed for its own windows.
  const HWND second = makeWindow("Second");
  EXPECT_EQ(SetForegroundWindow(second), 1);
  EXPECT_EQ(SetForegroundWindow(0x7777), 0);
  EXPECT_EQ(AttachThreadInput(0, GetCurrentThreadId(), 1), 0);
}

TEST_F(DesktopTest, ShowWindowStatesAndActivation) {
  const HWND w = makeWindow("W", WS_OVERLAPPED);
  EXPECT_EQ(ShowWindow(w, SW_SHOW), 0);  // was hidden
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(GetForegroundWindow(), w);  // no foreground window before
  EXPECT_EQ(ShowWindow(w, SW_MINIMIZE), 1);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_EQ(GetForegroundWindow(), 0);
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(GetActiveWindow(), w);
  EXPECT_EQ(ShowWindow(w, SW_HIDE), 1);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(GetActiveWindow(), 0);
}

TEST_F(DesktopTest, AModalWindowOverAnOwnerChainThatLoopsDisablesEachWindowOnce) {
  const HWND a = makeWindow("A");
  const HWND b = makeWindow("B", WS_OVERLAPPED | WS_VISIBLE, a);
  SetWindowLongA(a, GWL_HWNDPARENT, static_cast<LONG>(b));  // a owns b, b owns a
  const HWND box = makeWindow("Box", WS_POPUP | WS_VISIBLE, a);
  {
    const ModalScope modal(box, a);
    EXPECT_FALSE(IsWindowEnabled(a));
    EXPECT_FALSE(IsWindowEnabled(b));
    EXPECT_EQ(desktop().modalWindow(), box);
  }
  EXPECT_TRUE(IsWindowEnabled(a));
  EXPECT_TRUE(IsWindowEnabled(b));
  EXPECT_EQ(desktop().modalWindow(), 0);
}

TEST_F(DesktopTest, SetFocusReturnsThePreviousFocusAndRefusesForeignWindows) {
  const HWND a = makeWindow("A");
  const HWND child = makeChild("Edit", a);
  const ForeignThread other = desktop().addForeignThread();
  const HWND foreign = makeWindow("Foreign", WS_OVERLAPPED | WS_VISIBLE, 0, other.threadId);
  EXPECT_EQ(SetFocus(a), 0);
  EXPECT_EQ(SetFocus(child), a);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(SetFocus(foreign), 0);
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(SetFocus(0), child);
  EXPECT_EQ(GetFocus(), 0);
}

TEST_F(DesktopTest, FindWindowExMatchesClassCaseInsensitivelyAfterTheGivenChild) {
  const HWND parent = makeWindow("Parent");
  const HWND first = makeChild("ListBox", parent);
  const HWND second = makeChild("LISTBOX", parent);
  SetWindowTextA(second, "named");
  EXPECT_EQ(FindWindowExA(parent, 0, "listbox", nullptr), first);
  EXPECT_EQ(FindWindowExA(parent, first, "listbox", nullptr), second);
  EXPECT_EQ(FindWindowExA(parent, second, "listbox", nullptr), 0);
  EXPECT_EQ(FindWindowExA(parent, 0, nullptr, "named"), second);
  EXPECT_EQ(FindWindowExA(0, 0, "Parent", nullptr), parent);
  EXPECT_EQ(FindWindowExA(0, 0, "ListBox", nullptr), 0);  // children are not top-level
  char buffer[16];
  EXPECT_EQ(GetWindowTextA(second, buffer, 3), 2);
  EXPECT_STREQ(buffer, "na");
  EXPECT_EQ(GetClassNameA(first, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "ListBox");
}

TEST_F(DesktopTest, RegisteredMessagesAreStablePerName) {
  const UINT shellHook = RegisterWindowMessageA("SHELLHOOK");
  EXPECT_EQ(shellHook, FIRST_REGISTERED_MESSAGE);
  EXPECT_EQ(RegisterWindowMessageA("shellhook"), shellHook);
  EXPECT_EQ(RegisterWindowMessageA("Other"), shellHook + 1);
  EXPECT_EQ(RegisterWindowMessageA("SHELLHOOK"), shellHook);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
  EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
}

TEST_F(DesktopTest, TaskbarRecordsShellHookMessagesAndButtons) {
  EXPECT_EQ(FindWindowExA(0, 0, "Shell_TrayWnd", nullptr), 0);

  desktop().installTaskbar();
  const HWND tray = FindWindowExA(0, 0, "Shell_TrayWnd", nullptr);
  ASSERT_NE(tray, 0);
  const HWND rebar = FindWindowExA(tray, 0, "RebarWindow32", nullptr);
  ASSERT_NE(rebar, 0);
  const HWND tasks = FindWindowExA(rebar, 0, "MSTaskSwWClass", nullptr);
  ASSERT_EQ(tasks, desktop().taskbar()->tasks);
  DWORD pid = 0;
  GetWindowThreadProcessId(tasks, &pid);
  EXPECT_NE(pid, GetCurrentProcessId());

  const HWND form = makeWindow("Form");
  PostMessageA(tasks, 0x1234, HSHELL_WINDOWCREATED, form);  // not the shell hook message
  EXPECT_TRUE(desktop().taskbar()->shellHookMessages.empty());
  const UINT msg = RegisterWindowMessageA("SHELLHOOK");
  EXPECT_EQ(PostMessageA(tasks, msg, HSHELL_WINDOWCREATED, form), 1);
  // The shell serves its own queue: no message loop of ours is needed.
  EXPECT_EQ(desktop().taskbar()->shellHookMessages,
            (std::vector<MessageRecord>{{msg, HSHELL_WINDOWCREATED, form, true}}));
  EXPECT_TRUE(desktop().taskbar()->buttons.count(form));
  DestroyWindow(form);
  EXPECT_FALSE(desktop().taskbar()->buttons.count(form));

  desktop().removeTaskbar();
  EXPECT_FALSE(IsWindow(tasks));
  EXPECT_EQ(FindWindowExA(0, 0, "Shell_TrayWnd", nullptr), 0);
}

TEST_F(DesktopTest, SentMessagesReachTheHandlerAndPostedOnesWaitForTheLoop) {
  const HWND list = makeWindow("ListBox");
  std::vector<WPARAM> extents;
  desktop().setMessageHandler(list, [&](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
    if (msg == LB_SETHORIZONTALEXTENT) extents.push_back(w);
    return 42;
  });
  EXPECT_EQ(SendMessageA(list, LB_SETHORIZONTALEXTENT, 300, 0), 42);
  EXPECT_EQ(extents, std::vector<WPARAM>{300});
  EXPECT_EQ(SendMessageA(0x7777, LB_SETHORIZONTALEXTENT, 1, 0), 0);

  EXPECT_EQ(PostMessageA(list, WM_USER, 7, 8), 1);
  EXPECT_EQ(desktop().messages(list).size(), 1u);
  DoEvents();
  ASSERT_EQ(desktop().messages(list).size(), 2u);
  EXPECT_EQ(desktop().messages(list).back(), (MessageRecord{WM_USER, 7, 8, true}));
  EXPECT_EQ(PostMessageA(0x7777, WM_USER, 0, 0), 0);

  // Messages still queued for a window that is destroyed are dropped.
  PostMessageA(list, WM_USER, 1, 1);
  DestroyWindow(list);
  EXPECT_EQ(messageLoop().pendingCount(), 0u);
}

TEST_F(DesktopTest, SystemColoursAndCommonControls) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0u);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xF0F0F0u);
  EXPECT_EQ(GetSysColor(1), 0xA56E3Au);  // RGB(58, 110, 165)
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  desktop().setSysColor(5, 0x123456);
  EXPECT_EQ(GetSysColor(5), 0x123456u);
  InitCommonControls();
  InitCommonControls();
  EXPECT_EQ(desktop().initCommonControlsCalls, 2);
}

}  // namespace
}  // namespace svx::testing
