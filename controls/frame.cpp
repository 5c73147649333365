#include "controls/standard_families.h"

namespace svx {

const FamilySpec& frameFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Frame";
    f.arrayName = u"Frame";
    f.classWord = u"Frame";
    f.properties = rows({{prop(u"Caption", u"strCaption", VT_BSTR, 1), prop(u"TabIndex", u"intTabIndex", VT_I2, 2),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 8)},
                         geometry(3)});
    f.zOrderStep = 7;
    return f;
  }();
  return spec;
}

}  // namespace svx
