#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/js_text.h"
#include "host/script_host.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"

namespace svx::host {
namespace {

// A class that scripts create as "Sorvanelix.TestProbe".
class TestProbe : public Object {
 public:
  static inline int live = 0;
  static inline TestProbe* last = nullptr;

  TestProbe() {
    ++live;
    last = this;
  }
  ~TestProbe() override {
    --live;
    if (last == this) last = nullptr;
  }

  static const ClassInfo& info() {
    static const ClassInfo ci =
        ClassInfo(u"TestProbe")
            .method<&TestProbe::Echo>(u"Echo", {in(u"value")})
            .method<&TestProbe::VarTypeOf>(u"VarTypeOf", {in(u"value")})
            .method<&TestProbe::Make>(u"Make", {in(u"strKind")})
            .method<&TestProbe::SetOut>(u"SetOut", {ref(u"varOut"), inOpt(u"varValue")})
            .method<&TestProbe::Report>(u"Report", {refOpt(u"lngErrNumber"), refOpt(u"strErrDescription")})
            .method<&TestProbe::Optional>(u"Optional", {in(u"a"), inOpt(u"b"), inOpt(u"c")})
            .get<&TestProbe::Caption>(u"Caption")
            .let<&TestProbe::setCaption>(u"Caption", {in(u"strCaption")})
            .get<&TestProbe::Child>(u"Child")
            .set<&TestProbe::setChild>(u"Child", {in(u"objChild")})
            .get<&TestProbe::List>(u"List", {in(u"intIndex")})
            .method<&TestProbe::ArrayInfo>(u"ArrayInfo", {in(u"varArray")})
            .method<&TestProbe::IsSelf>(u"IsSelf", {in(u"objOther")})
            .method<&TestProbe::Fire>(u"Fire", {in(u"intKeyAscii")})
            .method<&TestProbe::FireClick>(u"FireClick", {in(u"intIndex")})
            .event(u"Click", {u"intIndex"})
            .event(u"KeyPress", {u"intIndex", u"intKeyAscii"});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  Variant Echo(Variant& v) { return v; }
  Variant VarTypeOf(Variant& v) { return Variant(static_cast<int32_t>(v.vt())); }
  Variant Make(Variant& kind) {
    const BStr k = kind.asBStr();
    if (k == u"empty") return {};
    if (k == u"null") return Variant::null();
    if (k == u"i2") return Variant::i2(-7);
    if (k == u"r4") return Variant(1.5f);
    if (k == u"ui1") return Variant::ui1(200);
    if (k == u"cy") return Variant(Currency{123456});
    if (k == u"bool") return Variant(true);
    if (k == u"date") return Variant(makeDate({2024, 1, 31, 13, 5, 0, 0}));
    if (k == u"surrogates") return Variant(BStr(u"a\U0001F600b"));
    if (k == u"nothing") return Variant::nothing();
    if (k == u"self") return Variant(ObjectRef(this));
    if (k == u"variants") return Variant(SafeArray::variants({Variant(1), Variant(u"two"), Variant::nothing()}, 1));
    if (k == u"bytes") {
      const uint8_t b[] = {0, 127, 255};
      return Variant(SafeArray::bytes(b));
    }
    if (k == u"grid") {
      SafeArray a(VT_VARIANT, {{0, 2}, {1, 3}});
      for (int i = 0; i < 2; ++i)
        for (int j = 1; j <= 3; ++j) a.set(i, j, Variant(i * 10 + j));
      return Variant(std::move(a));
    }
    if (k == u"noarray") return Variant::arrayTypeWithoutArray(VT_VARIANT);
    raise(err::InvalidProcedureCall);
  }
  void SetOut(Variant& out, Variant& value) { out.assign(value.isMissing() ? Variant::i2(0) : value); }
  void Report(Variant& number, Variant& description) { ErrorOut{number, description}.clear(); }
  Variant Optional(Variant& a, Variant& b, Variant& c) {
    BStr s;
    for (Variant* v : {&a, &b, &c}) s += v->isMissing() ? u'M' : v->isEmpty() ? u'E' : u'P';
    return Variant(s);
  }
  Variant Caption() { return Variant(caption_); }
  void setCaption(Variant& v) { caption_ = toBStr(v); }
  Variant Child() { return Variant(child_); }
  void setChild(Variant& v) {
    if (!v.isObject()) raise(err::ObjectRequired);
    child_ = v.asObject();
  }
  Variant List(Variant& i) { return Variant(toI4(i) * 10); }
  Variant ArrayInfo(Variant& v) {
    if (!v.isArray()) return Variant(u"not an array: " + utf16(varTypeName(v.vt())));
    const SafeArray& a = *v.asArray();
    std::string s = std::to_string(v.vt()) + " dims=" + std::to_string(a.dimensions()) + " " +
                    std::to_string(a.lbound()) + ".." + std::to_string(a.ubound());
    return Variant(std::string_view(s));
  }
  Variant IsSelf(Variant& o) { return Variant(o.isObject() && o.asObject().get() == this); }
  // Raises KeyPress with the relay's own variables; returns what the
  // listener left in intKeyAscii and its type.
  Variant Fire(Variant& keyAscii) {
    std::vector<Variant> values{Variant::i2(3), Variant::i2(toI2(keyAscii))};
    std::vector<Variant> refs = refsTo(values);
    raiseEvent(2, refs);
    return Variant(toBStr(values[1]) + u"/" + utf16(std::to_string(values[1].vt())));
  }
  void FireClick(Variant& index) {
    std::vector<Variant> values{index};
    std::vector<Variant> refs = refsTo(values);
    raiseEvent(1, refs);
  }
  void fireClickFromOutside(int i) {
    Variant v = Variant::i2(static_cast<int16_t>(i));
    FireClick(v);
  }

 private:
  BStr caption_;
  ObjectRef child_;
};

struct ScriptRun {
  int code;
  std::string out;
  std::string err;
};

ScriptRun runScript(const std::string& source, const std::vector<std::string>& args = {}) {
  std::ostringstream out, err;
  ScriptHost host(out, err);
  const int code = host.run(source, "probe.js", args);
  return {code, out.str(), err.str()};
}

class HostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerClass(u"Sorvanelix.TestProbe", [] { return ObjectRef(makeRef<TestProbe>()); });
  }
  void TearDown() override {
    resetSleepHandler();
    EXPECT_EQ(TestProbe::live, 0) << "the script's objects are released at its end";
  }
};

struct Case {
  const char* name;
  const char* script;
  const char* out;
};

// Each script echoes what it sees; `p` is a fresh probe.
const Case kCases[] = {
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
    {"ArrayWithoutStorage", "var n = p.Make('noarray'); WScript.Echo(n.dimensions(), n.toArray().length)", "0 0\n"},
    {"ScriptObjectsComeBackAsThemselves",
     "var o = {a: 1}; var arr = [1]; WScript.Echo(p.Echo(o) === o, p.Echo(arr) === arr, p.Echo(p).IsSelf(p))",
     "true true true\n"},
    {"PropertiesAndParameterisedProperties",
     "p.Caption = 'Hello'; WScript.Echo(p.Caption, p.List(4), typeof p.List);"
     "var c = new ActiveXObject('Sorvanelix.TestProbe'); p.Child = c; "
     "WScript.Echo(p.Child.IsSelf(c), 'Caption' in p, 'Nope' in p)",
     "Hello 40 function\ntrue true false\n"},
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
    {"EventsCallThePrefixedFunctionsWithWriteBack",
     "function p_KeyPress(i, k) { WScript.Echo('key', i.value, k.value, i.vartype); k.value = 0; }"
     "function p_Click(i) { WScript.Echo('click', i + 0); }"
     "WScript.ConnectObject(p, 'p_'); WScript.Echo(p.Fire(65)); p.FireClick(9);"
     "WScript.DisconnectObject(p); p.FireClick(10); WScript.Echo(p.Fire(66))",
     "key 3 65 2\n0/3\nclick 9\n66/2\n"},
    {"EventsWithoutAFunctionAreIgnored",
     "WScript.ConnectObject(p, 'none_'); WScript.Echo(p.Fire(65))", "65/2\n"},
    {"KeptEventRefsHoldTheirLastValue",
     "var kept; function p_KeyPress(i, k) { kept = k; k.value = 'A'.charCodeAt(0) + 1; }"
     "WScript.ConnectObject(p, 'p_'); WScript.Echo(p.Fire(65)); WScript.Echo(kept.value, kept.vartype)",
     "66/3\n66 3\n"},
    {"CreateObjectWithPrefix",
     "function q_Click(i) { WScript.Echo('q click', i.value) } var q = WScript.CreateObject('Sorvanelix.TestProbe', "
     "'q_'); q.FireClick(1); p.FireClick(2)",
     "q click 1\n"},
    {"AutomationErrorsBecomeScriptErrors",
     "try { p.Nope() } catch (e) { WScript.Echo(e.message, e.number & 0xFFFF, e.description) }"
     "try { p.Echo() } catch (e) { WScript.Echo(e.message) }"
     "try { p.Child = 5 } catch (e) { WScript.Echo(e.message) }",
     "Object doesn't support this property or method 438 Object doesn't support this property or method\n"
     "Argument not optional\nObject required\n"},
};

class ScriptCases : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ScriptCases, Output) {
  const Case& c = GetParam();
  const ScriptRun r = runScript(std::string("var p = new ActiveXObject('Sorvanelix.TestProbe');\n") + c.script);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, c.out);
}

INSTANTIATE_TEST_SUITE_P(Host, ScriptCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostTest, UncaughtErrorsGiveMessageLineAndFailure) {
  const ScriptRun r = runScript("var p = new ActiveXObject('Sorvanelix.TestProbe');\n\np.Nope();\nWScript.Echo('no');");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "probe.js(3): Error: Object doesn't support this property or method (438)\n");
  const ScriptRun syntax = runScript("var x = ;");
  EXPECT_EQ(syntax.code, 1);
  EXPECT_NE(syntax.err.find("probe.js(1): SyntaxError"), std::string::npos) << syntax.err;
  EXPECT_EQ(runScript("throw 'plain';").err, "Uncaught: plain\n");
  EXPECT_NE(runScript("new ActiveXObject('No.Such.Class')").err.find("ActiveX component can't create object (429)"),
            std::string::npos);
}

TEST_F(HostTest, QuitEndsTheScriptWithItsCodeEvenWhenCaught) {
  EXPECT_EQ(runScript("WScript.Quit(3); WScript.Echo('no')").code, 3);
  EXPECT_EQ(runScript("WScript.Quit()").code, 0);
  const ScriptRun r = runScript("try { WScript.Quit(4) } catch (e) { WScript.Echo('caught') } WScript.Echo('after')");
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.out, "");
}

TEST_F(HostTest, ErrorInAnEventFunctionIsReportedAndStopsEvents) {
  const ScriptRun r = runScript(
      "var p = new ActiveXObject('Sorvanelix.TestProbe');\n"
      "function p_Click(i) {\n"
      "  WScript.Echo('click', i.value);\n"
      "  undefinedFunction();\n"
      "}\n"
      "WScript.ConnectObject(p, 'p_');\n"
      "p.FireClick(1); p.FireClick(2);\n"
      "WScript.Echo('script goes on');\n");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "click 1\nscript goes on\n");
  EXPECT_NE(r.err.find("probe.js(4): ReferenceError"), std::string::npos) << r.err;
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

int ticks = 0;
void countTick(HWND, UINT, UINT_PTR, DWORD) { ++ticks; }

TEST_F(HostTest, DefaultSleepServesTheMessageLoopTimers) {
  Clock::useVirtualTime();
  messageLoop().reset();
  ticks = 0;
  const UINT_PTR id = SetTimer(0, 0, 20, countTick);
  const int64_t start = Clock::nowMs();
  EXPECT_EQ(runScript("WScript.Sleep(100)").code, 0);
  EXPECT_EQ(Clock::nowMs() - start, 100);
  EXPECT_EQ(ticks, 5);
  KillTimer(0, id);
  Clock::useRealTime();
}

TEST_F(HostTest, GlobalObjectsAreInstalled) {
  {
    Ref<TestProbe> user = makeRef<TestProbe>();
    addGlobalObject("User", ObjectRef(user));
    const ScriptRun r = runScript("User.Caption = 'from script'; WScript.Echo(User.Caption)");
    EXPECT_EQ(r.out, "from script\n");
    EXPECT_EQ(user->Caption().asBStr(), u"from script");
    removeGlobalObject("User");
    EXPECT_NE(runScript("User").code, 0);
  }
}

TEST_F(HostTest, ArgumentsAndScriptNames) {
  const ScriptRun r = runScript(
      "var a = WScript.Arguments; WScript.Echo(a.length, a.Count(), a.Item(0), a(1), a[1], WScript.ScriptName);"
      "try { a.Item(2) } catch (e) { WScript.Echo(e.message) }",
      {"one", "tw\xC3\xB6"});
  EXPECT_EQ(r.out, "2 2 one tw\xC3\xB6 tw\xC3\xB6 probe.js\nSubscript out of range\n");
}

TEST(JsText, Cesu8KeepsEveryCodeUnit) {
  const BStr s = u"a\u00E9\u20AC\U0001F600\xD800z";
  EXPECT_EQ(fromCesu8(toCesu8(s)), s);
  EXPECT_EQ(toCesu8(u"\U0001F600").size(), 6u);
  EXPECT_EQ(fromCesu8("\xF0\x9F\x98\x80"), BStr(u"\U0001F600"));
  EXPECT_EQ(fromCesu8("\xC3"), BStr(u"\xFFFD"));
}

}  // namespace
}  // namespace svx::host
