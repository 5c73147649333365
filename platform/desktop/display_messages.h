// The window messages through which a display hands a person's input to a
// top-level window, and asks it for its picture. Positions are client pixels
// at 96 dpi (15 twips per pixel), whatever the screen's scale.
//
//   WM_LBUTTONDOWN..WM_MBUTTONUP  wParam: button (1, 2, 4) | shift << 8; lParam: point
//   WM_MOUSEMOVE                  wParam: buttons held | shift << 8;     lParam: point
//   WM_MOUSEWHEEL                 wParam: notches (> 0 away from the person) << 16 | shift << 8;
//                                 lParam: point
//   WM_KEYDOWN, WM_KEYUP          wParam: the runtime's key code;        lParam: shift
//   WM_CHAR                       wParam: one UTF-16 code unit;          lParam: shift
//   WM_SIZE                       wParam: SIZE_RESTORED, SIZE_MINIMIZED or SIZE_MAXIMIZED;
//                                 lParam: point (client width, height); after a resize, a new
//                                 frame (Window::frame) or a new state by the window manager
//   WM_MOVE                       lParam: point (client origin on the screen) after a move by the
//                                 window manager
//   WM_CLOSE                      the close box
//   WM_PRINTCLIENT                lParam: RenderItem* to fill with the window's picture (a Form
//                                 item whose rect is the client area); returns 1 when filled
// Shift is the runtime's shift state: 1 Shift, 2 Ctrl, 4 Alt.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/desktop/win32.h"

namespace svx {

inline LPARAM packPoint(int32_t x, int32_t y) {
  return static_cast<LPARAM>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) | static_cast<uint32_t>(x));
}
inline std::pair<int32_t, int32_t> unpackPoint(LPARAM p) {
  const auto u = static_cast<uint64_t>(p);
  return {static_cast<int32_t>(static_cast<uint32_t>(u)), static_cast<int32_t>(static_cast<uint32_t>(u >> 32))};
}
inline WPARAM packButtons(int16_t button, int16_t shift) {
  return static_cast<WPARAM>((button & 0xFF) | ((shift & 0xFF) << 8));
}
inline int16_t buttonOf(WPARAM w) { return static_cast<int16_t>(w & 0xFF); }
inline int16_t shiftOf(WPARAM w) { return static_cast<int16_t>((w >> 8) & 0xFF); }
inline WPARAM packWheel(int16_t notches, int16_t shift) {
  return static_cast<WPARAM>((static_cast<uint64_t>(static_cast<uint16_t>(notches)) << 16) | ((shift & 0xFF) << 8));
}
inline int16_t wheelOf(WPARAM w) { return static_cast<int16_t>(static_cast<uint16_t>((w >> 16) & 0xFFFF)); }

}  // namespace svx
