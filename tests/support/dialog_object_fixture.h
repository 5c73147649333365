// Test fixture: a Dialog object as a script creates it, on a fresh desktop
// with virtual time and every service and dialog provider reset.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/services.h"
#include "platform/forms/form.h"

namespace svx::testing {

// A Dialog object as a script creates it, with its error out-parameters set
// to values a member must overwrite; every provider starts empty.
class DialogObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    resetServices();
    registerDialogForm();
    Dialog::registerProgId();
    dlg = createObject(u"Sorvanelix.Dialog");
  }
  void TearDown() override {
    dlg.reset();
    resetServices();
    clearDialogSnapshots();
    desktop().reset();
    Clock::useRealTime();
  }

  // The window of the Dialog's form, the owner of its dialogs.
  HWND formWindow() {
    Variant n, d;
    std::vector<Variant> args{Variant::byRef(n), Variant::byRef(d)};
    return refCast<Form>(dlg->invoke(u"FormObject", InvokeKind::Method, args).asObject())->hWnd();
  }

  ObjectRef dlg;
  Variant errNumber = Variant(99);
  Variant errDescription = Variant(u"x");
};

}  // namespace svx::testing
