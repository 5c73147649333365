// The Image and PictureCtrl families share their picture rows (the picture
// as a Byte array, the picture path) and their picture-file members.
#pragma once

#include <optional>

#include "controls/family_pattern.h"
#include "core/mdl_pict_to_array.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/graphics/picture.h"

namespace svx {

const FamilySpec& imageFamily();
const FamilySpec& pictureCtrlFamily();

namespace picture_rows {

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

inline std::optional<int32_t> optionalI4(const Variant& v) {
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
              Form& form = familyForm(self);
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
              Form& form = familyForm(self);
              probedSteps(form, *s, a[0], a[2], a[3], [&] {
                const BStr file = toBStr(a[1]);
                SavePicture(elementOf<Kind>(form, *s, a[0]).picture(), file);
              });
              return Variant();
            });
}

}  // namespace picture_rows

}  // namespace svx
