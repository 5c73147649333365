// The drawing members of the form, with the argument rules that their twins
// on picture boxes and the printer share: every coordinate is absolute, in
// the surface's own scale; optional drawing arguments count up to the first
// missing one; errors go to the out-parameters and nothing is raised.
#pragma once

#include <functional>

#include "platform/automation/variant.h"
#include "platform/graphics/draw_surface.h"

namespace svx {

inline constexpr int32_t kErrNotAByteArray = -300;
inline constexpr char16_t kNotAByteArrayMessage[] =
    u"The actual value for the byteStdPictureArray parameter is not an array of bytes!";

void CircleAbsolute(DrawSurface& s, Variant& sngX, Variant& sngY, Variant& sngRadius, Variant& lngOLEColor,
                    Variant& sngStart, Variant& sngEnd, Variant& sngAspect, Variant& ErrNumber,
                    Variant& ErrDescription);
// A box without a colour: in the foreground colour on picture boxes and the
// printer; the form converts the missing colour and reports the mismatch.
enum class BoxColour { ForeColorWhenMissing, Required };
void LineAbsolute(DrawSurface& s, Variant& sngX1, Variant& sngY1, Variant& sngX2, Variant& sngY2,
                  Variant& lngOLEColor, Variant& boolBox, Variant& boolFill, Variant& ErrNumber,
                  Variant& ErrDescription, BoxColour boxColour = BoxColour::ForeColorWhenMissing);
// The picture first (the -300 check, then the bytes), then the surface:
// `target` is asked for it only once the picture is built.
void PaintPictureAbsolute(const std::function<DrawSurface&()>& target, Variant& byteStdPictureArray,
                          Variant& sngX1, Variant& sngY1, Variant& sngWidth1, Variant& sngHeight1, Variant& sngX2,
                          Variant& sngY2, Variant& sngWidth2, Variant& sngHeight2, Variant& lngOpcode,
                          Variant& ErrNumber, Variant& ErrDescription);
void PaintPictureAbsolute(DrawSurface& s, Variant& byteStdPictureArray, Variant& sngX1, Variant& sngY1,
                          Variant& sngWidth1, Variant& sngHeight1, Variant& sngX2, Variant& sngY2,
                          Variant& sngWidth2, Variant& sngHeight2, Variant& lngOpcode, Variant& ErrNumber,
                          Variant& ErrDescription);
void PSetAbsolute(DrawSurface& s, Variant& sngX, Variant& sngY, Variant& lngOLEColor, Variant& ErrNumber,
                  Variant& ErrDescription);
void PrintText(DrawSurface& s, Variant& strText, Variant& ErrNumber, Variant& ErrDescription);

// The text that the runtime's Print shows for a value: numbers with a blank
// for the sign and one after, Booleans "True"/"False", Null "Null".
BStr printForm(const Variant& v);

}  // namespace svx
