// The PictureCtrl family: picture boxes, their pictures and drawing on them.
#include "controls/picture_members.h"
#include "controls/standard_families_ii.h"
#include "core/surface_drawing.h"
#include "platform/forms/picture_box.h"

namespace svx {

using namespace picture_rows;

namespace {

// A drawing member on a picture box: probe, then the surface member, which
// converts every argument before it draws and reports its own failures.
using SurfaceCall = void (*)(DrawSurface&, const Args&, Variant& errNumber, Variant& errDescription);

void declareDrawingMember(ClassInfo& ci, BStr name, std::vector<ParamInfo> params, SurfaceCall draw) {
  for (ParamInfo& p : params) p.byRef = true;
  params.insert(params.begin(), ref(u"Index"));
  params.push_back(refOpt(u"ErrNumber"));
  params.push_back(refOpt(u"ErrDescription"));
  const size_t n = params.size();
  ci.member(std::move(name), InvokeKind::Method, std::move(params), [draw, n](Object& self, const Args& a) {
    Form& form = familyForm(self);
    Variant& errNumber = a[n - 2];
    Variant& errDescription = a[n - 1];
    probedSteps(form, pictureCtrlFamily(), a[0], errNumber, errDescription, [&] {
      draw(elementOf<PictureBox>(form, pictureCtrlFamily(), a[0]).surface(), a, errNumber, errDescription);
    });
    return Variant();
  });
}

void declareDrawingMembers(ClassInfo& ci) {
  // Arguments after Index: a[1] onwards.
  declareDrawingMember(ci, u"PictureCtrlCircleAbsolute",
                       {ref(u"sngX"), ref(u"sngY"), ref(u"sngRadius"), refOpt(u"lngOLEColor"), refOpt(u"sngStart"),
                        refOpt(u"sngEnd"), refOpt(u"sngAspect")},
                       [](DrawSurface& s, const Args& a, Variant& n, Variant& d) {
                         CircleAbsolute(s, a[1], a[2], a[3], a[4], a[5], a[6], a[7], n, d);
                       });
  declareDrawingMember(ci, u"PictureCtrlLineAbsolute",
                       {ref(u"sngX1"), ref(u"sngY1"), ref(u"sngX2"), ref(u"sngY2"), refOpt(u"lngOLEColor"),
                        refOpt(u"boolBox"), refOpt(u"boolFill")},
                       [](DrawSurface& s, const Args& a, Variant& n, Variant& d) {
                         LineAbsolute(s, a[1], a[2], a[3], a[4], a[5], a[6], a[7], n, d);
                       });
  declareDrawingMember(ci, u"PictureCtrlPaintPicture",
                       {ref(u"byteStdPictureArray"), ref(u"sngX1"), ref(u"sngY1"), refOpt(u"sngWidth1"),
                        refOpt(u"sngHeight1"), refOpt(u"sngX2"), refOpt(u"sngY2"), refOpt(u"sngWidth2"),
                        refOpt(u"sngHeight2"), refOpt(u"lngOpcode")},
                       [](DrawSurface& s, const Args& a, Variant& n, Variant& d) {
                         PaintPictureAbsolute(s, a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], n, d);
                       });
  declareDrawingMember(ci, u"PictureCtrlPSetAbsolute", {ref(u"sngX"), ref(u"sngY"), refOpt(u"lngOLEColor")},
                       [](DrawSurface& s, const Args& a, Variant& n, Variant& d) {
                         PSetAbsolute(s, a[1], a[2], a[3], n, d);
                       });
  declareDrawingMember(ci, u"PictureCtrlPrintText", {ref(u"strText")},
                       [](DrawSurface& s, const Args& a, Variant& n, Variant& d) { PrintText(s, a[1], n, d); });
}

}  // namespace

const FamilySpec& pictureCtrlFamily() {
  static const FamilySpec spec = [] {
    FamilySpec f;
    f.family = u"PictureCtrl";
    f.arrayName = u"PictureCtrl";
    f.classWord = u"PictureBox";
    // Set: BorderStyle, TabIndex, the geometry, z-order, AutoSize, then the
    // pictures (the path's replaces the array's) and Visible.
    f.properties = rows({{pictureRow<PictureBox>(9), prop(u"BorderStyle", u"intBorderStyle", VT_I2, 1),
                          picturePathRow<PictureBox>(10), prop(u"AutoSize", u"boolAutoSize", VT_BOOL, 8),
                          prop(u"Visible", u"boolVisible", VT_BOOL, 11), prop(u"TabIndex", u"intTabIndex", VT_I2, 2)},
                         geometry(3)});
    f.zOrderStep = 7;
    return f;
  }();
  return spec;
}

void declarePictureCtrlFamily(ClassInfo& ci) {
  declareFamily(ci, pictureCtrlFamily());
  declarePictureFileMembers<PictureBox>(ci, pictureCtrlFamily(), u"LoadPictureIntoPictureCtrl",
                                        u"SavePictureFromPictureCtrl");
  declareDrawingMembers(ci);
}

}  // namespace svx
