#include "platform/system/colour.h"

#include <array>

#include "platform/automation/error.h"

namespace svx {

namespace {

constexpr std::array<int32_t, 16> kQBColors = {
    0x000000,  //  0 black
    0x800000,  //  1 blue
    0x008000,  //  2 green
    0x808000,  //  3 cyan
    0x000080,  //  4 red
    0x800080,  //  5 magenta
    0x008080,  //  6 yellow
    0xC0C0C0,  //  7 white
    0x808080,  //  8 grey
    0xFF0000,  //  9 light blue
    0x00FF00,  // 10 light green
    0xFFFF00,  // 11 light cyan
    0x0000FF,  // 12 light red
    0xFF00FF,  // 13 light magenta
    0x00FFFF,  // 14 light yellow
    0xFFFFFF,  // 15 bright white
};

}  // namespace

int32_t QBColor(int32_t color) {
  if (color < 0 || color >= static_cast<int32_t>(kQBColors.size())) raise(err::InvalidProcedureCall);
  return kQBColors[static_cast<size_t>(color)];
}

int32_t RGB(int32_t red, int32_t green, int32_t blue) {
  if (red < 0 || green < 0 || blue < 0) raise(err::InvalidProcedureCall);
  auto clamp = [](int32_t c) { return c > 255 ? 255 : c; };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

HRESULT OleTranslateColor(OLE_COLOR clr, HPALETTE, COLORREF* pcolorref) {
  COLORREF result = 0;
  if (clr <= 0xFFFFFFu) {
    result = clr;
  } else if ((clr & 0xFF000000u) == SystemColorFlag && (clr & 0x00FFFFFFu) < static_cast<OLE_COLOR>(SYS_COLOR_COUNT)) {
    result = GetSysColor(static_cast<int>(clr & 0xFFu));
  } else {
    return E_INVALIDARG;
  }
  if (pcolorref) *pcolorref = result;
  return S_OK;
}

}  // namespace svx
