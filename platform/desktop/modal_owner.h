// While a modal window is open its owner is disabled; the guard enables the
// owner again when it goes, if it was enabled before.
#pragma once

#include "platform/desktop/win32.h"

namespace svx {

class DisabledOwner {
 public:
  explicit DisabledOwner(HWND owner) : owner_(owner), wasEnabled_(owner != 0 && IsWindowEnabled(owner)) {
    if (owner_) EnableWindow(owner_, 0);
  }
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;
  ~DisabledOwner() {
    if (owner_ && wasEnabled_) EnableWindow(owner_, 1);
  }

 private:
  HWND owner_;
  bool wasEnabled_;
};

}  // namespace svx
