#include "tests/platform/forms/forms_fixture.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/person.h"

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

TEST_F(FormsTest, WindowStateIsTheWindowsSizeStateAndAScriptedStateRaisesResize) {
  form->load();
  const HWND h = form->hWnd();
  form->take();
  form->setWindowState(2);
  EXPECT_EQ(form->take(), Log{"Form.Resize"});
  EXPECT_TRUE(desktop().window(h).style & WS_MAXIMIZE);
  EXPECT_FALSE(desktop().window(h).visible());  // a hidden form stays hidden
  form->setWindowState(1);
  EXPECT_TRUE(IsIconic(h));
  form->setWindowState(0);
  EXPECT_EQ(desktop().window(h).style & (WS_MINIMIZE | WS_MAXIMIZE), 0u);
  form->setWindowState(0);
  EXPECT_EQ(form->take(), (Log{"Form.Resize", "Form.Resize"}));
}

// What a display's window manager reports reaches the form as WM_SIZE and
// WM_MOVE in client terms: the form follows, its outer rect around the
// client area with the manager's frame, and raises Resize once per change.
TEST_F(FormsTest, TheWindowManagersSizesStatesAndFrameReachTheForm) {
  form->load();
  const HWND h = form->hWnd();
  const double width = form->width(), height = form->height();
  form->take();
  struct Step {
    const char* what;
    UINT message;
    WPARAM state;
    int x, y;  // client size (WM_SIZE) or origin (WM_MOVE)
    std::optional<FrameInsets> frame;
    int16_t windowState;
    double left, top, width, height;
    Log log;
  };
  const std::vector<Step> steps{
      {"minimised", WM_SIZE, SIZE_MINIMIZED, 1, 1, {}, 1, 1440, 1140, width, height, {"Form.Resize"}},
      {"restored", WM_SIZE, SIZE_RESTORED, 310, 355, {}, 0, 1440, 1140, width, height, {"Form.Resize"}},
      {"the same again", WM_SIZE, SIZE_RESTORED, 310, 355, {}, 0, 1440, 1140, width, height, {}},
      {"maximised", WM_SIZE, SIZE_MAXIMIZED, 1016, 740, {}, 2, 1440, 1140, 1024 * 15, 768 * 15, {"Form.Resize"}},
      {"moved", WM_MOVE, 0, 4, 24, {}, 2, 0, 0, 1024 * 15, 768 * 15, {}},
      {"a frame without borders", WM_SIZE, SIZE_MAXIMIZED, 1024, 749, FrameInsets{0, 19, 0, 0}, 2, 0, 0,
       1024 * 15, 768 * 15, {"Form.Resize"}},
      {"moved in that frame", WM_MOVE, 0, 100, 119, FrameInsets{0, 19, 0, 0}, 2, 1500, 1500, 1024 * 15, 768 * 15, {}},
      {"restored in a thin frame", WM_SIZE, SIZE_RESTORED, 316, 358, FrameInsets{1, 20, 1, 5}, 0, 1500, 1500,
       318 * 15, 383 * 15, {"Form.Resize"}},
  };
  for (const Step& st : steps) {
    desktop().setFrame(h, st.frame);
    desktop().deliver(h, st.message, st.state, packPoint(st.x, st.y), true);
    EXPECT_EQ(form->windowState(), st.windowState) << st.what;
    EXPECT_EQ(form->left(), st.left) << st.what;
    EXPECT_EQ(form->top(), st.top) << st.what;
    EXPECT_EQ(form->width(), st.width) << st.what;
    EXPECT_EQ(form->height(), st.height) << st.what;
    EXPECT_EQ(form->take(), st.log) << st.what;
  }
  EXPECT_EQ(form->scaleWidth(), 316 * 15);
  EXPECT_EQ(form->scaleHeight(), 358 * 15);
  const Window& w = desktop().window(h);
  EXPECT_EQ(w.rect, (WindowRect{100, 100, 318, 383}));
  EXPECT_EQ(w.style & (WS_MINIMIZE | WS_MAXIMIZE), 0u);
}

TEST_F(FormsTest, CancelledQueryUnloadOrUnloadKeepsTheForm) {
  form->load();
  form->add(u"Text", 1);
  form->cancelQueryUnload = -1;
  EXPECT_FALSE(person::close(*form));
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
  EXPECT_TRUE(person::close(*form));
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
  messageLoop().postTask([&] { person::click(button); });
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
