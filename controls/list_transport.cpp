#include "controls/list_transport.h"

#include <array>
#include <span>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

// A member of the element called once per item: found once per list.
class ItemMember {
 public:
  ItemMember(Control& c, BStrView name, InvokeKind kind) : c_(c), m_(c.classInfo().find(name, kind)) {}
  Variant operator()(std::span<Variant> args) const {
    if (!m_) raise(err::MemberNotSupported);
    return invokeMember(c_, *m_, args);
  }

 private:
  Control& c_;
  const MemberInfo* m_;
};

// One array of Variants, element k for item k; an empty list gives an array
// Variant without an array.
template <class F>
Variant listOut(Control& c, F&& element) {
  const int16_t n = listCount(c);
  if (n <= 0) return Variant::arrayTypeWithoutArray(VT_VARIANT);
  SafeArray out(VT_VARIANT, {{0, n}});
  for (int16_t k = 0; k < n; ++k) out.set(k, element(k));
  return Variant(std::move(out));
}

Variant itemTexts(Control& c) {
  const ItemMember list(c, u"List", InvokeKind::PropertyGet);
  return listOut(c, [&](int16_t k) {
    Variant at = Variant::i2(k);
    return Variant(toBStr(list(std::span<Variant>(&at, 1))));
  });
}

Variant itemChecks(Control& c) {
  const ItemMember selected(c, u"Selected", InvokeKind::PropertyGet);
  return listOut(c, [&](int16_t k) {
    Variant at = Variant::i2(k);
    return Variant(toBool(selected(std::span<Variant>(&at, 1))));
  });
}

// Only an array of Variants is taken; its first dimension is walked from the
// lower to the upper bound, each element read with one subscript.
template <class F>
void listIn(const Variant& list, F&& take) {
  if (list.vt() != (VT_ARRAY | VT_VARIANT)) return;
  const SafeArray* a = list.asArray();
  if (!a) raise(err::SubscriptOutOfRange);
  const int32_t lower = a->lbound(1), upper = a->ubound(1);
  for (int64_t i = lower; i <= upper; ++i) take(static_cast<int32_t>(i), a->get(static_cast<int32_t>(i)));
}

void appendItems(Control& c, const Variant& list) {
  const ItemMember addItem(c, u"AddItem", InvokeKind::Method);
  listIn(list, [&](int32_t, const Variant& v) {
    Variant item(toBStr(v));
    addItem(std::span<Variant>(&item, 1));
  });
}

// The array index names the item, whatever the lower bound. Each state
// raises ItemCheck, whose handler may unload the list: the element is looked
// up again for every item.
void setChecks(const std::function<Control&()>& element, const Variant& list) {
  listIn(list, [&](int32_t i, const Variant& v) {
    std::array<Variant, 2> args{Variant(i), Variant(toBool(v))};
    const ItemMember selected(element(), u"Selected", InvokeKind::PropertyPut);
    selected(args);
  });
}

}  // namespace

int16_t listCount(Control& c) { return toI2(c.invoke(u"ListCount", InvokeKind::PropertyGet, {})); }

FamilyProperty itemsRow(int setStep) {
  FamilyProperty p = prop(u"ItemsList", u"arrayItemsList", VT_VARIANT, setStep);
  p.read = itemTexts;
  p.write = appendItems;
  return p;
}

FamilyProperty selectionsRow(int setStep) {
  FamilyProperty p = prop(u"SelectionsList", u"arraySelectionsList", VT_VARIANT, setStep);
  p.read = itemChecks;
  p.writeEach = setChecks;
  return p;
}

FamilyProperty listValueRow() {
  FamilyProperty p = getOnly(u"ListValue", u"strListValue", VT_BSTR);
  p.read = [](Control& c) {
    std::vector<Variant> at{c.invoke(u"ListIndex", InvokeKind::PropertyGet, {})};
    return c.invoke(u"List", InvokeKind::PropertyGet, at);
  };
  return p;
}

FamilyStep clearStep(int step) {
  return {step, [](Control& c) { c.invoke(u"Clear", InvokeKind::Method, {}); }};
}

}  // namespace svx
