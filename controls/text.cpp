// The Text and MultiText families: single-line and multiline text boxes.
#include "controls/family_pattern.h"
#include "controls/standard_families_ii.h"

namespace svx {

namespace {

FamilySpec textBox(BStr name, BStr classWord) {
  FamilySpec f;
  f.family = name;
  f.arrayName = std::move(name);
  f.classWord = std::move(classWord);
  return f;
}

// The text is set before the limit: a shorter MaxLength leaves it whole.
FamilySpec textFamily() {
  FamilySpec f = textBox(u"Text", u"TextBox");
  f.properties = rows({{prop(u"Text", u"strText", VT_BSTR, 1), prop(u"MaxLength", u"lngMaxLength", VT_I4, 2),
                        prop(u"PasswordChar", u"strPasswordChar", VT_BSTR, 3),
                        prop(u"TabIndex", u"intTabIndex", VT_I2, 4), prop(u"Visible", u"boolVisible", VT_BOOL, 10)},
                       geometry(5)});
  f.zOrderStep = 9;
  return f;
}

FamilySpec multiTextFamily() {
  FamilySpec f = textBox(u"MultiText", u"Multiline TextBox");
  f.properties = rows({{prop(u"strText", u"strText", VT_BSTR, 1, u"Text"), prop(u"MaxLength", u"lngMaxLength", VT_I4, 2),
                        prop(u"TabIndex", u"intTabIndex", VT_I2, 3), prop(u"Visible", u"boolVisible", VT_BOOL, 9)},
                       geometry(4)});
  f.zOrderStep = 8;
  return f;
}

}  // namespace

void declareTextFamilies(ClassInfo& ci) {
  declareFamily(ci, textFamily());
  declareFamily(ci, multiTextFamily());
}

}  // namespace svx
