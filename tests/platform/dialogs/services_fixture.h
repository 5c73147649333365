// A fresh desktop on virtual time and the services at their defaults.
#pragma once

#include <gtest/gtest.h>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/services.h"
#include "tests/support/error_of.h"

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

}  // namespace svx::testing
