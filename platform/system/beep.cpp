#include "platform/system/beep.h"

namespace svx {

namespace {
int32_t g_beeps = 0;
}  // namespace

void Beep() { ++g_beeps; }
int32_t beepCount() { return g_beeps; }
void resetBeepCount() { g_beeps = 0; }

}  // namespace svx
