#include "controls/standard_families.h"

#include "platform/automation/coerce.h"

namespace svx {

namespace {

Variant listItems(Control& c) {
  const int32_t n = toI4(c.invoke(u"ListCount", InvokeKind::PropertyGet, {}));
  SafeArray items(VT_VARIANT, {{0, n}});
  const int32_t end = toI4(c.invoke(u"ListCount", InvokeKind::PropertyGet, {}));
  for (int32_t j = 0; j < end && j < n; ++j) {
    std::vector<Variant> at{Variant(j)};
    items.set(j, Variant(toBStr(c.invoke(u"List", InvokeKind::PropertyGet, at))));
  }
  return Variant(std::move(items));
}

// Items come only from a Variant array (8204); anything else adds nothing.
void addItems(Control& c, const Variant& list) {
  if (list.vt() != (VT_ARRAY | VT_VARIANT) || !list.asArray()) return;
  const SafeArray& a = *list.asArray();
  for (int32_t j = a.lbound(1); j <= a.ubound(1); ++j) {
    std::vector<Variant> item{Variant(toBStr(a.get(j)))};
    c.invoke(u"AddItem", InvokeKind::Method, item);
  }
}

Variant selectedText(Control& c) {
  std::vector<Variant> at{c.invoke(u"ListIndex", InvokeKind::PropertyGet, {})};
  return c.invoke(u"List", InvokeKind::PropertyGet, at);
}

// The list-box families share these rows.
FamilyProperty itemsRow(int setStep) {
  FamilyProperty p = prop(u"ItemsList", u"arrayItemsList", VT_VARIANT, setStep);
  p.read = listItems;
  p.write = addItems;
  return p;
}

FamilyProperty listValueRow() {
  FamilyProperty p = getOnly(u"ListValue", u"strListValue", VT_BSTR);
  p.read = selectedText;
  return p;
}

FamilySpec comboLike(BStr family, BStr classWord) {
  FamilySpec f;
  f.family = family;
  f.arrayName = family;
  f.classWord = std::move(classWord);
  // Set: the list is emptied on every call, then the items, TabIndex, the
  // selection after the items, the geometry, z-order and Visible.
  f.properties = rows({{itemsRow(2), prop(u"TabIndex", u"intTabIndex", VT_I2, 3),
                        prop(u"Visible", u"boolVisible", VT_BOOL, 10), prop(u"ListIndex", u"intListIndex", VT_I2, 4),
                        listValueRow()},
                       geometry(5)});
  f.alwaysSteps = {{1, [](Control& c) { c.invoke(u"Clear", InvokeKind::Method, {}); }}};
  f.zOrderStep = 9;
  return f;
}

}  // namespace

const FamilySpec& comboFamily() {
  static const FamilySpec spec = comboLike(u"Combo", u"Dropdown list ComboBox");
  return spec;
}

const FamilySpec& comboTextFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f = comboLike(u"ComboText", u"Dropdown combo ComboBox");
    // Set only: the edit-field text, before the list is emptied.
    FamilyProperty text = prop(u"Text", u"strText", VT_BSTR, 0);
    text.getType = VT_EMPTY;
    f.properties.insert(f.properties.begin(), text);
    return f;
  }();
  return spec;
}

}  // namespace svx
