// What a window manager reads of the program's windows under a private Xvfb:
// the icon (_NET_WM_ICON), the frame a form's border style asks for (size
// hints, _MOTIF_WM_HINTS), the taskbar entry and the window type.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/dialog_form.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/services.h"
#include "platform/display/x11_display.h"
#include "platform/graphics/program_icon.h"
#include "platform/system/screen.h"
#include "tests/display/xvfb_fixture.h"
#include "windows/frm_about.h"

namespace svx::testing {
namespace {

constexpr uint32_t kMinMaxSize = 16 | 32;  // PMinSize | PMaxSize
constexpr uint32_t fResize = 2, fMove = 4, fMinimize = 8, fMaximize = 16, fClose = 32;
constexpr uint32_t dBorder = 2, dTitle = 8, dMenu = 16;

int64_t g_deadline = 0;
void wakeUp(HWND, UINT, UINT_PTR, DWORD) {}

class X11FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb.running()) GTEST_SKIP() << "Xvfb is not available";
    Clock::useRealTime();
    messageLoop().reset();
    resetServices();
    person = std::make_unique<Person>(xvfb.name());
    std::string why;
    auto d = X11Display::connect(xvfb.name().c_str(), &why);
    ASSERT_TRUE(d) << why;
    x11 = d.get();
    setDisplay(std::move(d));
    g_deadline = Clock::nowMs() + 20000;
  }
  void TearDown() override {
    messageLoop().setIdleHook({});
    messageLoop().reset();
    setDisplay(nullptr);
    resetServices();
    screen().reset();
  }

  // Pumps the display until the window is on the screen; its X11 window.
  uint32_t shownWindow(HWND h) {
    eventually([&] {
      x11->pump();
      return x11->viewable(h);
    });
    return x11->windowOf(h);
  }

  xcb_atom_t atom(const char* name) {
    xcb_connection_t* c = person->connection();
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  }

  // Every 32-bit value of a window's property (empty: none).
  std::vector<uint32_t> values(uint32_t window, const char* name) {
    xcb_connection_t* c = person->connection();
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16), nullptr);
    std::vector<uint32_t> out;
    if (r && r->format == 32) {
      const auto* p = static_cast<const uint32_t*>(xcb_get_property_value(r));
      out.assign(p, p + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }

  bool hasState(uint32_t window, const char* state) {
    const auto states = values(window, "_NET_WM_STATE");
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
  }

  Xvfb xvfb;
  std::unique_ptr<Person> person;
  X11Display* x11 = nullptr;
};

TEST_F(X11FrameTest, AFormCarriesTheProgramsIconAndASizableFrame) {
  Ref<DialogForm> form = makeRef<DialogForm>();
  form->load();
  form->show(false);
  const uint32_t w = shownWindow(form->hWnd());
  ASSERT_NE(w, 0u);

  const auto icon = values(w, "_NET_WM_ICON");
  ASSERT_EQ(icon.size(), 2u + 32 * 32);
  EXPECT_EQ(icon[0], 32u);
  EXPECT_EQ(icon[1], 32u);
  const RasterImage& image = programIcon().image();
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const uint32_t p = image.pixels[i];
    ASSERT_EQ(icon[2 + i], (p >> 24) == 0xFF ? p : 0u) << i;  // opaque, or wholly transparent
  }

  const auto hints = values(w, "WM_NORMAL_HINTS");
  ASSERT_EQ(hints.size(), 18u);
  EXPECT_EQ(hints[0] & kMinMaxSize, 0u);
  EXPECT_EQ(hints[0] & 512, 512u);  // PWinGravity
  EXPECT_EQ(hints[17], 10u);        // StaticGravity: the place asked for is the client area's
  // The machine beside the process id, as the window manager reads them.
  std::array<char, 256> host{};
  ASSERT_EQ(gethostname(host.data(), host.size() - 1), 0);
  EXPECT_EQ(person->text(w, "WM_CLIENT_MACHINE"), std::string(host.data()));
  EXPECT_EQ(person->windowProperty(w, "_NET_WM_PID"), static_cast<uint32_t>(getpid()));
  const auto motif = values(w, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[1] & (fResize | fMinimize | fMaximize | fClose), fResize | fMinimize | fMaximize | fClose);
  EXPECT_FALSE(hasState(w, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_EQ(values(w, "_NET_WM_WINDOW_TYPE"), std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_NORMAL")});
  form->unload();
}

TEST_F(X11FrameTest, TheAboutBoxHasAFixedDialogFrameOutsideTheTaskbar) {
  Ref<frmAbout> about = makeRef<frmAbout>();
  about->load();
  about->show(false);
  const uint32_t w = shownWindow(about->hWnd());
  ASSERT_NE(w, 0u);
  const int width = static_cast<int>(about->scaleWidth() / 15), height = static_cast<int>(about->scaleHeight() / 15);

  const auto hints = values(w, "WM_NORMAL_HINTS");
  ASSERT_GE(hints.size(), 9u);
  EXPECT_EQ(hints[0] & kMinMaxSize, kMinMaxSize);
  EXPECT_EQ(hints[5], static_cast<uint32_t>(width));  // min = max = its size
  EXPECT_EQ(hints[6], static_cast<uint32_t>(height));
  EXPECT_EQ(hints[7], hints[5]);
  EXPECT_EQ(hints[8], hints[6]);
  const auto motif = values(w, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0], 3u);  // functions and decorations given
  EXPECT_EQ(motif[1], fMove | fClose);
  EXPECT_EQ(motif[2], dBorder | dTitle | dMenu);
  EXPECT_TRUE(hasState(w, "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_EQ(values(w, "_NET_WM_WINDOW_TYPE"), std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_DIALOG")});
  EXPECT_EQ(values(w, "_NET_WM_ICON").size(), 2u + 32 * 32);

  // Sized by the program, it stays fixed at the new size.
  about->setWidth(about->width() + 150);
  x11->pump();
  person->sync();
  const auto resized = values(w, "WM_NORMAL_HINTS");
  ASSERT_GE(resized.size(), 9u);
  EXPECT_EQ(resized[5], static_cast<uint32_t>(width + 10));
  EXPECT_EQ(resized[7], resized[5]);
  about->unload();
}

TEST_F(X11FrameTest, OpenedFromAShownFormTheAboutBoxIsATransientDialogOfIt) {
  Ref<DialogForm> form = makeRef<DialogForm>();
  form->load();
  form->show(false);
  const uint32_t formWindow = shownWindow(form->hWnd());
  ASSERT_NE(formWindow, 0u);
  uint32_t transientFor = 0, type = 0;
  bool skipsTaskbar = false;
  SetTimer(0, 0, 50, &wakeUp);
  messageLoop().setIdleHook([&] {
    for (HWND h : desktop().zOrder()) {
      auto* about = dynamic_cast<frmAbout*>(Form::fromHandle(h));
      if (!about || !about->isLoaded()) continue;
      if (!x11->viewable(h) && Clock::nowMs() < g_deadline) return false;
      const uint32_t w = x11->windowOf(h);
      transientFor = values(w, "WM_TRANSIENT_FOR").empty() ? 0 : values(w, "WM_TRANSIENT_FOR")[0];
      type = values(w, "_NET_WM_WINDOW_TYPE").empty() ? 0 : values(w, "_NET_WM_WINDOW_TYPE")[0];
      skipsTaskbar = hasState(w, "_NET_WM_STATE_SKIP_TASKBAR");
      Ref<frmAbout> keep(about);
      messageLoop().postTask([keep] { keep->unload(); });
      return true;
    }
    return false;
  });
  form->AboutBox();
  messageLoop().setIdleHook({});
  EXPECT_EQ(transientFor, formWindow);
  EXPECT_EQ(type, atom("_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(skipsTaskbar);
  form->unload();
}

TEST_F(X11FrameTest, AFormWithAnIconOfItsOwnShowsThatOneUnpremultiplied) {
  RasterImage own(16, 8, 0xFF00FF00);
  own.at(1, 0) = 0x80400000;  // half transparent, premultiplied
  own.at(2, 0) = 0;
  FormDesign design;
  design.icon = Picture::fromImage(own);
  Ref<Form> form = makeRef<Form>(design);
  form->load();
  form->show(false);
  const uint32_t w = shownWindow(form->hWnd());
  ASSERT_NE(w, 0u);
  const auto icon = values(w, "_NET_WM_ICON");
  ASSERT_EQ(icon.size(), 2u + 16 * 8);
  EXPECT_EQ(icon[0], 16u);
  EXPECT_EQ(icon[1], 8u);
  EXPECT_EQ(icon[2], 0xFF00FF00u);
  EXPECT_EQ(icon[3], 0x80800000u);
  EXPECT_EQ(icon[4], 0u);
  form->unload();
}

}  // namespace
}  // namespace svx::testing
