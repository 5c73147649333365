// Test helper: the runtime error number that a piece of code raises, 0 when
// it raises none.
#pragma once

#include "platform/automation/error.h"

namespace svx::testing {

template <class F>
int32_t errorOf(F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace svx::testing
