// A fresh desktop on virtual time for every test.
#pragma once

#include <gtest/gtest.h>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"

namespace svx::testing {

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
  }
  void TearDown() override {
    desktop().reset();
    Clock::useRealTime();
  }

  static HWND makeWindow(const std::string& className, uint32_t style = WS_OVERLAPPED | WS_VISIBLE,
                         HWND owner = 0, DWORD thread = 0) {
    WindowSpec spec;
    spec.className = className;
    spec.style = style;
    spec.owner = owner;
    spec.threadId = thread;
    return desktop().createWindow(spec);
  }
  static HWND makeChild(const std::string& className, HWND parent) {
    WindowSpec spec;
    spec.className = className;
    spec.style = WS_CHILD | WS_VISIBLE;
    spec.parent = parent;
    return desktop().createWindow(spec);
  }
};

}  // namespace svx::testing
