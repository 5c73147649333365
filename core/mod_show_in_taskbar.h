// modShowInTaskBar: gives a window a taskbar button.
#pragma once

#include "platform/desktop/win32.h"

namespace svx {

void ShowWindowInTaskBar(HWND hWnd);

}  // namespace svx
