// A person's input on the X11 display's windows: buttons, the wheel,
// moves, keys (xkbcommon), the input focus and the close box, posted as
// window messages (display_messages.h).
// The keyboard extension's header names a member `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <string>

#include "platform/desktop/clock.h"
#include "platform/desktop/display_messages.h"
#include "platform/display/x11_display_impl.h"
#include "platform/display/x11_keys.h"

namespace svx {

namespace {

// The runtime's shift state from an X11 modifier state.
int16_t shiftState(uint16_t state) {
  int16_t s = 0;
  if (state & XCB_MOD_MASK_SHIFT) s |= 1;
  if (state & XCB_MOD_MASK_CONTROL) s |= 2;
  if (state & XCB_MOD_MASK_1) s |= 4;
  return s;
}

// The runtime's buttons held, from an X11 modifier state.
int16_t buttonsHeld(uint16_t state) {
  int16_t b = 0;
  if (state & XCB_BUTTON_MASK_1) b |= 1;
  if (state & XCB_BUTTON_MASK_3) b |= 2;
  if (state & XCB_BUTTON_MASK_2) b |= 4;
  return b;
}

int16_t runtimeButton(uint8_t detail) {
  switch (detail) {
    case 1: return 1;
    case 2: return 4;
    case 3: return 2;
    default: return 0;  // wheel and extra buttons
  }
}

}  // namespace

int64_t X11Display::Impl::clockTime(xcb_timestamp_t t) {
  if (!serverTimeKnown) {
    serverTimeKnown = true;
    lastServerTime = t;
    lastClockTime = Clock::nowMs();
  }
  const auto delta = static_cast<int32_t>(t - lastServerTime);
  const int64_t at = lastClockTime + delta;
  if (delta > 0) {
    lastServerTime = t;
    lastClockTime = at;
  }
  return at;
}

bool X11Display::Impl::key(const xcb_key_press_event_t& e, bool press) {
  const HWND hwnd = target(e.event);
  if (!hwnd || !keyState || !takesInput(hwnd)) return false;
  const uint32_t mods = e.state & 0xFF;
  const uint32_t locked = mods & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
  xkb_state_update_mask(keyState, mods & ~locked, 0, locked, 0, 0, (e.state >> 13) & 3);
  const xkb_keycode_t code = e.detail;
  const xkb_layout_index_t layout = xkb_state_key_get_layout(keyState, code);
  const xkb_keysym_t* syms = nullptr;
  xkb_keysym_t base = XKB_KEY_NoSymbol;
  if (xkb_keymap_key_get_syms_by_level(keymap, code, layout == XKB_LAYOUT_INVALID ? 0 : layout, 0, &syms) > 0)
    base = syms[0];
  // The keypad's keys follow Num Lock.
  if (base >= XKB_KEY_KP_Space && base <= XKB_KEY_KP_9) base = xkb_state_key_get_one_sym(keyState, code);
  int16_t keyCode = runtimeKeyCode(base);
  if (keyCode == 0) {
    // A key of a character the runtime has no code for: the character
    // itself, as the simulated user gives it.
    const uint32_t u = xkb_keysym_to_utf32(base);
    if (u > 32 && u < 0x8000) keyCode = static_cast<int16_t>(u);
  }
  const int16_t shift = shiftState(e.state);
  if (keyCode != 0) post(hwnd, press ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(keyCode), shift);
  if (!press) return true;
  const uint32_t ch = xkb_state_key_get_utf32(keyState, code);
  // Tab, Enter and Esc act on their key press; they send no character.
  if (ch == 0 || ch == 9 || ch == 13 || ch == 27 || ch == 0x7F) return true;
  std::u16string text;
  if (ch >= 0x10000) {
    text.push_back(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
  } else {
    text.push_back(static_cast<char16_t>(ch));
  }
  for (char16_t u : text) post(hwnd, WM_CHAR, u, shift);
  return true;
}

bool X11Display::Impl::button(const xcb_button_press_event_t& e, bool press) {
  const HWND hwnd = target(e.event);
  if ((e.detail == 4 || e.detail == 5) && hwnd && takesInput(hwnd)) {
    // The wheel: a press per notch (4 away from the person, 5 towards).
    if (!press) return false;
    post(hwnd, WM_MOUSEWHEEL, packWheel(e.detail == 4 ? 1 : -1, shiftState(e.state)),
         packPoint(logical(e.event_x), logical(e.event_y)));
    return true;
  }
  const int16_t button = runtimeButton(e.detail);
  if (!hwnd || !button || !takesInput(hwnd)) return false;
  const UINT msg = button == 1 ? (press ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                   : button == 2 ? (press ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                                 : (press ? WM_MBUTTONDOWN : WM_MBUTTONUP);
  if (press) {
    if (auto it = shown.find(hwnd); it != shown.end() && !windowManager) focus(it->second);
  }
  post(hwnd, msg, packButtons(button, shiftState(e.state)), packPoint(logical(e.event_x), logical(e.event_y)),
       clockTime(e.time));
  return true;
}

bool X11Display::Impl::motion(const xcb_motion_notify_event_t& e) {
  const HWND hwnd = target(e.event);
  if (!hwnd || !takesInput(hwnd)) return false;
  post(hwnd, WM_MOUSEMOVE, packButtons(buttonsHeld(e.state), shiftState(e.state)),
       packPoint(logical(e.event_x), logical(e.event_y)));
  return true;
}

void X11Display::Impl::focusIn(const xcb_focus_in_event_t& e) {
  const HWND hwnd = target(e.event);
  if (!hwnd || e.mode != XCB_NOTIFY_MODE_NORMAL) return;
  if (takesInput(hwnd)) {
    if (desktop().active != hwnd) {
      desktop().userActivates(hwnd);
      lastActive = desktop().active;
    }
  } else if (auto it = shown.find(desktop().rootOf(desktop().active)); it != shown.end() && it->first != hwnd) {
    // A window that a modal one blocks passes the keyboard on to the
    // active window (the modal one), as activating it would.
    it->second.focusWanted = true;
    if (it->second.viewable) focus(it->second);
  }
}

bool X11Display::Impl::clientMessage(const xcb_client_message_event_t& e) {
  // The close box, as the window manager reports it.
  const HWND hwnd = target(e.window);
  if (!hwnd || e.type != atom(WM_PROTOCOLS_) || e.data.data32[0] != atom(WM_DELETE_WINDOW_) || !takesInput(hwnd))
    return false;
  post(hwnd, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace svx
