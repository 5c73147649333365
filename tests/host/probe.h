// The probe class that the host's tests create from scripts, and running a
// script with captured output.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/script_host.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"

namespace svx::host {

// A collection with a default member (Item), as TestProbe's Make("list")
// returns it.
class TestList : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"TestList")
                                    .get<&TestList::Count>(u"Count")
                                    .get<&TestList::Item>(u"Item", {in(u"Index")})
                                    .defaultMember(u"Item");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Count() { return Variant(3); }
  Variant Item(Variant& i) { return Variant(u"item " + toBStr(i)); }
};

// Parts of a TestWhole: its Parts collection and the parts in it, the same
// object each time while someone holds it.
class TestPart : public Object {
 public:
  static inline int live = 0;
  explicit TestPart(int32_t index) : index_(index) { ++live; }
  ~TestPart() override { --live; }
  static const ClassInfo& info() {
    static const ClassInfo ci =
        ClassInfo(u"TestPart").get<&TestPart::Index>(u"Index").defaultMember(u"Index").partOfParent();
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Index() { return Variant(index_); }

 private:
  int32_t index_;
};

class TestParts : public Object {
 public:
  static inline int live = 0;
  TestParts() { ++live; }
  ~TestParts() override { --live; }
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"TestParts")
                                    .get<&TestParts::Item>(u"Item", {in(u"Index")})
                                    .defaultMember(u"Item")
                                    .partOfParent();
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Item(Variant& i) {
    const auto n = static_cast<size_t>(toI4(i));
    if (n >= 100) raise(err::SubscriptOutOfRange);
    if (n >= parts_.size()) parts_.resize(n + 1);
    Ref<TestPart> part = parts_[n].lock();
    if (!part) {
      part = makeRef<TestPart>(static_cast<int32_t>(n));
      parts_[n] = part;
    }
    return Variant(ObjectRef(std::move(part)));
  }

 private:
  std::vector<WeakRef<TestPart>> parts_;
};

class TestWhole : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"TestWhole").get<&TestWhole::Parts>(u"Parts");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Parts() {
    Ref<TestParts> parts = parts_.lock();
    if (!parts) {
      parts = makeRef<TestParts>();
      parts_ = parts;
    }
    return Variant(ObjectRef(std::move(parts)));
  }

 private:
  WeakRef<TestParts> parts_;
};

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
            .method<&TestProbe::Listens>(u"Listens", {in(u"intEvent")})
            .method<&TestProbe::Fail>(u"Fail", {in(u"intNumber"), refOpt(u"lngErrNumber"), refOpt(u"strErrDescription")})
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
    if (k == u"i8") return Variant::i8(-9007199254740993);  // beyond 2^53: the nearest Number
    if (k == u"bool") return Variant(true);
    if (k == u"date") return Variant(makeDate({2024, 1, 31, 13, 5, 0, 0}));
    if (k == u"surrogates") return Variant(BStr(u"a\U0001F600b"));
    if (k == u"nothing") return Variant::nothing();
    if (k == u"self") return Variant(ObjectRef(this));
    if (k == u"list") return Variant(ObjectRef(makeRef<TestList>()));
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
  // Reports error `n` through the out-parameters, as the system's members do.
  void Fail(Variant& n, Variant& number, Variant& description) {
    ErrorOut{number, description}.report(toI4(n), u"failed on purpose");
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
  Variant Listens(Variant& event) { return Variant(listensTo(toI4(event))); }
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

inline ScriptRun runScript(const std::string& source, const std::vector<std::string>& args = {}) {
  std::ostringstream out, err;
  ScriptHost host(out, err);
  const int code = host.run(source, "probe.js", args);
  return {code, out.str(), err.str()};
}

class HostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerClass(u"Sorvanelix.TestProbe", [] { return ObjectRef(makeRef<TestProbe>()); });
    registerClass(u"Sorvanelix.TestWhole", [] { return ObjectRef(makeRef<TestWhole>()); });
  }
  void TearDown() override {
    resetSleepHandler();
    EXPECT_EQ(TestProbe::live, 0) << "the script's objects are released at its end";
    EXPECT_EQ(TestParts::live + TestPart::live, 0) << "the script's objects are released at its end";
  }
};

struct Case {
  const char* name;
  const char* script;
  const char* out;
};

// Runs the case's script after `var p = new ActiveXObject(...)`; it echoes
// what it sees.
inline void expectCase(const Case& c) {
  const ScriptRun r = runScript(std::string("var p = new ActiveXObject('Sorvanelix.TestProbe');\n") + c.script);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, c.out);
}

inline std::string caseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

}  // namespace svx::host
