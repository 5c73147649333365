// The process-wide services of the runtime in one place, for tests and for
// a host that starts over: Screen, Clipboard, App, the message-box and
// colour-dialog responders and the beep count.
#pragma once

#include "platform/services/app.h"
#include "platform/services/clipboard.h"
#include "platform/services/colour.h"
#include "platform/services/message_box.h"
#include "platform/services/screen.h"

namespace svx {

// Back to the start: default screen, empty clipboard, App defaults, no
// queued answers and no recorded boxes, no beeps.
void resetServices();

}  // namespace svx
