#include "controls/standard_families.h"

namespace svx {

namespace {

// Value is applied before Min and Max: the element checks it against the
// range it has at that moment.
FamilySpec scrollBar(BStr family, BStr array, BStr classWord) {
  FamilySpec f;
  f.family = std::move(family);
  f.arrayName = std::move(array);
  f.classWord = std::move(classWord);
  f.properties = rows({{prop(u"TabIndex", u"intTabIndex", VT_I2, 1), prop(u"Visible", u"boolVisible", VT_BOOL, 12),
                        prop(u"intValue", u"intValue", VT_I2, 2, u"Value"), prop(u"intMin", u"intMin", VT_I2, 3, u"Min"),
                        prop(u"intMax", u"intMax", VT_I2, 4, u"Max"),
                        prop(u"intSmallChange", u"intSmallChange", VT_I2, 5, u"SmallChange"),
                        prop(u"intLargeChange", u"intLargeChange", VT_I2, 6, u"LargeChange")},
                       geometry(7)});
  f.zOrderStep = 11;
  return f;
}

}  // namespace

const FamilySpec& hScrollBarFamily() {
  static const FamilySpec spec = scrollBar(u"HScrollBar", u"HScroll", u"Horizontal ScrollBar");
  return spec;
}

const FamilySpec& vScrollBarFamily() {
  static const FamilySpec spec = scrollBar(u"VScrollBar", u"VScroll", u"Vertical ScrollBar");
  return spec;
}

}  // namespace svx
