// The font dialog: the FontSelection record, the size conversions, the
// dialog itself and the form's member that shows it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"
#include "platform/dialogs/font_dialog.h"

namespace svx {

struct FontSelection {
  bool UseEffects = false;
  bool FixedPitchOnly = false;
  bool InitToLogFont = false;
  bool NoVectorFonts = false;
  bool PrinterFonts = false;
  bool ScreenFonts = false;
  bool TrueTypeOnly = false;
  BStr Name;
  int32_t Size = 0;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int32_t Color = 0;   // OLE colour
  int32_t Weight = 0;  // as the dialog returned it
};

// ratio = pixels per inch / points per inch (single precision) times size.
float PointsToLogicalUnits(int32_t size, int32_t pixelsPerInch, int32_t pointsPerInch);
// height / ratio rounded to a 16-bit integer, halves to even (6 beyond it).
int16_t LogicalUnitsToPoints(int32_t height, int32_t pixelsPerInch, int32_t pointsPerInch);
// Copies the face name and its NUL; 9 for a name of 32 characters or more
// (the field keeps 31 and the NUL). False for an empty name.
bool CopyFaceNameToLogFont(const BStr& name, LOGFONTW& lf);

// The dialog with the record's font; true (the record updated) when the
// user chose a font.
bool RunFontDialog(FontSelection& fnt, int32_t hWnd, int32_t hDC);

// The form member's parameters passed through; on OK the font parameters
// receive the chosen font.
Variant ShowFontDialog(Variant& hWnd, Variant& hDC, Variant& boolUsePrinterFonts, Variant& boolUseScreenFonts,
                       Variant& boolUseFixedPitchOnly, Variant& boolUseNoVectorFonts, Variant& boolUseTrueTypeOnly,
                       Variant& boolUseEffects, Variant& boolUseLogFont, Variant& lngFontColor,
                       Variant& boolFontItalic, Variant& boolFontBold, Variant& boolFontStrikethru,
                       Variant& boolFontUnderline, Variant& strFontName, Variant& byteFontSize, Variant& ErrNumber,
                       Variant& ErrDescription);

// DialogForm.CommonDialogShowFont, bound on the form's class table: the owner
// is lnghWnd, or the form's window when it is missing; the device context is
// the form's.
std::vector<ParamInfo> commonDialogShowFontParams();
Variant CommonDialogShowFont(Object& self, const Args& args);

}  // namespace svx
