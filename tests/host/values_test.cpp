#include <gtest/gtest.h>

#include "host/js_text.h"
#include "tests/host/probe.h"

namespace svx::host {
namespace {

// Values in both directions, Ref and VBArray.
const Case kValueCases[] = {
    {"ScalarsRoundTrip",
     "WScript.Echo(p.Echo(5), p.Echo(2.5), p.Echo('s'), p.Echo(true), p.Echo(null), p.Echo(undefined), "
     "p.Echo(-0.5), p.Echo(4294967296))",
     "5 2.5 s true null undefined -0.5 4294967296\n"},
    {"ScriptValuesArriveWithTheirVarTypes",
     "WScript.Echo(p.VarTypeOf(1), p.VarTypeOf(2147483648), p.VarTypeOf(1.5), p.VarTypeOf('x'), "
     "p.VarTypeOf(false), p.VarTypeOf(undefined), p.VarTypeOf(null), p.VarTypeOf(p), p.VarTypeOf(new Date()), "
     "p.VarTypeOf(VBArray.from([1])), p.VarTypeOf(VBArray.from([1], 'Byte')), p.VarTypeOf([1, 2]), "
     "p.VarTypeOf({}))",
     "3 5 5 8 11 0 1 9 7 8204 8209 9 9\n"},
    {"AutomationValuesBecomeScriptValues",
     "WScript.Echo(typeof p.Make('empty'), p.Make('null'), p.Make('i2'), p.Make('r4'), p.Make('ui1'), "
     "p.Make('cy'), p.Make('bool'), p.Make('nothing'), p.Make('self').IsSelf(p))",
     "undefined null -7 1.5 200 12.3456 true null true\n"},
    {"SixtyFourBitIntegersBecomeTheNearestNumber",
     "var n = p.Make('i8'); WScript.Echo(typeof n, n === -9007199254740992, p.VarTypeOf(n))",
     "number true 5\n"},
    {"DatesBecomeScriptDates",
     "var d = p.Make('date'); WScript.Echo(d instanceof Date, d.getFullYear(), d.getMonth(), d.getDate(), "
     "d.getHours(), d.getMinutes()); WScript.Echo(p.Echo(new Date(2020, 5, 7, 8, 9, 10)).getTime() === "
     "new Date(2020, 5, 7, 8, 9, 10).getTime())",
     "true 2024 0 31 13 5\ntrue\n"},
    {"StringsKeepSurrogatePairs",
     "var s = p.Make('surrogates'); WScript.Echo(s.length, s.charCodeAt(1).toString(16), s); "
     "WScript.Echo(p.Echo('\\ud83d\\ude00').length, p.Echo('nul\\u0000in').length)",
     "4 d83d a\xF0\x9F\x98\x80" "b\n2 6\n"},
    {"VariantArraysAndByteArrays",
     "var a = p.Make('variants'); WScript.Echo(a.dimensions(), a.lbound(), a.ubound(), a.getItem(2), "
     "a.getItem(3)); var b = p.Make('bytes'); WScript.Echo(b.toArray().join(','), b.ubound()); "
     "WScript.Echo(p.ArrayInfo(VBArray.from(['x', 2, null]))); WScript.Echo(p.ArrayInfo(VBArray.from([1, 2], 'Byte')));"
     "WScript.Echo(p.ArrayInfo([1, 2])); WScript.Echo(p.ArrayInfo(new VBArray(a)))",
     "1 1 3 two null\n0,127,255 2\n8204 dims=1 0..2\n8209 dims=1 0..1\nnot an array: VT_DISPATCH\n8204 dims=1 1..3\n"},
    {"TwoDimensionalArrays",
     "var g = p.Make('grid'); WScript.Echo(g.dimensions(), g.lbound(1), g.ubound(1), g.lbound(2), g.ubound(2), "
     "g.getItem(1, 3), g.toArray().join(',')); try { g.getItem(2, 1) } catch (e) { WScript.Echo(e.message) }",
     "2 0 1 1 3 13 1,11,2,12,3,13\nSubscript out of range\n"},
    {"DimsMakesATwoDimensionalArrayThatSetItemFills",
     "var t = VBArray.dims(1, 3, 0, 1); t.setItem(5, 1, 0); t.setItem('A', 1, 1); t.setItem(null, 3, 1); "
     "WScript.Echo(p.ArrayInfo(t), t.lbound(2), t.ubound(2), t.getItem(1, 0), t.getItem(1, 1), t.getItem(3, 1), "
     "typeof t.getItem(2, 0)); var c = p.Echo(t); t.setItem(6, 1, 0); WScript.Echo(c.getItem(1, 0), "
     "t.getItem(1, 0)); WScript.Echo(VBArray.dims(1, 0, 1, 2).ubound(1), VBArray.dims(0, 1, 5, 4).ubound(2)); "
     "var errors = []; [function () { t.setItem(1, 4, 0) }, function () { t.setItem(1, 1) }, "
     "function () { VBArray.dims(1, -1, 1, 2) }, function () { VBArray.dims(1, 2, 1) }, "
     "function () { VBArray.dims(0, 100000, 0, 100000) }].forEach(function (f) { "
     "try { f(); errors.push('none') } catch (e) { errors.push(e.number & 0xFFFF) } }); "
     "WScript.Echo(errors.join(' '))",
     "8204 dims=2 1..3 0 1 5 A null undefined\n5 6\n0 4\n9 9 9 450 7\n"},
    {"ArrayWithoutStorage", "var n = p.Make('noarray'); WScript.Echo(n.dimensions(), n.toArray().length)", "0 0\n"},
    {"ScriptObjectsComeBackAsThemselves",
     "var o = {a: 1}; var arr = [1]; WScript.Echo(p.Echo(o) === o, p.Echo(arr) === arr, p.Echo(p).IsSelf(p))",
     "true true true\n"},
    {"OptionalAndMissingArguments",
     "WScript.Echo(p.Optional(1), p.Optional(1, undefined), p.Optional(1, Missing, 3), p.Optional(1, 2, Missing))",
     "PMM PEM PMP PPM\n"},
    {"RefsAreWrittenByByReferenceParameters",
     "var r = new Ref('old'); p.SetOut(r, 42); WScript.Echo(r.value, r.vartype, r + 1, r == 42); "
     "var e = new Ref(-1), d = new Ref('x'); p.Report(e, d); WScript.Echo(e.vartype, e.value, d.vartype, "
     "'[' + d + ']'); var plain = 5; p.SetOut(plain); WScript.Echo(plain); var v = new Ref(7); "
     "WScript.Echo(p.Echo(v), p.VarTypeOf(v))",
     "42 3 43 true\n2 0 8 []\n5\n7 3\n"},
    {"RefHoldingAnArray",
     "var r = new Ref(); p.SetOut(r, VBArray.from([1, 2, 3])); WScript.Echo(r.vartype, r.value.ubound())",
     "8204 2\n"},
};

class ValueCases : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ValueCases, Output) { expectCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Host, ValueCases, ::testing::ValuesIn(kValueCases), caseName);


TEST(JsText, Cesu8KeepsEveryCodeUnit) {
  const BStr s = u"a\u00E9\u20AC\U0001F600\xD800z";
  EXPECT_EQ(fromCesu8(toCesu8(s)), s);
  EXPECT_EQ(toCesu8(u"\U0001F600").size(), 6u);
  EXPECT_EQ(fromCesu8("\xF0\x9F\x98\x80"), BStr(u"\U0001F600"));
  EXPECT_EQ(fromCesu8("\xC3"), BStr(u"\xFFFD"));
}

// A Ref, a VBArray, an event's Ref and an object's Proxy that the script no
// longer reaches release what they hold at once.
TEST_F(HostTest, UnreachableValuesReleaseWhatTheyHold) {
  std::vector<int> live;
  setSleepHandler([&](int) { live.push_back(TestProbe::live); });
  const ScriptRun r = runScript(
      "var kept = null; function p_KeyPress(i, k) { kept = k; }\n"
      "var p = WScript.CreateObject('Sorvanelix.TestProbe', 'p_'); WScript.Sleep(0);\n"
      "(function () { var r = new Ref(new ActiveXObject('Sorvanelix.TestProbe')); WScript.Sleep(0); })();\n"
      "WScript.Sleep(0);\n"
      "(function () { var a = VBArray.from([new ActiveXObject('Sorvanelix.TestProbe')]); WScript.Sleep(0); })();\n"
      "WScript.Sleep(0);\n"
      "p.Fire(65); kept.value = new ActiveXObject('Sorvanelix.TestProbe'); WScript.Sleep(0);\n"
      "kept = null; WScript.Sleep(0);\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(live, (std::vector<int>{1, 2, 1, 2, 1, 2, 1}));
}

// An event's Ref that the script keeps, holding an object stored during the
// raise or after it (through a by-reference argument), releases it as soon
// as the script lets go of the Ref; kept Refs of many raises keep their
// values.
TEST_F(HostTest, KeptEventRefsReleaseTheirObjectsWithTheRef) {
  std::vector<int> live;
  setSleepHandler([&](int) { live.push_back(TestProbe::live); });
  const ScriptRun r = runScript(
      "var kept = [], first = null;\n"
      "function p_Click(i) { if (!first) first = i; kept.push(i); if (i.value === 2) i.value = new ActiveXObject('Sorvanelix.TestProbe'); }\n"
      "var p = WScript.CreateObject('Sorvanelix.TestProbe', 'p_');\n"
      "p.FireClick(1); p.FireClick(2); WScript.Sleep(0);\n"
      "kept = []; WScript.Sleep(0);\n"
      "p.FireClick(3); p.SetOut(kept[0], new ActiveXObject('Sorvanelix.TestProbe')); WScript.Sleep(0);\n"
      "kept = []; WScript.Sleep(0);\n"
      "for (var n = 4; n < 300; ++n) p.FireClick(n);\n"
      "WScript.Echo(first.value, kept[0].value, kept[150].value, kept.length);\n"
      "first.value = 'x'; kept[150].value = 7; WScript.Echo(first.value, kept[150] + 1);\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1 4 154 296\nx 8\n");
  EXPECT_EQ(live, (std::vector<int>{2, 1, 2, 1}));
}

}  // namespace
}  // namespace svx::host
