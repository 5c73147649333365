// The X11 display: the connection to the server, its atoms, the keyboard
// map, the event dispatch, and the display's face to the desktop (pump,
// wait, observation).
#include "platform/display/x11_display.h"

#include <poll.h>
#include <unistd.h>
// The keyboard extension's header names a member `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <cstring>
#include <string_view>

#include "platform/desktop/clock.h"
#include "platform/display/x11_display_impl.h"
#include "platform/system/clipboard.h"
#include "platform/system/screen.h"

namespace svx {

namespace {

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

X11Display::Impl::~Impl() {
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

bool X11Display::Impl::alive() {
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

void X11Display::Impl::internAtoms() {
  std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
  for (std::size_t i = 0; i < AtomCount; ++i)
    cookies[i] = xcb_intern_atom(conn, 0, static_cast<uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
  for (std::size_t i = 0; i < AtomCount; ++i) {
    XcbReply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(conn, cookies[i], nullptr));
    atoms[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }
}

std::string X11Display::Impl::rootProperty(xcb_atom_t property, xcb_atom_t type) {
  XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
      conn, xcb_get_property(conn, 0, screen->root, property, type, 0, 1 << 16), nullptr));
  if (!r || r->format == 0) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
}

void X11Display::Impl::detectWindowManager() {
  const std::string check = rootProperty(atom(NET_SUPPORTING_WM_CHECK), XCB_ATOM_WINDOW);
  windowManager = check.size() >= 4;
  const std::string supported = rootProperty(atom(NET_SUPPORTED), XCB_ATOM_ATOM);
  for (std::size_t at = 0; at + 4 <= supported.size(); at += 4) {
    xcb_atom_t a = 0;
    std::memcpy(&a, supported.data() + at, 4);
    if (a == atom(NET_REQUEST_FRAME_EXTENTS)) extentsOnRequest = windowManager;
  }
}

void X11Display::Impl::findVisual() {
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
      if (v.data->visual_id == screen->root_visual) visual = v.data;
}

void X11Display::Impl::setupKeyboard() {
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

void X11Display::Impl::loadKeymap() {
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

xcb_generic_event_t* X11Display::Impl::awaitEvent(const std::function<bool(xcb_generic_event_t*)>& wanted, int ms) {
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

bool X11Display::Impl::drain() {
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
  expireRequests();
  if (postNotices()) input = true;
  return input;
}

bool X11Display::Impl::event(xcb_generic_event_t* ev) {
  const uint8_t type = ev->response_type & 0x7F;
  if (xkbEvent && type == xkbEvent) {
    const uint8_t xkbType = reinterpret_cast<const uint8_t*>(ev)[1];
    if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) loadKeymap();
    return false;
  }
  switch (type) {
    case XCB_EXPOSE:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
      return windowEvent(ev);
    case XCB_PROPERTY_NOTIFY: {
      const auto& e = *reinterpret_cast<xcb_property_notify_event_t*>(ev);
      if (!followProperty(e)) continueTransfer(e);
      return false;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
      return button(*reinterpret_cast<xcb_button_press_event_t*>(ev), type == XCB_BUTTON_PRESS);
    case XCB_MOTION_NOTIFY:
      return motion(*reinterpret_cast<xcb_motion_notify_event_t*>(ev));
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
      return key(*reinterpret_cast<xcb_key_press_event_t*>(ev), type == XCB_KEY_PRESS);
    case XCB_FOCUS_IN:
      focusIn(*reinterpret_cast<xcb_focus_in_event_t*>(ev));
      return false;
    case XCB_CLIENT_MESSAGE:
      return clientMessage(*reinterpret_cast<xcb_client_message_event_t*>(ev));
    case XCB_MAPPING_NOTIFY:
      loadKeymap();
      return false;
    case XCB_SELECTION_REQUEST:
      serveSelection(*reinterpret_cast<xcb_selection_request_event_t*>(ev));
      return false;
    case XCB_SELECTION_CLEAR:
      selectionCleared(*reinterpret_cast<xcb_selection_clear_event_t*>(ev));
      return false;
    default:
      return false;
  }
}

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


X11Display::X11Display(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)), clipboard_(makeX11Clipboard(*impl_)) {
  clipboard().setPeer(clipboard_.get());
}

X11Display::~X11Display() {
  if (clipboard().peer() == clipboard_.get()) clipboard().setPeer(nullptr);
}

bool X11Display::pump() {
  Impl& x = *impl_;
  if (!x.alive()) return false;
  x.sendRequests();
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
  if (const auto expiry = x.nextExpiry()) {
    // A state asked of the window manager that it has not shown: the pump
    // follows what it shows once the wait is over.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*expiry - std::chrono::steady_clock::now());
    const int ms = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 60'000));
    timeout = timeout < 0 ? ms : std::min(timeout, ms);
  }
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
