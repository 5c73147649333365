// The simulated desktop: every window of this process and of the simulated
// other processes, their z-order, the foreground window, activation, focus,
// input attachment, registered messages and the taskbar. The functions of
// win32.h act on it; tests arrange and observe it here.
//
// Rules of the model:
// - Top-level windows form one z-order list, front first. Windows with
//   WS_EX_TOPMOST form a band that is always in front of the others. A window
//   brought to the top of its band takes its owned windows of the same band
//   with it, in front of itself (an owned window stays above its owner).
// - A new top-level window goes to the top of its band; a new child goes to
//   the end of its parent's child list.
// - GetParent gives the parent of a WS_CHILD window, the owner of a WS_POPUP
//   top-level window and 0 for any other window.
// - Foreground: SetForegroundWindow succeeds when there is no foreground
//   window, when the foreground window belongs to this process, or when the
//   calling thread's input is attached (AttachThreadInput) to the thread of
//   the foreground window. Otherwise it returns 0, changes nothing and counts
//   a refusal (refusedForegroundRequests, and the window's flashCount).
// - Messages posted to a window of a simulated other thread are handled at
//   once (that thread serves its own queue); messages posted to a window of
//   this thread wait in the queue of message_loop.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/automation/slot_list.h"
#include "platform/desktop/win32.h"

namespace svx {

using MessageHandler = std::function<LRESULT(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)>;

struct WindowRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// The frame around a top-level window's client area, in pixels at 96 dpi:
// what a window manager reports drawing, else the runtime's own (a
// captioned window: 4 px borders and a 20 px caption; no frame otherwise).
struct FrameInsets {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const FrameInsets&, const FrameInsets&) = default;
};
inline constexpr FrameInsets kRuntimeFrame{4, 24, 4, 4};

// A message that reached a window (sent or posted).
struct MessageRecord {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool posted = false;
  friend bool operator==(const MessageRecord&, const MessageRecord&) = default;
};

struct WindowSpec {
  std::string className;
  std::string caption;
  uint32_t style = 0;  // include WS_VISIBLE to create it shown
  uint32_t exStyle = 0;
  HWND parent = 0;  // used with WS_CHILD
  HWND owner = 0;   // used for top-level windows
  WindowRect rect;
  DWORD threadId = 0;  // 0: the calling thread; else a thread from addForeignThread
  MessageHandler handler;
};

struct Window;
// The windows by handle: found in constant time, so that creating and
// destroying one costs the same however many windows there are; a window
// stays where it is while others come and go.
using WindowTable = std::unordered_map<HWND, Window>;

// A child window's place among its parent's children.
struct ChildSlot {
  WindowTable* windows = nullptr;
  size_t& operator()(HWND h) const;
};
using ChildWindows = SlotList<HWND, ChildSlot>;

struct Window {
  HWND handle = 0;
  std::string className;
  std::string caption;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  HWND parent = 0;
  HWND owner = 0;
  WindowRect rect;                  // the outer window: frame included
  std::optional<FrameInsets> frame;  // as a display's window manager reports it
  DWORD threadId = 0;
  DWORD processId = 0;
  LONG id = 0;
  LONG userData = 0;
  int flashCount = 0;  // refused foreground requests for this window
  HWND lastFocus = 0;  // the window in it that had the focus last (top-level windows)
  MessageHandler handler;
  ChildWindows children;           // in order; one leaves in constant time
  size_t childSlot = ChildWindows::npos;
  std::deque<MessageRecord> log;   // the last kMessageLogSize messages

  static constexpr std::size_t kMessageLogSize = 256;

  bool isChild() const { return (style & WS_CHILD) != 0; }
  bool visible() const { return (style & WS_VISIBLE) != 0; }
  bool iconic() const { return (style & WS_MINIMIZE) != 0; }
  bool topmost() const { return (exStyle & WS_EX_TOPMOST) != 0; }
  FrameInsets frameInsets() const {
    if (frame) return *frame;
    return (style & WS_CAPTION) ? kRuntimeFrame : FrameInsets{};
  }
};

// A simulated thread of another process.
struct ForeignThread {
  DWORD processId = 0;
  DWORD threadId = 0;
};

// The taskbar of the simulated shell: "Shell_TrayWnd" > "RebarWindow32" >
// "MSTaskSwWClass", owned by a shell process of its own. The last window
// records the registered "SHELLHOOK" messages that reach it and keeps a
// button for every window announced with HSHELL_WINDOWCREATED.
struct Taskbar {
  HWND tray = 0;
  HWND rebar = 0;
  HWND tasks = 0;
  ForeignThread shell;
  std::vector<MessageRecord> shellHookMessages;
  std::set<HWND> buttons;
};

class Desktop {
 public:
  Desktop();

  // Back to an empty desktop: no windows, no taskbar, no foreground window,
  // no registered messages, an empty message queue, no timers, the default
  // system colours; then the reset steps of the layers above (the shell's
  // folder dialog with no scripted responses), in the order they were added.
  void reset();
  // A layer above that keeps state tied to the desktop's windows adds the
  // step that clears it with the desktop; steps stay for the process.
  void addResetStep(std::function<void()> step) { resetSteps_.push_back(std::move(step)); }

  HWND createWindow(const WindowSpec& spec);
  Window* find(HWND hwnd);
  const Window* find(HWND hwnd) const;
  // The window with this handle; raises a RuntimeError for an invalid one.
  Window& window(HWND hwnd);

  // The hidden window that owns the forms of this process, created on first
  // use (class "SvxApplicationWindow", caption empty, not visible).
  HWND applicationWindow();

  // A thread of a new simulated process.
  ForeignThread addForeignThread();
  // A further simulated thread of an existing simulated process.
  DWORD addForeignThreadTo(DWORD processId);
  DWORD processOfThread(DWORD threadId) const;  // 0 for an unknown thread

  // The user activates a window (clicks on it): it becomes the foreground
  // window whatever the rules, goes to the top of its band, and becomes the
  // active window when it belongs to this thread.
  void userActivates(HWND hwnd);

  // Top-level windows, front first.
  const std::vector<HWND>& zOrder() const { return zOrder_; }
  void setMessageHandler(HWND hwnd, MessageHandler handler);
  // Delivers a message to a window's handler and records it; 0 for an
  // invalid window or one without a handler.
  LRESULT deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool posted);
  const std::deque<MessageRecord>& messages(HWND hwnd) const;

  // Taskbar.
  void installTaskbar();
  void removeTaskbar();
  const std::optional<Taskbar>& taskbar() const { return taskbar_; }

  // Registered window messages: the same name (case-insensitive) always gives
  // the same id; ids count up from 0xC000. 0 for a name never registered.
  UINT registerMessage(const std::string& name);
  UINT registeredMessage(const std::string& name) const;

  // System colours.
  DWORD sysColor(int index) const;
  void setSysColor(int index, COLORREF colour);

  // Observable counters and state.
  int initCommonControlsCalls = 0;
  int refusedForegroundRequests = 0;
  HWND foreground = 0;
  HWND active = 0;  // this thread's active window
  HWND focus = 0;   // this thread's focus window

  // Behaviour of the functions in win32.h.
  BOOL showWindow(HWND hwnd, int cmd);
  BOOL destroyWindow(HWND hwnd);
  BOOL setWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  // Sets the size state (WS_MINIMIZE, WS_MAXIMIZE or neither) of a window
  // whether it is shown or not; its visibility and activation stay.
  void setSizeState(HWND hwnd, uint32_t state);
  // The frame a display's window manager draws around the window (none: the
  // runtime's own).
  void setFrame(HWND hwnd, std::optional<FrameInsets> frame);
  BOOL setForegroundWindow(HWND hwnd);
  BOOL attachThreadInput(DWORD idAttach, DWORD idAttachTo, bool attach);
  bool inputAttached(DWORD a, DWORD b) const;
  HWND setFocus(HWND hwnd);
  HWND getWindow(HWND hwnd, UINT cmd) const;
  HWND getParent(HWND hwnd) const;
  LONG getWindowLong(HWND hwnd, int index) const;
  LONG setWindowLong(HWND hwnd, int index, LONG value);
  HWND findWindowEx(HWND parent, HWND childAfter, const char* className, const char* caption) const;
  HWND rootOf(HWND hwnd) const;  // the top-level window that contains hwnd

  // Modal windows (modal_owner.h), oldest first. While one is open, input
  // of this thread reaches only the newest one and the windows it owns; the
  // windows of its owner chain are disabled besides.
  uint64_t beginModal(HWND window);
  void endModal(uint64_t id);
  // The newest modal window (0: none).
  HWND modalWindow() const;
  // The one gate of a person's input, for mouse, wheel, keys and close:
  // the window's top-level window is enabled and no modal window blocks it.
  bool takesInput(HWND hwnd) const;
  // Whether `owner` owns `hwnd`, directly or through windows it owns.
  bool owns(HWND owner, HWND hwnd) const;

 private:
  void unlink(Window& w);
  void bringToTopOfBand(HWND hwnd);
  void activate(HWND hwnd);
  void setActive(HWND root);
  HWND activationTarget(HWND root) const;
  bool foregroundAllowed() const;
  bool ownThread(const Window& w) const;
  bool isWithin(HWND hwnd, HWND ancestor) const;

  struct Modal {
    uint64_t id = 0;
    HWND window = 0;
  };

  WindowTable windows_;
  std::vector<Modal> modals_;
  uint64_t nextModal_ = 1;
  std::vector<HWND> zOrder_;
  HWND nextHandle_ = 0x10010;
  HWND applicationWindow_ = 0;
  HWND lastActiveOwned_ = 0;  // the window owned by the application window that was active last
  std::map<DWORD, DWORD> foreignThreads_;  // thread id -> process id
  DWORD nextForeignId_ = 0x40000000;
  std::set<std::pair<DWORD, DWORD>> attachments_;  // (smaller, larger)
  std::map<std::string, UINT> registered_;
  UINT nextRegistered_ = FIRST_REGISTERED_MESSAGE;
  std::optional<Taskbar> taskbar_;
  std::vector<COLORREF> sysColors_;
  std::vector<std::function<void()>> resetSteps_;
};

// The process's one desktop.
Desktop& desktop();

}  // namespace svx
