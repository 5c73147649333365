// Which display a host attaches: SVX_DISPLAY=headless|x11 chooses; unset, X11
// is used when DISPLAY names a reachable server, else headless.
#pragma once

#include <memory>

#include "platform/desktop/display.h"

namespace svx {

// The display SVX_DISPLAY and DISPLAY ask for. An explicit "x11" that cannot
// connect raises a RuntimeError with the reason; an unknown name raises 5.
std::unique_ptr<Display> displayFromEnvironment();

}  // namespace svx
