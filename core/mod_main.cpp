#include "core/mod_main.h"

#include <cmath>
#include <string>

#include "platform/automation/error.h"
#include "platform/desktop/clock.h"

namespace svx {

int32_t TranslateSysColor(int32_t& colour) {
  if (static_cast<uint32_t>(colour) & 0x80000000u) {
    return static_cast<int32_t>(GetSysColor(colour & 0xFF));
  }
  return colour;
}

void SetListBoxHorizontalExtent(HWND listBox, int32_t widthPixels) {
  SendMessageA(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widthPixels), 0);
}

bool ForceForegroundWindow(HWND hWnd) {
  if (GetForegroundWindow() == hWnd) return true;
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const DWORD windowThread = GetWindowThreadProcessId(hWnd, nullptr);
  BOOL result = 0;
  if (foregroundThread != windowThread) {
    AttachThreadInput(foregroundThread, windowThread, 1);
    result = SetForegroundWindow(hWnd);
    AttachThreadInput(foregroundThread, windowThread, 0);
  } else {
    result = SetForegroundWindow(hWnd);
  }
  if (IsIconic(hWnd)) {
    ShowWindow(hWnd, SW_RESTORE);
  } else {
    ShowWindow(hWnd, SW_SHOW);
  }
  return result != 0;
}

HWND FindProcessOwnerWindow() {
  const DWORD pid = GetCurrentProcessId();
  for (HWND h = GetTopWindow(0); h != 0; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsWindowVisible(h) && GetParent(h) == 0) {
      DWORD windowPid = 0;
      GetWindowThreadProcessId(h, &windowPid);
      if (windowPid == pid) return GetWindowLongA(h, GWL_HWNDPARENT);
    }
  }
  return 0;
}

void SetTopMost(HWND form, bool topMost) {
  ignoreErrors([&] {
    SetWindowPos(form, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
  });
}

Variant IsArrayNotEmpty(Variant& value) {
  bool notEmpty = false;
  ignoreErrors([&] {
    if (value.varType() > 8192 && value.isArray()) {
      const SafeArray* array = value.deref().asArray();
      if (!array) raise(err::SubscriptOutOfRange);
      notEmpty = array->lbound(1) <= array->ubound(1);
    }
  });
  return Variant(notEmpty);
}

double UnsignedLongToDouble(int32_t& value) {
  return value >= 0 ? static_cast<double>(value) : static_cast<double>(value) + 4294967296.0;
}

BStr TimerMilliseconds() {
  BStr result;
  ignoreErrors([&] {
    // Single arithmetic, as the runtime's Timer is a Single.
    const float t = Clock::timer();
    const float ms = std::trunc((t - std::trunc(t)) * 1000.0f);
    const std::string text = "000" + std::to_string(static_cast<int32_t>(ms));
    result = utf16(text.substr(text.size() - 3));
  });
  return result;
}

std::shared_ptr<FileSystemObject>& moduleFileSystem() {
  static std::shared_ptr<FileSystemObject> fso;
  return fso;
}

void InitializeDialogModule() {
  ignoreErrors([] {
    InitCommonControls();
    moduleFileSystem() = std::make_shared<FileSystemObject>();
  });
}

}  // namespace svx
