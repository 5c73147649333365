#include "tests/platform/forms/forms_fixture.h"

#include <array>
#include <memory>

#include "platform/desktop/message_loop.h"
#include "platform/forms/user.h"

namespace svx::testing {
namespace {

TEST_F(FormsTest, LoadsOnFirstTouchWithInitializeThenLoad) {
  EXPECT_FALSE(form->isLoaded());
  EXPECT_EQ(form->caption(), u"Test");
  EXPECT_EQ(form->take(), (Log{"Form.Initialize", "Form.Load"}));
  EXPECT_TRUE(form->keyPreview());
  EXPECT_EQ(form->font().name, u"Tahoma");
  EXPECT_EQ(form->control(u"Text").font().size, 8.25);
}

TEST_F(FormsTest, DesignClientAreaPlacesTheWindow) {
  EXPECT_EQ(form->scaleWidth(), 4650);
  EXPECT_EQ(form->scaleHeight(), 5325);
  EXPECT_EQ(form->width(), 4650 + 2 * FormBorderTwips);
  EXPECT_EQ(form->height(), 5325 + 2 * FormBorderTwips + FormCaptionTwips);
  EXPECT_EQ(form->left(), 1500 - FormBorderTwips);
  const Window& w = desktop().window(form->hWnd());
  EXPECT_EQ(w.owner, desktop().applicationWindow());
  EXPECT_EQ(w.rect.cx, (4650 + 120) / 15);
}

TEST_F(FormsTest, SizeChecks) {
  EXPECT_EQ(errorOf([&] { form->setWidth(-1); }), 380);
  form->take();
  form->setHeight(3000);
  EXPECT_EQ(form->take(), Log{"Form.Resize"});
  form->setWindowState(1);
  EXPECT_EQ(errorOf([&] { form->setLeft(0); }), 384);
  EXPECT_EQ(errorOf([&] { form->setWidth(100); }), 384);
}

TEST_F(FormsTest, CancelledQueryUnloadOrUnloadKeepsTheForm) {
  form->load();
  form->add(u"Text", 1);
  form->cancelQueryUnload = -1;
  EXPECT_FALSE(user::close(*form));
  form->cancelQueryUnload = 0;
  form->cancelUnload = 1;
  form->take();
  EXPECT_FALSE(form->unload());
  EXPECT_EQ(form->take(), (Log{"Form.QueryUnload(1)", "Form.Unload"}));
  EXPECT_TRUE(form->isLoaded());
  EXPECT_TRUE(form->array(u"Text").exists(1));
}

TEST_F(FormsTest, TouchedAfterUnloadLoadsAgainWithTemplatesOnly) {
  form->load();
  Ref<Control> kept(&form->add(u"Text", 1));
  const HWND old = form->hWnd();
  form->take();
  EXPECT_TRUE(user::close(*form));
  EXPECT_EQ(form->take(), (Log{"Form.QueryUnload(0)", "Form.Unload"}));
  EXPECT_FALSE(form->isLoaded());
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(kept->loaded());
  EXPECT_EQ(form->array(u"Text").uBound(), 0);  // touching it loads it again
  EXPECT_EQ(form->take(), Log{"Form.Load"});     // no second Initialize
  EXPECT_EQ(form->array(u"Text").load(1).index(), 1);
}

TEST_F(FormsTest, LastReleaseUnloadsFromCodeThenTerminates) {
  auto out = std::make_shared<Log>();
  struct Logged : TestForm {
    std::shared_ptr<Log> out;
    void onTerminate() override {
      *out = log;
      out->push_back("Form.Terminate");
    }
  };
  Ref<Logged> p = makeRef<Logged>();
  p->out = out;
  p->load();
  p->take();
  p.reset();
  EXPECT_EQ(*out, (Log{"Form.QueryUnload(1)", "Form.Unload", "Form.Terminate"}));
}

TEST_F(FormsTest, ShowModalRunsUntilAHandlerHides) {
  auto& button = form->add<CommandButton>(u"Command", 1);
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant>) {
    if (e == ControlEvent::Click) form->hide();
  };
  messageLoop().postTask([&] { user::click(button); });
  form->show(true);
  EXPECT_FALSE(form->visible());
  EXPECT_TRUE(form->isLoaded());
  const Log log = form->take();
  EXPECT_EQ(log.back(), "Command(1).Click");
  EXPECT_EQ(log[2], "Form.Resize");
  EXPECT_EQ(log[3], "Form.Activate");
}

TEST_F(FormsTest, ShowingAModalFormAgainFails) {
  int error = 0;
  messageLoop().postTask([&] {
    error = errorOf([&] { form->show(true); });
    form->hide();
  });
  form->show(true);
  EXPECT_EQ(error, 400);
}

TEST_F(FormsTest, ControlsCollectionAndLateBoundMembers) {
  Variant controls = form->invoke(u"Controls", InvokeKind::PropertyGet, {});
  Object& c = *controls.asObject();
  const int32_t count = toI4(c.invoke(u"Count", InvokeKind::PropertyGet, {}));
  EXPECT_EQ(count, 14);
  std::array<Variant, 1> name{Variant(u"Check")};
  Variant check = c.invoke(u"Item", InvokeKind::PropertyGet, name);
  EXPECT_EQ(toBStr(check.asObject()->invoke(u"Caption", InvokeKind::PropertyGet, {})), u"Check");
  EXPECT_NE(toI4(form->invoke(u"hWnd", InvokeKind::PropertyGet, {})), 0);
}

TEST_F(FormsTest, ArraysAreFoundByNameInAnyCaseAndAnewAfterAReload) {
  ControlArray& command = form->array(u"Command");
  for (BStrView name : {u"command", u"COMMAND", u"cOmMaNd"}) EXPECT_EQ(form->findArray(name), &command);
  EXPECT_EQ(form->findArray(u"Commands"), nullptr);
  EXPECT_EQ(form->findArray(u""), nullptr);
  EXPECT_EQ(errorOf([&] { form->array(u"Nothing"); }), 5);
  const Ref<ControlArray> old(&command);
  EXPECT_TRUE(form->unload());
  ControlArray& again = form->array(u"command");
  EXPECT_NE(&again, old.get());
  EXPECT_EQ(old->form(), nullptr);
  EXPECT_EQ(again.form(), form.get());
  EXPECT_TRUE(again.exists(0));
}

TEST_F(FormsTest, ARepeatedDesignNameFindsTheFirstArray) {
  FormDesign d;
  d.controls = {{u"Twice", ControlKind::Label, {}, {}, {}},
                {u"Other", ControlKind::CommandButton, {}, {}, {}},
                {u"TWICE", ControlKind::TextBox, {}, {}, {}}};
  Ref<TestForm> f = makeRef<TestForm>(d);
  f->load();
  EXPECT_EQ(f->arrays().size(), 3u);
  EXPECT_EQ(f->findArray(u"twice"), f->arrays()[0].get());
  EXPECT_NE(dynamic_cast<Label*>(&f->control(u"Twice")), nullptr);
  EXPECT_EQ(f->findArray(u"other"), f->arrays()[1].get());
  f.reset();
}

}  // namespace
}  // namespace svx::testing
