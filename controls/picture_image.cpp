#include "controls/picture_image.h"

#include "controls/standard_families_ii.h"
#include "core/mdl_pict_to_array.h"
#include "core/surface_drawing.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/forms/image.h"
#include "platform/forms/picture_box.h"

namespace svx {

namespace {

Form& formOf(Object& self) { return dynamic_cast<Form&>(self); }

// Out: Empty without a picture, else the persisted stream as a Byte array.
// A picture that cannot be persisted also gives Empty.
template <class Kind>
Variant pictureArray(Control& c) {
  const Picture& picture = dynamic_cast<Kind&>(c).picture();
  Variant out;
  if (!picture.isNone()) ignoreErrors([&] { out = Variant(PictureToByteArray(picture)); });
  return out;
}

// In: only an array is taken; anything else is skipped without error.
template <class Kind>
void pictureFromArray(Control& c, const Variant& v) {
  if (!v.isArray()) return;
  dynamic_cast<Kind&>(c).setPicture(ByteArrayToPicture(ByteArrayIntake(v)));
}

template <class Kind>
FamilyProperty pictureRow(int setStep) {
  FamilyProperty p = prop(u"Picture", u"byteStdPictureArray", VT_VARIANT, setStep);
  p.read = pictureArray<Kind>;
  p.write = pictureFromArray<Kind>;
  return p;
}

// Set only: the path goes to the picture loader alone.
template <class Kind>
FamilyProperty picturePathRow(int setStep) {
  FamilyProperty p = prop(u"PicturePath", u"strPicturePath", VT_VARIANT, setStep);
  p.getType = VT_EMPTY;
  p.write = [](Control& c, const Variant& path) { dynamic_cast<Kind&>(c).setPicture(LoadPicture(toBStr(path))); };
  return p;
}

std::optional<int32_t> optionalI4(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return toI4(v);
}

// The element of a family as its own kind, addressed afresh.
template <class Kind>
Kind& elementOf(Form& form, const FamilySpec& spec, Variant& index) {
  return dynamic_cast<Kind&>(form.array(spec.arrayName).item(toI2(index)));
}

// The probe, then the guarded steps; the out-parameters tell the outcome.
template <class F>
void probedSteps(Form& form, const FamilySpec& spec, Variant& index, Variant& errNumber, Variant& errDescription,
                 F&& steps) {
  const FamilyOut out{errNumber, errDescription};
  const ErrorOut report{errNumber, errDescription};
  ignoreErrors([&] { report.clear(); });
  if (!familyProbe(form, spec, index, out)) return;
  report.clear();
  reportMode(report, std::forward<F>(steps));
}

// LoadPictureInto<family> and SavePictureFrom<family>.
template <class Kind>
void declarePictureFileMembers(ClassInfo& ci, const FamilySpec& spec, BStrView loadName, BStrView saveName) {
  const FamilySpec* s = &spec;
  ci.member(BStr(loadName), InvokeKind::Method,
            {ref(u"Index"), refOpt(u"strFileName"), refOpt(u"lngSize"), refOpt(u"lngColorDepth"), refOpt(u"lngX"),
             refOpt(u"lngY"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
            [s](Object& self, const Args& a) {
              Form& form = formOf(self);
              probedSteps(form, *s, a[0], a[6], a[7], [&] {
                const BStr file = a[1].isMissing() ? BStr() : toBStr(a[1]);
                // The element's picture changes only once the loader has returned.
                Picture picture = LoadPicture(file, optionalI4(a[2]), optionalI4(a[3]), optionalI4(a[4]),
                                              optionalI4(a[5]));
                elementOf<Kind>(form, *s, a[0]).setPicture(std::move(picture));
              });
              return Variant();
            });
  ci.member(BStr(saveName), InvokeKind::Method,
            {ref(u"Index"), ref(u"strFileName"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")},
            [s](Object& self, const Args& a) {
              Form& form = formOf(self);
              probedSteps(form, *s, a[0], a[2], a[3], [&] {
                const BStr file = toBStr(a[1]);
                SavePicture(elementOf<Kind>(form, *s, a[0]).picture(), file);
              });
              return Variant();
            });
}

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
    Form& form = formOf(self);
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

void declarePictureImageFamilies(ClassInfo& ci) {
  declareFamily(ci, imageFamily());
  declarePictureFileMembers<Image>(ci, imageFamily(), u"LoadPictureIntoImageCtrl", u"SavePictureFromImageCtrl");
  declareFamily(ci, pictureCtrlFamily());
  declarePictureFileMembers<PictureBox>(ci, pictureCtrlFamily(), u"LoadPictureIntoPictureCtrl",
                                        u"SavePictureFromPictureCtrl");
  declareDrawingMembers(ci);
}

}  // namespace svx
