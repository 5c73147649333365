// The process-wide services of the runtime in one place, for tests and for
// a host that starts over: Screen, Clipboard, App, the providers of the
// boxes and the common dialogs (the folder dialog's goes with the desktop's
// reset) and the beep count.
#pragma once

#include "platform/dialogs/message_box.h"
#include "platform/system/app.h"
#include "platform/system/beep.h"
#include "platform/system/clipboard.h"
#include "platform/system/colour.h"
#include "platform/system/screen.h"

namespace svx {

// Back to the start: default screen, empty clipboard, App defaults, no
// queued answers and no recorded boxes or dialogs, no beeps.
void resetServices();

}  // namespace svx
