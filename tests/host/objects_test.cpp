#include <gtest/gtest.h>

#include "platform/automation/class_registry.h"
#include "tests/host/probe.h"

namespace svx::host {
namespace {

// Properties, methods and their errors.
const Case kObjectCases[] = {
    {"PropertiesAndParameterisedProperties",
     "p.Caption = 'Hello'; WScript.Echo(p.Caption, p.List(4), typeof p.List);"
     "var c = new ActiveXObject('Sorvanelix.TestProbe'); p.Child = c; "
     "WScript.Echo(p.Child.IsSelf(c), 'Caption' in p, 'Nope' in p)",
     "Hello 40 function\ntrue true false\n"},
    {"AutomationErrorsBecomeScriptErrors",
     "try { p.Nope() } catch (e) { WScript.Echo(e.message, e.number & 0xFFFF, e.description) }"
     "try { p.Echo() } catch (e) { WScript.Echo(e.message) }"
     "try { p.Child = 5 } catch (e) { WScript.Echo(e.message) }",
     "Object doesn't support this property or method 438 Object doesn't support this property or method\n"
     "Argument not optional\nObject required\n"},
    {"NamedArgumentsFollowThePositionalOnes",
     "WScript.Echo(p.Optional(1, Named({c: 3})), p.Optional(Named({B: 2, a: 1})), p.Optional(1, 2, Named({})));"
     "var r = new Ref(); p.SetOut(Named({varValue: 'v', VAROUT: r})); WScript.Echo(r.value, r.vartype)",
     "PMP PPM PPM\nv 8\n"},
    {"NamedArgumentErrors",
     "function t(f) { try { f(); WScript.Echo('no error') } catch (e) { WScript.Echo(e.number & 0xFFFF, e.message) } }"
     "t(function () { p.Optional(1, Named({zz: 1})) }); t(function () { p.Optional(1, Named({A: 2})) });"
     "t(function () { p.Optional(Named({b: 1})) }); t(function () { p.Echo(Named({value: 1}), 2) });"
     "t(function () { Named(5) }); t(function () { p.Optional(1, Named({get b() { throw new Error('boom') }})) })",
     "448 Named argument not found\n450 Named argument already specified: a\n449 Argument not optional\n"
     "5 Named(...) is only valid as a method's last argument\n13 Named expects an object of argument names and "
     "values\n0 boom\n"},
    {"CallingACollectionCallsItsDefaultMember",
     "p.Child = p.Make('list'); var l = p.Child;"
     "WScript.Echo(p.Child(3), p.Make('list')(Named({Index: 4})), l(1) === l.Item(1));"
     "try { p(1) } catch (e) { WScript.Echo(e.name, e.number) }"
     "try { new l(1) } catch (e) { WScript.Echo(e.number & 0xFFFF) }",
     "item 3 item 4 true\nTypeError undefined\n438\n"},
    // Only an object whose default member takes an argument (a collection's
    // Item) can be called; any other is a plain object for typeof and
    // instanceof, as the script hosts' common tests expect.
    {"OnlyCollectionsAreFunctions",
     "var l = p.Make('list');"
     "WScript.Echo(typeof p, p instanceof Object, p instanceof Function, typeof p.Make('self'));"
     "WScript.Echo(typeof l, l instanceof Function, typeof p.Echo);"
     "try { Named(p) } catch (e) { WScript.Echo(e.number & 0xFFFF) }",
     "object true false object\nfunction true function\n13\n"},
    // A name read again and again is found with one probe; what it means
    // stays its class's own: the same spelling on another class, another
    // case, a method read after a property, each on every pass.
    {"NamesReadAgainKeepTheirMeaningPerClass",
     "var l = p.Make('list'), s = ''; p.Caption = 'c';"
     "for (var i = 0; i < 3; ++i) {"
     "  s += [p.Caption, p.CAPTION, l.Count, l.count, p.Echo === p.Echo, p.echo('e')].join() + ' ';"
     "  try { l.Caption; s += 'no error ' } catch (e) { s += (e.number & 0xFFFF) + ' ' }"
     "  try { l.Echo; s += 'no error ' } catch (e) { s += (e.number & 0xFFFF) + ' ' }"
     "  s += p.List(2) + ' ';"
     "}"
     "WScript.Echo(s)",
     "c,c,3,3,true,e 438 438 20 c,c,3,3,true,e 438 438 20 c,c,3,3,true,e 438 438 20 \n"},
};

class ObjectCases : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ObjectCases, Output) { expectCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Host, ObjectCases, ::testing::ValuesIn(kObjectCases), caseName);

TEST_F(HostTest, UncaughtErrorsGiveMessageLineAndFailure) {
  const ScriptRun r = runScript("var p = new ActiveXObject('Sorvanelix.TestProbe');\n\np.Nope();\nWScript.Echo('no');");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "probe.js(3): Error: Object doesn't support this property or method (438): TestProbe has no member 'Nope'\n");
  const ScriptRun syntax = runScript("var x = ;");
  EXPECT_EQ(syntax.code, 1);
  EXPECT_NE(syntax.err.find("probe.js(1): SyntaxError"), std::string::npos) << syntax.err;
  EXPECT_EQ(runScript("throw 'plain';").err, "Uncaught: plain\n");
  EXPECT_NE(runScript("new ActiveXObject('No.Such.Class')").err.find("ActiveX component can't create object (429)"),
            std::string::npos);
}

// The report of a name that is not there names it and the nearest one; the
// script's error keeps the automation number and text.
TEST_F(HostTest, UnknownNamesAreReportedWithTheNearestOne) {
  registerControlClass({u"Test.HostGauge", [] { return ObjectRef(); }, std::nullopt, nullptr});
  const char* start = "var p = new ActiveXObject('Sorvanelix.TestProbe');\n";
  const std::pair<std::string, std::string> cases[] = {
      {"p.Ech(1);", "probe.js(2): Error: Object doesn't support this property or method (438): TestProbe has no "
                    "member 'Ech'; did you mean 'Echo'?\n"},
      {"p.Captoin = 1;", "probe.js(2): Error: Object doesn't support this property or method (438): TestProbe has "
                         "no member 'Captoin'; did you mean 'Caption'?\n"},
      {"var x = p.SetOtu;", "probe.js(2): Error: Object doesn't support this property or method (438): TestProbe has "
                            "no member 'SetOtu'; did you mean 'SetOut'?\n"},
      {"p.List = 3;", "probe.js(2): Error: Object doesn't support this property or method (438): TestProbe.List "
                      "cannot be assigned\n"},
      {"new ActiveXObject('Sorvanelix.TestProb');",
       "probe.js(2): Error: ActiveX component can't create object (429): no class is registered as "
       "'Sorvanelix.TestProb'; did you mean 'Sorvanelix.TestProbe'?\n"},
      {"WScript.CreateObject('Nothing.Like.It');",
       "probe.js(2): Error: ActiveX component can't create object (429): no class is registered as "
       "'Nothing.Like.It'\n"},
      // A control is hosted on a form, not created: said so, and offered
      // for a ProgID near it.
      {"new ActiveXObject('test.hostgauge');",
       "probe.js(2): Error: ActiveX component can't create object (429): 'Test.HostGauge' is a control: a form "
       "hosts it (AddActiveXControlWithEvents, AddActiveXControlWithoutEvents), a script does not create it\n"},
      {"WScript.CreateObject('Test.HostGuage');",
       "probe.js(2): Error: ActiveX component can't create object (429): no class is registered as "
       "'Test.HostGuage'; did you mean 'Test.HostGauge'?\n"},
      // Caught and thrown again: the same report; the script saw the plain text.
      {"try { p.Ech(1); } catch (e) { WScript.Echo(e.message === e.description, e.description); throw e; }",
       "probe.js(2): Error: Object doesn't support this property or method (438): TestProbe has no member 'Ech'; "
       "did you mean 'Echo'?\n"},
  };
  for (const auto& [line, expected] : cases) {
    const ScriptRun r = runScript(start + line);
    EXPECT_EQ(r.code, 1) << line;
    EXPECT_EQ(r.err, expected) << line;
  }
  EXPECT_EQ(runScript(std::string(start) + cases[8].first).out,
            "true Object doesn't support this property or method\n");
  // A thrown value whose every read fails is still reported.
  const ScriptRun proxy = runScript("throw new Proxy({}, {get: function () { throw 1; }, has: function () { throw 2; }});");
  EXPECT_EQ(proxy.code, 1);
  EXPECT_FALSE(proxy.err.empty());
}

// Argument errors: the script sees the runtime's text, the report names the
// argument, the member and what it takes.
TEST_F(HostTest, ArgumentErrorsNameTheArgument) {
  const char* start = "var p = new ActiveXObject('Sorvanelix.TestProbe');\n";
  const std::pair<std::string, std::string> cases[] = {
      {"p.SetOut(Named({varOutt: new Ref()}));",
       "Named argument not found (448): TestProbe.SetOut has no parameter 'varOutt'; did you mean 'varOut'?"},
      {"p.Optional(1, Named({zzz: 1}));", "Named argument not found (448): TestProbe.Optional has no parameter 'zzz'"},
      {"p.Echo();", "Argument not optional (449): TestProbe.Echo needs its parameter 'value'"},
      {"p.Optional(Named({b: 1}));", "Argument not optional (449): TestProbe.Optional needs its parameter 'a'"},
      {"p.Echo(1, 2);",
       "Wrong number of arguments or invalid property assignment (450): TestProbe.Echo takes 1 argument, not 2"},
      {"p.Optional(1, 2, 3, 4);",
       "Wrong number of arguments or invalid property assignment (450): TestProbe.Optional takes 1 to 3 arguments, "
       "not 4"},
      {"p.Report(1, 2, 3);",
       "Wrong number of arguments or invalid property assignment (450): TestProbe.Report takes at most 2 arguments, "
       "not 3"},
      {"p.Make('self', 2);",
       "Wrong number of arguments or invalid property assignment (450): TestProbe.Make takes 1 argument, not 2"},
      {"p.List('ten');", "Type mismatch (13): parameter 'intIndex' of TestProbe.List wants a Long"},
      {"p.Fail(Named({intNumber: 'nine'}));",
       "Type mismatch (13): parameter 'intNumber' of TestProbe.Fail wants a Long"},
      {"p.Caption = VBArray.from([1]);", "Type mismatch (13): the value assigned to TestProbe.Caption wants a String"},
  };
  for (const auto& [line, expected] : cases) {
    const ScriptRun r = runScript(start + line);
    EXPECT_EQ(r.code, 1) << line;
    EXPECT_EQ(r.err, "probe.js(2): Error: " + expected + "\n") << line;
  }
  // The script's error keeps the runtime's text alone.
  const ScriptRun r = runScript(std::string(start) +
                                "try { p.List('ten') } catch (e) { WScript.Echo(e.message + '|' + e.description) }");
  EXPECT_EQ(r.out, "Type mismatch|Type mismatch\n");
  // An object without a default value where a String is wanted.
  EXPECT_EQ(runScript(std::string(start) + "p.Make('list')(p);").err,
            "probe.js(2): Error: Type mismatch (13): parameter 'Index' of TestList.Item wants a String\n");
}

// A member's function is made once per object and name and keeps its object;
// an object whose members were used is released as soon as the script drops it.
TEST_F(HostTest, BoundMembersAreSharedAndKeepTheirObject) {
  std::vector<int> live;
  setSleepHandler([&](int) { live.push_back(TestProbe::live); });
  const ScriptRun r = runScript(
      "(function () { var q = new ActiveXObject('Sorvanelix.TestProbe'); q.Echo(1); q.List(0); })();\n"
      "WScript.Sleep(0);\n"
      "var f = (function () { return new ActiveXObject('Sorvanelix.TestProbe').Echo; })();\n"
      "WScript.Sleep(0); WScript.Echo(f(7));\n"
      "var q = new ActiveXObject('Sorvanelix.TestProbe'), g = q.Echo; WScript.Echo(q.Echo === g, g === f);\n"
      "f = null; q = null; g = null; WScript.Sleep(0);\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "7\ntrue false\n");
  EXPECT_EQ(live, (std::vector<int>{0, 1, 0}));
}

// A part read from an object (w.Parts, w.Parts(1)) is the same script object
// each time; it goes with the last script reference to it or to its whole.
TEST_F(HostTest, PartsComeBackAsTheSameObjectAndGoWithTheirWhole) {
  std::vector<int> live;
  setSleepHandler([&](int) { live.push_back(TestParts::live * 1000 + TestPart::live); });
  const ScriptRun r = runScript(
      "var w = new ActiveXObject('Sorvanelix.TestWhole');\n"
      "WScript.Echo(w.Parts === w.Parts, w.Parts(1) === w.Parts(1), w.Parts(1) === w.Parts(2), w.Parts(2).Index,\n"
      "             typeof w.Parts, typeof w.Parts(1));\n"
      "(function () { for (var i = 0; i < 200; ++i) w.Parts(i % 100); })();\n"
      "WScript.Sleep(0);\n"
      "var kept = w.Parts(5); w = null; WScript.Sleep(0);\n"
      "WScript.Echo(kept.Index); kept = null; WScript.Sleep(0);\n"
      "try { new ActiveXObject('Sorvanelix.TestWhole').Parts(100) } catch (e) { WScript.Echo(e.number & 0xFFFF) }\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "true true false 2 function object\n5\n9\n");
  // 64 parts kept (the others go at once), then the one the script holds.
  EXPECT_EQ(live, (std::vector<int>{1064, 1, 0}));
}

// Past the cache's size, names are still resolved on every access.
TEST_F(HostTest, NamesBeyondTheCacheStillWork) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe'), failed = 0;\n"
      "for (var i = 0; i < 5000; ++i) { try { p['x' + i]; } catch (e) { if ((e.number & 0xFFFF) === 438) ++failed; } }\n"
      "var echo = p.Echo; p.Caption = 'c';\n"
      "WScript.Echo(failed, echo(3), p.Echo(4), p.List(2), p.Caption, p.Make('self').IsSelf(p));\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "5000 3 4 20 c true\n");
}

}  // namespace
}  // namespace svx::host
