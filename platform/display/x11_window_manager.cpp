// What the window manager reports of the X11 display's windows (their
// frame, place, size and state), which the forms follow, and what is asked
// of it (a place, a size, a state).
#include "platform/desktop/display_messages.h"
#include "platform/display/x11_display_impl.h"

namespace svx {

void X11Display::Impl::askFrameExtents(HWND hwnd, Shown& s, uint32_t style) {
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

std::optional<FrameInsets> X11Display::Impl::frameExtents(xcb_window_t id) {
  XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
      conn, xcb_get_property(conn, 0, id, atom(NET_FRAME_EXTENTS), XCB_ATOM_CARDINAL, 0, 4), nullptr));
  if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 16) return std::nullopt;
  const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
  auto px = [this](uint32_t d) { return static_cast<int32_t>(std::lround(std::min<uint32_t>(d, 1000) / scale)); };
  return FrameInsets{px(v[0]), px(v[2]), px(v[1]), px(v[3])};  // left, right, top, bottom
}

void X11Display::Impl::followExtents(HWND hwnd, Shown& s) {
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

void X11Display::Impl::configure(Shown& s, bool move) {
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

void X11Display::Impl::requestState(Shown& s, int16_t want) {
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
    // Shown again when minimised (a report of that may not be read yet);
    // mapping a mapped window does nothing.
    xcb_map_window(conn, s.id);
    send(atom(NET_WM_STATE), want == 2 ? 1 : 0, atom(NET_WM_STATE_MAXIMIZED_VERT), atom(NET_WM_STATE_MAXIMIZED_HORZ));
  }
  s.requestedState = want;
  s.stateWait = std::chrono::steady_clock::now() + kStateWait;
}

std::optional<int16_t> X11Display::Impl::managedState(xcb_window_t id) {
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

void X11Display::Impl::followState(Shown& s) {
  const std::optional<int16_t> st = managedState(s.id);
  if (!st) return;
  const int16_t told = reportedState(s);
  if (s.requestedState) {
    // Another state than the one asked for: the manager's doing from before
    // it saw the request, or no answer yet.
    if (*st != *s.requestedState && std::chrono::steady_clock::now() < s.stateWait) return;
    s.requestedState.reset();
  }
  s.state = *st;
  if (s.state != told) s.sizeNotice = true;
}

void X11Display::Impl::expireRequests() {
  const auto now = std::chrono::steady_clock::now();
  for (auto& [hwnd, s] : shown)
    if (s.requestedState && now >= s.stateWait) {
      if (windowManager && s.managed) followState(s);
      // Not managed (or withdrawn): nothing to follow; the request stands.
      if (s.requestedState && now >= s.stateWait) s.stateWait = now + kStateWait;
    }
}

std::optional<std::chrono::steady_clock::time_point> X11Display::Impl::nextExpiry() const {
  std::optional<std::chrono::steady_clock::time_point> next;
  for (const auto& [hwnd, s] : shown)
    if (s.requestedState && (!next || s.stateWait < *next)) next = s.stateWait;
  return next;
}

void X11Display::Impl::followConfigure(Shown& s, const xcb_configure_notify_event_t& e, bool synthetic) {
  if (e.width != s.deviceW || e.height != s.deviceH) {
    s.deviceW = e.width;
    s.deviceH = e.height;
    if (s.surface) cairo_xcb_surface_set_size(s.surface, s.deviceW, s.deviceH);
    dirty = true;
  }
  const bool placed = synthetic && windowManager && s.managed;
  if (placed) s.clientOrigin = std::pair<int, int>{logicalGeometry(e.x), logicalGeometry(e.y)};
  WindowRect r = asked(s);
  r.cx = std::max(1, logicalGeometry(e.width));
  r.cy = std::max(1, logicalGeometry(e.height));
  if (placed) {
    r.x = s.clientOrigin->first;
    r.y = s.clientOrigin->second;
  }
  followReport(s, r, placed);
}

void X11Display::Impl::followReport(Shown& s, const WindowRect& r, bool placed) {
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

void X11Display::Impl::followManaged(HWND hwnd, Shown& s) {
  if (!windowManager) return;
  followExtents(hwnd, s);
  followState(s);
  XcbReply<xcb_translate_coordinates_reply_t> r(
      xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, s.id, screen->root, 0, 0), nullptr));
  if (!r) return;
  s.clientOrigin = std::pair<int, int>{logicalGeometry(r->dst_x), logicalGeometry(r->dst_y)};
  // A window in its normal state goes where the form says; a maximised one
  // stays where the manager put it, and the form follows.
  WindowRect here = asked(s);
  if (reportedState(s) == 0 && s.clientOrigin != std::pair<int, int>{here.x, here.y}) {
    configure(s, true);
    s.settling = std::chrono::steady_clock::now() + kSettleTime;
    return;
  }
  here.x = s.clientOrigin->first;
  here.y = s.clientOrigin->second;
  followReport(s, here, true);
}

bool X11Display::Impl::postNotices() {
  bool posted = false;
  // With messages still queued (DoEvents), the reports wait: each batch is
  // judged against the window as the messages before it leave it.
  const bool queued = messageLoop().pendingCount() != 0;
  for (auto& [hwnd, s] : shown) {
    s.following = s.moveNotice || s.sizeNotice;
    if (!s.following || queued) continue;
    const Window* w = desktop().find(hwnd);
    if (!w) continue;
    std::optional<LPARAM> moved;
    if (std::exchange(s.moveNotice, false)) moved = packPoint(s.placed.x + s.extents.left, s.placed.y + s.extents.top);
    std::optional<int16_t> state;
    if (std::exchange(s.sizeNotice, false)) state = reportedState(s);
    // Handed over once the messages queued before are handled: when the
    // program has asked for another state or rect meanwhile, these reports
    // predate its request (sent at the next pump) and are dropped; a state
    // it set that they report too stands with them.
    messageLoop().postTask([hwnd, rect = w->rect, was = sizeState(*w), moved, state, size = packPoint(s.clientW, s.clientH)] {
      const Window* now = desktop().find(hwnd);
      if (!now || !(now->rect == rect)) return;
      if (const int16_t st = sizeState(*now); st != was && st != state) return;
      if (moved) desktop().deliver(hwnd, WM_MOVE, 0, *moved, true);
      if (state)
        desktop().deliver(hwnd, WM_SIZE, *state == 1 ? SIZE_MINIMIZED : *state == 2 ? SIZE_MAXIMIZED : SIZE_RESTORED,
                          size, true);
    });
    posted = true;
  }
  return posted;
}

bool X11Display::Impl::followProperty(const xcb_property_notify_event_t& e) {
  const HWND hwnd = target(e.window);
  auto it = shown.find(hwnd);
  if (it == shown.end()) return false;
  if (e.atom == atom(NET_FRAME_EXTENTS))
    followExtents(hwnd, it->second);
  else if (e.atom == atom(WM_STATE_) || e.atom == atom(NET_WM_STATE))
    followState(it->second);
  return true;
}

}  // namespace svx
