// A person's caret key in a text box: Shift+Down in the help window's
// longest pane (about 28 KB, a few hundred lines) against the same key in a
// box of three short lines. The key moves the caret by the lines as drawn,
// and keeps it in view. And a script's User.keyPress to a one-line box with
// no handler: a refused key, and keys that change the text (a character,
// then Backspace) in a text of 10 and of 8,000 characters.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/user/simulated_user.h"

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
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

// The script's handle on the benchmark's loop.
class BenchDriver : public Object {
 public:
  explicit BenchDriver(benchmark::State& state) : state_(state) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"BenchDriver").method<&BenchDriver::Next>(u"Next", {});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Next() { return Variant(state_.KeepRunning()); }

 private:
  benchmark::State& state_;
};

constexpr int kBatch = 1000;

// Runs a script that sends kBatch keys per iteration to one-line box `t`
// holding `length` characters, the caret at its end; "per_item" is one key.
void typeFromScript(benchmark::State& state, int length, const std::string& keys) {
  static const bool once = [] {
    Dialog::registerProgId();
    registerDialogForm();
    return true;
  }();
  (void)once;
  Clock::useVirtualTime();
  host::addGlobalObject("Bench", makeRef<BenchDriver>(state));
  host::addGlobalObject("User", makeRef<SimulatedUser>());
  const std::string script =
      "(function () {\n"
      "var d = WScript.CreateObject('Sorvanelix.Dialog', 'd_');\n"
      "var e = new Ref(), s = new Ref();\n"
      "var t = d.TextObject(d.LoadText(Missing, e, s));\n"
      "t.Visible = true;\n"
      "t.Text = new Array(" + std::to_string(length + 1) + ").join('x');\n"
      "t.SelStart = " + std::to_string(length) + ";\n"
      "var before = t.Text;\n"
      "while (Bench.Next()) {\n"
      "  for (var i = 0; i < " + std::to_string(kBatch / 2) + "; ++i) {\n" + keys + "  }\n"
      "}\n"
      "if (t.Text !== before) throw new Error('the text changed');\n"
      "})();\n";
  std::ostringstream out, err;
  host::ScriptHost host(out, err);
  const int status = host.run(script, "bench.js");
  host::removeGlobalObject("Bench");
  host::removeGlobalObject("User");
  messageLoop().reset();
  if (status != 0) return state.SkipWithError(("script failed: " + err.str()).c_str());
  state.counters["per_item"] = benchmark::Counter(
      kBatch, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Ctrl+A's character: no editing key, the text stays.
void BM_ScriptRefusedKeyToAOneLineBox(benchmark::State& state) {
  typeFromScript(state, 10, "    User.keyPress(t, 1);\n    User.keyPress(t, 1);\n");
}
BENCHMARK(BM_ScriptRefusedKeyToAOneLineBox);

void BM_ScriptTypedKeyToAOneLineBox(benchmark::State& state) {
  typeFromScript(state, static_cast<int>(state.range(0)),
                 "    User.keyPress(t, 97);\n    User.keyPress(t, 8);\n");
}
BENCHMARK(BM_ScriptTypedKeyToAOneLineBox)->Arg(10)->Arg(8000);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
