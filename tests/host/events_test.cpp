#include <gtest/gtest.h>

#include "tests/host/probe.h"

namespace svx::host {
namespace {

// Events of connected objects.
const Case kEventCases[] = {
    {"EventsCallThePrefixedFunctionsWithWriteBack",
     "function p_KeyPress(i, k) { WScript.Echo('key', i.value, k.value, i.vartype); k.value = 0; }"
     "function p_Click(i) { WScript.Echo('click', i + 0); }"
     "WScript.ConnectObject(p, 'p_'); WScript.Echo(p.Fire(65)); p.FireClick(9);"
     "WScript.DisconnectObject(p); p.FireClick(10); WScript.Echo(p.Fire(66))",
     "key 3 65 2\n0/3\nclick 9\n66/2\n"},
    {"EventsWithoutAFunctionAreIgnored",
     "WScript.ConnectObject(p, 'none_'); WScript.Echo(p.Fire(65))", "65/2\n"},
    {"AFunctionDefinedLaterReceivesTheNextEvents",
     "WScript.ConnectObject(p, 'p_'); p.FireClick(1); var p_Click = 5; p.FireClick(2);"
     "p_Click = function (i) { WScript.Echo('click', i.value); }; p.FireClick(3); p_Click = null; p.FireClick(4)",
     "click 3\n"},
    {"KeptEventRefsHoldTheirLastValue",
     "var kept; function p_KeyPress(i, k) { kept = k; k.value = 'A'.charCodeAt(0) + 1; }"
     "WScript.ConnectObject(p, 'p_'); WScript.Echo(p.Fire(65)); WScript.Echo(kept.value, kept.vartype)",
     "66/3\n66 3\n"},
    {"FunctionsFromAGetterOrThePrototypeOfTheGlobalObject",
     "Object.defineProperty(this, 'p_Click', {get: function () { return function (i) { WScript.Echo('got', i.value); }; },"
     " configurable: true}); WScript.ConnectObject(p, 'p_'); p.FireClick(1); delete this.p_Click;"
     "Object.prototype.p_Click = function (i) { WScript.Echo('inherited', i.value); }; p.FireClick(2);"
     "delete Object.prototype.p_Click; p.FireClick(3)",
     "got 1\ninherited 2\n"},
    {"AKeptEventRefOutlivesTheOthersOfItsEventAndLaterEvents",
     "var kept; function p_KeyPress(i, k) { if (!kept) kept = k; k.value = k.value + 1; }"
     "WScript.ConnectObject(p, 'p_'); WScript.Echo(p.Fire(65)); Duktape.gc(); WScript.Echo(p.Fire(70)); Duktape.gc();"
     "WScript.Echo(kept.value); kept.value = 5; WScript.Echo(kept.value + 1)",
     "66/3\n71/3\n66\n6\n"},
    {"CreateObjectWithPrefix",
     "function q_Click(i) { WScript.Echo('q click', i.value) } var q = WScript.CreateObject('Sorvanelix.TestProbe', "
     "'q_'); q.FireClick(1); p.FireClick(2)",
     "q click 1\n"},
};

class EventCases : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(EventCases, Output) { expectCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Host, EventCases, ::testing::ValuesIn(kEventCases), caseName);

// A global function that starts with a connection's prefix and makes no
// event's name is never called: each is reported once, with the nearest
// event function, when the first event comes (or at the end). A function
// that another connection's prefix and event make is no such function.
TEST_F(HostTest, MisspeltEventFunctionsAreReportedOnce) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe');\n"
      "function p_Clik(i) { WScript.Echo('never') }\n"
      "function p_keypress(i, k) { WScript.Echo('never') }\n"
      "function p_Click(i) { WScript.Echo('click', i.value) }\n"
      "function p_2Click(i) { WScript.Echo('click 2', i.value) }\n"
      "function p_Helper() {}\n"
      "var p_Count = 0;\n"
      "WScript.ConnectObject(p, 'p_'); var q = WScript.CreateObject('Sorvanelix.TestProbe', 'p_2');\n"
      "p.FireClick(1); q.FireClick(2); WScript.ConnectObject(q, 'p_');\n"
      "p.FireClick(3); WScript.Echo('end');\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "click 1\nclick 2 2\nclick 3\nend\n");
  EXPECT_EQ(r.err,
            "probe.js: p_Clik matches no event; did you mean p_Click?\n"
            "probe.js: p_keypress matches no event; did you mean p_KeyPress?\n"
            "probe.js: p_Helper matches no event\n");
  // Without events, at the end; a function defined after the check is not
  // looked at again until the next connection.
  const ScriptRun end = runScript(
      "function q_Clck() {} var q = WScript.CreateObject('Sorvanelix.TestProbe', 'q_'); WScript.Quit(3);");
  EXPECT_EQ(end.code, 3);
  EXPECT_EQ(end.err, "probe.js: q_Clck matches no event; did you mean q_Click?\n");
}

// A raiser may ask whether an event would reach the script: not while the
// global function is missing (once the first event checked the script's
// functions), yes as soon as the script defines it, and always under a trace
// (which notes the events without a function).
TEST_F(HostTest, AnEventListensOnlyWhileTheScriptHasItsFunction) {
  const char* script =
      "var p = new ActiveXObject('Sorvanelix.TestProbe'), r = [p.Listens(2)];\n"
      "WScript.ConnectObject(p, 'p_'); r.push(p.Listens(2)); p.Fire(65); r.push(p.Listens(2), p.Listens(1));\n"
      "p_KeyPress = function (i, k) {};\n"
      "r.push(p.Listens(2), p.Listens(1), p.Fire(65)); delete this.p_KeyPress; r.push(p.Listens(2));\n"
      "WScript.Echo(r.join(' '));\n";
  const ScriptRun r = runScript(script);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "false true false false true false 65/2 false\n");
  std::ostringstream out, err;
  ScriptHost host(out, err);
  host.setTrace(true);
  EXPECT_EQ(host.run(script, "trace.js"), 0);
  EXPECT_EQ(out.str(), "false true true true true true 65/2 true\n");
}

// The function a raiser was told of is looked for again at the raise when
// the script dropped it in between: nothing is called.
TEST_F(HostTest, AFunctionDroppedAfterTheRaiserAskedIsNotCalled) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe'), r = [];\n"
      "WScript.ConnectObject(p, 'p_'); p.Fire(65);\n"
      "p_KeyPress = function (i, k) { k.value = 66; };\n"
      "r.push(p.Listens(2), p.Fire(65), p.Listens(2)); delete this.p_KeyPress; r.push(p.Fire(65));\n"
      "WScript.Echo(r.join(' '));\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "true 66/3 true 65/2\n");
}

TEST_F(HostTest, ErrorInAnEventFunctionEndsTheScript) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe');\n"
      "function p_Click(i) {\n"
      "  WScript.Echo('click', i.value);\n"
      "  undefinedFunction();\n"
      "}\n"
      "WScript.ConnectObject(p, 'p_');\n"
      "try { p.FireClick(1); } catch (e) { WScript.Echo('caught'); }\n"
      "p.FireClick(2);\n"
      "WScript.Echo('not reached');\n");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "click 1\n");
  EXPECT_EQ(r.err, "probe.js(4): ReferenceError: identifier 'undefinedFunction' undefined\n");
}

// An event function that raises its own event again until the engine's
// stack gives out: the error still comes with its message and line.
TEST_F(HostTest, UnboundedEventRecursionReportsMessageAndLine) {
  const ScriptRun r = runScript(
      "var p = WScript.CreateObject('Sorvanelix.TestProbe', 'p_');\n"
      "function p_Click(i) {\n"
      "  p.FireClick(i + 1);\n"
      "}\n"
      "p.FireClick(1);\n"
      "WScript.Echo('not reached');\n");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "probe.js(3): RangeError: C stack depth limit\n");
}

TEST_F(HostTest, ErrorInAnEventDuringSleepEndsTheScript) {
  setSleepHandler([](int ms) {
    if (TestProbe::last) TestProbe::last->fireClickFromOutside(ms);
  });
  const ScriptRun r = runScript(
      "function p_Click(i) { throw new Error('from the event'); }\n"
      "var p = WScript.CreateObject('Sorvanelix.TestProbe', 'p_'); WScript.Sleep(5); WScript.Echo('woke');");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "probe.js(1): Error: from the event\n");
}

TEST_F(HostTest, QuitInsideAnEventEndsTheScript) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe');\n"
      "function p_Click(i) { WScript.Quit(7); }\n"
      "WScript.ConnectObject(p, 'p_'); p.FireClick(1); WScript.Echo('no');\n");
  EXPECT_EQ(r.code, 7);
  EXPECT_EQ(r.out, "");
}

TEST_F(HostTest, SleepServesTheHandlerAndEventsArriveMeanwhile) {
  std::vector<int> slept;
  setSleepHandler([&](int ms) {
    slept.push_back(ms);
    if (TestProbe::last) TestProbe::last->fireClickFromOutside(ms);
  });
  const ScriptRun r = runScript(
      "function p_Click(i) { WScript.Echo('tick', i.value); }\n"
      "var p = WScript.CreateObject('Sorvanelix.TestProbe', 'p_'); WScript.Sleep(25); WScript.Echo('woke');");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "tick 25\nwoke\n");
  EXPECT_EQ(slept, std::vector<int>{25});
}

}  // namespace
}  // namespace svx::host
