#include "controls/family_pattern.h"
#include "controls/standard_families_ii.h"

namespace svx {

namespace {

FamilySpec optionFamily() {
  FamilySpec f;
  f.family = u"Option";
  f.arrayName = u"OptionCtrl";
  f.classWord = u"OptionButton";
  f.properties = rows({{prop(u"Caption", u"strCaption", VT_BSTR, 1), prop(u"TabIndex", u"intTabIndex", VT_I2, 2),
                        prop(u"Visible", u"boolVisible", VT_BOOL, 9), prop(u"Value", u"boolValue", VT_BOOL, 3)},
                       geometry(4)});
  f.zOrderStep = 8;
  return f;
}

}  // namespace

void declareOptionFamily(ClassInfo& ci) { declareFamily(ci, optionFamily()); }

}  // namespace svx
