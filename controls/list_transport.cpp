#include "controls/list_transport.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

namespace {



// One array of Variants, element k for item k; an empty list gives an array
// Variant without an array.
template <class F>
Variant listOut(Control& c, F&& element) {
  const int16_t n = listCount(c);
  if (n <= 0) return Variant::arrayTypeWithoutArray(VT_VARIANT);
  SafeArray out(VT_VARIANT, {{0, n}});
  for (int16_t k = 0; k < n; ++k) out.set(k, element(c, k));
  return Variant(std::move(out));
}

Variant itemText(Control& c, int16_t k) {
  std::vector<Variant> at{Variant::i2(k)};
  return Variant(toBStr(c.invoke(u"List", InvokeKind::PropertyGet, at)));
}

Variant itemChecked(Control& c, int16_t k) {
  std::vector<Variant> at{Variant::i2(k)};
  return Variant(toBool(c.invoke(u"Selected", InvokeKind::PropertyGet, at)));
}

// Only an array of Variants is taken; its first dimension is walked from the
// lower to the upper bound, each element read with one subscript.
template <class F>
void listIn(Control& c, const Variant& list, F&& take) {
  if (list.vt() != (VT_ARRAY | VT_VARIANT)) return;
  const SafeArray* a = list.asArray();
  if (!a) raise(err::SubscriptOutOfRange);
  const int32_t lower = a->lbound(1), upper = a->ubound(1);
  for (int32_t i = lower; i <= upper; ++i) take(c, i, a->get(i));
}

void appendItem(Control& c, int32_t, const Variant& v) {
  std::vector<Variant> item{Variant(toBStr(v))};
  c.invoke(u"AddItem", InvokeKind::Method, item);
}

// The array index names the item, whatever the lower bound.
void setChecked(Control& c, int32_t i, const Variant& v) {
  std::vector<Variant> args{Variant(i), Variant(toBool(v))};
  c.invoke(u"Selected", InvokeKind::PropertyPut, args);
}

}  // namespace

int16_t listCount(Control& c) { return toI2(c.invoke(u"ListCount", InvokeKind::PropertyGet, {})); }

FamilyProperty itemsRow(int setStep) {
  FamilyProperty p = prop(u"ItemsList", u"arrayItemsList", VT_VARIANT, setStep);
  p.read = [](Control& c) { return listOut(c, itemText); };
  p.write = [](Control& c, const Variant& v) { listIn(c, v, appendItem); };
  return p;
}

FamilyProperty selectionsRow(int setStep) {
  FamilyProperty p = prop(u"SelectionsList", u"arraySelectionsList", VT_VARIANT, setStep);
  p.read = [](Control& c) { return listOut(c, itemChecked); };
  p.write = [](Control& c, const Variant& v) { listIn(c, v, setChecked); };
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
