#include "platform/desktop/win32.h"

#include <pthread.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"

namespace svx {
namespace {

int copyText(const std::string& text, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const auto n = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

}  // namespace

BOOL IsWindow(HWND hWnd) { return desktop().find(hWnd) ? 1 : 0; }

BOOL IsWindowVisible(HWND hWnd) {
  // Visible only when its parents are visible too.
  Desktop& d = desktop();
  for (const Window* w = d.find(hWnd); w; w = w->isChild() ? d.find(w->parent) : nullptr) {
    if (!w->visible()) return 0;
    if (!w->isChild()) return 1;
  }
  return 0;
}

BOOL IsIconic(HWND hWnd) {
  const Window* w = desktop().find(hWnd);
  return w && w->iconic() ? 1 : 0;
}

BOOL IsWindowEnabled(HWND hWnd) {
  const Window* w = desktop().find(hWnd);
  return w && !(w->style & WS_DISABLED) ? 1 : 0;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* w = desktop().find(hWnd);
  if (!w) return 0;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? 1 : 0;
  if (bEnable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    // A window being disabled ends any mode it is in (a press, an open list).
    if (!wasDisabled) desktop().deliver(hWnd, WM_CANCELMODE, 0, 0, false);
  }
  return wasDisabled;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) { return desktop().showWindow(hWnd, nCmdShow); }

BOOL DestroyWindow(HWND hWnd) { return desktop().destroyWindow(hWnd); }

HWND GetTopWindow(HWND hWnd) {
  Desktop& d = desktop();
  if (hWnd == 0) return d.zOrder().empty() ? 0 : d.zOrder().front();
  return d.getWindow(hWnd, GW_CHILD);
}

HWND GetWindow(HWND hWnd, UINT uCmd) { return desktop().getWindow(hWnd, uCmd); }

HWND GetParent(HWND hWnd) { return desktop().getParent(hWnd); }

LONG GetWindowLongA(HWND hWnd, int nIndex) { return desktop().getWindowLong(hWnd, nIndex); }

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  return desktop().setWindowLong(hWnd, nIndex, dwNewLong);
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  return desktop().setWindowPos(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags);
}

HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, const char* lpszClass,
                   const char* lpszWindow) {
  return desktop().findWindowEx(hWndParent, hWndChildAfter, lpszClass, lpszWindow);
}

int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount) {
  const Window* w = desktop().find(hWnd);
  if (!w) {
    copyText({}, lpString, nMaxCount);
    return 0;
  }
  return copyText(w->caption, lpString, nMaxCount);
}

BOOL SetWindowTextA(HWND hWnd, const char* lpString) {
  Window* w = desktop().find(hWnd);
  if (!w) return 0;
  w->caption = lpString ? lpString : "";
  return 1;
}

int GetClassNameA(HWND hWnd, char* lpClassName, int nMaxCount) {
  const Window* w = desktop().find(hWnd);
  return w ? copyText(w->className, lpClassName, nMaxCount) : 0;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId) {
  const Window* w = desktop().find(hWnd);
  if (lpdwProcessId) *lpdwProcessId = w ? w->processId : 0;
  return w ? w->threadId : 0;
}

HWND GetForegroundWindow() { return desktop().foreground; }

BOOL SetForegroundWindow(HWND hWnd) { return desktop().setForegroundWindow(hWnd); }

BOOL AttachThreadInput(DWORD idAttach, DWORD idAttachTo, BOOL fAttach) {
  return desktop().attachThreadInput(idAttach, idAttachTo, fAttach != 0);
}

HWND GetActiveWindow() { return desktop().active; }

HWND SetFocus(HWND hWnd) { return desktop().setFocus(hWnd); }

HWND GetFocus() { return desktop().focus; }

UINT RegisterWindowMessageA(const char* lpString) {
  return lpString ? desktop().registerMessage(lpString) : 0;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == 0) {
    messageLoop().post(0, Msg, wParam, lParam);
    return 1;
  }
  Desktop& d = desktop();
  const Window* w = d.find(hWnd);
  if (!w) return 0;
  if (w->threadId == GetCurrentThreadId()) {
    messageLoop().post(hWnd, Msg, wParam, lParam);
  } else {
    d.deliver(hWnd, Msg, wParam, lParam, true);
  }
  return 1;
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return desktop().deliver(hWnd, Msg, wParam, lParam, false);
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  return messageLoop().setTimer(hWnd, nIDEvent, uElapse, lpTimerFunc);
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) { return messageLoop().killTimer(hWnd, uIDEvent); }

DWORD GetSysColor(int nIndex) { return desktop().sysColor(nIndex); }

namespace {
// The ids are asked for on every log record and message post; they are kept
// until a fork gives the child (this thread) new ones.
pid_t cachedProcessId = 0;
thread_local pid_t cachedThreadId = 0;
void forgetIds() {
  cachedProcessId = 0;
  cachedThreadId = 0;
}
[[maybe_unused]] const int forkHandler = pthread_atfork(nullptr, nullptr, forgetIds);
}  // namespace

DWORD GetCurrentProcessId() {
  if (!cachedProcessId) cachedProcessId = getpid();
  return static_cast<DWORD>(cachedProcessId);
}

DWORD GetCurrentThreadId() {
  if (!cachedThreadId) cachedThreadId = static_cast<pid_t>(syscall(SYS_gettid));
  return static_cast<DWORD>(cachedThreadId);
}

DWORD GetTickCount() { return Clock::tickCount(); }

void Sleep(DWORD dwMilliseconds) { Clock::advance(dwMilliseconds); }

void InitCommonControls() { ++desktop().initCommonControlsCalls; }

}  // namespace svx
