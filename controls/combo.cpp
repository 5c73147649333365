#include "controls/standard_families.h"

#include "controls/list_transport.h"

namespace svx {

namespace {

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
  f.alwaysSteps = {clearStep(1)};
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
