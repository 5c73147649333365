// A fresh desktop on virtual time and the services at their defaults.
#pragma once

#include <gtest/gtest.h>

#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/services.h"

namespace svx::testing {

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    resetServices();
  }
  void TearDown() override {
    resetServices();
    desktop().reset();
    Clock::useRealTime();
  }
};

// The runtime error number that `f` raises, 0 when it raises none.
inline int32_t errorOf(auto&& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace svx::testing
