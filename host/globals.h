// The script's globals: WScript (with Arguments), ActiveXObject, and the
// objects installed for every run (such as the simulated user, User).
#pragma once

#include "host/engine.h"

namespace svx::host {

void installWScript(duk_context* ctx, Engine& e);
// The objects given to addGlobalObject, each as a global of its name.
void installGlobalObjects(duk_context* ctx);

}  // namespace svx::host
