// The X11 display's state and its parts, shared by the files that make it
// up by concern: the connection, its atoms and the event dispatch
// (x11_display.cpp), windows and drawing (x11_windows.cpp), what the window
// manager reports and is asked (x11_window_manager.cpp), a person's input
// (x11_input.cpp), selections and the clipboard (x11_selections.cpp).
#pragma once

#include <cairo/cairo-xcb.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/display/x11_display.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/raster_image.h"

namespace svx {

struct RenderItem;
class ClipboardPeer;

namespace x11 {

// The largest client area shown, in device pixels (a bigger form shows its
// top-left part), and the farthest place.
constexpr int kMaxDevice = 4096;
constexpr int kMaxPlace = 8000;
// How long a new window waits for the window manager's frame extents, and
// how long after it is managed it is put where the form says rather than
// followed.
constexpr int kExtentsWaitMs = 250;
constexpr auto kSettleTime = std::chrono::milliseconds(1000);
// How long a size state asked of the window manager stands against its
// reports that contradict it (reports from before it saw the request):
// after that, what it reports is followed.
constexpr auto kStateWait = std::chrono::milliseconds(3000);

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

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

}  // namespace x11

using namespace x11;  // the atoms' names and the limits, within the display's files

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
    // Until it reports that state (or until `stateWait`), a report of
    // another one predates the request (or is no answer yet) and is no news.
    std::optional<int16_t> requestedState;
    std::chrono::steady_clock::time_point stateWait;
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

  ~Impl();
  xcb_atom_t atom(Atom a) const { return atoms[a]; }

  bool alive();
  void internAtoms();
  std::string rootProperty(xcb_atom_t property, xcb_atom_t type);
  void detectWindowManager();
  void findVisual();
  void setupKeyboard();
  void loadKeymap();
  int device(int px) const { return std::max(1, static_cast<int>(std::lround(px * scale))); }
  int logical(int deviceCoord) const { return static_cast<int>(std::floor(deviceCoord / scale)); }
  // A window's place or size in 96-dpi pixels: the inverse of asking for
  // lround(px * scale), so that what was asked for is recognised.
  int logicalGeometry(int deviceCoord) const { return static_cast<int>(std::lround(deviceCoord / scale)); }

  // --- windows -----------------------------------------------------------

  void dropWindow(Shown& s);
  void setProperty(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint8_t format, uint32_t count,
                   const void* data) {
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, property, type, format, count, data);
  }

  void setTitle(Shown& s, const std::string& title);

  // Only a window with a sizing frame (WS_THICKFRAME) can be resized.
  static bool sizable(uint32_t style) { return (style & WS_THICKFRAME) != 0; }

  void setSizeHints(const Shown& s, uint32_t style);

  // _MOTIF_WM_HINTS: the functions and decorations the style's frame offers
  // (a fixed dialog frame: move and close, title and border only).
  void setFrameHints(const Shown& s, uint32_t style);

  // _NET_WM_ICON: width, height, then the pixels as ARGB (not premultiplied)
  // rows top to bottom; the window's own icon, else the program's.
  void setIcon(const Shown& s, const Picture& own);

  // The window a person must answer first: the newest modal window (0: none).
  HWND modalWindow() const { return desktop().modalWindow(); }

  // How a window stands to the others on the screen: transient for its
  // owner's window (a modal window whose owner is not on the screen, such as
  // the hidden application window, for the frontmost other window), above
  // the others when it or that window is topmost.
  Relation relationOf(HWND hwnd, const Window& w) const;

  // The desktop's one gate: an enabled window that no modal window blocks.
  bool takesInput(HWND hwnd) const { return desktop().takesInput(hwnd); }

  std::vector<xcb_atom_t> wmState(const Shown& s, const Window& w) const;
  void applyHints(HWND hwnd, Shown& s, const Window& w);
  int maxClient() const { return static_cast<int>(kMaxDevice / scale); }

  // Where a window with the outer rect `r` and the frame `e` can stand: its
  // place within reach, its client area at least a pixel and at most what a
  // screen shows (96 dpi).
  WindowRect placement(const WindowRect& r, const FrameInsets& e) const;
  static int16_t sizeState(const Window& w) {
    return (w.style & WS_MINIMIZE) ? 1 : (w.style & WS_MAXIMIZE) ? 2 : 0;
  }

  // The state the form is told: the one asked for until the window manager
  // reports on it.
  static int16_t reportedState(const Shown& s) { return s.requestedState.value_or(s.state); }

  // The X11 window's place in device pixels: the client area's, inside the
  // frame (StaticGravity: the window manager puts the client area there and
  // its frame around it).
  std::pair<int, int> requestOrigin(const Shown& s) const;
  void setClientSize(Shown& s);
  void create(HWND hwnd, Shown& s, const Window& w);

  // Asks the window manager for the frame it will draw, before the window
  // is mapped, so that it is placed and sized with it from the start.
  void askFrameExtents(HWND hwnd, Shown& s, uint32_t style);

  // The frame extents the window manager reports (_NET_FRAME_EXTENTS), in
  // 96-dpi pixels; nothing when it reports none.
  std::optional<FrameInsets> frameExtents(xcb_window_t id);

  // The frame the window manager reports. The first report keeps the outer
  // rect the form gave: the client area takes what the frame leaves, and
  // the window is placed anew. A later one (a maximised window's frame
  // without borders) keeps the client area where the manager put it, and
  // the form follows the outer rect around it.
  void followExtents(HWND hwnd, Shown& s);

  // Asks for the window's place (unless only the size changed) and size.
  void configure(Shown& s, bool move);
  void update(HWND hwnd, Shown& s, const Window& w);

  // What the program asked of its shown windows since the last pump (a
  // state, a place, a size), asked of the window manager before its reports
  // are read: a report read after a request cannot undo it.
  void sendRequests();

  // Asks the window manager for a size state: minimised (WM_CHANGE_STATE),
  // shown again (mapped), maximised or not (_NET_WM_STATE).
  void requestState(Shown& s, int16_t want);

  // The size state the window manager gives the window (WM_STATE,
  // _NET_WM_STATE); nothing while it is withdrawn.
  std::optional<int16_t> managedState(xcb_window_t id);

  // The window manager changed the window's state (or answered a request):
  // the form hears of it.
  void followState(Shown& s);

  // A state asked for that the window manager has not shown within
  // `kStateWait`: the form follows the state it has.
  void expireRequests();
  // The earliest time a request expires, if any is waiting.
  std::optional<std::chrono::steady_clock::time_point> nextExpiry() const;

  // The window manager (or, without one, the server) reports the window's
  // size and, in a synthetic event once it manages the window, where its
  // client area stands on the screen. What the program asked for is no
  // news, even when it comes late; anything else the form follows.
  void followConfigure(Shown& s, const xcb_configure_notify_event_t& e, bool synthetic);

  // What a configure request asks: the client area's place and size.
  static WindowRect asked(const Shown& s) {
    return {s.placed.x + s.extents.left, s.placed.y + s.extents.top, s.clientW, s.clientH};
  }

  // A report of the client area's place (when `placed`) and size.
  void followReport(Shown& s, const WindowRect& r, bool placed);

  // The window is on the screen for the first time: the frame, place and
  // state it has there, whatever was reported before.
  void followManaged(HWND hwnd, Shown& s);

  // Posts what the window manager did to each window since the last time:
  // its move first, so that Resize finds Left and Top in place. Dropped when
  // the program changes the window's state or rect before they are handled.
  bool postNotices();

  // Whether the desktop window is one to show: top-level, of this thread,
  // visible, and drawing itself.
  bool drawsItself(const Window& w) const;

  // The window's picture, its client area bounded by what a screen shows; a
  // window that fails to give one keeps what it showed.
  bool picture(const Window& w, RenderItem& item) const;
  void sync();
  void focus(Shown& s);

  // --- pixels ------------------------------------------------------------

  void paintAll(bool rerender);
  void put(Shown& s);

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
  int64_t clockTime(xcb_timestamp_t t);
  bool key(const xcb_key_press_event_t& e, bool press);

  // One X11 event: true when it posted a person's input. The dispatch is
  // here; each concern handles its own kinds.
  bool event(xcb_generic_event_t* ev);
  // Windows: exposed, mapped, unmapped, destroyed, configured.
  bool windowEvent(xcb_generic_event_t* ev);
  bool destroyedFromOutside(xcb_window_t window);
  // A property of a shown window changed (frame extents, state); false for
  // another window's.
  bool followProperty(const xcb_property_notify_event_t& e);
  // A person's input.
  bool button(const xcb_button_press_event_t& e, bool press);
  bool motion(const xcb_motion_notify_event_t& e);
  void focusIn(const xcb_focus_in_event_t& e);
  bool clientMessage(const xcb_client_message_event_t& e);
  void selectionCleared(const xcb_selection_clear_event_t& e);

  // --- clipboard ---------------------------------------------------------

  void createHelper();

  // Takes `selection` for this process: the helper answers its requests.
  void own(xcb_atom_t selection, bool& owned);
  bool foreignOwner(xcb_atom_t selection);
  bool isText(xcb_atom_t target) const {
    return target == atom(UTF8_STRING_) || target == atom(TEXT_) || target == XCB_ATOM_STRING;
  }

  // What this process offers in `selection` as `target`.
  std::optional<std::string> heldAs(xcb_atom_t selection, xcb_atom_t target) const;
  void serveSelection(const xcb_selection_request_event_t& e);

  // The largest piece of an incremental transfer, and how long a requestor
  // may leave a piece unread before the transfer is given up.
  static constexpr std::size_t kPiece = std::size_t{1} << 18;
  static constexpr auto kTransferTimeout = std::chrono::seconds(10);
  static constexpr std::size_t kMostTransfers = 16;
  void watchRequestor(xcb_window_t w, bool on);

  // Drops transfers that ended or stalled; stops watching their windows.
  void pruneTransfers();

  // Announces data too large for one request: an INCR property holding its
  // size; the pieces follow as the requestor deletes the property.
  void startTransfer(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::string data);

  // The requestor took a piece: the next one (an empty one at the end).
  bool continueTransfer(const xcb_property_notify_event_t& e);

  // The next event that `wanted` takes, within `ms` of real time; the
  // clipboard's requests are served meanwhile, other events wait for the
  // next pump.
  xcb_generic_event_t* awaitEvent(const std::function<bool(xcb_generic_event_t*)>& wanted, int ms);

  // The next event of `type` for the helper window, within `ms`.
  xcb_generic_event_t* awaitHelperEvent(uint8_t type, int ms);

  // The transfer property, deleted as it is read; "INCR" for a transfer in
  // pieces.
  std::optional<std::string> takeProperty(bool& incremental);
  std::optional<std::string> fetch(xcb_atom_t selection, xcb_atom_t target);
  bool drain();
};

// The runtime's clipboard shared through the X11 clipboard.
std::unique_ptr<ClipboardPeer> makeX11Clipboard(X11Display::Impl& x);

}  // namespace svx
