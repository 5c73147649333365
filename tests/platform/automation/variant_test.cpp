#include <gtest/gtest.h>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/automation/small_variants.h"
#include "platform/automation/variant.h"

namespace svx {
namespace {

TEST(Variant, TypeCodesAreTheAutomationNumbers) {
  EXPECT_EQ(Variant().vt(), 0);
  EXPECT_EQ(Variant::null().vt(), 1);
  EXPECT_EQ(Variant::i2(1).vt(), 2);
  EXPECT_EQ(Variant(1).vt(), 3);
  EXPECT_EQ(Variant(1.0f).vt(), 4);
  EXPECT_EQ(Variant(1.0).vt(), 5);
  EXPECT_EQ(Variant(Currency{1}).vt(), 6);
  EXPECT_EQ(Variant(Date{1}).vt(), 7);
  EXPECT_EQ(Variant(u"x").vt(), 8);
  EXPECT_EQ(Variant::nothing().vt(), 9);
  EXPECT_EQ(Variant::missing().vt(), 10);
  EXPECT_EQ(Variant(true).vt(), 11);
  EXPECT_EQ(Variant::ui1(7).vt(), 17);
  EXPECT_EQ(Variant(SafeArray::variants({1, 2})).vt(), 8204);
  EXPECT_EQ(Variant(SafeArray::bytes(std::vector<uint8_t>{1})).vt(), 8209);
}

TEST(Variant, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(Variant(true).asI2(), -1);
  EXPECT_EQ(Variant(false).asI2(), 0);
}

TEST(Variant, MissingMarkerIsParamNotFound) {
  const Variant m = Variant::missing();
  EXPECT_TRUE(m.isMissing());
  EXPECT_EQ(static_cast<uint32_t>(m.asError()), 0x80020004u);
  EXPECT_FALSE(Variant::error(5).isMissing());
  EXPECT_FALSE(Variant().isMissing());
}

TEST(Variant, StringsKeepEmbeddedNulsAndUtf16) {
  const BStr s(u"A\0B", 3);
  Variant v(s);
  EXPECT_EQ(v.asBStr().size(), 3u);
  EXPECT_EQ(utf8(utf16("h\xC3\xA9llo \xF0\x9F\x98\x80")), "h\xC3\xA9llo \xF0\x9F\x98\x80");
  EXPECT_EQ(utf16("\xF0\x9F\x98\x80").size(), 2u);  // a surrogate pair
}

// Narrowing works in steps of sixteen characters: a character beyond ASCII
// (two, three or four bytes, or a lone surrogate) at every place of texts
// around one and two steps long, and runs that stay ASCII.
TEST(Variant, Utf8OfTextsAroundTheNarrowingStep) {
  const std::u16string others[] = {u"\u00E9", u"\u20AC", u"\U0001F600", std::u16string(1, char16_t(0xD800)),
                                   u"\u007F", u"\u0080"};
  const std::string encoded[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xEF\xBF\xBD", "\x7F",
                                 "\xC2\x80"};
  for (size_t length : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 48u}) {
    std::u16string ascii;
    std::string expected;
    for (size_t k = 0; k < length; ++k) {
      ascii += char16_t(u'a' + k % 26);
      expected += char('a' + k % 26);
    }
    EXPECT_EQ(utf8(ascii), expected) << length;
    for (size_t at = 0; at < length; ++at)
      for (size_t o = 0; o < std::size(others); ++o) {
        std::u16string text = ascii;
        text.replace(at, 1, others[o]);
        std::string want = expected;
        want.replace(at, 1, encoded[o]);
        ASSERT_EQ(utf8(text), want) << "length " << length << ", at " << at << ", kind " << o;
      }
  }
}

TEST(Variant, CopyingCopiesTheArray) {
  Variant a(SafeArray::variants({1, 2, 3}));
  Variant b = a;
  b.asArray()->set(0, Variant(9));
  EXPECT_EQ(a.asArray()->get(0).asI4(), 1);
  EXPECT_EQ(b.asArray()->get(0).asI4(), 9);
}

TEST(Variant, ArrayTypeWithoutArrayFailsBounds) {
  Variant v = Variant::arrayTypeWithoutArray(VT_VARIANT);
  EXPECT_EQ(v.vt(), 8204);
  EXPECT_TRUE(v.isArray());
  EXPECT_EQ(v.asArray(), nullptr);
}

TEST(SafeArrayBounds, AnyLowerBoundAndDimensions) {
  SafeArray a(VT_VARIANT, {{1, 3}, {1, 2}});
  EXPECT_EQ(a.dimensions(), 2);
  EXPECT_EQ(a.lbound(1), 1);
  EXPECT_EQ(a.ubound(1), 3);
  EXPECT_EQ(a.lbound(2), 1);
  EXPECT_EQ(a.ubound(2), 2);
  a.set(3, 2, Variant(u"x"));
  EXPECT_EQ(a.get(3, 2).asBStr(), u"x");
  const auto subscript = [](auto&& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(subscript([&] { a.lbound(3); }), 9);
  EXPECT_EQ(subscript([&] { a.lbound(0); }), 9);
  EXPECT_EQ(subscript([&] { a.get(4, 1); }), 9);
  EXPECT_EQ(subscript([&] { a.get(1); }), 9);  // one index on two dimensions
  EXPECT_EQ(subscript([] { SafeArray(VT_UI1, {{0, -1}}); }), 9);
  SafeArray empty(VT_VARIANT, {{0, 0}});  // 0 To -1
  EXPECT_EQ(empty.ubound(), -1);
  EXPECT_EQ(empty.elementCount(), 0);
  // Bounds at the ends of the Long range; an upper bound beyond them is refused.
  constexpr int32_t top = INT32_MAX, bottom = INT32_MIN;
  SafeArray high(VT_VARIANT, {{top - 1, 2}});
  EXPECT_EQ(high.ubound(), top);
  SafeArray low(VT_VARIANT, {{bottom, 1}});
  EXPECT_EQ(low.ubound(), bottom);
  EXPECT_EQ(subscript([] { SafeArray(VT_VARIANT, {{INT32_MAX, 2}}); }), 9);
  EXPECT_EQ(subscript([] { SafeArray(VT_VARIANT, {{1, 2}, {INT32_MAX - 1, 3}}); }), 9);
  EXPECT_EQ(subscript([] { SafeArray(VT_VARIANT, {{INT32_MIN, 0}}); }), 9);
}

TEST(SafeArrayBounds, ByteArraysArePacked) {
  const uint8_t raw[] = {1, 2, 3};
  SafeArray a = SafeArray::bytes(raw, 5);
  EXPECT_EQ(a.lbound(), 5);
  EXPECT_EQ(a.byteData().size(), 3u);
  EXPECT_EQ(a.get(6).asUI1(), 2);
  EXPECT_EQ(a.get(6).vt(), VT_UI1);
}

TEST(VariantRef, WritesThroughToTheCallersVariable) {
  Variant callers = Variant(5);
  Variant ref = Variant::byRef(callers);
  EXPECT_EQ(ref.vt(), VT_BYREF | VT_VARIANT);
  EXPECT_EQ(ref.varType(), VT_I4);
  ref.assign(Variant(u"new"));
  EXPECT_EQ(callers.asBStr(), u"new");
  // A reference to a reference reaches the same variable.
  Variant outer = Variant::byRef(ref);
  outer.assign(Variant(7));
  EXPECT_EQ(callers.asI4(), 7);
  EXPECT_EQ(outer.value().asI4(), 7);
}

TEST(VariantRef, TypedReferenceCoercesToItsType) {
  int16_t keyAscii = 65;
  Variant ref = Variant::byRef(keyAscii);
  EXPECT_EQ(ref.vt(), VT_BYREF | VT_I2);
  EXPECT_EQ(ref.varType(), VT_I2);
  EXPECT_EQ(ref.value().asI2(), 65);
  ref.assign(Variant(0));
  EXPECT_EQ(keyAscii, 0);
  // Through a Variant reference to the typed reference, as a raise hands it on.
  Variant slot = ref;
  Variant outer = Variant::byRef(slot);
  outer.assign(Variant(66.5));
  EXPECT_EQ(keyAscii, 66);
}

// A number converted to its own type (also read through a typed reference)
// keeps its value exactly.
TEST(Variant, ChangeTypeToItsOwnTypeKeepsTheValue) {
  int16_t i2 = -7;
  float r4 = 1.25f;
  int16_t flag = VARIANT_TRUE;
  const struct {
    Variant source;
    uint16_t type;
    Variant expected;
  } rows[] = {
      {Variant::i2(-7), VT_I2, Variant::i2(-7)},      {Variant(40000), VT_I4, Variant(40000)},
      {Variant(2.5f), VT_R4, Variant(2.5f)},          {Variant(-0.5), VT_R8, Variant(-0.5)},
      {Variant(true), VT_BOOL, Variant(true)},        {Variant::ui1(200), VT_UI1, Variant::ui1(200)},
      {Variant::byRef(i2), VT_I2, Variant::i2(-7)},   {Variant::byRef(r4), VT_R4, Variant(1.25f)},
      {Variant::byRefBool(flag), VT_BOOL, Variant(true)},
  };
  for (const auto& r : rows) {
    const Variant got = changeType(r.source, r.type);
    EXPECT_EQ(got.vt(), r.type);
    EXPECT_TRUE(got == r.expected) << r.type;
  }
}

// One value of each payload: copies, moves and assignments between any two
// leave an equal value behind and keep an object's count of references right.
TEST(Variant, CopiesMovesAndAssignmentsBetweenEveryKindOfValue) {
  struct Counted : Object {
    const ClassInfo& classInfo() const override { std::abort(); }
  };
  const ObjectRef object(makeRef<Counted>());
  int32_t target = 0;
  const std::vector<Variant> samples{Variant(),
                                     Variant::null(),
                                     Variant::i2(-2),
                                     Variant(70000),
                                     Variant(1.5f),
                                     Variant(2.25),
                                     Variant(Currency{123456}),
                                     Variant(Date{45000.5}),
                                     Variant(BStr(64, u'w')),
                                     Variant(object),
                                     Variant::nothing(),
                                     Variant::missing(),
                                     Variant(true),
                                     Variant::ui1(255),
                                     Variant(SafeArray::variants({Variant(u"a"), Variant(object)})),
                                     Variant::arrayTypeWithoutArray(VT_I4),
                                     Variant::byRef(target)};
  const int32_t refs = object->refCount();
  for (const Variant& a : samples) {
    for (const Variant& b : samples) {
      Variant copied = a;
      copied = b;
      EXPECT_TRUE(copied == b) << varTypeName(a.vt()) << " = " << varTypeName(b.vt());
      Variant moved = a;
      Variant source = b;
      moved = std::move(source);
      EXPECT_TRUE(moved == b) << varTypeName(a.vt()) << " = move " << varTypeName(b.vt());
      Variant constructed(std::move(moved));
      EXPECT_TRUE(constructed == b);
      copied = copied;  // self-assignment keeps the value
      EXPECT_TRUE(copied == b);
    }
  }
  EXPECT_EQ(object->refCount(), refs);
}

// An element moved or copied out of the array its own Variant holds: the
// element is taken before the array goes.
TEST(Variant, AssigningAnElementOfItsOwnArray) {
  for (const bool move : {false, true}) {
    Variant v(SafeArray::variants({Variant(BStr(40, u'x')), Variant(2)}));
    const int32_t first = 0;
    Variant* element = v.asArray()->variantAt(std::span<const int32_t>(&first, 1));
    ASSERT_NE(element, nullptr);
    if (move)
      v = std::move(*element);
    else
      v = *element;
    ASSERT_EQ(v.vt(), VT_BSTR);
    EXPECT_EQ(v.asBStr(), BStr(40, u'x'));
  }
}

// Reading a payload as another type is refused, never reinterpreted.
TEST(Variant, PayloadOfAnotherTypeIsRefused) {
  int16_t i2 = 0;
  EXPECT_THROW((void)Variant(1).asBStr(), std::bad_variant_access);
  EXPECT_THROW((void)Variant(u"1").asI4(), std::bad_variant_access);
  EXPECT_THROW((void)Variant::byRef(i2).asI2(), std::bad_variant_access);
  EXPECT_THROW((void)Variant::byRef(i2).asObject(), std::bad_variant_access);
  EXPECT_THROW((void)Variant(u"x").asArray(), std::bad_variant_access);
  EXPECT_THROW((void)Variant(Date{1}).asI4(), std::bad_variant_access);
  EXPECT_EQ(Variant(Date{1.5}).asR8(), 1.5);  // a date is read as its number
  EXPECT_TRUE(Variant(true).asBool());
}

// A typed reference written with a value of its own type, of another type
// that converts, and of one that does not (the variable keeps its value).
TEST(VariantRef, TypedTargetsTakeTheirTypeOrKeepTheirValue) {
  int16_t i2 = 1;
  int32_t i4 = 1;
  float r4 = 1;
  double r8 = 1;
  int16_t flag = 0;
  BStr text = u"old";
  uint8_t byte = 1;
  Variant source = Variant::i2(9);
  const struct {
    Variant ref;
    Variant value;
    Variant expected;  // the variable read back; Empty when the write fails
    int32_t error;
  } rows[] = {
      {Variant::byRef(i2), Variant::i2(-5), Variant::i2(-5), 0},
      {Variant::byRef(i2), Variant(2.5), Variant::i2(2), 0},  // halves to even
      {Variant::byRef(i2), Variant::byRef(source), Variant::i2(9), 0},
      {Variant::byRef(i2), Variant(40000), Variant::i2(9), err::Overflow},
      {Variant::byRef(i4), Variant(u"12"), Variant(12), 0},
      {Variant::byRef(i4), Variant(u"x"), Variant(12), err::TypeMismatch},
      {Variant::byRef(r4), Variant(0.5f), Variant(0.5f), 0},
      {Variant::byRef(r8), Variant::i2(3), Variant(3.0), 0},
      {Variant::byRefBool(flag), Variant(true), Variant(true), 0},
      {Variant::byRefBool(flag), Variant(0), Variant(false), 0},
      {Variant::byRefBool(flag), Variant(7), Variant(true), 0},
      {Variant::byRefBool(flag), Variant::null(), Variant(true), err::InvalidUseOfNull},
      {Variant::byRef(text), Variant(u"new"), Variant(u"new"), 0},
      {Variant::byRef(text), Variant(5), Variant(u"5"), 0},
      {Variant::byRef(byte), Variant::ui1(200), Variant::ui1(200), 0},
      {Variant::byRef(byte), Variant(-1), Variant::ui1(200), err::Overflow},
  };
  for (const auto& r : rows) {
    Variant ref = r.ref;
    int32_t error = 0;
    try {
      ref.assign(r.value);
    } catch (const RuntimeError& e) {
      error = e.number();
    }
    EXPECT_EQ(error, r.error) << varTypeName(r.ref.vt()) << " <- " << varTypeName(r.value.vt());
    EXPECT_TRUE(ref.value() == r.expected) << varTypeName(r.ref.vt()) << " <- " << varTypeName(r.value.vt());
  }
  EXPECT_EQ(flag, VARIANT_TRUE);  // a Boolean is stored as True, whatever number made it
}

TEST(Variant, SameTextComparesEveryCodeUnit) {
  const BStr nul(u"A\0B", 3);
  EXPECT_TRUE(sameText(u"", u""));
  EXPECT_TRUE(sameText(u"CommandMouseMove", BStr(u"CommandMouseMove")));
  EXPECT_TRUE(sameText(nul, BStr(u"A\0B", 3)));
  EXPECT_FALSE(sameText(nul, u"A"));                 // stops at no NUL
  EXPECT_FALSE(sameText(u"Command", u"CommandMouse"));  // a prefix
  EXPECT_FALSE(sameText(u"check", u"Check"));           // case counts
  EXPECT_FALSE(sameText(u"\xD83D\xDE00", u"\xD83D\xDE01"));
}

// Up to its inline count on the stack, beyond it on the heap; either way
// the values stay in order and are destroyed with the buffer.
TEST(Variant, SmallVariantsHoldTheirValuesInOrder) {
  for (const size_t n : {size_t{0}, size_t{3}, size_t{4}, size_t{9}}) {
    SmallVariants<4> v(n);
    for (size_t i = 0; i < n; ++i) v.push(Variant(BStr(40, static_cast<char16_t>(u'a' + i))));
    ASSERT_EQ(v.span().size(), n);
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(v.span()[i].asBStr(), BStr(40, static_cast<char16_t>(u'a' + i)));
  }
  // A named Variant is copied in, on the stack and on the heap alike.
  for (const size_t n : {size_t{1}, size_t{5}}) {
    const Variant kept(BStr(40, u'k'));
    SmallVariants<4> v(n);
    for (size_t i = 0; i < n; ++i) v.push(kept);
    EXPECT_EQ(kept.asBStr(), BStr(40, u'k'));
    for (const Variant& e : v.span()) EXPECT_EQ(e.asBStr(), BStr(40, u'k'));
  }
}

}  // namespace
}  // namespace svx
