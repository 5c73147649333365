// The display under a private Xvfb: from ShowModal to the window's first
// frame on the screen, and from a click injected through XTest to the
// button's Click event.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/dialog_form.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "platform/display/x11_display.h"
#include "platform/forms/command_button.h"
#include "platform/forms/text_box.h"
#include "tests/display/xvfb_fixture.h"

namespace {

using namespace svx;

struct XScreen {
  svx::testing::Xvfb xvfb;
  std::unique_ptr<svx::testing::Person> person;
  X11Display* x11 = nullptr;

  XScreen() {
    if (!xvfb.running()) return;
    Clock::useRealTime();
    auto d = X11Display::connect(xvfb.name().c_str(), nullptr);
    if (!d) return;
    x11 = d.get();
    setDisplay(std::move(d));
    person = std::make_unique<svx::testing::Person>(xvfb.name());
  }
  ~XScreen() { setDisplay(nullptr); }
};

XScreen& screenOnce() {
  static XScreen s;
  return s;
}

Ref<DialogForm> sampleForm(int16_t& clicks) {
  auto form = makeRef<DialogForm>();
  form->load();
  form->setCaption(u"Benchmark");
  auto add = [&](BStrView family) -> Control& {
    Variant n, d;
    std::vector<Variant> refs{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
    const auto index = static_cast<int16_t>(form->invoke(BStr(u"Load") + BStr(family), InvokeKind::Method, refs).asI4());
    Control& c = form->control(family, index);
    c.setVisible(true);
    return c;
  };
  for (int i = 0; i < 5; ++i) add(u"Text").move(240, 240 + i * 400, 2400, 315);
  auto& ok = dynamic_cast<CommandButton&>(add(u"Command"));
  ok.move(240, 2400, 1200, 375);
  ok.setCaption(u"OK");
  form->connect(std::make_shared<FunctionSink>([&clicks](Object&, const EventInfo& ev, std::span<Variant>) {
    if (ev.name == u"CommandClick") ++clicks;
  }));
  return form;
}

void BM_ShowModalToFirstFrame(benchmark::State& state) {
  XScreen& s = screenOnce();
  if (!s.x11) return state.SkipWithError("Xvfb is not available");
  int16_t clicks = 0;
  Ref<DialogForm> form = sampleForm(clicks);
  for (auto _ : state) {
    const uint64_t before = s.x11->framesPainted();
    messageLoop().setIdleHook([&] {
      if (s.x11->framesPainted() > before) form->hide();
      return false;
    });
    form->show(true);
    state.PauseTiming();
    s.x11->pump();  // the hidden window leaves the screen
    state.ResumeTiming();
  }
  messageLoop().setIdleHook({});
}
BENCHMARK(BM_ShowModalToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_InjectedClickToClickEvent(benchmark::State& state) {
  XScreen& s = screenOnce();
  if (!s.x11) return state.SkipWithError("Xvfb is not available");
  int16_t clicks = 0;
  Ref<DialogForm> form = sampleForm(clicks);
  form->show(false);
  const HWND h = form->hWnd();
  messageLoop().runModalLoop([&] { return s.x11->viewable(h) && s.x11->framesPainted() > 0; });
  const auto [x, y] = s.person->origin(s.x11->windowOf(h));
  s.person->moveTo(x + 56, y + 172);
  for (auto _ : state) {
    const int16_t before = clicks;
    s.person->press(1);
    s.person->release(1);
    messageLoop().runModalLoop([&] { return clicks != before; });
    // Two clicks in a row would be a double click.
    state.PauseTiming();
    Clock::advance(1);
    s.person->moveTo(x + 57 + (clicks % 2) * 5, y + 172);
    state.ResumeTiming();
  }
  form->hide();
}
BENCHMARK(BM_InjectedClickToClickEvent)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
