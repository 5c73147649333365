// The runtime's Beep: counted, no sound.
#pragma once

#include <cstdint>

namespace svx {

void Beep();
int32_t beepCount();
void resetBeepCount();

}  // namespace svx
