#include "controls/standard_families_ii.h"

#include "platform/automation/dispatch.h"

namespace svx {

void declareTimerFamily(ClassInfo&) {}

}  // namespace svx
