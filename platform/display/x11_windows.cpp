// The X11 display's windows and their pixels: each shown top-level window
// of the thread that draws itself, its properties for the window manager,
// its place, and the picture put on it.
#include <unistd.h>

#include "platform/automation/error.h"
#include "platform/desktop/display_messages.h"
#include "platform/display/x11_display_impl.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/program_icon.h"

namespace svx {

void X11Display::Impl::dropWindow(Shown& s) {
  if (s.surface) cairo_surface_destroy(std::exchange(s.surface, nullptr));
  if (s.id && !broken) xcb_destroy_window(conn, s.id);
  byWindow.erase(s.id);
  s.id = 0;
}

void X11Display::Impl::setTitle(Shown& s, const std::string& title) {
  s.title = title;
  setProperty(s.id, atom(NET_WM_NAME), atom(UTF8_STRING_), 8, static_cast<uint32_t>(title.size()), title.data());
  setProperty(s.id, XCB_ATOM_WM_NAME, atom(UTF8_STRING_), 8, static_cast<uint32_t>(title.size()), title.data());
}

void X11Display::Impl::setSizeHints(const Shown& s, uint32_t style) {
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

void X11Display::Impl::setFrameHints(const Shown& s, uint32_t style) {
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

void X11Display::Impl::setIcon(const Shown& s, const Picture& own) {
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

X11Display::Impl::Relation X11Display::Impl::relationOf(HWND hwnd, const Window& w) const {
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

std::vector<xcb_atom_t> X11Display::Impl::wmState(const Shown& s, const Window& w) const {
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

void X11Display::Impl::applyHints(HWND hwnd, Shown& s, const Window& w) {
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

WindowRect X11Display::Impl::placement(const WindowRect& r, const FrameInsets& e) const {
  const int cx = std::clamp(r.cx - e.left - e.right, 1, maxClient());
  const int cy = std::clamp(r.cy - e.top - e.bottom, 1, maxClient());
  return {std::clamp(r.x, -kMaxPlace, kMaxPlace), std::clamp(r.y, -kMaxPlace, kMaxPlace), cx + e.left + e.right,
          cy + e.top + e.bottom};
}

std::pair<int, int> X11Display::Impl::requestOrigin(const Shown& s) const {
  return {static_cast<int>(std::lround((s.placed.x + s.extents.left) * scale)),
          static_cast<int>(std::lround((s.placed.y + s.extents.top) * scale))};
}

void X11Display::Impl::setClientSize(Shown& s) {
  const int w = s.placed.cx - s.extents.left - s.extents.right, h = s.placed.cy - s.extents.top - s.extents.bottom;
  if (w == s.clientW && h == s.clientH) return;
  s.clientW = w;
  s.clientH = h;
  s.deviceW = device(w);
  s.deviceH = device(h);
  if (s.surface) cairo_xcb_surface_set_size(s.surface, s.deviceW, s.deviceH);
  dirty = true;
}

void X11Display::Impl::create(HWND hwnd, Shown& s, const Window& w) {
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
  if (windowManager && state != 0) {
    s.requestedState = state;
    s.stateWait = std::chrono::steady_clock::now() + kStateWait;
  }
  s.confirmed = asked(s);
  xcb_map_window(conn, s.id);
  s.mapRequested = true;
  dirty = true;
}

void X11Display::Impl::update(HWND hwnd, Shown& s, const Window& w) {
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

void X11Display::Impl::sendRequests() {
  // With messages still queued (DoEvents), notices posted at the last pump
  // may not be followed yet: those windows wait for the pump's sync.
  const bool followed = messageLoop().pendingCount() == 0;
  Desktop& d = desktop();
  for (auto& [hwnd, s] : shown) {
    if (followed) s.following = false;
    const Window* w = d.find(hwnd);
    if (w && w->visible() && s.mapRequested) update(hwnd, s, *w);
  }
}

bool X11Display::Impl::drawsItself(const Window& w) const {
  RenderItem probe;
  return picture(w, probe);
}

bool X11Display::Impl::picture(const Window& w, RenderItem& item) const {
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

void X11Display::Impl::sync() {
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

void X11Display::Impl::focus(Shown& s) {
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

void X11Display::Impl::paintAll(bool rerender) {
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

void X11Display::Impl::put(Shown& s) {
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

bool X11Display::Impl::windowEvent(xcb_generic_event_t* ev) {
  switch (ev->response_type & 0x7F) {
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
    case XCB_UNMAP_NOTIFY: {
      auto* e = reinterpret_cast<xcb_unmap_notify_event_t*>(ev);
      if (auto it = shown.find(target(e->window)); it != shown.end()) it->second.viewable = false;
      return false;
    }
    case XCB_DESTROY_NOTIFY:
      return destroyedFromOutside(reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window);
    case XCB_CONFIGURE_NOTIFY: {
      auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
      auto it = shown.find(target(e->window));
      if (it == shown.end()) return false;
      followConfigure(it->second, *e, (ev->response_type & 0x80) != 0);
      return false;
    }
    default:
      return false;
  }
}

bool X11Display::Impl::destroyedFromOutside(xcb_window_t window) {
  // A window this display destroys has left `byWindow` already: this one
  // went from outside (xdotool windowclose, xkill's kin). It closes as by
  // its close box; one that stays open is shown anew.
  const HWND hwnd = target(window);
  if (!hwnd) return false;
  byWindow.erase(window);
  if (auto it = shown.find(hwnd); it != shown.end()) {
    if (it->second.surface) cairo_surface_destroy(it->second.surface);
    shown.erase(it);
  }
  if (!takesInput(hwnd)) return false;
  destroyedOutside.insert(hwnd);
  post(hwnd, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace svx
