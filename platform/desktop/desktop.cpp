#include "platform/desktop/desktop.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <utility>

#include "platform/automation/error.h"
#include "platform/desktop/message_loop.h"

namespace svx {
namespace {

constexpr COLORREF rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}

// The desktop's colour scheme, by system colour index. Index 25 has no colour
// and reads 0.
constexpr std::array<COLORREF, SYS_COLOR_COUNT> kDefaultSysColors = {
    rgb(200, 200, 200),  //  0 scroll bar
    rgb(58, 110, 165),   //  1 desktop background
    rgb(10, 36, 106),    //  2 active caption
    rgb(128, 128, 128),  //  3 inactive caption
    rgb(240, 240, 240),  //  4 menu
    rgb(255, 255, 255),  //  5 window
    rgb(100, 100, 100),  //  6 window frame
    rgb(0, 0, 0),        //  7 menu text
    rgb(0, 0, 0),        //  8 window text
    rgb(255, 255, 255),  //  9 caption text
    rgb(212, 208, 200),  // 10 active border
    rgb(212, 208, 200),  // 11 inactive border
    rgb(128, 128, 128),  // 12 application workspace
    rgb(51, 153, 255),   // 13 highlight
    rgb(255, 255, 255),  // 14 highlighted text
    rgb(240, 240, 240),  // 15 button face
    rgb(160, 160, 160),  // 16 button shadow
    rgb(109, 109, 109),  // 17 grey text
    rgb(0, 0, 0),        // 18 button text
    rgb(212, 208, 200),  // 19 inactive caption text
    rgb(255, 255, 255),  // 20 button highlight
    rgb(105, 105, 105),  // 21 3-D dark shadow
    rgb(227, 227, 227),  // 22 3-D light
    rgb(0, 0, 0),        // 23 tooltip text
    rgb(255, 255, 225),  // 24 tooltip background
    0,                   // 25 (none)
    rgb(0, 102, 204),    // 26 hot-tracked item
    rgb(166, 202, 240),  // 27 active caption gradient
    rgb(192, 192, 192),  // 28 inactive caption gradient
    rgb(51, 153, 255),   // 29 menu highlight
    rgb(240, 240, 240),  // 30 menu bar
};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool sameClass(const std::string& a, const char* b) { return lower(a) == lower(b); }

void eraseValue(std::vector<HWND>& v, HWND h) { std::erase(v, h); }

}  // namespace

Desktop& desktop() {
  static Desktop d;
  return d;
}

Desktop::Desktop() : sysColors_(kDefaultSysColors.begin(), kDefaultSysColors.end()) {}

void Desktop::reset() {
  windows_.clear();
  zOrder_.clear();
  nextHandle_ = 0x10010;
  applicationWindow_ = 0;
  lastActiveOwned_ = 0;
  modals_.clear();
  foreignThreads_.clear();
  nextForeignId_ = 0x40000000;
  attachments_.clear();
  registered_.clear();
  nextRegistered_ = FIRST_REGISTERED_MESSAGE;
  taskbar_.reset();
  sysColors_.assign(kDefaultSysColors.begin(), kDefaultSysColors.end());
  initCommonControlsCalls = 0;
  refusedForegroundRequests = 0;
  foreground = active = focus = 0;
  messageLoop().reset();
  for (const auto& step : resetSteps_) step();
}

Window* Desktop::find(HWND hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

const Window* Desktop::find(HWND hwnd) const {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

Window& Desktop::window(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) raise(err::InvalidProcedureCall, u"invalid window handle");
  return *w;
}

bool Desktop::ownThread(const Window& w) const { return w.threadId == GetCurrentThreadId(); }

HWND Desktop::rootOf(HWND hwnd) const {
  const Window* w = find(hwnd);
  while (w && w->isChild() && w->parent != 0) {
    hwnd = w->parent;
    w = find(hwnd);
  }
  return w ? hwnd : 0;
}

bool Desktop::isWithin(HWND hwnd, HWND ancestor) const {
  for (const Window* w = find(hwnd); w; w = w->isChild() ? find(w->parent) : nullptr) {
    if (w->handle == ancestor) return true;
  }
  return false;
}

HWND Desktop::createWindow(const WindowSpec& spec) {
  Window w;
  w.handle = nextHandle_;
  nextHandle_ += 2;
  w.className = spec.className;
  w.caption = spec.caption;
  w.style = spec.style;
  w.exStyle = spec.exStyle;
  w.rect = spec.rect;
  w.handler = spec.handler;
  if (spec.threadId == 0 || spec.threadId == GetCurrentThreadId()) {
    w.threadId = GetCurrentThreadId();
    w.processId = GetCurrentProcessId();
  } else {
    w.processId = processOfThread(spec.threadId);
    if (w.processId == 0) raise(err::InvalidProcedureCall, u"unknown thread for a new window");
    w.threadId = spec.threadId;
  }
  if (w.isChild()) {
    if (!find(spec.parent)) raise(err::InvalidProcedureCall, u"a child window needs a parent");
    w.parent = spec.parent;
    w.exStyle &= ~WS_EX_TOPMOST;
  } else {
    w.owner = spec.owner ? rootOf(spec.owner) : 0;
  }
  const HWND h = w.handle;
  windows_.emplace(h, std::move(w));
  Window& made = windows_.at(h);
  made.children = ChildWindows(ChildSlot{&windows_});
  if (made.isChild()) {
    find(made.parent)->children.push_back(h);
  } else {
    zOrder_.insert(zOrder_.begin(), h);
    bringToTopOfBand(h);
  }
  return h;
}

HWND Desktop::applicationWindow() {
  if (!find(applicationWindow_)) {
    WindowSpec spec;
    spec.className = "SvxApplicationWindow";
    spec.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    applicationWindow_ = createWindow(spec);
  }
  return applicationWindow_;
}

ForeignThread Desktop::addForeignThread() {
  ForeignThread t{nextForeignId_, nextForeignId_ + 1};
  nextForeignId_ += 2;
  foreignThreads_[t.threadId] = t.processId;
  return t;
}

DWORD Desktop::addForeignThreadTo(DWORD processId) {
  const DWORD tid = nextForeignId_++;
  foreignThreads_[tid] = processId;
  return tid;
}

DWORD Desktop::processOfThread(DWORD threadId) const {
  if (threadId == GetCurrentThreadId()) return GetCurrentProcessId();
  auto it = foreignThreads_.find(threadId);
  return it == foreignThreads_.end() ? 0 : it->second;
}

size_t& ChildSlot::operator()(HWND h) const { return windows->at(h).childSlot; }

void Desktop::bringToTopOfBand(HWND hwnd) {
  Window& w = window(hwnd);
  if (w.isChild()) {
    ChildWindows& sib = window(w.parent).children;
    sib.erase(hwnd);
    sib.insert(0, hwnd);
    return;
  }
  // The window and its owned windows (directly or through others) of the same
  // band move to the top of the band, owned ones in front, in their order.
  std::set<HWND> group{hwnd};
  for (bool grew = true; grew;) {
    grew = false;
    for (HWND h : zOrder_) {
      const Window& o = windows_.at(h);
      if (!group.count(h) && o.owner && group.count(o.owner) && o.topmost() == w.topmost()) {
        group.insert(h);
        grew = true;
      }
    }
  }
  std::vector<HWND> moving;
  for (HWND h : zOrder_) {
    if (group.count(h) && h != hwnd) moving.push_back(h);
  }
  moving.push_back(hwnd);
  std::erase_if(zOrder_, [&](HWND h) { return group.count(h) != 0; });
  auto pos = zOrder_.begin();
  if (!w.topmost()) {
    pos = std::find_if(zOrder_.begin(), zOrder_.end(),
                       [&](HWND h) { return !windows_.at(h).topmost(); });
  }
  zOrder_.insert(pos, moving.begin(), moving.end());
}

bool Desktop::foregroundAllowed() const {
  const Window* fg = find(foreground);
  if (!fg) return true;
  if (fg->processId == GetCurrentProcessId()) return true;
  return inputAttached(GetCurrentThreadId(), fg->threadId);
}

// The hidden application window hands activation on to the window it owns
// that was active last, while that one is shown (a form shown over it).
HWND Desktop::activationTarget(HWND root) const {
  if (!root || root != applicationWindow_ || !lastActiveOwned_) return root;
  const Window* w = find(lastActiveOwned_);
  return w && w->visible() && w->owner == root ? lastActiveOwned_ : root;
}

void Desktop::activate(HWND hwnd) {
  HWND root = activationTarget(rootOf(hwnd));
  // Activating a window that a modal window blocks activates the modal one.
  if (const Window* r = find(root); r && ownThread(*r)) {
    if (const HWND modal = modalWindow(); modal && modal != root && !owns(modal, root) && find(modal)->visible())
      root = modal;
  }
  Window& w = window(root);
  bringToTopOfBand(root);
  if (ownThread(w)) {
    // The focus comes back to where it was when the window was deactivated.
    if (rootOf(focus) != root) {
      const Window* last = find(w.lastFocus);
      focus = last && rootOf(w.lastFocus) == root && last->visible() && !(last->style & WS_DISABLED) ? w.lastFocus
                                                                                                   : root;
    }
    if (applicationWindow_ && w.owner == applicationWindow_) lastActiveOwned_ = root;
    setActive(root);
  }
}

void Desktop::setActive(HWND root) {
  const HWND previous = std::exchange(active, root);
  // The window that became active hears of it (WM_ACTIVATE, WA_ACTIVE, the
  // window deactivated), after the desktop's state is whole.
  if (root && root != previous) deliver(root, WM_ACTIVATE, WA_ACTIVE, previous, false);
}

void Desktop::userActivates(HWND hwnd) {
  const HWND root = rootOf(hwnd);
  Window& w = window(root);
  foreground = root;
  if (!ownThread(w)) {
    active = 0;
    focus = 0;
  }
  activate(root);
}

BOOL Desktop::setForegroundWindow(HWND hwnd) {
  const HWND root = activationTarget(rootOf(hwnd));
  Window* w = find(root);
  if (!w) return 0;
  if (!foregroundAllowed()) {
    ++refusedForegroundRequests;
    ++w->flashCount;
    return 0;
  }
  foreground = root;
  activate(root);
  return 1;
}

BOOL Desktop::attachThreadInput(DWORD idAttach, DWORD idAttachTo, bool attach) {
  if (idAttach == idAttachTo || processOfThread(idAttach) == 0 ||
      processOfThread(idAttachTo) == 0) {
    return 0;
  }
  const auto key = std::minmax(idAttach, idAttachTo);
  if (attach) {
    attachments_.insert(key);
    return 1;
  }
  return attachments_.erase(key) ? 1 : 0;
}

bool Desktop::inputAttached(DWORD a, DWORD b) const {
  return a == b || attachments_.count(std::minmax(a, b)) != 0;
}

BOOL Desktop::showWindow(HWND hwnd, int cmd) {
  Window* w = find(hwnd);
  if (!w) return 0;
  const BOOL wasVisible = w->visible() ? 1 : 0;
  bool activates = false;
  bool deactivates = false;
  switch (cmd) {
    case SW_HIDE:
      w->style &= ~WS_VISIBLE;
      deactivates = true;
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      w->style = (w->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
      activates = true;
      break;
    case SW_SHOW:
      w->style |= WS_VISIBLE;
      activates = true;
      break;
    case SW_SHOWNA:
      w->style |= WS_VISIBLE;
      break;
    case SW_SHOWNOACTIVATE:
      w->style = (w->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
      break;
    case SW_SHOWMAXIMIZED:
      w->style = (w->style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
      activates = true;
      break;
    case SW_SHOWMINIMIZED:
      w->style = (w->style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      w->style = (w->style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
      deactivates = true;
      break;
    default:
      return wasVisible;
  }
  if (w->isChild()) {
    // Hiding a child that holds the focus leaves its top-level window focused.
    if (deactivates && isWithin(focus, hwnd)) focus = rootOf(hwnd);
    return wasVisible;
  }
  if (activates) {
    if (foregroundAllowed() && ownThread(*w)) foreground = activationTarget(hwnd);
    activate(hwnd);
  } else if (deactivates) {
    if (foreground == hwnd) foreground = 0;
    if (active == hwnd) active = 0;
    if (rootOf(focus) == hwnd) focus = 0;
  }
  return wasVisible;
}

BOOL Desktop::destroyWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return 0;
  // Owned windows and children go first.
  std::vector<HWND> dependants = w->children.items();
  if (!w->isChild()) {
    for (HWND h : zOrder_) {
      if (windows_.at(h).owner == hwnd) dependants.push_back(h);
    }
  }
  for (HWND h : dependants) destroyWindow(h);
  // The window hears of its end while it still exists.
  if (find(hwnd)) deliver(hwnd, WM_DESTROY, 0, 0, false);
  w = find(hwnd);
  if (!w) return 1;
  if (w->isChild()) {
    if (Window* p = find(w->parent)) p->children.erase(hwnd);
  } else {
    eraseValue(zOrder_, hwnd);
  }
  if (foreground == hwnd) foreground = 0;
  if (active == hwnd) active = 0;
  if (isWithin(focus, hwnd)) focus = 0;
  if (taskbar_) taskbar_->buttons.erase(hwnd);
  if (applicationWindow_ == hwnd) applicationWindow_ = 0;
  if (lastActiveOwned_ == hwnd) lastActiveOwned_ = 0;
  windows_.erase(hwnd);
  messageLoop().windowDestroyed(hwnd);
  return 1;
}

void Desktop::setSizeState(HWND hwnd, uint32_t state) {
  if (Window* w = find(hwnd)) w->style = (w->style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | (state & (WS_MINIMIZE | WS_MAXIMIZE));
}

void Desktop::setFrame(HWND hwnd, std::optional<FrameInsets> frame) {
  if (Window* w = find(hwnd)) w->frame = frame;
}

BOOL Desktop::setWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                           UINT flags) {
  Window* w = find(hwnd);
  if (!w) return 0;
  if (!(flags & SWP_NOMOVE)) {
    w->rect.x = x;
    w->rect.y = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    w->rect.cx = cx;
    w->rect.cy = cy;
  }
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  if (flags & SWP_NOZORDER) return 1;
  if (w->isChild()) {
    ChildWindows& sib = window(w->parent).children;
    const Window* after = find(insertAfter);
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) {
      bringToTopOfBand(hwnd);
    } else if (insertAfter == HWND_BOTTOM) {
      sib.erase(hwnd);
      sib.push_back(hwnd);
    } else if (insertAfter != HWND_NOTOPMOST && insertAfter != hwnd && after && after->isChild() &&
               after->parent == w->parent) {
      sib.erase(hwnd);
      sib.insert(sib.indexOf(insertAfter) + 1, hwnd);
    }
    return 1;
  }
  switch (insertAfter) {
    case HWND_TOPMOST:
      w->exStyle |= WS_EX_TOPMOST;
      bringToTopOfBand(hwnd);
      break;
    case HWND_NOTOPMOST:
      // No effect on a window that is not topmost.
      if (w->topmost()) {
        w->exStyle &= ~WS_EX_TOPMOST;
        bringToTopOfBand(hwnd);
      }
      break;
    case HWND_TOP:
      bringToTopOfBand(hwnd);
      break;
    case HWND_BOTTOM:
      w->exStyle &= ~WS_EX_TOPMOST;
      eraseValue(zOrder_, hwnd);
      zOrder_.push_back(hwnd);
      break;
    default: {
      const Window* after = find(insertAfter);
      if (!after || after->isChild() || insertAfter == hwnd) return insertAfter == hwnd ? 1 : 0;
      // Behind `after`, within the band of `after`.
      if (after->topmost()) {
        w->exStyle |= WS_EX_TOPMOST;
      } else {
        w->exStyle &= ~WS_EX_TOPMOST;
      }
      eraseValue(zOrder_, hwnd);
      zOrder_.insert(std::find(zOrder_.begin(), zOrder_.end(), insertAfter) + 1, hwnd);
      break;
    }
  }
  if (!(flags & SWP_NOACTIVATE) && (flags & SWP_SHOWWINDOW) && ownThread(*w)) activate(hwnd);
  return 1;
}

HWND Desktop::setFocus(HWND hwnd) {
  const HWND previous = focus;
  if (hwnd == 0) {
    focus = 0;
    return previous;
  }
  const Window* w = find(hwnd);
  if (!w || !inputAttached(w->threadId, GetCurrentThreadId())) return 0;
  if (w->style & WS_DISABLED) return 0;
  if (const HWND target = activationTarget(hwnd); target != hwnd) {
    // The focus stays where it is in the window that takes the activation.
    activate(target);
    return previous;
  }
  focus = hwnd;
  if (ownThread(*w)) {
    const HWND root = rootOf(hwnd);
    find(root)->lastFocus = hwnd;
    if (applicationWindow_ && find(root)->owner == applicationWindow_) lastActiveOwned_ = root;
    if (active != root) {
      bringToTopOfBand(root);
      setActive(root);
    }
  }
  return previous;
}

uint64_t Desktop::beginModal(HWND window) {
  modals_.push_back(Modal{nextModal_, window});
  return nextModal_++;
}

void Desktop::endModal(uint64_t id) {
  std::erase_if(modals_, [id](const Modal& m) { return m.id == id; });
}

HWND Desktop::modalWindow() const {
  for (auto it = modals_.rbegin(); it != modals_.rend(); ++it)
    if (find(it->window)) return it->window;
  return 0;
}

bool Desktop::owns(HWND owner, HWND hwnd) const {
  const Window* w = find(rootOf(hwnd));
  for (int depth = 0; w && w->owner && depth < 64; ++depth) {
    if (w->owner == owner) return true;
    w = find(w->owner);
  }
  return false;
}

bool Desktop::takesInput(HWND hwnd) const {
  const HWND root = rootOf(hwnd);
  const Window* w = find(root);
  if (!w || (w->style & WS_DISABLED) != 0) return false;
  if (!ownThread(*w)) return true;
  // The newest modal window decides: a newer modal window is never blocked
  // by an older one, as it is found first.
  const HWND modal = modalWindow();
  return !modal || modal == root || owns(modal, root);
}

HWND Desktop::getWindow(HWND hwnd, UINT cmd) const {
  const Window* w = find(hwnd);
  if (!w) return 0;
  if (cmd == GW_OWNER) return w->isChild() ? 0 : w->owner;
  if (cmd == GW_CHILD) return w->children.empty() ? 0 : w->children.items().front();
  const std::vector<HWND>& sib = w->isChild() ? find(w->parent)->children.items() : zOrder_;
  const auto it = std::find(sib.begin(), sib.end(), hwnd);
  switch (cmd) {
    case GW_HWNDFIRST:
      return sib.front();
    case GW_HWNDLAST:
      return sib.back();
    case GW_HWNDNEXT:
      return it + 1 == sib.end() ? 0 : *(it + 1);
    case GW_HWNDPREV:
      return it == sib.begin() ? 0 : *(it - 1);
    default:
      return 0;
  }
}

HWND Desktop::getParent(HWND hwnd) const {
  const Window* w = find(hwnd);
  if (!w) return 0;
  if (w->isChild()) return w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return 0;
}

LONG Desktop::getWindowLong(HWND hwnd, int index) const {
  const Window* w = find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle);
    case GWL_HWNDPARENT:
      return w->isChild() ? w->parent : w->owner;
    case GWL_ID:
      return w->id;
    case GWL_USERDATA:
      return w->userData;
    default:
      return 0;
  }
}

LONG Desktop::setWindowLong(HWND hwnd, int index, LONG value) {
  Window* w = find(hwnd);
  if (!w) return 0;
  const LONG previous = getWindowLong(hwnd, index);
  const auto bits = static_cast<uint32_t>(value);
  switch (index) {
    case GWL_STYLE:
      // The state bits are changed through ShowWindow and EnableWindow only.
      w->style = (bits & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_CHILD)) |
                 (w->style & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_CHILD));
      break;
    case GWL_EXSTYLE:
      // Topmost is changed through SetWindowPos only.
      w->exStyle = (bits & ~WS_EX_TOPMOST) | (w->exStyle & WS_EX_TOPMOST);
      break;
    case GWL_HWNDPARENT:
      if (!w->isChild()) w->owner = (value != hwnd && find(value)) ? rootOf(value) : 0;
      break;
    case GWL_ID:
      w->id = value;
      break;
    case GWL_USERDATA:
      w->userData = value;
      break;
    default:
      return 0;
  }
  return previous;
}

HWND Desktop::findWindowEx(HWND parent, HWND childAfter, const char* className,
                           const char* caption) const {
  const std::vector<HWND>* list = &zOrder_;
  if (parent != 0) {
    const Window* p = find(parent);
    if (!p) return 0;
    list = &p->children.items();
  }
  auto it = list->begin();
  if (childAfter != 0) {
    it = std::find(list->begin(), list->end(), childAfter);
    if (it == list->end()) return 0;
    ++it;
  }
  for (; it != list->end(); ++it) {
    const Window& w = windows_.at(*it);
    if (className && !sameClass(w.className, className)) continue;
    if (caption && w.caption != caption) continue;
    return *it;
  }
  return 0;
}

void Desktop::setMessageHandler(HWND hwnd, MessageHandler handler) {
  window(hwnd).handler = std::move(handler);
}

LRESULT Desktop::deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool posted) {
  Window* w = find(hwnd);
  if (!w) return 0;
  w->log.push_back(MessageRecord{msg, wParam, lParam, posted});
  if (w->log.size() > Window::kMessageLogSize) w->log.pop_front();
  // A copy: the handler may destroy the window or replace its own handler.
  MessageHandler handler = w->handler;
  return handler ? handler(hwnd, msg, wParam, lParam) : 0;
}

const std::deque<MessageRecord>& Desktop::messages(HWND hwnd) const {
  static const std::deque<MessageRecord> none;
  const Window* w = find(hwnd);
  return w ? w->log : none;
}

void Desktop::installTaskbar() {
  if (taskbar_) return;
  Taskbar t;
  t.shell = addForeignThread();
  auto shellWindow = [&](const char* className, uint32_t style, uint32_t exStyle, HWND parent) {
    WindowSpec spec;
    spec.className = className;
    spec.style = style;
    spec.exStyle = exStyle;
    spec.parent = parent;
    spec.threadId = t.shell.threadId;
    return createWindow(spec);
  };
  t.tray = shellWindow("Shell_TrayWnd", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0);
  t.rebar = shellWindow("RebarWindow32", WS_CHILD | WS_VISIBLE, 0, t.tray);
  t.tasks = shellWindow("MSTaskSwWClass", WS_CHILD | WS_VISIBLE, 0, t.rebar);
  taskbar_ = std::move(t);
  setMessageHandler(taskbar_->tasks, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (taskbar_ && msg != 0 && msg == registeredMessage("SHELLHOOK")) {
      taskbar_->shellHookMessages.push_back(MessageRecord{msg, wParam, lParam, true});
      if (wParam == HSHELL_WINDOWCREATED && find(static_cast<HWND>(lParam))) {
        taskbar_->buttons.insert(static_cast<HWND>(lParam));
      }
    }
    return LRESULT{0};
  });
}

void Desktop::removeTaskbar() {
  if (!taskbar_) return;
  const HWND tray = taskbar_->tray;
  taskbar_.reset();
  destroyWindow(tray);
}

UINT Desktop::registerMessage(const std::string& name) {
  if (name.empty()) return 0;
  auto [it, added] = registered_.try_emplace(lower(name), nextRegistered_);
  if (added) ++nextRegistered_;
  return it->second;
}

UINT Desktop::registeredMessage(const std::string& name) const {
  auto it = registered_.find(lower(name));
  return it == registered_.end() ? 0 : it->second;
}

DWORD Desktop::sysColor(int index) const {
  if (index < 0 || index >= SYS_COLOR_COUNT) return 0;
  return sysColors_[static_cast<std::size_t>(index)];
}

void Desktop::setSysColor(int index, COLORREF colour) {
  if (index >= 0 && index < SYS_COLOR_COUNT) sysColors_[static_cast<std::size_t>(index)] = colour;
}

}  // namespace svx
