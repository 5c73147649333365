// The runtime's key codes for X11 key symbols.
#pragma once

#include <cstdint>

namespace svx {

// The key code of the key whose unshifted symbol is `keysym` (letters give
// 'A'..'Z' whatever the shift state); 0 for a key the runtime has no code for.
int16_t runtimeKeyCode(uint32_t keysym);

}  // namespace svx
