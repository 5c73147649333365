#include "services/mod_font.h"

#include <algorithm>
#include <cmath>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/forms/form.h"

namespace svx {

namespace {

constexpr int32_t kPointsPerInch = 72;

DWORD flagsOf(const FontSelection& f) {
  DWORD flags = 0;
  if (f.UseEffects) flags |= CF_EFFECTS;
  if (f.InitToLogFont) flags |= CF_INITTOLOGFONTSTRUCT;
  if (f.FixedPitchOnly) flags |= CF_FIXEDPITCHONLY;
  if (f.NoVectorFonts) flags |= CF_NOVECTORFONTS;
  if (f.PrinterFonts) flags |= CF_PRINTERFONTS;
  if (f.ScreenFonts) flags |= CF_SCREENFONTS;
  if (f.TrueTypeOnly) flags |= CF_TTONLY;
  return flags;
}

// A Boolean's low byte: 255 for True.
BYTE lowByte(bool b) { return b ? 0xFF : 0; }

template <class T, class F>
T passedOr(const Variant& v, T otherwise, F convert) {
  return v.isMissing() ? otherwise : convert(v);
}

}  // namespace

float PointsToLogicalUnits(int32_t size, int32_t pixelsPerInch, int32_t pointsPerInch) {
  const float ratio = static_cast<float>(pixelsPerInch) / static_cast<float>(pointsPerInch);
  return ratio * static_cast<float>(size);
}

int16_t LogicalUnitsToPoints(int32_t height, int32_t pixelsPerInch, int32_t pointsPerInch) {
  const float ratio = static_cast<float>(pixelsPerInch) / static_cast<float>(pointsPerInch);
  const float quotient = static_cast<float>(height) / ratio;
  return toI2(Variant(quotient));
}

bool CopyFaceNameToLogFont(const BStr& name, LOGFONTW& lf) {
  if (name.size() >= LF_FACESIZE) raise(err::SubscriptOutOfRange);
  std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), u'\0');
  std::copy(name.begin(), name.end(), lf.lfFaceName);
  return !name.empty();
}

bool RunFontDialog(FontSelection& fnt, int32_t hWnd, int32_t hDC) {
  LOGFONTW lf;
  CHOOSEFONTW cf;
  CopyFaceNameToLogFont(fnt.Name, lf);
  int32_t pixelsPerInch = GetDeviceCaps(hDC, LOGPIXELSY);
  lf.lfHeight = toI4(Variant(PointsToLogicalUnits(fnt.Size, pixelsPerInch, kPointsPerInch)));
  lf.lfWeight = fnt.Bold ? 700 : 400;
  lf.lfItalic = lowByte(fnt.Italic);
  lf.lfUnderline = lowByte(fnt.Underline);
  lf.lfStrikeOut = lowByte(fnt.StrikeOut);
  cf.lStructSize = kChooseFontSize;
  cf.hwndOwner = hWnd;
  cf.hDC = hDC;
  cf.lpLogFont = &lf;
  cf.rgbColors = static_cast<COLORREF>(fnt.Color);
  cf.Flags = flagsOf(fnt);
  if (ChooseFontW(&cf) == 0) return false;
  const char16_t* face = lf.lfFaceName;
  fnt.Name = BStr(face, std::find(face, face + LF_FACESIZE, u'\0'));
  fnt.Color = static_cast<int32_t>(cf.rgbColors);
  fnt.Bold = lf.lfWeight > 400;
  pixelsPerInch = GetDeviceCaps(hDC, LOGPIXELSY);
  fnt.Size = -LogicalUnitsToPoints(lf.lfHeight, pixelsPerInch, kPointsPerInch);
  fnt.Italic = lf.lfItalic != 0;
  fnt.StrikeOut = lf.lfStrikeOut != 0;
  fnt.Underline = lf.lfUnderline != 0;
  fnt.Weight = lf.lfWeight;
  return true;
}

Variant ShowFontDialog(Variant& hWnd, Variant& hDC, Variant& boolUsePrinterFonts, Variant& boolUseScreenFonts,
                       Variant& boolUseFixedPitchOnly, Variant& boolUseNoVectorFonts, Variant& boolUseTrueTypeOnly,
                       Variant& boolUseEffects, Variant& boolUseLogFont, Variant& lngFontColor,
                       Variant& boolFontItalic, Variant& boolFontBold, Variant& boolFontStrikethru,
                       Variant& boolFontUnderline, Variant& strFontName, Variant& byteFontSize, Variant& ErrNumber,
                       Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  out.clear();
  bool confirmed = false;
  reportMode(out, [&] {
    const auto b = [](const Variant& x) { return toBool(x); };
    FontSelection f;
    f.PrinterFonts = passedOr(boolUsePrinterFonts, false, b);
    f.ScreenFonts = passedOr(boolUseScreenFonts, true, b);
    f.FixedPitchOnly = passedOr(boolUseFixedPitchOnly, false, b);
    f.NoVectorFonts = passedOr(boolUseNoVectorFonts, false, b);
    f.TrueTypeOnly = passedOr(boolUseTrueTypeOnly, false, b);
    f.UseEffects = passedOr(boolUseEffects, true, b);
    f.InitToLogFont = passedOr(boolUseLogFont, true, b);
    f.Color = passedOr(lngFontColor, 0, [](const Variant& x) { return toI4(x); });
    f.Italic = passedOr(boolFontItalic, false, b);
    f.Bold = passedOr(boolFontBold, false, b);
    f.StrikeOut = passedOr(boolFontStrikethru, false, b);
    f.Underline = passedOr(boolFontUnderline, false, b);
    f.Name = passedOr(strFontName, BStr(u"Tahoma"), [](const Variant& x) { return toBStr(x); });
    f.Size = passedOr(byteFontSize, 8, [](const Variant& x) { return static_cast<int32_t>(toUI1(x)); });
    if (!RunFontDialog(f, toI4(hWnd), toI4(hDC))) return;
    byteFontSize.assign(Variant(f.Size));
    strFontName.assign(Variant(f.Name));
    boolFontItalic.assign(Variant(f.Italic));
    boolFontBold.assign(Variant(f.Bold));
    boolFontStrikethru.assign(Variant(f.StrikeOut));
    boolFontUnderline.assign(Variant(f.Underline));
    lngFontColor.assign(Variant(f.Color));
    confirmed = true;
  });
  return Variant(confirmed);
}

std::vector<ParamInfo> commonDialogShowFontParams() {
  return {refOpt(u"lnghWnd"),          refOpt(u"boolUsePrinterFonts"),  refOpt(u"boolUseScreenFonts"),
          refOpt(u"boolUseFixedPitchOnly"), refOpt(u"boolUseNoVectorFonts"), refOpt(u"boolUseTrueTypeOnly"),
          refOpt(u"boolUseEffects"),   refOpt(u"boolUseLogFont"),       refOpt(u"lngFontColor"),
          refOpt(u"boolFontItalic"),   refOpt(u"boolFontBold"),         refOpt(u"boolFontStrikethru"),
          refOpt(u"boolFontUnderline"), refOpt(u"strFontName"),         refOpt(u"byteFontSize"),
          refOpt(u"ErrNumber"),        refOpt(u"ErrDescription")};
}

Variant CommonDialogShowFont(Object& self, const Args& a) {
  const ErrorOut out{a[15], a[16]};
  out.clear();
  Variant result(false);
  reportMode(out, [&] {
    Form& form = dynamic_cast<Form&>(self);
    Variant owner = a[0].isMissing() ? Variant(static_cast<int32_t>(form.hWnd())) : Variant(toI4(a[0]));
    Variant dc(static_cast<int32_t>(GetDC(form.hWnd())));
    result = ShowFontDialog(owner, dc, a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12],
                            a[13], a[14], a[15], a[16]);
  });
  return result;
}

}  // namespace svx
