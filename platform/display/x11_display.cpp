#include "platform/display/x11_display.h"

#include <poll.h>
#include <unistd.h>
#include <cairo/cairo-xcb.h>
#include <xcb/xcb.h>
// The keyboard extension's header names a member `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/automation/variant.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/display/x11_keys.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/program_icon.h"
#include "platform/graphics/raster_image.h"
#include "platform/system/clipboard.h"
#include "platform/system/screen.h"

namespace svx {

namespace {

// The largest client area shown, in device pixels (a bigger form shows its
// top-left part), and the farthest place.
constexpr int kMaxDevice = 4096;
constexpr int kMaxPlace = 8000;
// How long a new window waits for the window manager's frame extents, and
// how long after it is managed it is put where the form says rather than
// followed.
constexpr int kExtentsWaitMs = 250;
constexpr auto kSettleTime = std::chrono::milliseconds(1000);

enum Atom : std::size_t {
  WM_PROTOCOLS_,
  WM_DELETE_WINDOW_,
  UTF8_STRING_,
  NET_WM_NAME,
  NET_WM_STATE,
  NET_WM_STATE_ABOVE,
  NET_WM_STATE_MODAL,
  NET_WM_STATE_SKIP_TASKBAR,
  NET_WM_STATE_MAXIMIZED_VERT,
  NET_WM_STATE_MAXIMIZED_HORZ,
  NET_WM_STATE_HIDDEN,
  NET_FRAME_EXTENTS,
  NET_REQUEST_FRAME_EXTENTS,
  NET_SUPPORTED,
  WM_STATE_,
  WM_CHANGE_STATE_,
  NET_WM_WINDOW_TYPE,
  NET_WM_WINDOW_TYPE_NORMAL,
  NET_WM_WINDOW_TYPE_DIALOG,
  NET_ACTIVE_WINDOW,
  NET_SUPPORTING_WM_CHECK,
  NET_WM_PID,
  NET_WM_ICON,
  MOTIF_WM_HINTS,
  RESOURCE_MANAGER_,
  CLIPBOARD,
  TARGETS,
  IMAGE_PNG,
  SVX_CLIPBOARD,
  INCR,
  TEXT_,
  AtomCount
};

constexpr std::array<const char*, AtomCount> kAtomNames = {
    "WM_PROTOCOLS",        "WM_DELETE_WINDOW",          "UTF8_STRING",
    "_NET_WM_NAME",        "_NET_WM_STATE",             "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_MODAL", "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_STATE_HIDDEN",
    "_NET_FRAME_EXTENTS",  "_NET_REQUEST_FRAME_EXTENTS", "_NET_SUPPORTED",
    "WM_STATE",            "WM_CHANGE_STATE",           "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_ACTIVE_WINDOW",
    "_NET_SUPPORTING_WM_CHECK", "_NET_WM_PID",            "_NET_WM_ICON",
    "_MOTIF_WM_HINTS",     "RESOURCE_MANAGER",
    "CLIPBOARD",           "TARGETS",                   "image/png",
    "SVX_CLIPBOARD",       "INCR",                      "TEXT",
};

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

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

// Text crosses to other programs with their line ends: the runtime's CR LF
// goes out as LF, and a lone LF comes in as CR LF.
std::string toXText(std::u16string_view text) {
  const std::string in = utf8(text);
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i)
    if (in[i] != '\r' || i + 1 == in.size() || in[i + 1] != '\n') out += in[i];
  return out;
}

std::string fromXText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// The screen's dpi from the X resources (Xft.dpi), 96 when absent.
double resourceDpi(std::string_view resources) {
  for (std::size_t at = 0; at < resources.size();) {
    std::size_t end = resources.find('\n', at);
    if (end == std::string_view::npos) end = resources.size();
    std::string_view line = resources.substr(at, end - at);
    at = end + 1;
    if (line.rfind("Xft.dpi:", 0) != 0) continue;
    line.remove_prefix(8);
    const std::string value(line);
    const double dpi = std::strtod(value.c_str(), nullptr);
    if (dpi > 0 && dpi < 2000) return dpi;
  }
  return 96;
}

}  // namespace

struct X11Display::Impl {
  struct Relation {
    xcb_window_t transientFor = 0;
    bool modal = false;
    bool above = false;
    friend bool operator==(const Relation&, const Relation&) = default;
  };

  struct Shown {
    xcb_window_t id = 0;
    bool viewable = false;   // MapNotify seen
    bool exposed = false;    // needs its last frame again
    bool focusWanted = false;
    bool mapRequested = false;
    WindowRect rect;         // the desktop rect when last seen
    WindowRect placed;       // the outer rect the window stands at (asked for, or reported), 96 dpi
    FrameInsets extents;     // the frame around the client area: the window manager's, or the runtime's
    std::optional<std::pair<int, int>> clientOrigin;  // the client area on the screen, as last reported
    int clientW = 0, clientH = 0;  // client pixels at 96 dpi
    int deviceW = 0, deviceH = 0;  // the X11 window's size
    // The size state (0 normal, 1 minimised, 2 maximised) the window manager
    // reports, and the one asked of it that it has not reported yet.
    int16_t state = 0;
    std::optional<int16_t> requestedState;  // likewise: a report of it, or of `state`, is no news
    bool managed = false;  // mapped by the window manager (or the server) once
    bool extentsReported = false;
    int16_t seenState = 0;  // the desktop window's size state when last seen
    // Notices were posted at this pump: the form has not followed them yet,
    // so its rect and state are no request.
    bool following = false;
    // Until then (or until it confirms a request), where the window manager
    // first put a new window is not the form's place: the window goes where
    // the form says.
    std::optional<std::chrono::steady_clock::time_point> settling;
    // The client areas (place and size) asked for that no report has
    // confirmed yet, oldest first, and the last one a report confirmed: a
    // report of one of them is no news (a late report of an older one
    // included); any other is the window manager's own doing.
    std::deque<WindowRect> asked;
    WindowRect confirmed;
    bool sizeNotice = false;  // WM_SIZE to post: a new size, frame or state
    bool moveNotice = false;  // WM_MOVE to post
    std::string title;
    uint32_t style = 0, exStyle = 0;
    bool framed = false;     // _MOTIF_WM_HINTS set for `style`
    Relation relation;
    RasterImage frame;
    cairo_surface_t* surface = nullptr;
  };

  xcb_connection_t* conn = nullptr;
  xcb_screen_t* screen = nullptr;
  xcb_visualtype_t* visual = nullptr;
  std::array<xcb_atom_t, AtomCount> atoms{};
  bool windowManager = false;
  std::string hostName;  // WM_CLIENT_MACHINE
  bool extentsOnRequest = false;  // the window manager answers _NET_REQUEST_FRAME_EXTENTS
  double scale = 1;
  xkb_context* xkbContext = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;
  int32_t keyboardDevice = -1;
  uint8_t xkbEvent = 0;  // the keyboard extension's first event code
  std::map<HWND, Shown> shown;
  std::map<xcb_window_t, HWND> byWindow;
  // Windows whose X window another program destroyed: not shown again
  // before their close request has been handled.
  std::set<HWND> destroyedOutside;
  // Windows whose frame the window manager reported (Window::frame): back to
  // the runtime's own when the display goes.
  std::set<HWND> framed;
  uint64_t frames = 0;
  uint64_t seenActivity = ~uint64_t{0};
  bool dirty = true;
  HWND lastActive = 0;
  bool serverTimeKnown = false;
  xcb_timestamp_t lastServerTime = 0;
  int64_t lastClockTime = 0;
  bool broken = false;
  RasterImage none;
  std::deque<xcb_generic_event_t*> deferred;  // read while waiting, handled at the next pump
  xcb_window_t helper = 0;                    // owns the clipboard, receives its transfers
  bool clipboardOwned = false;
  bool primaryOwned = false;
  // Clipboard data handed to another program in pieces (INCR): the next
  // piece goes when the requestor deletes the property holding the last.
  struct Transfer {
    xcb_window_t requestor = 0;
    xcb_atom_t property = 0;
    xcb_atom_t type = 0;
    std::string data;
    std::size_t sent = 0;
    bool done = false;  // the empty closing piece went
    std::chrono::steady_clock::time_point last;
  };
  std::vector<Transfer> transfers;
  cairo_device_t* cairoDevice = nullptr;

  ~Impl() {
    for (auto& [hwnd, s] : shown) dropWindow(s);
    for (HWND h : framed) desktop().setFrame(h, std::nullopt);
    if (cairoDevice) {
      // cairo keeps per-connection state: it goes with the connection.
      cairo_device_finish(cairoDevice);
      cairo_device_destroy(cairoDevice);
    }
    for (xcb_generic_event_t* ev : deferred) std::free(ev);
    if (keyState) xkb_state_unref(keyState);
    if (keymap) xkb_keymap_unref(keymap);
    if (xkbContext) xkb_context_unref(xkbContext);
    if (conn) xcb_disconnect(conn);
  }

  xcb_atom_t atom(Atom a) const { return atoms[a]; }

  bool alive() {
    if (!broken && xcb_connection_has_error(conn)) {
      broken = true;
      for (auto& [hwnd, s] : shown) {
        if (s.surface) cairo_surface_destroy(std::exchange(s.surface, nullptr));
      }
      shown.clear();
      byWindow.clear();
    }
    return !broken;
  }

  void internAtoms() {
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (std::size_t i = 0; i < AtomCount; ++i)
      cookies[i] = xcb_intern_atom(conn, 0, static_cast<uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
    for (std::size_t i = 0; i < AtomCount; ++i) {
      XcbReply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(conn, cookies[i], nullptr));
      atoms[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
  }

  std::string rootProperty(xcb_atom_t property, xcb_atom_t type) {
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, screen->root, property, type, 0, 1 << 16), nullptr));
    if (!r || r->format == 0) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
  }

  void detectWindowManager() {
    const std::string check = rootProperty(atom(NET_SUPPORTING_WM_CHECK), XCB_ATOM_WINDOW);
    windowManager = check.size() >= 4;
    const std::string supported = rootProperty(atom(NET_SUPPORTED), XCB_ATOM_ATOM);
    for (std::size_t at = 0; at + 4 <= supported.size(); at += 4) {
      xcb_atom_t a = 0;
      std::memcpy(&a, supported.data() + at, 4);
      if (a == atom(NET_REQUEST_FRAME_EXTENTS)) extentsOnRequest = windowManager;
    }
  }

  void findVisual() {
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
        if (v.data->visual_id == screen->root_visual) visual = v.data;
  }

  void setupKeyboard() {
    xkbContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!xkbContext) return;
    if (!xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEvent, nullptr))
      return;
    keyboardDevice = xkb_x11_get_core_keyboard_device_id(conn);
    // A new keyboard or a changed map: the key map is loaded again.
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const uint16_t parts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
                           XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
                           XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(conn, static_cast<xcb_xkb_device_spec_t>(keyboardDevice), events, 0, events, parts, parts,
                          nullptr);
    loadKeymap();
  }

  void loadKeymap() {
    if (keyboardDevice < 0) return;
    xkb_keymap* map = xkb_x11_keymap_new_from_device(xkbContext, conn, keyboardDevice, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!map) return;
    xkb_state* state = xkb_x11_state_new_from_device(map, conn, keyboardDevice);
    if (!state) {
      xkb_keymap_unref(map);
      return;
    }
    if (keyState) xkb_state_unref(keyState);
    if (keymap) xkb_keymap_unref(keymap);
    keymap = map;
    keyState = state;
  }

  int device(int px) const { return std::max(1, static_cast<int>(std::lround(px * scale))); }
  int logical(int deviceCoord) const { return static_cast<int>(std::floor(deviceCoord / scale)); }

  // --- windows -----------------------------------------------------------

  void dropWindow(Shown& s) {
    if (s.surface) cairo_surface_destroy(std::exchange(s.surface, nullptr));
    if (s.id && !broken) xcb_destroy_window(conn, s.id);
    byWindow.erase(s.id);
    s.id = 0;
  }

  void setProperty(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint8_t format, uint32_t count,
                   const void* data) {
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, property, type, format, count, data);
  }

  void setTitle(Shown& s, const std::string& title) {
    s.title = title;
    setProperty(s.id, atom(NET_WM_NAME), atom(UTF8_STRING_), 8, static_cast<uint32_t>(title.size()), title.data());
    setProperty(s.id, XCB_ATOM_WM_NAME, atom(UTF8_STRING_), 8, static_cast<uint32_t>(title.size()), title.data());
  }

  // Only a window with a sizing frame (WS_THICKFRAME) can be resized.
  static bool sizable(uint32_t style) { return (style & WS_THICKFRAME) != 0; }

  void setSizeHints(const Shown& s, uint32_t style) {
    // WM_NORMAL_HINTS: flags, x, y, width, height, min w/h, max w/h, ...,
    // win_gravity last.
    std::array<uint32_t, 18> hints{};
    hints[0] = 1 | 2 | 4 | 8 | 512;  // USPosition, USSize, PPosition, PSize, PWinGravity
    const auto [x, y] = requestOrigin(s);
    hints[1] = static_cast<uint32_t>(x);
    hints[2] = static_cast<uint32_t>(y);
    hints[17] = 10;  // StaticGravity: the position is the client area's
    hints[3] = static_cast<uint32_t>(s.deviceW);
    hints[4] = static_cast<uint32_t>(s.deviceH);
    if (!sizable(style)) {
      hints[0] |= 16 | 32;  // PMinSize, PMaxSize: both the size it has
      hints[5] = hints[7] = hints[3];
      hints[6] = hints[8] = hints[4];
    }
    setProperty(s.id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, hints.size(), hints.data());
  }

  // _MOTIF_WM_HINTS: the functions and decorations the style's frame offers
  // (a fixed dialog frame: move and close, title and border only).
  void setFrameHints(const Shown& s, uint32_t style) {
    constexpr uint32_t kFunctions = 1, kDecorations = 2;
    constexpr uint32_t fResize = 2, fMove = 4, fMinimize = 8, fMaximize = 16, fClose = 32;
    constexpr uint32_t dBorder = 2, dResizeH = 4, dTitle = 8, dMenu = 16, dMinimize = 32, dMaximize = 64;
    uint32_t functions = fMove, decorations = dBorder;
    if ((style & WS_CAPTION) == WS_CAPTION) decorations |= dTitle;
    if (style & WS_SYSMENU) {
      functions |= fClose;
      decorations |= dMenu;
    }
    if (sizable(style)) {
      functions |= fResize;
      decorations |= dResizeH;
    }
    if (style & WS_MINIMIZEBOX) {
      functions |= fMinimize;
      decorations |= dMinimize;
    }
    if (style & WS_MAXIMIZEBOX) {
      functions |= fMaximize;
      decorations |= dMaximize;
    }
    const std::array<uint32_t, 5> hints{kFunctions | kDecorations, functions, decorations, 0, 0};
    setProperty(s.id, atom(MOTIF_WM_HINTS), atom(MOTIF_WM_HINTS), 32, hints.size(), hints.data());
  }

  // _NET_WM_ICON: width, height, then the pixels as ARGB (not premultiplied)
  // rows top to bottom; the window's own icon, else the program's.
  void setIcon(const Shown& s, const Picture& own) {
    const RasterImage& image = (own.isNone() ? programIcon() : own).image();
    constexpr int kLargest = 256;  // a larger image is no icon for a title bar
    if (image.empty() || image.width > kLargest || image.height > kLargest) return;
    std::vector<uint32_t> data;
    data.reserve(2 + image.pixels.size());
    data.push_back(static_cast<uint32_t>(image.width));
    data.push_back(static_cast<uint32_t>(image.height));
    for (uint32_t p : image.pixels) {
      const uint32_t a = p >> 24;
      auto channel = [a](uint32_t c) { return a == 0 ? 0u : std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
      data.push_back(a << 24 | channel((p >> 16) & 0xFF) << 16 | channel((p >> 8) & 0xFF) << 8 | channel(p & 0xFF));
    }
    setProperty(s.id, atom(NET_WM_ICON), XCB_ATOM_CARDINAL, 32, static_cast<uint32_t>(data.size()), data.data());
  }

  // The window a person must answer first: the newest modal window (0: none).
  HWND modalWindow() const { return desktop().modalWindow(); }

  // How a window stands to the others on the screen: transient for its
  // owner's window (a modal window whose owner is not on the screen, such as
  // the hidden application window, for the frontmost other window), above
  // the others when it or that window is topmost.
  Relation relationOf(HWND hwnd, const Window& w) const {
    Desktop& d = desktop();
    Relation r;
    r.modal = hwnd == modalWindow();
    HWND target = 0;
    if (auto it = shown.find(d.rootOf(w.owner)); w.owner && it != shown.end() && it->first != hwnd) {
      target = it->first;
    } else if (r.modal) {
      for (HWND h : d.zOrder())
        if (h != hwnd && shown.count(h)) {
          target = h;
          break;
        }
    }
    if (target) r.transientFor = shown.at(target).id;
    const Window* t = target ? d.find(target) : nullptr;
    r.above = w.topmost() || (t && t->topmost());
    return r;
  }

  // The desktop's one gate: an enabled window that no modal window blocks.
  bool takesInput(HWND hwnd) const { return desktop().takesInput(hwnd); }

  std::vector<xcb_atom_t> wmState(const Shown& s, const Window& w) const {
    std::vector<xcb_atom_t> state;
    if (s.relation.above) state.push_back(atom(NET_WM_STATE_ABOVE));
    if (s.relation.modal) state.push_back(atom(NET_WM_STATE_MODAL));
    if (sizeState(w) == 2) {
      state.push_back(atom(NET_WM_STATE_MAXIMIZED_VERT));
      state.push_back(atom(NET_WM_STATE_MAXIMIZED_HORZ));
    }
    // No taskbar entry: a window owned by another one of the program (not
    // the hidden application window) unless it asks for one, and a window
    // that asks for none.
    if ((w.owner != 0 && w.owner != desktop().applicationWindow() && !(w.exStyle & WS_EX_APPWINDOW)) ||
        (w.exStyle & WS_EX_TOOLWINDOW))
      state.push_back(atom(NET_WM_STATE_SKIP_TASKBAR));
    return state;
  }

  void applyHints(HWND hwnd, Shown& s, const Window& w) {
    s.relation = relationOf(hwnd, w);
    const xcb_window_t transient = s.relation.transientFor;
    if (transient)
      setProperty(s.id, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &transient);
    else
      xcb_delete_property(conn, s.id, XCB_ATOM_WM_TRANSIENT_FOR);
    const bool dialog = transient || (w.exStyle & WS_EX_DLGMODALFRAME);
    const xcb_atom_t type = atom(dialog ? NET_WM_WINDOW_TYPE_DIALOG : NET_WM_WINDOW_TYPE_NORMAL);
    setProperty(s.id, atom(NET_WM_WINDOW_TYPE), XCB_ATOM_ATOM, 32, 1, &type);
    if (!s.framed || w.style != s.style) {
      setFrameHints(s, w.style);
      s.framed = true;
    }
    const auto state = wmState(s, w);
    if (!s.mapRequested || !windowManager) {
      setProperty(s.id, atom(NET_WM_STATE), XCB_ATOM_ATOM, 32, static_cast<uint32_t>(state.size()), state.data());
    } else {
      // A managed window: ask the window manager for each state.
      for (Atom a : {NET_WM_STATE_ABOVE, NET_WM_STATE_MODAL, NET_WM_STATE_SKIP_TASKBAR}) {
        const bool on = std::find(state.begin(), state.end(), atom(a)) != state.end();
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = s.id;
        ev.type = atom(NET_WM_STATE);
        ev.data.data32[0] = on ? 1 : 0;
        ev.data.data32[1] = atom(a);
        ev.data.data32[3] = 1;
        xcb_send_event(conn, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
      }
    }
    s.style = w.style;
    s.exStyle = w.exStyle;
  }

  int maxClient() const { return static_cast<int>(kMaxDevice / scale); }

  // Where a window with the outer rect `r` and the frame `e` can stand: its
  // place within reach, its client area at least a pixel and at most what a
  // screen shows (96 dpi).
  WindowRect placement(const WindowRect& r, const FrameInsets& e) const {
    const int cx = std::clamp(r.cx - e.left - e.right, 1, maxClient());
    const int cy = std::clamp(r.cy - e.top - e.bottom, 1, maxClient());
    return {std::clamp(r.x, -kMaxPlace, kMaxPlace), std::clamp(r.y, -kMaxPlace, kMaxPlace), cx + e.left + e.right,
            cy + e.top + e.bottom};
  }

  static int16_t sizeState(const Window& w) {
    return (w.style & WS_MINIMIZE) ? 1 : (w.style & WS_MAXIMIZE) ? 2 : 0;
  }

  // The state the form is told: the one asked for until the window manager
  // reports on it.
  static int16_t reportedState(const Shown& s) { return s.requestedState.value_or(s.state); }

  // The X11 window's place in device pixels: the client area's, inside the
  // frame (StaticGravity: the window manager puts the client area there and
  // its frame around it).
  std::pair<int, int> requestOrigin(const Shown& s) const {
    return {static_cast<int>(std::lround((s.placed.x + s.extents.left) * scale)),
            static_cast<int>(std::lround((s.placed.y + s.extents.top) * scale))};
  }

  void setClientSize(Shown& s) {
    const int w = s.placed.cx - s.extents.left - s.extents.right, h = s.placed.cy - s.extents.top - s.extents.bottom;
    if (w == s.clientW && h == s.clientH) return;
    s.clientW = w;
    s.clientH = h;
    s.deviceW = device(w);
    s.deviceH = device(h);
    if (s.surface) cairo_xcb_surface_set_size(s.surface, s.deviceW, s.deviceH);
    dirty = true;
  }

  void create(HWND hwnd, Shown& s, const Window& w) {
    s.id = xcb_generate_id(conn);
    s.rect = w.rect;
    s.extents = w.frameInsets();
    s.placed = placement(w.rect, s.extents);
    setClientSize(s);
    const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
    const std::array<uint32_t, 2> values{
        0xF0F0F0, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                      XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                      XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE |
                      XCB_EVENT_MASK_PROPERTY_CHANGE};
    const auto [x, y] = requestOrigin(s);
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, s.id, screen->root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(s.deviceW), static_cast<uint16_t>(s.deviceH), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values.data());
    byWindow[s.id] = hwnd;
    const xcb_atom_t protocols = atom(WM_DELETE_WINDOW_);
    setProperty(s.id, atom(WM_PROTOCOLS_), XCB_ATOM_ATOM, 32, 1, &protocols);
    static constexpr char wmClass[] = "sorvanelix\0Sorvanelix";
    setProperty(s.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    // InputHint: takes the focus; StateHint: starts minimised when it is.
    const int16_t state = s.seenState = sizeState(w);
    const std::array<uint32_t, 9> wmHints{1 | 2, 1, state == 1 ? 3u : 1u, 0, 0, 0, 0, 0, 0};
    setProperty(s.id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, wmHints.size(), wmHints.data());
    const uint32_t pid = static_cast<uint32_t>(getpid());
    setProperty(s.id, atom(NET_WM_PID), XCB_ATOM_CARDINAL, 32, 1, &pid);
    if (!hostName.empty())
      setProperty(s.id, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8, static_cast<uint32_t>(hostName.size()),
                  hostName.data());
    setSizeHints(s, w.style);
    setTitle(s, w.caption);
    applyHints(hwnd, s, w);
    RenderItem item;
    setIcon(s, picture(w, item) ? item.icon : Picture());
    s.surface = cairo_xcb_surface_create(conn, s.id, visual, s.deviceW, s.deviceH);
    if (!cairoDevice) cairoDevice = cairo_device_reference(cairo_surface_get_device(s.surface));
    if (extentsOnRequest) askFrameExtents(hwnd, s, w.style);
    s.focusWanted = true;
    if (windowManager && state != 0) s.requestedState = state;
    s.confirmed = asked(s);
    xcb_map_window(conn, s.id);
    s.mapRequested = true;
    dirty = true;
  }

  // Asks the window manager for the frame it will draw, before the window
  // is mapped, so that it is placed and sized with it from the start.
  void askFrameExtents(HWND hwnd, Shown& s, uint32_t style) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = s.id;
    ev.type = atom(NET_REQUEST_FRAME_EXTENTS);
    xcb_send_event(conn, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(conn);
    const xcb_window_t id = s.id;
    xcb_generic_event_t* answer = awaitEvent(
        [&](xcb_generic_event_t* e) {
          const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
          return (e->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && p->window == id &&
                 p->atom == atom(NET_FRAME_EXTENTS);
        },
        kExtentsWaitMs);
    if (!answer) return;
    std::free(answer);
    followExtents(hwnd, s);
    setSizeHints(s, style);
    s.sizeNotice = false;  // nothing shown yet: the form hears of it when the window is placed
  }

  // The frame extents the window manager reports (_NET_FRAME_EXTENTS), in
  // 96-dpi pixels; nothing when it reports none.
  std::optional<FrameInsets> frameExtents(xcb_window_t id) {
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, id, atom(NET_FRAME_EXTENTS), XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 16) return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    auto px = [this](uint32_t d) { return static_cast<int32_t>(std::lround(std::min<uint32_t>(d, 1000) / scale)); };
    return FrameInsets{px(v[0]), px(v[2]), px(v[1]), px(v[3])};  // left, right, top, bottom
  }

  // The frame the window manager reports. The first report keeps the outer
  // rect the form gave: the client area takes what the frame leaves, and
  // the window is placed anew. A later one (a maximised window's frame
  // without borders) keeps the client area where the manager put it, and
  // the form follows the outer rect around it.
  void followExtents(HWND hwnd, Shown& s) {
    const std::optional<FrameInsets> e = frameExtents(s.id);
    if (!e) return;
    const bool first = !std::exchange(s.extentsReported, true);
    if (*e == s.extents) return;
    s.extents = *e;
    desktop().setFrame(hwnd, *e);
    framed.insert(hwnd);
    s.sizeNotice = true;
    if (first) {
      s.placed = placement(s.placed, s.extents);
      setClientSize(s);
      if (const Window* w = desktop().find(hwnd); w && !sizable(w->style)) setSizeHints(s, w->style);
      configure(s, true);
      return;
    }
    s.placed.cx = s.clientW + e->left + e->right;
    s.placed.cy = s.clientH + e->top + e->bottom;
    if (s.clientOrigin) {
      const int x = s.clientOrigin->first - e->left, y = s.clientOrigin->second - e->top;
      if (x != s.placed.x || y != s.placed.y) {
        s.placed.x = x;
        s.placed.y = y;
        s.moveNotice = true;
      }
    }
  }

  // Asks for the window's place (unless only the size changed) and size.
  void configure(Shown& s, bool move) {
    const auto [x, y] = requestOrigin(s);
    const std::array<uint32_t, 4> values{static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                         static_cast<uint32_t>(s.deviceW), static_cast<uint32_t>(s.deviceH)};
    const uint16_t fields = XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    if (move)
      xcb_configure_window(conn, s.id, fields | XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values.data());
    else
      xcb_configure_window(conn, s.id, fields, values.data() + 2);
    constexpr std::size_t kMostAsked = 16;
    if (s.asked.size() == kMostAsked) s.asked.pop_front();
    s.asked.push_back(asked(s));
  }

  void update(HWND hwnd, Shown& s, const Window& w) {
    if (w.caption != s.title) setTitle(s, w.caption);
    if (w.style != s.style || w.exStyle != s.exStyle || !(relationOf(hwnd, w) == s.relation)) applyHints(hwnd, s, w);
    if (s.following) return;
    // Only a change of the form's state asks for one.
    if (const int16_t want = sizeState(w); want != s.seenState) {
      s.seenState = want;
      if (windowManager && s.mapRequested && want != reportedState(s)) requestState(s, want);
    }
    // Only a change of the desktop's rect asks something of the window
    // manager, and one that follows what it reported asks nothing.
    if (w.rect == s.rect) return;
    s.rect = w.rect;
    const WindowRect want = placement(w.rect, s.extents);
    if (want == s.placed) return;
    const bool sized = want.cx != s.placed.cx || want.cy != s.placed.cy;
    s.placed = want;
    setClientSize(s);
    // A fixed frame keeps the size the program gives it.
    if (sized && !sizable(w.style)) setSizeHints(s, w.style);
    configure(s, true);
  }

  // Asks the window manager for a size state: minimised (WM_CHANGE_STATE),
  // shown again (mapped), maximised or not (_NET_WM_STATE).
  void requestState(Shown& s, int16_t want) {
    auto send = [&](xcb_atom_t type, uint32_t a, uint32_t b, uint32_t c) {
      xcb_client_message_event_t ev{};
      ev.response_type = XCB_CLIENT_MESSAGE;
      ev.format = 32;
      ev.window = s.id;
      ev.type = type;
      ev.data.data32[0] = a;
      ev.data.data32[1] = b;
      ev.data.data32[2] = c;
      ev.data.data32[3] = 1;
      xcb_send_event(conn, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                     reinterpret_cast<const char*>(&ev));
    };
    if (want == 1) {
      send(atom(WM_CHANGE_STATE_), 3, 0, 0);  // IconicState
    } else {
      if (s.state == 1) xcb_map_window(conn, s.id);
      send(atom(NET_WM_STATE), want == 2 ? 1 : 0, atom(NET_WM_STATE_MAXIMIZED_VERT), atom(NET_WM_STATE_MAXIMIZED_HORZ));
    }
    s.requestedState = want;
  }

  // The size state the window manager gives the window (WM_STATE,
  // _NET_WM_STATE); nothing while it is withdrawn.
  std::optional<int16_t> managedState(xcb_window_t id) {
    auto cookie = xcb_get_property(conn, 0, id, atom(WM_STATE_), atom(WM_STATE_), 0, 2);
    auto netCookie = xcb_get_property(conn, 0, id, atom(NET_WM_STATE), XCB_ATOM_ATOM, 0, 64);
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(conn, cookie, nullptr));
    XcbReply<xcb_get_property_reply_t> net(xcb_get_property_reply(conn, netCookie, nullptr));
    uint32_t wmState = 0;
    if (r && r->format == 32 && xcb_get_property_value_length(r.get()) >= 4)
      wmState = *static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    bool hidden = false, vertical = false, horizontal = false;
    if (net && net->format == 32) {
      const auto* a = static_cast<const xcb_atom_t*>(xcb_get_property_value(net.get()));
      for (int i = 0, n = xcb_get_property_value_length(net.get()) / 4; i < n; ++i) {
        hidden = hidden || a[i] == atom(NET_WM_STATE_HIDDEN);
        vertical = vertical || a[i] == atom(NET_WM_STATE_MAXIMIZED_VERT);
        horizontal = horizontal || a[i] == atom(NET_WM_STATE_MAXIMIZED_HORZ);
      }
    }
    if (wmState == 3 || (wmState == 1 && hidden)) return 1;  // IconicState
    if (wmState != 1) return std::nullopt;                    // withdrawn, or not managed yet
    return vertical && horizontal ? 2 : 0;
  }

  // The window manager changed the window's state (or answered a request):
  // the form hears of it.
  void followState(Shown& s) {
    const std::optional<int16_t> st = managedState(s.id);
    if (!st) return;
    if (s.requestedState) {
      if (*st == s.state && *st != *s.requestedState) return;  // not answered yet
      if (*st == *s.requestedState) {
        s.state = *st;
        s.requestedState.reset();
        return;  // as asked: the form is in that state already
      }
      s.requestedState.reset();
    }
    if (*st == s.state) return;
    s.state = *st;
    s.sizeNotice = true;
  }

  // The window manager (or, without one, the server) reports the window's
  // size and, in a synthetic event once it manages the window, where its
  // client area stands on the screen. What the program asked for is no
  // news, even when it comes late; anything else the form follows.
  void followConfigure(Shown& s, const xcb_configure_notify_event_t& e, bool synthetic) {
    if (e.width != s.deviceW || e.height != s.deviceH) {
      s.deviceW = e.width;
      s.deviceH = e.height;
      if (s.surface) cairo_xcb_surface_set_size(s.surface, s.deviceW, s.deviceH);
      dirty = true;
    }
    const bool placed = synthetic && windowManager && s.managed;
    if (placed) s.clientOrigin = std::pair<int, int>{logical(e.x), logical(e.y)};
    WindowRect r = asked(s);
    r.cx = std::max(1, logical(e.width));
    r.cy = std::max(1, logical(e.height));
    if (placed) {
      r.x = s.clientOrigin->first;
      r.y = s.clientOrigin->second;
    }
    followReport(s, r, placed);
  }

  // What a configure request asks: the client area's place and size.
  static WindowRect asked(const Shown& s) {
    return {s.placed.x + s.extents.left, s.placed.y + s.extents.top, s.clientW, s.clientH};
  }

  // A report of the client area's place (when `placed`) and size.
  void followReport(Shown& s, const WindowRect& r, bool placed) {
    auto sameSize = [&](const WindowRect& a) { return a.cx == r.cx && a.cy == r.cy; };
    auto samePlace = [&](const WindowRect& a) { return !placed || (a.x == r.x && a.y == r.y); };
    auto same = [&](const WindowRect& a) { return sameSize(a) && samePlace(a); };
    if (auto it = std::find_if(s.asked.rbegin(), s.asked.rend(), same); it != s.asked.rend()) {
      // An answer to a request: it and those before it are settled.
      s.confirmed = *it;
      s.asked.erase(s.asked.begin(), it.base());
      if (s.asked.empty()) s.settling.reset();
      return;
    }
    if (s.settling && std::chrono::steady_clock::now() < *s.settling) return;
    s.settling.reset();
    const bool knownSize = sameSize(s.confirmed) || std::any_of(s.asked.begin(), s.asked.end(), sameSize);
    const bool knownPlace = samePlace(s.confirmed) || std::any_of(s.asked.begin(), s.asked.end(), samePlace);
    if (knownSize && knownPlace) return;
    // The window manager's own move or size: the form follows it, and what
    // was asked before is past.
    s.asked.clear();
    if (!knownSize) {
      s.placed.cx = r.cx + s.extents.left + s.extents.right;
      s.placed.cy = r.cy + s.extents.top + s.extents.bottom;
      setClientSize(s);
      s.sizeNotice = true;
    }
    if (!knownPlace) {
      s.placed.x = r.x - s.extents.left;
      s.placed.y = r.y - s.extents.top;
      s.moveNotice = true;
    }
    s.confirmed = asked(s);
  }

  // The window is on the screen for the first time: the frame, place and
  // state it has there, whatever was reported before.
  void followManaged(HWND hwnd, Shown& s) {
    if (!windowManager) return;
    followExtents(hwnd, s);
    XcbReply<xcb_translate_coordinates_reply_t> r(
        xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, s.id, screen->root, 0, 0), nullptr));
    if (r) {
      s.clientOrigin = std::pair<int, int>{logical(r->dst_x), logical(r->dst_y)};
      const WindowRect at = asked(s);
      if (s.clientOrigin != std::pair<int, int>{at.x, at.y}) configure(s, true);
    }
    if (!s.asked.empty()) s.settling = std::chrono::steady_clock::now() + kSettleTime;
    followState(s);
  }

  // Posts what the window manager did to each window since the last time:
  // its move first, so that Resize finds Left and Top in place.
  bool postNotices() {
    bool posted = false;
    for (auto& [hwnd, s] : shown) {
      s.following = s.moveNotice || s.sizeNotice;
      if (s.moveNotice) {
        s.moveNotice = false;
        post(hwnd, WM_MOVE, 0, packPoint(s.placed.x + s.extents.left, s.placed.y + s.extents.top));
        posted = true;
      }
      if (s.sizeNotice) {
        s.sizeNotice = false;
        const int16_t st = reportedState(s);
        post(hwnd, WM_SIZE, st == 1 ? SIZE_MINIMIZED : st == 2 ? SIZE_MAXIMIZED : SIZE_RESTORED,
             packPoint(s.clientW, s.clientH));
        posted = true;
      }
    }
    return posted;
  }

  // Whether the desktop window is one to show: top-level, of this thread,
  // visible, and drawing itself.
  bool drawsItself(const Window& w) const {
    RenderItem probe;
    return picture(w, probe);
  }

  // The window's picture, its client area bounded by what a screen shows; a
  // window that fails to give one keeps what it showed.
  bool picture(const Window& w, RenderItem& item) const {
    if (!w.handler) return false;
    try {
      if (w.handler(w.handle, WM_PRINTCLIENT, 0, reinterpret_cast<LPARAM>(&item)) != 1) return false;
    } catch (const RuntimeError&) {
      return false;
    }
    const double most = static_cast<double>(maxClient()) * 15;
    item.rect.width = std::clamp(item.rect.width, 0.0, most);
    item.rect.height = std::clamp(item.rect.height, 0.0, most);
    return true;
  }

  void sync() {
    Desktop& d = desktop();
    std::set<HWND> wanted;
    const std::vector<HWND> order = d.zOrder();
    const DWORD thread = GetCurrentThreadId();
    for (HWND h : order) {
      const Window* w = d.find(h);
      if (!w || !w->visible() || w->isChild() || w->threadId != thread || h == d.applicationWindow()) continue;
      if (destroyedOutside.count(h)) continue;
      if (!shown.count(h) && !drawsItself(*w)) continue;
      wanted.insert(h);
    }
    for (auto it = shown.begin(); it != shown.end();) {
      if (wanted.count(it->first)) {
        ++it;
        continue;
      }
      dropWindow(it->second);
      it = shown.erase(it);
    }
    // Back to front, so that owners exist before the windows they own.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (!wanted.count(*it)) continue;
      const Window* w = d.find(*it);
      auto [entry, added] = shown.try_emplace(*it);
      if (added)
        create(*it, entry->second, *w);
      else
        update(*it, entry->second, *w);
    }
    destroyedOutside.clear();
    // The foreground request of the desktop: the active window takes the focus.
    if (d.active != lastActive) {
      lastActive = d.active;
      if (auto it = shown.find(d.rootOf(d.active)); it != shown.end()) it->second.focusWanted = true;
    }
    for (auto& [hwnd, s] : shown)
      if (s.focusWanted && s.viewable) focus(s);
  }

  void focus(Shown& s) {
    s.focusWanted = false;
    if (windowManager) {
      xcb_client_message_event_t ev{};
      ev.response_type = XCB_CLIENT_MESSAGE;
      ev.format = 32;
      ev.window = s.id;
      ev.type = atom(NET_ACTIVE_WINDOW);
      ev.data.data32[0] = 1;  // from an application
      ev.data.data32[1] = XCB_CURRENT_TIME;
      xcb_send_event(conn, 0, screen->root,
                     XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                     reinterpret_cast<const char*>(&ev));
      return;
    }
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn, s.id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(conn, XCB_INPUT_FOCUS_POINTER_ROOT, s.id, XCB_CURRENT_TIME);
  }

  // --- pixels ------------------------------------------------------------

  void paintAll(bool rerender) {
    Desktop& d = desktop();
    for (auto& [hwnd, s] : shown) {
      if (rerender) {
        const Window* w = d.find(hwnd);
        RenderItem item;
        if (!w || !picture(*w, item)) continue;
        RasterImage picture = renderClientArea(item, scale);
        if (picture != s.frame) {
          s.frame = std::move(picture);
          s.exposed = true;
        }
      }
      if (s.exposed && s.viewable && s.surface && !s.frame.empty()) {
        s.exposed = false;
        put(s);
      }
    }
  }

  void put(Shown& s) {
    RasterImage& f = s.frame;
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(f.pixels.data()), CAIRO_FORMAT_ARGB32, f.width, f.height,
        f.width * 4);
    cairo_t* cr = cairo_create(s.surface);
    cairo_set_source_rgb(cr, 0xF0 / 255.0, 0xF0 / 255.0, 0xF0 / 255.0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(image);
    cairo_surface_flush(s.surface);
    ++frames;
  }

  // --- input -------------------------------------------------------------

  HWND target(xcb_window_t w) const {
    auto it = byWindow.find(w);
    return it == byWindow.end() ? 0 : it->second;
  }

  static void post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int64_t time = -1) {
    messageLoop().post(hwnd, msg, wParam, lParam, time);
  }

  // An event's X server time on the clock's scale: the server counts
  // milliseconds in 32 bits (wrapping), from an origin of its own.
  int64_t clockTime(xcb_timestamp_t t) {
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

  bool key(const xcb_key_press_event_t& e, bool press) {
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

  bool event(xcb_generic_event_t* ev) {
    const uint8_t type = ev->response_type & 0x7F;
    if (xkbEvent && type == xkbEvent) {
      const uint8_t xkbType = reinterpret_cast<const uint8_t*>(ev)[1];
      if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) loadKeymap();
      return false;
    }
    switch (type) {
      case XCB_EXPOSE: {
        auto* e = reinterpret_cast<xcb_expose_event_t*>(ev);
        if (auto it = shown.find(target(e->window)); it != shown.end()) it->second.exposed = true;
        return false;
      }
      case XCB_MAP_NOTIFY: {
        auto* e = reinterpret_cast<xcb_map_notify_event_t*>(ev);
        const HWND hwnd = target(e->window);
        if (auto it = shown.find(hwnd); it != shown.end()) {
          Shown& s = it->second;
          s.viewable = true;
          s.exposed = true;
          dirty = true;
          if (!std::exchange(s.managed, true)) followManaged(hwnd, s);
        }
        return false;
      }
      case XCB_DESTROY_NOTIFY: {
        // A window this display destroys has left `byWindow` already: this
        // one went from outside (xdotool windowclose, xkill's kin). It closes
        // as by its close box; one that stays open is shown anew.
        auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(ev);
        const HWND hwnd = target(e->window);
        if (!hwnd) return false;
        byWindow.erase(e->window);
        if (auto it = shown.find(hwnd); it != shown.end()) {
          if (it->second.surface) cairo_surface_destroy(it->second.surface);
          shown.erase(it);
        }
        if (!takesInput(hwnd)) return false;
        destroyedOutside.insert(hwnd);
        post(hwnd, WM_CLOSE, 0, 0);
        return true;
      }
      case XCB_UNMAP_NOTIFY: {
        auto* e = reinterpret_cast<xcb_unmap_notify_event_t*>(ev);
        if (auto it = shown.find(target(e->window)); it != shown.end()) it->second.viewable = false;
        return false;
      }
      case XCB_CONFIGURE_NOTIFY: {
        auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
        auto it = shown.find(target(e->window));
        if (it == shown.end()) return false;
        followConfigure(it->second, *e, (ev->response_type & 0x80) != 0);
        return false;
      }
      case XCB_BUTTON_PRESS:
      case XCB_BUTTON_RELEASE: {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(ev);
        const HWND hwnd = target(e->event);
        if ((e->detail == 4 || e->detail == 5) && hwnd && takesInput(hwnd)) {
          // The wheel: a press per notch (4 away from the person, 5 towards).
          if (type != XCB_BUTTON_PRESS) return false;
          post(hwnd, WM_MOUSEWHEEL, packWheel(e->detail == 4 ? 1 : -1, shiftState(e->state)),
               packPoint(logical(e->event_x), logical(e->event_y)));
          return true;
        }
        const int16_t button = runtimeButton(e->detail);
        if (!hwnd || !button || !takesInput(hwnd)) return false;
        const bool press = type == XCB_BUTTON_PRESS;
        const UINT msg = button == 1 ? (press ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                         : button == 2 ? (press ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                                       : (press ? WM_MBUTTONDOWN : WM_MBUTTONUP);
        if (press) {
          if (auto it = shown.find(hwnd); it != shown.end() && !windowManager) focus(it->second);
        }
        post(hwnd, msg, packButtons(button, shiftState(e->state)), packPoint(logical(e->event_x), logical(e->event_y)),
             clockTime(e->time));
        return true;
      }
      case XCB_MOTION_NOTIFY: {
        auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(ev);
        const HWND hwnd = target(e->event);
        if (!hwnd || !takesInput(hwnd)) return false;
        post(hwnd, WM_MOUSEMOVE, packButtons(buttonsHeld(e->state), shiftState(e->state)),
             packPoint(logical(e->event_x), logical(e->event_y)));
        return true;
      }
      case XCB_KEY_PRESS:
      case XCB_KEY_RELEASE:
        return key(*reinterpret_cast<xcb_key_press_event_t*>(ev), type == XCB_KEY_PRESS);
      case XCB_FOCUS_IN: {
        auto* e = reinterpret_cast<xcb_focus_in_event_t*>(ev);
        const HWND hwnd = target(e->event);
        if (!hwnd || e->mode != XCB_NOTIFY_MODE_NORMAL) return false;
        if (takesInput(hwnd)) {
          if (desktop().active != hwnd) {
            desktop().userActivates(hwnd);
            lastActive = desktop().active;
          }
        } else if (auto it = shown.find(desktop().rootOf(desktop().active));
                   it != shown.end() && it->first != hwnd) {
          // A window that a modal one blocks passes the keyboard on to the
          // active window (the modal one), as activating it would.
          it->second.focusWanted = true;
          if (it->second.viewable) focus(it->second);
        }
        return false;
      }
      case XCB_CLIENT_MESSAGE: {
        auto* e = reinterpret_cast<xcb_client_message_event_t*>(ev);
        const HWND hwnd = target(e->window);
        if (hwnd && e->type == atom(WM_PROTOCOLS_) && e->data.data32[0] == atom(WM_DELETE_WINDOW_) &&
            takesInput(hwnd)) {
          post(hwnd, WM_CLOSE, 0, 0);
          return true;
        }
        return false;
      }
      case XCB_MAPPING_NOTIFY:
        loadKeymap();
        return false;
      case XCB_SELECTION_REQUEST:
        serveSelection(*reinterpret_cast<xcb_selection_request_event_t*>(ev));
        return false;
      case XCB_PROPERTY_NOTIFY: {
        auto* e = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        const HWND hwnd = target(e->window);
        auto it = shown.find(hwnd);
        if (it == shown.end()) {
          continueTransfer(*e);
        } else if (e->atom == atom(NET_FRAME_EXTENTS)) {
          followExtents(hwnd, it->second);
        } else if (e->atom == atom(WM_STATE_) || e->atom == atom(NET_WM_STATE)) {
          followState(it->second);
        }
        return false;
      }
      case XCB_SELECTION_CLEAR: {
        const xcb_atom_t selection = reinterpret_cast<xcb_selection_clear_event_t*>(ev)->selection;
        if (selection == atom(CLIPBOARD)) clipboardOwned = false;
        if (selection == XCB_ATOM_PRIMARY) primaryOwned = false;
        return false;
      }
      default:
        return false;
    }
  }

  // --- clipboard ---------------------------------------------------------

  void createHelper() {
    helper = xcb_generate_id(conn);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, helper, screen->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
  }

  // Takes `selection` for this process: the helper answers its requests.
  void own(xcb_atom_t selection, bool& owned) {
    if (!alive()) return;
    xcb_set_selection_owner(conn, helper, selection, XCB_CURRENT_TIME);
    owned = true;
    xcb_flush(conn);
  }

  bool foreignOwner(xcb_atom_t selection) {
    if (!alive()) return false;
    XcbReply<xcb_get_selection_owner_reply_t> r(
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr));
    return r && r->owner != XCB_NONE && r->owner != helper;
  }

  bool isText(xcb_atom_t target) const {
    return target == atom(UTF8_STRING_) || target == atom(TEXT_) || target == XCB_ATOM_STRING;
  }

  // What this process offers in `selection` as `target`.
  std::optional<std::string> heldAs(xcb_atom_t selection, xcb_atom_t target) const {
    if (selection == XCB_ATOM_PRIMARY) {
      if (!isText(target)) return std::nullopt;
      return toXText(clipboard().heldPrimary());
    }
    if (isText(target)) {
      auto t = clipboard().heldText();
      if (!t) return std::nullopt;
      return toXText(*t);
    }
    if (target == atom(IMAGE_PNG)) {
      auto p = clipboard().heldPicture();
      if (!p || p->isNone()) return std::nullopt;
      const std::vector<uint8_t> png = encodePng(p->image());
      return std::string(png.begin(), png.end());
    }
    return std::nullopt;
  }

  void serveSelection(const xcb_selection_request_event_t& e) {
    xcb_selection_notify_event_t reply{};
    reply.response_type = XCB_SELECTION_NOTIFY;
    reply.time = e.time;
    reply.requestor = e.requestor;
    reply.selection = e.selection;
    reply.target = e.target;
    reply.property = XCB_NONE;
    const xcb_atom_t property = e.property == XCB_NONE ? e.target : e.property;
    const uint32_t limit = xcb_get_maximum_request_length(conn) * 4 - 64;
    const bool primary = e.selection == XCB_ATOM_PRIMARY && primaryOwned;
    if ((e.selection == atom(CLIPBOARD) && clipboardOwned) || primary) {
      if (e.target == atom(TARGETS)) {
        std::vector<xcb_atom_t> targets{atom(TARGETS)};
        if (primary || clipboard().heldText()) {
          targets.push_back(atom(UTF8_STRING_));
          targets.push_back(XCB_ATOM_STRING);
        }
        if (auto p = clipboard().heldPicture(); !primary && p && !p->isNone()) targets.push_back(atom(IMAGE_PNG));
        setProperty(e.requestor, property, XCB_ATOM_ATOM, 32, static_cast<uint32_t>(targets.size()), targets.data());
        reply.property = property;
      } else if (auto data = heldAs(e.selection, e.target)) {
        const xcb_atom_t type = e.target == atom(TEXT_) ? atom(UTF8_STRING_) : e.target;
        if (data->size() < std::min<std::size_t>(limit, kPiece)) {
          setProperty(e.requestor, property, type, 8, static_cast<uint32_t>(data->size()), data->data());
        } else {
          startTransfer(e.requestor, property, type, std::move(*data));
        }
        reply.property = property;
      }
    }
    xcb_send_event(conn, 0, e.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&reply));
    xcb_flush(conn);
  }

  // The largest piece of an incremental transfer, and how long a requestor
  // may leave a piece unread before the transfer is given up.
  static constexpr std::size_t kPiece = std::size_t{1} << 18;
  static constexpr auto kTransferTimeout = std::chrono::seconds(10);
  static constexpr std::size_t kMostTransfers = 16;

  void watchRequestor(xcb_window_t w, bool on) {
    const uint32_t mask = on ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(conn, w, XCB_CW_EVENT_MASK, &mask);
  }

  // Drops transfers that ended or stalled; stops watching their windows.
  void pruneTransfers() {
    const auto now = std::chrono::steady_clock::now();
    std::set<xcb_window_t> dropped;
    std::erase_if(transfers, [&](const Transfer& t) {
      const bool gone = t.done || now - t.last > kTransferTimeout;
      if (gone) dropped.insert(t.requestor);
      return gone;
    });
    for (const Transfer& t : transfers) dropped.erase(t.requestor);
    for (xcb_window_t w : dropped) watchRequestor(w, false);
  }

  // Announces data too large for one request: an INCR property holding its
  // size; the pieces follow as the requestor deletes the property.
  void startTransfer(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::string data) {
    pruneTransfers();
    if (transfers.size() >= kMostTransfers) {
      watchRequestor(transfers.front().requestor, false);
      transfers.erase(transfers.begin());
    }
    watchRequestor(requestor, true);
    const auto size = static_cast<uint32_t>(std::min<std::size_t>(data.size(), UINT32_MAX));
    setProperty(requestor, property, atom(INCR), 32, 1, &size);
    transfers.push_back({requestor, property, type, std::move(data), 0, false, std::chrono::steady_clock::now()});
  }

  // The requestor took a piece: the next one (an empty one at the end).
  bool continueTransfer(const xcb_property_notify_event_t& e) {
    if (e.state != XCB_PROPERTY_DELETE) return false;
    auto it = std::find_if(transfers.begin(), transfers.end(), [&](const Transfer& t) {
      return !t.done && t.requestor == e.window && t.property == e.atom;
    });
    if (it == transfers.end()) return false;
    const std::size_t n = std::min(kPiece, it->data.size() - it->sent);
    setProperty(it->requestor, it->property, it->type, 8, static_cast<uint32_t>(n), it->data.data() + it->sent);
    it->sent += n;
    it->last = std::chrono::steady_clock::now();
    if (n == 0) it->done = true;
    pruneTransfers();
    xcb_flush(conn);
    return true;
  }

  // The next event that `wanted` takes, within `ms` of real time; the
  // clipboard's requests are served meanwhile, other events wait for the
  // next pump.
  xcb_generic_event_t* awaitEvent(const std::function<bool(xcb_generic_event_t*)>& wanted, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      while (xcb_generic_event_t* ev = xcb_poll_for_event(conn)) {
        const uint8_t t = ev->response_type & 0x7F;
        if (wanted(ev)) return ev;
        if (t == XCB_SELECTION_REQUEST) {
          serveSelection(*reinterpret_cast<xcb_selection_request_event_t*>(ev));
          std::free(ev);
          continue;
        }
        if (t == XCB_PROPERTY_NOTIFY && continueTransfer(*reinterpret_cast<xcb_property_notify_event_t*>(ev))) {
          std::free(ev);
          continue;
        }
        deferred.push_back(ev);
      }
      if (!alive()) return nullptr;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
      if (left <= 0) return nullptr;
      pollfd fd{xcb_get_file_descriptor(conn), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(std::min<int64_t>(left, 50)));
    }
  }

  // The next event of `type` for the helper window, within `ms`.
  xcb_generic_event_t* awaitHelperEvent(uint8_t type, int ms) {
    return awaitEvent(
        [&](xcb_generic_event_t* ev) {
          if ((ev->response_type & 0x7F) != type) return false;
          if (type == XCB_SELECTION_NOTIFY)
            return reinterpret_cast<xcb_selection_notify_event_t*>(ev)->requestor == helper;
          const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
          return type == XCB_PROPERTY_NOTIFY && p->window == helper && p->atom == atom(SVX_CLIPBOARD) &&
                 p->state == XCB_PROPERTY_NEW_VALUE;
        },
        ms);
  }

  // The transfer property, deleted as it is read; "INCR" for a transfer in
  // pieces.
  std::optional<std::string> takeProperty(bool& incremental) {
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn, xcb_get_property(conn, 1, helper, atom(SVX_CLIPBOARD), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
        nullptr));
    incremental = false;
    if (!r || r->type == XCB_NONE) return std::nullopt;
    if (r->type == atom(INCR)) {
      incremental = true;
      return std::string();
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
  }

  std::optional<std::string> fetch(xcb_atom_t selection, xcb_atom_t target) {
    if (!alive()) return std::nullopt;
    xcb_delete_property(conn, helper, atom(SVX_CLIPBOARD));
    xcb_convert_selection(conn, helper, selection, target, atom(SVX_CLIPBOARD), XCB_CURRENT_TIME);
    xcb_flush(conn);
    xcb_generic_event_t* ev = awaitHelperEvent(XCB_SELECTION_NOTIFY, 1000);
    if (!ev) return std::nullopt;
    const bool refused = reinterpret_cast<xcb_selection_notify_event_t*>(ev)->property == XCB_NONE;
    std::free(ev);
    if (refused) return std::nullopt;
    bool incremental = false;
    auto data = takeProperty(incremental);
    if (!incremental) return data;
    // In pieces, until an empty one.
    std::string whole;
    for (;;) {
      xcb_generic_event_t* piece = awaitHelperEvent(XCB_PROPERTY_NOTIFY, 1000);
      if (!piece) return std::nullopt;
      std::free(piece);
      auto part = takeProperty(incremental);
      if (!part) return std::nullopt;
      if (part->empty()) return whole;
      whole += *part;
      if (whole.size() > (std::size_t{256} << 20)) return std::nullopt;
    }
  }

  bool drain() {
    bool input = false;
    while (!deferred.empty()) {
      xcb_generic_event_t* ev = deferred.front();
      deferred.pop_front();
      if (event(ev)) input = true;
      std::free(ev);
    }
    while (xcb_generic_event_t* ev = xcb_poll_for_event(conn)) {
      if (event(ev)) input = true;
      std::free(ev);
    }
    if (postNotices()) input = true;
    return input;
  }
};

std::unique_ptr<X11Display> X11Display::connect(const char* name, std::string* why) {
  auto fail = [why](std::string reason) -> std::unique_ptr<X11Display> {
    if (why) *why = std::move(reason);
    return nullptr;
  };
  auto impl = std::make_unique<Impl>();
  int screenNumber = 0;
  impl->conn = xcb_connect(name, &screenNumber);
  if (!impl->conn || xcb_connection_has_error(impl->conn)) {
    const char* server = name ? name : std::getenv("DISPLAY");
    return fail(std::string("cannot connect to the X server ") + (server ? server : "(DISPLAY is not set)"));
  }
  auto it = xcb_setup_roots_iterator(xcb_get_setup(impl->conn));
  for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
  if (!it.rem) return fail("the X server has no screen " + std::to_string(screenNumber));
  impl->screen = it.data;
  impl->findVisual();
  if (!impl->visual || impl->visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || impl->screen->root_depth < 24)
    return fail("the X server's screen is not a true-colour screen of depth 24 or more");
  impl->internAtoms();
  std::array<char, 256> host{};
  if (gethostname(host.data(), host.size() - 1) == 0) impl->hostName = host.data();
  impl->detectWindowManager();
  impl->scale =
      std::clamp(resourceDpi(impl->rootProperty(impl->atom(RESOURCE_MANAGER_), XCB_ATOM_STRING)) / 96, 1.0, 4.0);
  impl->setupKeyboard();
  impl->createHelper();
  // The runtime's screen: the real one, in 96-dpi pixels.
  screen().setPixelSize(std::max(1, impl->logical(impl->screen->width_in_pixels)),
                        std::max(1, impl->logical(impl->screen->height_in_pixels)));
  return std::unique_ptr<X11Display>(new X11Display(std::move(impl)));
}

namespace {

// The runtime's clipboard shared through the X11 clipboard.
class X11Clipboard final : public ClipboardPeer {
 public:
  explicit X11Clipboard(X11Display::Impl& x) : x_(x) {}
  void publish() override { x_.own(x_.atom(CLIPBOARD), x_.clipboardOwned); }
  bool foreignOwner() override { return x_.foreignOwner(x_.atom(CLIPBOARD)); }
  std::optional<std::string> text() override { return textOf(x_.atom(CLIPBOARD)); }
  std::optional<std::vector<uint8_t>> png() override {
    auto data = x_.fetch(x_.atom(CLIPBOARD), x_.atom(IMAGE_PNG));
    if (!data) return std::nullopt;
    return std::vector<uint8_t>(data->begin(), data->end());
  }
  void publishPrimary() override { x_.own(XCB_ATOM_PRIMARY, x_.primaryOwned); }
  std::optional<std::string> foreignPrimary() override {
    if (!x_.foreignOwner(XCB_ATOM_PRIMARY)) return std::nullopt;
    return textOf(XCB_ATOM_PRIMARY);
  }

 private:
  std::optional<std::string> textOf(xcb_atom_t selection) {
    auto t = x_.fetch(selection, x_.atom(UTF8_STRING_));
    if (!t) t = x_.fetch(selection, XCB_ATOM_STRING);
    if (!t) return std::nullopt;
    return fromXText(*t);
  }

  X11Display::Impl& x_;
};

}  // namespace

X11Display::X11Display(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)), clipboard_(std::make_unique<X11Clipboard>(*impl_)) {
  clipboard().setPeer(clipboard_.get());
}

X11Display::~X11Display() {
  if (clipboard().peer() == clipboard_.get()) clipboard().setPeer(nullptr);
}

bool X11Display::pump() {
  Impl& x = *impl_;
  if (!x.alive()) return false;
  const bool input = x.drain();
  const uint64_t activity = messageLoop().activity();
  const bool rerender = x.dirty || activity != x.seenActivity || input;
  x.seenActivity = activity;
  x.dirty = false;
  x.sync();
  x.paintAll(rerender || x.dirty);
  x.dirty = false;
  xcb_flush(x.conn);
  x.alive();
  return input;
}

bool X11Display::awaitsPerson() const { return !impl_->broken && !impl_->shown.empty(); }

void X11Display::wait(std::optional<int64_t> untilMs) {
  Impl& x = *impl_;
  if (!x.alive()) {
    if (untilMs) Clock::waitUntil(*untilMs);
    return;
  }
  xcb_flush(x.conn);
  if (x.deferred.empty())
    if (xcb_generic_event_t* ev = xcb_poll_for_event(x.conn)) x.deferred.push_back(ev);
  if (!x.deferred.empty()) return;
  int timeout = -1;
  if (untilMs) timeout = static_cast<int>(std::clamp<int64_t>(*untilMs - Clock::nowMs(), 0, 60'000));
  if (Clock::isVirtual() && untilMs) timeout = std::min(timeout, 10);
  pollfd fd{xcb_get_file_descriptor(x.conn), POLLIN, 0};
  const int ready = poll(&fd, 1, timeout);
  if (ready == 0 && Clock::isVirtual() && untilMs) Clock::waitUntil(*untilMs);
}

void X11Display::invalidate() { impl_->dirty = true; }

bool X11Display::shows(HWND hwnd) const {
  if (impl_->broken) return false;
  if (impl_->shown.count(hwnd)) return true;
  // Shown at the next pump.
  Desktop& d = desktop();
  const Window* w = d.find(hwnd);
  return w && w->visible() && !w->isChild() && w->threadId == GetCurrentThreadId() && hwnd != d.applicationWindow() &&
         impl_->drawsItself(*w);
}

uint32_t X11Display::windowOf(HWND hwnd) const {
  auto it = impl_->shown.find(hwnd);
  return it == impl_->shown.end() ? 0 : it->second.id;
}

bool X11Display::viewable(HWND hwnd) const {
  auto it = impl_->shown.find(hwnd);
  return it != impl_->shown.end() && it->second.viewable;
}

uint64_t X11Display::framesPainted() const { return impl_->frames; }
double X11Display::scale() const { return impl_->scale; }
bool X11Display::hasWindowManager() const { return impl_->windowManager; }

const RasterImage& X11Display::lastFrame(HWND hwnd) const {
  auto it = impl_->shown.find(hwnd);
  return it == impl_->shown.end() ? impl_->none : it->second.frame;
}

}  // namespace svx
