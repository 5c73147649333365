#include <gtest/gtest.h>

#include "tests/host/probe.h"

namespace svx::host {
namespace {

constexpr const char* kScript =
    "var p = new ActiveXObject('Sorvanelix.TestProbe');\n"
    "function p_Click(i) { p.Caption = 'x'; }\n"
    "p.Caption = 'a\\nb'; p.Caption; p.Optional(1, Named({c: 2}));\n"
    "p.Fail(5); p.Fail(6, Missing); var e = new Ref(0); p.Fail(9, e); p.Fail(0, e);\n"
    "try { p.Nope } catch (x) {} try { p.Echo() } catch (x) {}\n"
    "WScript.ConnectObject(p, 'p_'); p.FireClick(3); p.Fire(65);\n"
    "WScript.Echo(e.value);\n";

TEST_F(HostTest, TraceShowsCallsResultsReportedErrorsAndEvents) {
  std::ostringstream out, err;
  ScriptHost host(out, err);
  host.setTrace(true);
  EXPECT_EQ(host.run(kScript, "trace.js"), 0);
  EXPECT_EQ(out.str(), "0\n");
  EXPECT_EQ(err.str(),
            "trace: TestProbe.Caption = \"a\\nb\"\n"
            "trace: TestProbe.Caption -> \"a\\nb\"\n"
            "trace: TestProbe.Optional(1, c: 2) -> \"PMP\"\n"
            "trace: TestProbe.Fail(5) -> Empty; reported 5 failed on purpose\n"
            "trace: TestProbe.Fail(6, Missing) -> Empty; reported 6 failed on purpose\n"
            "trace: TestProbe.Fail(9, &0) -> Empty; reported 9 failed on purpose\n"
            "trace: TestProbe.Fail(0, &9) -> Empty\n"
            "trace: TestProbe.Nope -> error 438 Object doesn't support this property or method\n"
            "trace: TestProbe.Echo() -> error 449 Argument not optional: TestProbe.Echo needs its parameter 'value'\n"
            "trace: TestProbe.FireClick(3)\n"
            "trace:   event p_Click(3)\n"
            "trace:   TestProbe.Caption = \"x\"\n"
            "trace: TestProbe.FireClick returned -> Empty\n"
            "trace: TestProbe.Fire(65)\n"
            "trace:   event p_KeyPress: no function\n"
            "trace: TestProbe.Fire returned -> \"65/2\"\n");
}

TEST_F(HostTest, TraceIsOffByDefault) {
  const ScriptRun r = runScript(kScript);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "0\n");
  EXPECT_EQ(r.err, "");
}

// Reads of one name again and again are each traced.
TEST_F(HostTest, TraceShowsEveryReadOfANameReadAgain) {
  std::ostringstream out, err;
  ScriptHost host(out, err);
  host.setTrace(true);
  EXPECT_EQ(host.run("var p = new ActiveXObject('Sorvanelix.TestProbe'); p.Caption = 'a';"
                     "for (var i = 0; i < 3; ++i) p.Caption;",
                     "trace.js"),
            0);
  EXPECT_EQ(err.str(),
            "trace: TestProbe.Caption = \"a\"\n"
            "trace: TestProbe.Caption -> \"a\"\n"
            "trace: TestProbe.Caption -> \"a\"\n"
            "trace: TestProbe.Caption -> \"a\"\n");
}

}  // namespace
}  // namespace svx::host
