// A modal window while it is open. Opening it disables the windows of its
// owner chain (the hidden application window, which takes no input anyway,
// stays enabled), puts it on the desktop's modal stack, so that input of
// this thread reaches only it and the windows it owns (Desktop::takesInput),
// and sends WM_CANCELMODE to every shown window it blocks: their pointer
// owner and press state end there, not at some later click. Closing it
// (the scope's end, after its window is hidden or destroyed) enables the
// owner chain again and, when nothing else took the activation meanwhile,
// hands the activation and the focus back to the window that was active
// before it opened, else to its owner.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/desktop/win32.h"

namespace svx {

class ModalScope {
 public:
  ModalScope(HWND window, HWND owner);
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
  ~ModalScope();

 private:
  uint64_t id_;
  HWND window_;
  HWND owner_;
  HWND previousActive_;
  std::vector<HWND> disabled_;  // the owner chain's windows it disabled
};

}  // namespace svx
