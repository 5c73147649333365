// Dialog with its real form: the show, the bring-to-front tick, events from
// the simulated user with write-back, and the end of the object.
#include <gtest/gtest.h>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/message_box.h"
#include "platform/forms/person.h"
#include "platform/forms/text_box.h"

namespace svx {
namespace {

class DialogWithForm : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    desktop().installTaskbar();
    registerDialogForm();
    dlg = createDialog();
    dlg->connect(std::make_shared<FunctionSink>([this](Object&, const EventInfo& ev, std::span<Variant> args) {
      names.push_back(ev.name);
      if (onEvent) onEvent(ev.name, args);
    }));
  }
  void TearDown() override {
    onEvent = nullptr;
    dlg.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  static ObjectRef createDialog() {
    Dialog::registerProgId();
    return createObject(u"Sorvanelix.Dialog");
  }
  Variant call(BStrView member, std::vector<Variant> args) {
    return dlg->invoke(member, InvokeKind::Method, args);
  }
  Ref<Form> form() {
    Variant n, d;
    std::vector<Variant> args{Variant::byRef(n), Variant::byRef(d)};
    return refCast<Form>(call(u"FormObject", args).asObject());
  }

  ObjectRef dlg;
  std::vector<BStr> names;
  std::function<void(BStrView, std::span<Variant>)> onEvent;
};

TEST_F(DialogWithForm, ShowModalIsTopmostAndBroughtToFrontWithATaskbarButton) {
  Ref<Form> f = form();
  const HWND hwnd = f->hWnd();
  bool checked = false;
  onEvent = [&](BStrView name, std::span<Variant>) {
    if (name != u"FormActivate" || checked) return;
    checked = true;
    EXPECT_TRUE(desktop().window(hwnd).topmost());
    // 20 ms later the tick has given the window its taskbar button.
    messageLoop().postTask([f] {});
    Clock::advance(25);
    DoEvents();
    EXPECT_EQ(desktop().taskbar()->buttons.count(hwnd), 1u);
    EXPECT_TRUE(desktop().window(hwnd).exStyle & WS_EX_APPWINDOW);
    f->hide();
  };
  Variant n(99), d(u"x");
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_TRUE(checked);
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(d.asBStr(), u"");
}

// The tick brings the process's hidden owner window to the front; the owner
// hands the activation on to the form, so the form stays the active window
// and a message box shown then is owned by the form.
TEST_F(DialogWithForm, AfterTheBringToFrontTickTheFormIsActiveAndOwnsAMessageBox) {
  Ref<Form> f = form();
  const HWND hwnd = f->hWnd();
  bool checked = false;
  onEvent = [&](BStrView name, std::span<Variant>) {
    if (name != u"FormActivate" || checked) return;
    checked = true;
    messageLoop().postTask([f] {});
    Clock::advance(25);
    DoEvents();
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    EXPECT_EQ(person::activeForm(), f.get());
    MsgBox(Variant(u"hello"));
    ASSERT_FALSE(dialogResponder().sessions().empty());
    EXPECT_EQ(dialogResponder().sessions().back().owner, hwnd);
    EXPECT_TRUE(IsWindowEnabled(hwnd));  // again, once the box is gone
    f->hide();
  };
  Variant n, d;
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_TRUE(checked);
}

TEST_F(DialogWithForm, FormQueryUnloadWriteBackKeepsTheWindow) {
  Ref<Form> f = form();
  onEvent = [&](BStrView name, std::span<Variant> args) {
    if (name == u"FormQueryUnload") {
      EXPECT_EQ(args[0].varType(), VT_I2);
      args[0].assign(Variant(true));
    }
    if (name == u"FormActivate") {
      EXPECT_FALSE(person::close(*f));
      f->hide();
    }
  };
  Variant n, d;
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_TRUE(f->isLoaded());
}

TEST_F(DialogWithForm, HScrollChangeArrivesAsHScrollBarChange) {
  Variant n, d;
  const Variant index = call(u"LoadHScrollBar", {Variant::missing(), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(index, Variant(1));
  Ref<Form> f = form();
  f->show(false);
  Control& bar = f->array(u"HScroll").item(1);
  bar.setVisible(true);
  names.clear();
  person::scroll(bar, 30);
  EXPECT_NE(std::find(names.begin(), names.end(), u"HScrollBarChange"), names.end());
  for (const BStr& name : names) EXPECT_FALSE(name.starts_with(u"HScrollC"));
}

// An event that nobody acts on is not raised at all; one that a listener
// acts on still arrives with its write-back.
TEST_F(DialogWithForm, OnlyTheEventsAListenerActsOnAreRaised) {
  ObjectRef other = createDialog();
  std::vector<BStr> heard;
  other->connect(std::make_shared<FunctionSink>(
      [&](Object&, const EventInfo& ev, std::span<Variant> args) {
        heard.push_back(ev.name);
        if (ev.name == u"TextKeyPress" && toI2(args[1]) == 'b') args[1].assign(Variant::i2(0));
      },
      [](Object&, const EventInfo& ev) { return ev.name == u"TextKeyPress"; }));
  Variant n, d;
  std::vector<Variant> load{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
  other->invoke(u"LoadText", InvokeKind::Method, load);
  std::vector<Variant> args{Variant::byRef(n), Variant::byRef(d)};
  Ref<Form> f = refCast<Form>(other->invoke(u"FormObject", InvokeKind::Method, args).asObject());
  f->show(false);
  Control& box = f->array(u"Text").item(1);
  box.setVisible(true);
  person::type(box, u"abc");
  EXPECT_EQ(heard, (std::vector<BStr>{u"TextKeyPress", u"TextKeyPress", u"TextKeyPress"}));
  EXPECT_EQ(dynamic_cast<TextBox&>(box).text(), u"ac");
  f->unload();
  other.reset();
}

TEST_F(DialogWithForm, ReleasingTheObjectUnloadsItsForm) {
  Ref<Form> f = form();
  EXPECT_TRUE(f->isLoaded());
  dlg.reset();
  EXPECT_FALSE(f->isLoaded());
}

}  // namespace
}  // namespace svx
