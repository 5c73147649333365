#include "controls/family_pattern.h"
#include "controls/standard_families_ii.h"

namespace svx {

namespace {

FamilySpec labelFamily() {
  FamilySpec f;
  f.family = u"Label";
  f.arrayName = u"Label";
  f.classWord = u"Label";
  f.properties = rows({{prop(u"Caption", u"strCaption", VT_BSTR, 1), prop(u"TabIndex", u"intTabIndex", VT_I2, 2),
                        prop(u"BorderStyle", u"intBorderStyle", VT_I2, 3), prop(u"Visible", u"boolVisible", VT_BOOL, 9)},
                       geometry(4)});
  f.zOrderStep = 8;
  return f;
}

}  // namespace

void declareLabelFamily(ClassInfo& ci) { declareFamily(ci, labelFamily()); }

}  // namespace svx
