#include "controls/standard_families.h"

namespace svx {

const FamilySpec& commandFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Command";
    f.arrayName = u"Command";
    f.classWord = u"CommandButton";
    f.properties = rows({{prop(u"Caption", u"strCaption", VT_BSTR, 1), prop(u"Default", u"boolDefault", VT_BOOL, 2),
                          prop(u"Cancel", u"boolCancel", VT_BOOL, 3), prop(u"TabIndex", u"intTabIndex", VT_I2, 4),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 10)},
                         geometry(5)});
    f.zOrderStep = 9;
    return f;
  }();
  return spec;
}

}  // namespace svx
