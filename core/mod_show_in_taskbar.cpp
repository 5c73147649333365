#include "core/mod_show_in_taskbar.h"

#include "platform/automation/error.h"

namespace svx {

void ShowWindowInTaskBar(HWND hWnd) {
  ignoreErrors([&] {
    SetWindowLongA(hWnd, GWL_EXSTYLE,
                   GetWindowLongA(hWnd, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_APPWINDOW));
    const UINT msg = RegisterWindowMessageA("SHELLHOOK");
    const HWND tray = FindWindowExA(0, 0, "Shell_TrayWnd", nullptr);
    if (tray == 0 || msg == 0) return;
    const HWND rebar = FindWindowExA(tray, 0, "RebarWindow32", nullptr);
    if (rebar == 0) return;
    const HWND tasks = FindWindowExA(rebar, 0, "MSTaskSwWClass", nullptr);
    if (tasks == 0) return;
    PostMessageA(tasks, msg, HSHELL_WINDOWCREATED, hWnd);
  });
}

}  // namespace svx
