// The common dialogs on virtual time, owned by a window of their own, with
// the printers of a fake scheduler (none until a test names them); through
// a script's Dialog object: DialogObjectTest.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/services.h"
#include "platform/forms/form.h"
#include "platform/print/printers.h"
#include "tests/support/dialog_object_fixture.h"
#include "tests/support/fake_print_destinations.h"

namespace svx::testing {

class CommonDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    resetServices();
    fake = std::make_shared<FakePrintDestinations>();
    setPrintDestinations(fake);
    owner = desktop().createWindow(WindowSpec{});
  }
  void TearDown() override {
    messageLoop().setIdleHook({});
    setPrintDestinations(nullptr);
    resetServices();
    Clock::useRealTime();
  }

  // Once the window `dialog` names is open and shown, runs `act` on its form
  // and closes it.
  static void whenOpen(std::function<HWND()> dialog, std::function<void(Form&)> act) {
    messageLoop().setIdleHook([dialog, act] {
      const HWND h = dialog();
      Form* f = h ? Form::fromHandle(h) : nullptr;
      if (!f || !f->visible()) return false;
      act(*f);
      PostMessageA(h, WM_CLOSE, 0, 0);
      messageLoop().setIdleHook({});  // last: this ends the closure
      return true;
    });
  }

  std::shared_ptr<FakePrintDestinations> fake;
  HWND owner = 0;
};

}  // namespace svx::testing
