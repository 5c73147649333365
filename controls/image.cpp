#include "controls/picture_members.h"
#include "controls/standard_families_ii.h"
#include "platform/forms/image.h"

namespace svx {

using namespace picture_rows;

const FamilySpec& imageFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"Image";
    f.arrayName = u"ImageCtrl";
    f.classWord = u"Image";
    f.getName = u"GetImageCtrl";
    f.setName = u"SetImageCtrl";
    // Set: BorderStyle, the geometry, Stretch, z-order, then the pictures
    // (the path's replaces the array's) and Visible.
    f.properties = rows({{pictureRow<Image>(8), prop(u"BorderStyle", u"intBorderStyle", VT_I2, 1),
                          picturePathRow<Image>(9), prop(u"Stretch", u"boolStretch", VT_BOOL, 6),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 10)},
                         geometry(2)});
    f.zOrderStep = 7;
    return f;
  }();
  return spec;
}

void declareImageFamily(ClassInfo& ci) {
  declareFamily(ci, imageFamily());
  declarePictureFileMembers<Image>(ci, imageFamily(), u"LoadPictureIntoImageCtrl", u"SavePictureFromImageCtrl");
}

}  // namespace svx
