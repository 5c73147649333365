#include <gtest/gtest.h>

#include <map>

#include "core/free_index.h"
#include "platform/automation/dispatch.h"

namespace svx {
namespace {

class FakeElement : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"FakeElement").get<&FakeElement::Tag>(u"Tag");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Tag() {
    if (failing) raise(err::OutOfMemory);
    return Variant(u"");
  }
  bool failing = false;
};

// A control array as it answers late-bound probes.
class FakeArray : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"FakeArray")
                                    .get<&FakeArray::LBound>(u"LBound")
                                    .get<&FakeArray::UBound>(u"UBound")
                                    .get<&FakeArray::Item>(u"Item", {in(u"Index")})
                                    .defaultMember(u"Item");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant LBound() { return Variant::i2(static_cast<int16_t>(elements.begin()->first)); }
  Variant UBound() { return Variant::i2(static_cast<int16_t>(elements.rbegin()->first)); }
  Variant Item(Variant& index) {
    const int32_t i = index.value().asI2();
    auto it = elements.find(i);
    if (it == elements.end()) raiseElementMissing(i);
    return Variant(ObjectRef(it->second));
  }
  void load(int32_t i) { elements[i] = makeRef<FakeElement>(); }
  std::map<int32_t, Ref<FakeElement>> elements;
};

struct Probe {
  int32_t index = 0, number = 0;
  BStr text;
};

Probe findIn(const Ref<FakeArray>& a) {
  Probe p;
  Variant v{ObjectRef(a)};
  FindFreeIndex(p.index, v, p.number, p.text);
  return p;
}

TEST(FindFreeIndexTest, LowestGapFirstThenOnePastTheTop) {
  Ref<FakeArray> a = makeRef<FakeArray>();
  a->load(0);
  EXPECT_EQ(findIn(a).index, 1);
  a->load(1);
  a->load(2);
  a->load(3);
  EXPECT_EQ(findIn(a).index, 4);
  a->elements.erase(2);
  EXPECT_EQ(findIn(a).index, 2);
  a->load(2);
  a->elements.erase(3);
  EXPECT_EQ(findIn(a).index, 3);  // the upper bound dropped back to 2
}

TEST(FindFreeIndexTest, TheFullArrayAndOtherProbeFailures) {
  Ref<FakeArray> a = makeRef<FakeArray>();
  for (int i = 0; i <= 255; ++i) a->load(i);
  Probe full = findIn(a);
  EXPECT_EQ(full.index, -1);
  EXPECT_EQ(full.number, -200);
  EXPECT_EQ(full.text, kControlArrayFullMessage);
  a->elements.erase(17);
  EXPECT_EQ(findIn(a).index, 17);
  a->load(17);
  a->elements[5]->failing = true;
  Probe failed = findIn(a);
  EXPECT_EQ(failed.index, -1);
  EXPECT_EQ(failed.number, 7);
}

TEST(IsPictureIndexValidTest, OnlyLoadedElementsAboveZero) {
  Ref<FakeArray> pics = makeRef<FakeArray>();
  pics->load(0);
  pics->load(2);
  Variant arr{ObjectRef(pics)};
  const std::pair<Variant, bool> cases[] = {
      {Variant(2), true},      {Variant(1.5), true},   {Variant(0.5), false},   {Variant(0), false},
      {Variant(-1), false},    {Variant(40000), false}, {Variant(u"abc"), false}, {Variant::null(), false},
      {Variant::missing(), false}, {Variant(1), false}, {Variant(u"2"), true}};
  for (const auto& [value, expected] : cases) {
    Variant v = value;
    EXPECT_EQ(IsPictureIndexValid(arr, v), expected) << varTypeName(value.vt());
  }
}

}  // namespace
}  // namespace svx
