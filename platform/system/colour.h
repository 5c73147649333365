// The runtime's colour functions and the OLE colour translation.
//
// An OLE colour is a 32-bit value: red in bits 0-7, green in 8-15, blue in
// 16-23 (&HBBGGRR). A value whose top byte is 0x80 names the system colour
// whose index is in its low bits.
#pragma once

#include <cstdint>

#include "platform/desktop/win32.h"
#include "platform/graphics/colour.h"

namespace svx {

using OLE_COLOR = OleColor;
using HPALETTE = int32_t;

// The runtime's QBColor: one of the 16 fixed colours for 0..15; any other
// number raises 5.
int32_t QBColor(int32_t color);

// The runtime's RGB: red + 256 * green + 65536 * blue. A component above
// 255 counts as 255; a negative one raises 5.
int32_t RGB(int32_t red, int32_t green, int32_t blue);

// OleTranslateColor: a plain colour (0..0xFFFFFF) gives itself; a system
// colour (0x80000000 | index, index 0..30) gives GetSysColor(index); both
// return S_OK. Anything else returns E_INVALIDARG and leaves *pcolorref as it
// was. The palette is not used. A null pcolorref only validates.
HRESULT OleTranslateColor(OLE_COLOR clr, HPALETTE hpal, COLORREF* pcolorref);

}  // namespace svx
