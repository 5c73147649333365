#include "controls/standard_families.h"

namespace svx {

const FamilySpec& checkFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Check";
    f.arrayName = u"Check";
    f.classWord = u"CheckBox";
    // The state is a 16-bit integer (0, 1, 2), applied before the geometry.
    f.properties = rows({{prop(u"Caption", u"strCaption", VT_BSTR, 1), prop(u"TabIndex", u"intTabIndex", VT_I2, 2),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 9), prop(u"Value", u"intValue", VT_I2, 3)},
                         geometry(4)});
    f.zOrderStep = 8;
    return f;
  }();
  return spec;
}

}  // namespace svx
