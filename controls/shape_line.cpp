#include "controls/standard_families.h"

namespace svx {

const FamilySpec& shapeFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Shape";
    f.arrayName = u"ShapeCtrl";
    f.classWord = u"Shape";
    f.properties = rows({{prop(u"Shape", u"intShape", VT_I2, 1), prop(u"FillStyle", u"intFillStyle", VT_I2, 2),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 9), prop(u"BorderStyle", u"intBorderStyle", VT_I2, 3)},
                         geometry(4)});
    f.zOrderStep = 8;
    return f;
  }();
  return spec;
}

const FamilySpec& lineFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Line";
    f.arrayName = u"LineCtrl";
    f.classWord = u"Line";
    // Both X values come first: X1, X2, Y1, Y2.
    f.properties = {prop(u"BorderColor", u"lngBorderColor", VT_I4, 1), prop(u"BorderStyle", u"intBorderStyle", VT_I2, 2),
                    prop(u"Visible", u"boolVisible", VT_BOOL, 9), prop(u"BorderWidth", u"intBorderWidth", VT_I2, 3),
                    prop(u"X1", u"sngX1", VT_R4, 4), prop(u"X2", u"sngX2", VT_R4, 5), prop(u"Y1", u"sngY1", VT_R4, 6),
                    prop(u"Y2", u"sngY2", VT_R4, 7)};
    f.zOrderStep = 8;
    return f;
  }();
  return spec;
}

std::vector<const FamilySpec*> standardFamiliesI() {
  return {&checkFamily(), &comboFamily(), &comboTextFamily(), &commandFamily(), &frameFamily(),
          &hScrollBarFamily(), &shapeFamily(), &lineFamily(), &vScrollBarFamily()};
}

}  // namespace svx
