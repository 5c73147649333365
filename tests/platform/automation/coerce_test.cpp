#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include <cmath>
#include <string>
#include <vector>

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"

namespace svx {
namespace {

// An object whose default member (Value) returns a fixed value.
class Valued : public Object {
 public:
  explicit Valued(Variant v) : value_(std::move(v)) {}
  Variant Value() { return value_; }
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Valued").get<&Valued::Value>(u"Value").defaultMember(u"Value");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

 private:
  Variant value_;
};

// An object whose default member fails.
class Failing : public Object {
 public:
  Variant Value() { raise(err::InvalidPropertyValue); }
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Failing").get<&Failing::Value>(u"Value").defaultMember(u"Value");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
};

// A default member that needs an argument (as a collection's Item).
class Indexed : public Object {
 public:
  Variant Item(Variant&) { return Variant(1); }
  static const ClassInfo& info() {
    static const ClassInfo ci =
        ClassInfo(u"Indexed").get<&Indexed::Item>(u"Item", {in(u"index")}).defaultMember(u"Item");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
};

// An object without a default member.
class Plain : public Object {
 public:
  void Noop() {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Plain").method<&Plain::Noop>(u"Noop", {});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
};

Variant valued(Variant v) { return Variant(ObjectRef(makeRef<Valued>(std::move(v)))); }
Variant plain() { return Variant(ObjectRef(makeRef<Plain>())); }
Variant array() { return Variant(SafeArray::variants({Variant(1), Variant(2)})); }
Variant cy(int64_t scaled) { return Variant(Currency{scaled}); }
Variant date(double v) { return Variant(Date{v}); }
Variant text(const char* s) { return Variant(std::string_view(s)); }

std::string describe(const Variant& v) {
  std::string out = varTypeName(v.vt());
  try {
    out += " " + utf8(toBStr(v));
  } catch (const RuntimeError&) {
  }
  return out;
}

using svx::testing::errorOf;

struct Row {
  std::string label;
  Variant source;
  Variant expected;  // when error == 0
  int32_t error = 0;
};

Row ok(std::string label, Variant source, Variant expected) {
  return {std::move(label), std::move(source), std::move(expected)};
}
Row fails(std::string label, Variant source, int32_t error) { return {std::move(label), std::move(source), {}, error}; }

void checkTarget(uint16_t target, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(varTypeName(target) + " from " + r.label);
    if (r.error) {
      EXPECT_EQ(errorOf([&] { changeType(r.source, target); }), r.error);
      continue;
    }
    Variant got;
    const int32_t error = errorOf([&] { got = changeType(r.source, target); });
    EXPECT_EQ(error, 0);
    if (error) continue;
    EXPECT_EQ(got.vt(), target);
    EXPECT_TRUE(got == r.expected) << "got " << describe(got) << ", expected " << describe(r.expected);
  }
}

// The sources that behave alike for every target.
std::vector<Row> refusedEverywhere() {
  return {
      fails("Null", Variant::null(), err::InvalidUseOfNull),
      fails("missing", Variant::missing(), err::TypeMismatch),
      fails("error value", Variant::error(5), err::TypeMismatch),
      fails("Nothing", Variant::nothing(), err::ObjectVariableNotSet),
      fails("object without default", plain(), err::TypeMismatch),
      fails("array", array(), err::TypeMismatch),
      fails("object defaulting to Null", valued(Variant::null()), err::InvalidUseOfNull),
      fails("object whose default member fails", Variant(ObjectRef(makeRef<Failing>())),
            err::InvalidPropertyValue),
      fails("object whose default member needs an argument", Variant(ObjectRef(makeRef<Indexed>())),
            err::TypeMismatch),
  };
}

void checkTargetWithShared(uint16_t target, std::vector<Row> rows) {
  for (Row& r : refusedEverywhere()) rows.push_back(std::move(r));
  checkTarget(target, rows);
}

TEST(Coerce, ToI2) {
  using V = Variant;
  checkTargetWithShared(VT_I2, {
      ok("Empty", V(), V::i2(0)),
      ok("I2", V::i2(-32768), V::i2(-32768)),
      ok("I4 32767", V(32767), V::i2(32767)),
      fails("I4 32768", V(32768), err::Overflow),
      ok("I4 -32768", V(-32768), V::i2(-32768)),
      fails("I4 -32769", V(-32769), err::Overflow),
      fails("I4 40000", V(40000), err::Overflow),
      fails("R8 32767.5", V(32767.5), err::Overflow),
      ok("R8 32767.4", V(32767.4), V::i2(32767)),
      ok("R8 -32768.5", V(-32768.5), V::i2(-32768)),
      fails("R8 -32768.6", V(-32768.6), err::Overflow),
      ok("R8 0.5", V(0.5), V::i2(0)),
      ok("R8 -0.5", V(-0.5), V::i2(0)),
      ok("R8 1.5", V(1.5), V::i2(2)),
      ok("R8 2.5", V(2.5), V::i2(2)),
      ok("R8 3.5", V(3.5), V::i2(4)),
      ok("R8 -2.5", V(-2.5), V::i2(-2)),
      ok("R8 -3.5", V(-3.5), V::i2(-4)),
      ok("R8 65.5", V(65.5), V::i2(66)),
      ok("R8 66.5", V(66.5), V::i2(66)),
      ok("R8 2.50001", V(2.50001), V::i2(3)),
      ok("R4 2.5", V(2.5f), V::i2(2)),
      ok("CY 2.5", cy(25000), V::i2(2)),
      ok("CY 3.5", cy(35000), V::i2(4)),
      ok("CY -2.5", cy(-25000), V::i2(-2)),
      ok("CY 1.4999", cy(14999), V::i2(1)),
      fails("CY 32767.5", cy(327675000), err::Overflow),
      ok("DATE 2.5", date(2.5), V::i2(2)),
      ok("BOOL True", V(true), V::i2(-1)),
      ok("BOOL False", V(false), V::i2(0)),
      ok("UI1 255", V::ui1(255), V::i2(255)),
      ok("BSTR 65", text("65"), V::i2(65)),
      ok("BSTR blanks", text(" 12 "), V::i2(12)),
      ok("BSTR +3", text("+3"), V::i2(3)),
      ok("BSTR 2.5", text("2.5"), V::i2(2)),
      ok("BSTR exponent", text("-3.5e2"), V::i2(-350)),
      ok("BSTR &HFF", text("&HFF"), V::i2(255)),
      ok("BSTR &HFFFF", text("&HFFFF"), V::i2(-1)),
      ok("BSTR &H8000", text("&H8000"), V::i2(-32768)),
      ok("BSTR &O17", text("&O17"), V::i2(15)),
      fails("BSTR &H10000", text("&H10000"), err::Overflow),
      fails("BSTR 40000", text("40000"), err::Overflow),
      fails("BSTR abc", text("abc"), err::TypeMismatch),
      fails("BSTR empty", text(""), err::TypeMismatch),
      fails("BSTR blank", text("   "), err::TypeMismatch),
      fails("BSTR 1,5", text("1,5"), err::TypeMismatch),
      fails("BSTR True", text("True"), err::TypeMismatch),
      ok("object defaulting to 7", valued(V(7)), V::i2(7)),
      ok("object defaulting to an object", valued(valued(V(2.5))), V::i2(2)),
      fails("object defaulting to text", valued(text("abc")), err::TypeMismatch),
  });
}

TEST(Coerce, ToI4) {
  using V = Variant;
  checkTargetWithShared(VT_I4, {
      ok("Empty", V(), V(0)),
      ok("I2", V::i2(-5), V(-5)),
      ok("R8 2147483647", V(2147483647.0), V(2147483647)),
      fails("R8 2147483648", V(2147483648.0), err::Overflow),
      ok("R8 -2147483648", V(-2147483648.0), V(INT32_MIN)),
      fails("R8 -2147483649", V(-2147483649.0), err::Overflow),
      fails("R8 2147483647.5", V(2147483647.5), err::Overflow),
      ok("R8 2147483646.5", V(2147483646.5), V(2147483646)),
      ok("R8 40000", V(40000.0), V(40000)),
      ok("CY max long", cy(21474836470000), V(2147483647)),
      fails("CY past max long", cy(21474836480000), err::Overflow),
      ok("BOOL True", V(true), V(-1)),
      ok("BSTR &HFFFF", text("&HFFFF"), V(-1)),
      ok("BSTR &HFFFF&", text("&HFFFF&"), V(65535)),
      ok("BSTR &H10000", text("&H10000"), V(65536)),
      ok("BSTR &HFFFFFFFF", text("&HFFFFFFFF"), V(-1)),
      ok("BSTR &h7fffffff", text("&h7fffffff"), V(INT32_MAX)),
      fails("BSTR &H123456789", text("&H123456789"), err::Overflow),
      fails("BSTR &HG", text("&HG"), err::TypeMismatch),
      fails("BSTR &O8", text("&O8"), err::TypeMismatch),
      fails("BSTR &H", text("&H"), err::TypeMismatch),
      ok("BSTR 2147483647", text("2147483647"), V(INT32_MAX)),
      fails("BSTR 2147483648", text("2147483648"), err::Overflow),
      fails("BSTR abc", text("abc"), err::TypeMismatch),
  });
}

TEST(Coerce, ToUI1) {
  using V = Variant;
  checkTargetWithShared(VT_UI1, {
      ok("Empty", V(), V::ui1(0)),
      ok("I4 255", V(255), V::ui1(255)),
      fails("I4 256", V(256), err::Overflow),
      fails("I4 300", V(300), err::Overflow),
      ok("I4 0", V(0), V::ui1(0)),
      fails("I4 -1", V(-1), err::Overflow),
      ok("R8 -0.5", V(-0.5), V::ui1(0)),
      fails("R8 -0.6", V(-0.6), err::Overflow),
      ok("R8 254.5", V(254.5), V::ui1(254)),
      fails("R8 255.5", V(255.5), err::Overflow),
      ok("BSTR 65", text("65"), V::ui1(65)),
      fails("BSTR word", text("red"), err::TypeMismatch),
      fails("BOOL True", V(true), err::Overflow),
      ok("BOOL False", V(false), V::ui1(0)),
      ok("CY 2.5", cy(25000), V::ui1(2)),
  });
}

TEST(Coerce, ToR4) {
  using V = Variant;
  checkTargetWithShared(VT_R4, {
      ok("Empty", V(), V(0.0f)),
      ok("I4", V(40000), V(40000.0f)),
      ok("R8 0.1", V(0.1), V(0.1f)),
      ok("R8 3.4e38", V(3.4e38), V(3.4e38f)),
      fails("R8 1e39", V(1e39), err::Overflow),
      fails("R8 -1e39", V(-1e39), err::Overflow),
      ok("BOOL True", V(true), V(-1.0f)),
      ok("CY 1.5", cy(15000), V(1.5f)),
      ok("BSTR 2.5", text("2.5"), V(2.5f)),
      fails("BSTR 1e400", text("1e400"), err::Overflow),
      fails("BSTR abc", text("abc"), err::TypeMismatch),
  });
}

TEST(Coerce, ToR8) {
  using V = Variant;
  checkTargetWithShared(VT_R8, {
      ok("Empty", V(), V(0.0)),
      ok("I2", V::i2(-7), V(-7.0)),
      ok("R4 0.5", V(0.5f), V(0.5)),
      ok("CY 1.5", cy(15000), V(1.5)),
      ok("DATE", date(45322.5), V(45322.5)),
      ok("BOOL True", V(true), V(-1.0)),
      ok("UI1", V::ui1(9), V(9.0)),
      ok("BSTR exponent", text("-3.5e2"), V(-350.0)),
      ok("BSTR D exponent", text("1.5D2"), V(150.0)),
      ok("BSTR E+", text("1E+3"), V(1000.0)),
      ok("BSTR .5", text(".5"), V(0.5)),
      ok("BSTR 5.", text("5."), V(5.0)),
      ok("BSTR tab blanks", text("\t7\t"), V(7.0)),
      ok("BSTR &O17", text("&O17"), V(15.0)),
      ok("BSTR 1e-400", text("1e-400"), V(0.0)),
      fails("BSTR 1e400", text("1e400"), err::Overflow),
      fails("BSTR -1e400", text("-1e400"), err::Overflow),
      fails("BSTR .", text("."), err::TypeMismatch),
      fails("BSTR 1e", text("1e"), err::TypeMismatch),
      fails("BSTR - 3", text("- 3"), err::TypeMismatch),
      fails("BSTR 1 2", text("1 2"), err::TypeMismatch),
      fails("BSTR 1,5", text("1,5"), err::TypeMismatch),
      fails("BSTR $5", text("$5"), err::TypeMismatch),
      fails("BSTR date", text("1/31/2024"), err::TypeMismatch),
      fails("BSTR False", text("False"), err::TypeMismatch),
  });
}

TEST(Coerce, ToBool) {
  using V = Variant;
  checkTargetWithShared(VT_BOOL, {
      ok("Empty", V(), V(false)),
      ok("I4 5", V(5), V(true)),
      ok("I4 0", V(0), V(false)),
      ok("I2 -1", V::i2(-1), V(true)),
      ok("R8 0.4 (not rounded)", V(0.4), V(true)),
      ok("CY 0", cy(0), V(false)),
      ok("CY 0.0001", cy(1), V(true)),
      ok("DATE 0", date(0), V(false)),
      ok("UI1 1", V::ui1(1), V(true)),
      ok("BSTR True", text("True"), V(true)),
      ok("BSTR false", text("false"), V(false)),
      ok("BSTR TRUE blanks", text(" TRUE "), V(true)),
      ok("BSTR 0", text("0"), V(false)),
      ok("BSTR 2.5", text("2.5"), V(true)),
      ok("BSTR -1", text("-1"), V(true)),
      fails("BSTR yes", text("yes"), err::TypeMismatch),
      fails("BSTR empty", text(""), err::TypeMismatch),
      ok("object defaulting to True", valued(V(true)), V(true)),
  });
}

TEST(Coerce, ToBStr) {
  using V = Variant;
  checkTargetWithShared(VT_BSTR, {
      ok("Empty", V(), text("")),
      ok("I2", V::i2(-5), text("-5")),
      ok("I4", V(2147483647), text("2147483647")),
      ok("UI1", V::ui1(255), text("255")),
      ok("R8 1.0", V(1.0), text("1")),
      ok("R8 0.1", V(0.1), text("0.1")),
      ok("R8 -1.5", V(-1.5), text("-1.5")),
      ok("R8 1e20", V(1e20), text("1E+20")),
      ok("R8 1e-5", V(1e-5), text("1E-05")),
      ok("R8 0.0001", V(0.0001), text("0.0001")),
      ok("R8 1/3", V(1.0 / 3), text("0.333333333333333")),
      ok("R8 2/3", V(2.0 / 3), text("0.666666666666667")),
      ok("R8 -0", V(-0.0), text("0")),
      ok("R8 0.1+0.2", V(0.1 + 0.2), text("0.3")),
      ok("R8 1e15", V(1e15), text("1E+15")),
      ok("R8 999999999999999", V(999999999999999.0), text("999999999999999")),
      ok("R8 123456789012345678", V(123456789012345678.0), text("1.23456789012346E+17")),
      ok("R8 1e100", V(1e100), text("1E+100")),
      ok("R8 -2.5e-300", V(-2.5e-300), text("-2.5E-300")),
      ok("R8 65.5", V(65.5), text("65.5")),
      ok("R4 1/3", V(1.0f / 3), text("0.3333333")),
      ok("R4 0.1", V(0.1f), text("0.1")),
      ok("R4 1234567", V(1234567.0f), text("1234567")),
      ok("R4 1e7", V(1e7f), text("1E+07")),
      ok("R4 16777216", V(16777216.0f), text("1.677722E+07")),
      ok("CY 1.5", cy(15000), text("1.5")),
      ok("CY 3", cy(30000), text("3")),
      ok("CY 12345.6789", cy(123456789), text("12345.6789")),
      ok("CY -0.0001", cy(-1), text("-0.0001")),
      ok("CY min", cy(INT64_MIN), text("-922337203685477.5808")),
      ok("DATE with time", date(45322 + 13.0 / 24 + 5.0 / 1440), text("1/31/2024 1:05:00 PM")),
      ok("DATE midnight", date(45322), text("1/31/2024")),
      ok("BOOL True", V(true), text("True")),
      ok("BOOL False", V(false), text("False")),
      ok("BSTR", text(" as is "), text(" as is ")),
      ok("object defaulting to 7", valued(V(7)), text("7")),
  });
}

TEST(Coerce, ToDate) {
  using V = Variant;
  const Variant jan31 = date(45322);
  const Variant jan31At1305 = Variant(makeDate({2024, 1, 31, 13, 5, 0}));
  checkTargetWithShared(VT_DATE, {
      ok("Empty", V(), date(0)),
      ok("I4", V(45322), jan31),
      ok("R8", V(45322.5), date(45322.5)),
      ok("BOOL True", V(true), date(-1)),
      ok("CY 1.5", cy(15000), date(1.5)),
      fails("R8 past 9999", V(2958466.0), err::Overflow),
      fails("R8 before 100", V(-657435.0), err::Overflow),
      ok("BSTR ISO", text("2024-01-31"), jan31),
      ok("BSTR m/d/yyyy", text("1/31/2024"), jan31),
      ok("BSTR m/d/yy", text("1/31/24"), jan31),
      ok("BSTR 24-hour time", text("1/31/2024 13:05:00"), jan31At1305),
      ok("BSTR 12-hour time", text("1/31/2024 1:05:00 PM"), jan31At1305),
      ok("BSTR ISO with T", text("2024-01-31T13:05"), jan31At1305),
      ok("BSTR month name", text("Jan 31, 2024"), jan31),
      ok("BSTR day month year", text("31 January 2024"), jan31),
      ok("BSTR time only", text("13:05"), Variant(makeDate({1899, 12, 30, 13, 5, 0}))),
      ok("BSTR 12 AM", text("12:00 AM"), date(0)),
      ok("BSTR leap day", text("2/29/2024"), Variant(makeDate({2024, 2, 29}))),
      fails("BSTR 2/30/2024", text("2/30/2024"), err::TypeMismatch),
      fails("BSTR 2/29/2023", text("2/29/2023"), err::TypeMismatch),
      fails("BSTR 13/1/2024", text("13/1/2024"), err::TypeMismatch),
      fails("BSTR 25:00", text("25:00"), err::TypeMismatch),
      fails("BSTR 13:00 PM", text("13:00 PM"), err::TypeMismatch),
      fails("BSTR number", text("45322"), err::TypeMismatch),
      fails("BSTR abc", text("abc"), err::TypeMismatch),
      fails("BSTR empty", text(""), err::TypeMismatch),
      fails("BSTR trailing text", text("1/31/2024 x"), err::TypeMismatch),
  });
}

TEST(Coerce, ToByteArray) {
  const auto bytesOf = [](const Variant& v) {
    const SafeArray* a = v.asArray();
    EXPECT_NE(a, nullptr);
    return a ? std::vector<uint8_t>(a->byteData().begin(), a->byteData().end()) : std::vector<uint8_t>{};
  };
  const uint16_t target = VT_ARRAY | VT_UI1;

  const Variant ab = changeType(text("AB"), target);
  EXPECT_EQ(ab.vt(), target);
  EXPECT_EQ(bytesOf(ab), (std::vector<uint8_t>{65, 0, 66, 0}));
  EXPECT_EQ(ab.asArray()->lbound(), 0);
  EXPECT_EQ(bytesOf(changeType(Variant(BStr(u"\u20AC")), target)), (std::vector<uint8_t>{0xAC, 0x20}));
  EXPECT_EQ(changeType(text(""), target).asArray()->elementCount(), 0);

  const uint8_t raw[] = {1, 2, 255};
  const Variant bytes(SafeArray::bytes(raw, 1));
  const Variant copy = changeType(bytes, target);
  EXPECT_TRUE(copy == bytes);
  EXPECT_EQ(copy.asArray()->lbound(), 1);

  EXPECT_EQ(errorOf([&] { changeType(array(), target); }), err::TypeMismatch);
  EXPECT_EQ(errorOf([&] { changeType(Variant(5), target); }), err::TypeMismatch);
  EXPECT_EQ(errorOf([&] { changeType(Variant(), target); }), err::TypeMismatch);
  EXPECT_EQ(errorOf([&] { changeType(Variant::null(), target); }), err::InvalidUseOfNull);
}

TEST(Coerce, ReadsThroughReferences) {
  Variant inner(2.5);
  Variant outer = Variant::byRef(inner);
  Variant chain = Variant::byRef(outer);
  EXPECT_EQ(toI2(chain), 2);
  int16_t slot = 42;
  EXPECT_EQ(toBStr(Variant::byRef(slot)), u"42");
  Variant nullVar = Variant::null();
  EXPECT_EQ(errorOf([&] { toI4(Variant::byRef(nullVar)); }), err::InvalidUseOfNull);
  Variant arr = array();
  EXPECT_EQ(errorOf([&] { toI4(Variant::byRef(arr)); }), err::TypeMismatch);
}

TEST(Coerce, AssignThroughTypedReferenceConverts) {
  int16_t i2 = 7;
  Variant ref = Variant::byRef(i2);
  ref.assign(Variant(2.5));
  EXPECT_EQ(i2, 2);
  EXPECT_EQ(errorOf([&] { ref.assign(Variant(40000)); }), err::Overflow);
  EXPECT_EQ(i2, 2);  // a failed conversion leaves the target as it was
  EXPECT_EQ(errorOf([&] { ref.assign(text("abc")); }), err::TypeMismatch);
  EXPECT_EQ(i2, 2);

  int16_t flag = 0;
  Variant boolRef = Variant::byRefBool(flag);
  boolRef.assign(text("True"));
  EXPECT_EQ(flag, VARIANT_TRUE);
  boolRef.assign(Variant());
  EXPECT_EQ(flag, VARIANT_FALSE);

  float f = 0;
  Variant fRef = Variant::byRef(f);
  fRef.assign(text("1.5"));
  EXPECT_EQ(f, 1.5f);

  BStr s;
  Variant sRef = Variant::byRef(s);
  sRef.assign(Variant(true));
  EXPECT_EQ(s, u"True");
  EXPECT_EQ(errorOf([&] { sRef.assign(Variant::null()); }), err::InvalidUseOfNull);
  EXPECT_EQ(s, u"True");
}

TEST(Coerce, OtherTargets) {
  EXPECT_TRUE(changeType(Variant(3), VT_VARIANT) == Variant(3));
  EXPECT_TRUE(changeType(cy(1), VT_CY) == cy(1));
  EXPECT_TRUE(changeType(Variant(1.23456), VT_CY) == cy(12346));
  EXPECT_TRUE(changeType(Variant(0.00005), VT_CY) == cy(0));  // half to even
  EXPECT_EQ(errorOf([&] { changeType(Variant(1e16), VT_CY); }), err::Overflow);
  EXPECT_TRUE(changeType(Variant::null(), VT_NULL).isNull());
  EXPECT_EQ(errorOf([&] { changeType(Variant(1), VT_NULL); }), err::TypeMismatch);
  EXPECT_TRUE(changeType(Variant(), VT_DISPATCH) == Variant::nothing());
  const Variant obj = plain();
  EXPECT_TRUE(changeType(obj, VT_DISPATCH) == obj);
  EXPECT_EQ(errorOf([&] { changeType(Variant(1), VT_DISPATCH); }), err::TypeMismatch);
  EXPECT_EQ(errorOf([&] { changeType(Variant::null(), VT_DISPATCH); }), err::InvalidUseOfNull);
}

TEST(Coerce, RoundHalfEven) {
  const std::pair<double, double> cases[] = {
      {0.5, 0},   {1.5, 2},   {2.5, 2},   {3.5, 4},   {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
      {2.4, 2},   {2.6, 3},   {-2.6, -3}, {65.5, 66}, {66.5, 66}, {1e300, 1e300}, {0, 0},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(roundHalfEven(in), out) << in;
  EXPECT_FALSE(std::signbit(roundHalfEven(-0.4)));
}

TEST(Coerce, ParseNumber) {
  EXPECT_EQ(parseNumber(u" 12 "), 12.0);
  EXPECT_EQ(parseNumber(u"+3"), 3.0);
  EXPECT_EQ(parseNumber(u"-3.5e2"), -350.0);
  EXPECT_EQ(parseNumber(u"&HFF"), 255.0);
  EXPECT_EQ(parseNumber(u"&hff"), 255.0);
  EXPECT_EQ(parseNumber(u"&O17"), 15.0);
  EXPECT_EQ(parseNumber(u"&HFFFF"), -1.0);
  EXPECT_FALSE(parseNumber(u"1,5"));
  EXPECT_FALSE(parseNumber(u""));
  EXPECT_FALSE(parseNumber(u"+"));
  EXPECT_FALSE(parseNumber(u"1.2.3"));
  EXPECT_FALSE(parseNumber(u"0x10"));
  EXPECT_FALSE(parseNumber(u"-&HFF"));
  EXPECT_FALSE(parseNumber(BStr(u"1\0", 2)));
  EXPECT_FALSE(parseNumber(u"\uFF11"));  // a full-width digit is no digit
}

TEST(Coerce, IsNumeric) {
  EXPECT_TRUE(isNumeric(Variant()));
  EXPECT_FALSE(isNumeric(Variant::null()));
  EXPECT_TRUE(isNumeric(Variant(1.5)));
  EXPECT_TRUE(isNumeric(Variant(true)));
  EXPECT_TRUE(isNumeric(cy(1)));
  EXPECT_FALSE(isNumeric(date(1)));
  EXPECT_TRUE(isNumeric(text(" 12 ")));
  EXPECT_TRUE(isNumeric(text("&HFF")));
  EXPECT_FALSE(isNumeric(text("abc")));
  EXPECT_FALSE(isNumeric(text("")));
  EXPECT_FALSE(isNumeric(array()));
  EXPECT_FALSE(isNumeric(Variant::missing()));
  EXPECT_FALSE(isNumeric(Variant::nothing()));
  EXPECT_FALSE(isNumeric(plain()));
  EXPECT_TRUE(isNumeric(valued(Variant(7))));
}

TEST(Coerce, Compare) {
  struct Case {
    const char* label;
    Variant a, b;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {"1 < 2", Variant(1), Variant(2), -1},
      {"2.5 > 2", Variant(2.5), Variant::i2(2), 1},
      {"I2 5 = R8 5", Variant::i2(5), Variant(5.0), 0},
      {"True = -1", Variant(true), Variant(-1), 0},
      {"CY = CY", cy(15000), cy(15000), 0},
      {"CY < R8", cy(15000), Variant(1.6), -1},
      {"date vs number", date(2), Variant(1), 1},
      {"a < b", text("a"), text("b"), -1},
      {"a > A (binary)", text("a"), text("A"), 1},
      {"ab > a", text("ab"), text("a"), 1},
      {"numeric string vs number", text("10"), Variant(9), 1},
      {"number vs numeric string", Variant(10), text("10.0"), 0},
      {"non-numeric string > number", text("abc"), Variant(5), 1},
      {"number < non-numeric string", Variant(5), text("abc"), -1},
      {"Empty = 0", Variant(), Variant(0), 0},
      {"Empty = \"\"", Variant(), text(""), 0},
      {"Empty < \"x\"", Variant(), text("x"), -1},
      {"\"x\" > Empty", text("x"), Variant(), 1},
      {"Empty = Empty", Variant(), Variant(), 0},
      {"Null vs 1", Variant::null(), Variant(1), std::nullopt},
      {"1 vs Null", Variant(1), Variant::null(), std::nullopt},
      {"object default", valued(Variant(3)), Variant(3), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(compare(c.a, c.b), c.expected) << c.label;
  EXPECT_EQ(errorOf([&] { compare(array(), Variant(1)); }), err::TypeMismatch);
  EXPECT_EQ(errorOf([&] { compare(Variant(1), Variant::missing()); }), err::TypeMismatch);
}

TEST(Coerce, Dates) {
  EXPECT_EQ(makeDate({2024, 1, 31}).value, 45322);
  EXPECT_EQ(makeDate({2000, 1, 1}).value, 36526);
  EXPECT_EQ(makeDate({1899, 12, 30}).value, 0);
  EXPECT_EQ(makeDate({1899, 12, 29, 6, 0, 0}).value, -1.25);  // time counts forward before day 0
  EXPECT_EQ(makeDate({2023, 13, 31}).value, 45322);             // month 13 carries into the year
  EXPECT_EQ(makeDate({2024, 1, 30, 24, 0, 0}).value, 45322);    // hour 24 carries into the day

  const DateParts p = splitDate(makeDate({2024, 1, 31, 13, 5, 7, 250}));
  EXPECT_EQ(p.year, 2024);
  EXPECT_EQ(p.month, 1);
  EXPECT_EQ(p.day, 31);
  EXPECT_EQ(p.hour, 13);
  EXPECT_EQ(p.minute, 5);
  EXPECT_EQ(p.second, 7);
  EXPECT_EQ(p.millisecond, 250);
  const DateParts before = splitDate(Date{-1.25});
  EXPECT_EQ(before.day, 29);
  EXPECT_EQ(before.hour, 6);

  EXPECT_EQ(formatDate(Date{0}), u"12:00:00 AM");
  EXPECT_EQ(formatDate(Date{0.5}), u"12:00:00 PM");
  EXPECT_EQ(formatDate(Date{-1.25}), u"12/29/1899 6:00:00 AM");
  EXPECT_EQ(formatDate(makeDate({9999, 12, 31, 23, 59, 59})), u"12/31/9999 11:59:59 PM");
  EXPECT_EQ(formatDate(makeDate({2024, 1, 31, 0, 0, 59, 600})), u"1/31/2024 12:01:00 AM");  // rounds to the second

  for (double v : {45322.0, 45322.5, 0.25, -1.25, 36526.999988425923}) {
    const auto back = parseDate(formatDate(Date{v}));
    ASSERT_TRUE(back) << v;
    EXPECT_NEAR(back->value, v, 1.0 / 86400) << v;
  }
}

}  // namespace
}  // namespace svx
