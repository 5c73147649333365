// The system functions of the simulated desktop, under their platform names
// and with their platform argument order, so that system code can make the
// same calls in the same order. Handles, ids and styles are 32-bit values;
// LPARAM is pointer-sized because some messages carry a string in it.
//
// The state these functions act on lives in desktop.h (windows, z-order,
// foreground and focus), message_loop.h (queue and timers), clock.h (tick
// count); tests observe it there. The shell (folders, the folder dialog) is a
// layer above: platform/shell/shell.h.
#pragma once

#include <cstdint>

namespace svx {

using HWND = int32_t;
using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using WPARAM = uint32_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uint32_t;
using COLORREF = uint32_t;
using HRESULT = int32_t;

// Called for every tick of a timer that was given a procedure.
using TIMERPROC = void (*)(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// GetWindowLong / SetWindowLong indexes.
inline constexpr int GWL_HWNDPARENT = -8;
inline constexpr int GWL_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_USERDATA = -21;

// Window styles (the state bits WS_VISIBLE, WS_MINIMIZE, WS_MAXIMIZE and
// WS_DISABLED are kept in the style, as GetWindowLong reports them).
inline constexpr uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_MINIMIZE = 0x20000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_DISABLED = 0x08000000;
inline constexpr uint32_t WS_MAXIMIZE = 0x01000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;

inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// SetWindowPos.
inline constexpr HWND HWND_TOP = 0;
inline constexpr HWND HWND_BOTTOM = 1;
inline constexpr HWND HWND_TOPMOST = -1;
inline constexpr HWND HWND_NOTOPMOST = -2;
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

// GetWindow.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;

// Messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr WPARAM SIZE_RESTORED = 0;  // WM_SIZE's wParam: the window's size state
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_CANCELMODE = 0x001F;
inline constexpr WPARAM WA_ACTIVE = 1;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_PRINTCLIENT = 0x0318;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT LB_SETHORIZONTALEXTENT = 0x0194;
inline constexpr UINT FIRST_REGISTERED_MESSAGE = 0xC000;
inline constexpr WPARAM HSHELL_WINDOWCREATED = 1;

// Timers: intervals below the minimum, and "negative" ones (above
// 0x7FFFFFFF, as a negative Long arrives), run at the minimum.
inline constexpr UINT USER_TIMER_MINIMUM = 10;
inline constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// GetSysColor indexes run from 0 (COLOR_SCROLLBAR) to 30 (COLOR_MENUBAR).
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int SYS_COLOR_COUNT = 31;

// user32: windows.
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsWindowEnabled(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);  // whether it was disabled before
BOOL ShowWindow(HWND hWnd, int nCmdShow);     // whether it was visible before
BOOL DestroyWindow(HWND hWnd);
HWND GetTopWindow(HWND hWnd);  // hWnd 0: the first top-level window in z-order
HWND GetWindow(HWND hWnd, UINT uCmd);
HWND GetParent(HWND hWnd);
LONG GetWindowLongA(HWND hWnd, int nIndex);
LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
HWND FindWindowExA(HWND hWndParent, HWND hWndChildAfter, const char* lpszClass,
                   const char* lpszWindow);
int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount);
BOOL SetWindowTextA(HWND hWnd, const char* lpString);
int GetClassNameA(HWND hWnd, char* lpClassName, int nMaxCount);
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId = nullptr);

// user32: activation, foreground and focus.
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hWnd);
BOOL AttachThreadInput(DWORD idAttach, DWORD idAttachTo, BOOL fAttach);
HWND GetActiveWindow();
HWND SetFocus(HWND hWnd);  // the window that had the focus before, 0 on failure
HWND GetFocus();

// user32: messages and timers.
UINT RegisterWindowMessageA(const char* lpString);
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// user32: colours.
DWORD GetSysColor(int nIndex);  // 0 for an index outside 0..30

// kernel32.
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);  // no messages are served meanwhile

// comctl32.
void InitCommonControls();

}  // namespace svx
