// Costs seen from a script: a trivial host function (the baseline), a
// property get, a method with eleven arguments, a control's event reaching a
// script function (and reaching a connected script without one), and loading
// and unloading a full control array.
//
// Each benchmark runs one script. The script drives the benchmark's loop with
// Bench.Next() and runs a batch of kBatch items (calls or events) inside each
// benchmark iteration, so the loop's own call is spread over the batch. The
// reported "per_item" counter is the CPU time of one item (the batch's time
// divided by kBatch, including the script's loop step); "Time" is the batch's.
// Load and Unload count one item per 255 of each.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/control.h"

namespace svx {
namespace {

constexpr int kBatch = 1000;

// The script's handle on the benchmark: Next() runs the benchmark's loop,
// FireMouseMove(control, count) raises the control's MouseMove (four
// by-reference arguments) count times, as the mouse does.
class BenchDriver : public Object {
 public:
  explicit BenchDriver(benchmark::State& state) : state_(state) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"BenchDriver")
                                    .method<&BenchDriver::Next>(u"Next", {})
                                    .method<&BenchDriver::FireMouseMove>(u"FireMouseMove", {in(u"objControl"), in(u"lngCount")});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  Variant Next() { return Variant(state_.KeepRunning()); }
  void FireMouseMove(Variant& control, Variant& count) {
    const Ref<Control> c = refCast<Control>(control.asObject());
    if (!c) raise(err::TypeMismatch);
    const int32_t n = toI4(count);
    for (int32_t i = 0; i < n; ++i) {
      int16_t button = 1, shift = 0;
      float x = 10.0f, y = 20.0f;
      c->fireMouse(ControlEvent::MouseMove, button, shift, x, y);
    }
  }

 private:
  benchmark::State& state_;
};

void setUp() {
  static const bool once = [] {
    Clock::useVirtualTime();
    Dialog::registerProgId();
    registerDialogForm();
    return true;
  }();
  (void)once;
}

// Runs `script` with Bench bound to the state; `perIteration` items per
// benchmark iteration.
void runScript(benchmark::State& state, const std::string& script, int perIteration) {
  setUp();
  host::addGlobalObject("Bench", makeRef<BenchDriver>(state));
  std::ostringstream out, err;
  host::ScriptHost host(out, err);
  const int status = host.run(script, "bench.js");
  host::removeGlobalObject("Bench");
  messageLoop().reset();
  if (status != 0) {
    state.SkipWithError(("script failed: " + err.str()).c_str());
    return;
  }
  state.counters["per_item"] =
      benchmark::Counter(static_cast<double>(perIteration), benchmark::Counter::kIsIterationInvariantRate |
                                                                benchmark::Counter::kInvert);
}

// The loops run inside a function, so that their variables are the
// function's own and not properties of the global object.
std::string inFunction(const std::string& body) { return "(function () {\n" + body + "})();\n"; }

std::string batchLoop(const std::string& setup, const std::string& item) {
  return inFunction(setup + "\nwhile (Bench.Next()) {\n  for (var i = 0; i < " + std::to_string(kBatch) +
                    "; ++i) {\n    " + item + "\n  }\n}\n");
}

const char* const kDialog = "var d = WScript.CreateObject('Sorvanelix.Dialog', 'd_');\n";

void BM_ScriptTrivialHostFunction(benchmark::State& state) {
  runScript(state, batchLoop("var a = WScript.Arguments, n;", "n = a.Count();"), kBatch);
}
BENCHMARK(BM_ScriptTrivialHostFunction);

void BM_ScriptPropertyGet(benchmark::State& state) {
  runScript(state, batchLoop(std::string(kDialog) + "var c;", "c = d.Caption;"), kBatch);
}
BENCHMARK(BM_ScriptPropertyGet);

void BM_ScriptGetCommandElevenArguments(benchmark::State& state) {
  runScript(state,
            batchLoop(std::string(kDialog) + "var r = []; for (var k = 0; k < 10; ++k) r.push(new Ref());",
                      "d.GetCommand(0, r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9]);"),
            kBatch);
}
BENCHMARK(BM_ScriptGetCommandElevenArguments);

const char* const kLoadedCommand =
    "var e = new Ref(), s = new Ref();\n"
    "var c = d.CommandObject(d.LoadCommand(Missing, e, s), e, s);\n";

void BM_ScriptEventFourByRefToFunction(benchmark::State& state) {
  runScript(state,
            "var moved = 0;\n"
            "function d_CommandMouseMove(i, b, sh, x, y) { ++moved; }\n" +
                inFunction(std::string(kDialog) + kLoadedCommand + "while (Bench.Next()) Bench.FireMouseMove(c, " +
                           std::to_string(kBatch) + ");\n") +
                "if (moved === 0) throw new Error('no event arrived');\n",
            kBatch);
}
BENCHMARK(BM_ScriptEventFourByRefToFunction);

void BM_ScriptEventFourByRefNoHandler(benchmark::State& state) {
  runScript(state,
            inFunction(std::string(kDialog) + kLoadedCommand + "while (Bench.Next()) Bench.FireMouseMove(c, " +
                       std::to_string(kBatch) + ");\n"),
            kBatch);
}
BENCHMARK(BM_ScriptEventFourByRefNoHandler);

void BM_ScriptLoadUnload255Commands(benchmark::State& state) {
  runScript(state,
            inFunction(std::string(kDialog) +
                       "var e = new Ref(), s = new Ref(), k, missing = Missing;\n"
                       "while (Bench.Next()) {\n"
                       "  for (k = 1; k <= 255; ++k) d.LoadCommand(missing, e, s);\n"
                       "  for (k = 1; k <= 255; ++k) d.UnloadCommand(k, e, s);\n"
                       "}\n"
                       "if (e.value !== 0) throw new Error('load failed: ' + s.value);\n"),
            1);
}
BENCHMARK(BM_ScriptLoadUnload255Commands)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
