#include "core/surface_drawing.h"

#include <array>

#include "core/mdl_pict_to_array.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

// The common frame: the out-parameters are cleared first; the first failure
// ends the drawing and is reported.
template <class F>
void drawMember(Variant& errNumber, Variant& errDescription, F&& draw) {
  const ErrorOut out{errNumber, errDescription};
  ignoreErrors([&] { out.clear(); });
  reportMode(out, std::forward<F>(draw));
}

// The optional drawing arguments, taken in order up to the first missing one.
template <size_t N>
std::array<bool, N> cascade(const std::array<const Variant*, N>& args) {
  std::array<bool, N> present{};
  for (size_t i = 0; i < N && !args[i]->isMissing(); ++i) present[i] = true;
  return present;
}

OleColor toColour(const Variant& v) { return static_cast<OleColor>(toI4(v)); }

}  // namespace

void CircleAbsolute(DrawSurface& s, Variant& sngX, Variant& sngY, Variant& sngRadius, Variant& lngOLEColor,
                    Variant& sngStart, Variant& sngEnd, Variant& sngAspect, Variant& ErrNumber,
                    Variant& ErrDescription) {
  drawMember(ErrNumber, ErrDescription, [&] {
    const double x = toR4(sngX), y = toR4(sngY), r = toR4(sngRadius);
    const auto on = cascade<4>({&lngOLEColor, &sngStart, &sngEnd, &sngAspect});
    std::optional<OleColor> colour;
    std::optional<double> start, end, aspect;
    if (on[0]) colour = toColour(lngOLEColor);
    if (on[1]) start = toR4(sngStart);
    if (on[2]) end = toR4(sngEnd);
    if (on[3]) aspect = toR4(sngAspect);
    s.Circle(x, y, r, colour, start, end, aspect);
  });
}

void LineAbsolute(DrawSurface& s, Variant& sngX1, Variant& sngY1, Variant& sngX2, Variant& sngY2,
                  Variant& lngOLEColor, Variant& boolBox, Variant& boolFill, Variant& ErrNumber,
                  Variant& ErrDescription, BoxColour boxColour) {
  drawMember(ErrNumber, ErrDescription, [&] {
    const double x1 = toR4(sngX1), y1 = toR4(sngY1), x2 = toR4(sngX2), y2 = toR4(sngY2);
    // Decided by presence, never by value. The form's box converts its
    // colour without a presence test (a missing colour is a type mismatch).
    std::optional<OleColor> colour;
    const bool box = !boolBox.isMissing();
    if (!lngOLEColor.isMissing() || (box && boxColour == BoxColour::Required)) colour = toColour(lngOLEColor);
    s.Line(x1, y1, x2, y2, colour,
           !box ? LineShape::Line : boolFill.isMissing() ? LineShape::Box : LineShape::FilledBox);
  });
}

void PaintPictureAbsolute(DrawSurface& s, Variant& byteStdPictureArray, Variant& sngX1, Variant& sngY1,
                          Variant& sngWidth1, Variant& sngHeight1, Variant& sngX2, Variant& sngY2,
                          Variant& sngWidth2, Variant& sngHeight2, Variant& lngOpcode, Variant& ErrNumber,
                          Variant& ErrDescription) {
  PaintPictureAbsolute([&s]() -> DrawSurface& { return s; }, byteStdPictureArray, sngX1, sngY1, sngWidth1,
                       sngHeight1, sngX2, sngY2, sngWidth2, sngHeight2, lngOpcode, ErrNumber, ErrDescription);
}

void PaintPictureAbsolute(const std::function<DrawSurface&()>& target, Variant& byteStdPictureArray,
                          Variant& sngX1, Variant& sngY1, Variant& sngWidth1, Variant& sngHeight1, Variant& sngX2,
                          Variant& sngY2, Variant& sngWidth2, Variant& sngHeight2, Variant& lngOpcode,
                          Variant& ErrNumber, Variant& ErrDescription) {
  drawMember(ErrNumber, ErrDescription, [&] {
    if (!byteStdPictureArray.isArray()) {
      // The system's own number, stored as an Integer.
      if (!ErrNumber.isMissing()) ErrNumber.assign(Variant::i2(kErrNotAByteArray));
      if (!ErrDescription.isMissing()) ErrDescription.assign(Variant(BStr(kNotAByteArrayMessage)));
      return;
    }
    const Picture picture = ByteArrayToPicture(ByteArrayIntake(byteStdPictureArray));
    DrawSurface& s = target();
    const double x1 = toR4(sngX1), y1 = toR4(sngY1);
    const auto on = cascade<7>({&sngWidth1, &sngHeight1, &sngX2, &sngY2, &sngWidth2, &sngHeight2, &lngOpcode});
    std::array<std::optional<double>, 6> v;
    const std::array<const Variant*, 6> src{&sngWidth1, &sngHeight1, &sngX2, &sngY2, &sngWidth2, &sngHeight2};
    for (size_t i = 0; i < 6; ++i)
      if (on[i]) v[i] = toR4(*src[i]);
    std::optional<int32_t> opcode;
    if (on[6]) opcode = toI4(lngOpcode);
    s.PaintPicture(picture, x1, y1, v[0], v[1], v[2], v[3], v[4], v[5], opcode);
  });
}

void PSetAbsolute(DrawSurface& s, Variant& sngX, Variant& sngY, Variant& lngOLEColor, Variant& ErrNumber,
                  Variant& ErrDescription) {
  drawMember(ErrNumber, ErrDescription, [&] {
    const double x = toR4(sngX), y = toR4(sngY);
    std::optional<OleColor> colour;
    if (!lngOLEColor.isMissing()) colour = toColour(lngOLEColor);
    s.PSet(x, y, colour);
  });
}

void PrintText(DrawSurface& s, Variant& strText, Variant& ErrNumber, Variant& ErrDescription) {
  drawMember(ErrNumber, ErrDescription, [&] { s.Print(printForm(strText), true); });
}

BStr printForm(const Variant& value) {
  const Variant v = value.value();
  switch (v.vt()) {
    case VT_NULL: return u"Null";
    case VT_EMPTY: return u"";
    case VT_BOOL: return toBStr(v);
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_UI1:
    case VT_I8: {
      BStr text = toBStr(v);
      if (text.empty() || text[0] != u'-') text.insert(text.begin(), u' ');
      return text + u' ';
    }
    default: return toBStr(v);
  }
}

}  // namespace svx
