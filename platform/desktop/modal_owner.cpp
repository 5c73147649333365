#include "platform/desktop/modal_owner.h"

#include "platform/desktop/desktop.h"

namespace svx {

ModalScope::ModalScope(HWND window, HWND owner)
    : id_(0), window_(window), owner_(owner), previousActive_(desktop().active) {
  Desktop& d = desktop();
  // Owners can be set to form a loop: the walk is bounded as Desktop::owns is.
  int depth = 0;
  for (const Window* w = d.find(d.rootOf(owner)); w && depth < 64; w = d.find(w->owner), ++depth) {
    if (w->handle != d.applicationWindow() && IsWindowEnabled(w->handle)) {
      disabled_.push_back(w->handle);
      EnableWindow(w->handle, 0);
    }
  }
  id_ = d.beginModal(window);
  // Each window it blocks drops its pointer owner and its press state.
  const std::vector<HWND> order = d.zOrder();
  for (HWND h : order) {
    const Window* w = d.find(h);
    if (w && h != window && w->visible() && w->threadId == GetCurrentThreadId() && !d.takesInput(h))
      d.deliver(h, WM_CANCELMODE, 0, 0, false);
  }
}

ModalScope::~ModalScope() {
  Desktop& d = desktop();
  d.endModal(id_);
  for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it) EnableWindow(*it, 1);
  // Hand the activation back, unless another window took it meanwhile.
  const Window* active = d.find(d.active);
  if (active && active->visible() && d.active != window_ && !d.owns(window_, d.active)) return;
  auto usable = [&d](HWND h) {
    const Window* w = d.find(h);
    return w && w->visible() && d.takesInput(h);
  };
  if (usable(previousActive_) && previousActive_ != window_ && !d.owns(window_, previousActive_))
    SetForegroundWindow(previousActive_);
  else if (const HWND root = d.rootOf(owner_); usable(root))
    SetForegroundWindow(root);
}

}  // namespace svx
