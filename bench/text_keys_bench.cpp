// A person's caret key in a text box: Shift+Down in the help window's
// longest pane (about 28 KB, a few hundred lines) against the same key in a
// box of three short lines. The key moves the caret by the lines as drawn,
// and keeps it in view.
#include <benchmark/benchmark.h>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display_messages.h"
#include "platform/forms/text_box.h"
#include "windows/frm_help_all.h"

namespace svx {
namespace {

void pressKeys(benchmark::State& state, const BStr& text) {
  Clock::useVirtualTime();
  desktop().reset();
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  help->show(false);
  auto& pane = help->element<TextBox>(u"txtHelp");
  pane.setText(text);
  pane.setFocus();
  const HWND window = help->hWnd();
  int16_t key = 40;
  for (auto _ : state) {
    // Down to the end, then back up; each key extends the selection.
    if (pane.selStart() + pane.selLength() >= static_cast<int32_t>(pane.text().size())) key = 38;
    if (pane.selStart() + pane.selLength() == 0) key = 40;
    desktop().deliver(window, WM_KEYDOWN, static_cast<WPARAM>(key), 1, false);
  }
  help.reset();
  desktop().reset();
}

void BM_CaretKeyInTheLongestHelpPane(benchmark::State& state) {
  Clock::useVirtualTime();
  desktop().reset();
  BStr longest;
  {
    Ref<frmHelpAll> help = makeRef<frmHelpAll>();
    help->load();
    longest = help->element<TextBox>(u"txtHelp2").text();
  }
  pressKeys(state, longest);
}
BENCHMARK(BM_CaretKeyInTheLongestHelpPane)->Unit(benchmark::kMillisecond);

void BM_CaretKeyInAShortText(benchmark::State& state) {
  pressKeys(state, u"first line\r\nsecond line\r\nthird");
}
BENCHMARK(BM_CaretKeyInAShortText)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
