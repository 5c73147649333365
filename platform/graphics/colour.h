// OLE colours: 0x00BBGGRR, or with bit 31 set the number of a system colour
// in the low byte. Drawing resolves them to 0xRRGGBB at the moment it draws.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace svx {

using OleColor = uint32_t;

inline constexpr OleColor SystemColorFlag = 0x80000000u;
inline constexpr int SystemColorCount = 31;  // indexes 0 (scroll bar) to 30 (menu bar)

// System colours the graphics area uses by name.
inline constexpr OleColor vbButtonFace = 0x8000000Fu;
inline constexpr OleColor vbButtonText = 0x80000012u;
inline constexpr OleColor vbWindowBackground = 0x80000005u;
inline constexpr OleColor vbWindowText = 0x80000008u;
inline constexpr OleColor vbHighlight = 0x8000000Du;
inline constexpr OleColor vbHighlightText = 0x8000000Eu;
inline constexpr OleColor vbGrayText = 0x80000011u;
inline constexpr OleColor vbActiveTitleBar = 0x80000002u;
inline constexpr OleColor vbTitleBarText = 0x80000009u;
inline constexpr OleColor vbWindowFrame = 0x80000006u;

// Looks up a system colour (an index 0..30) as 0x00BBGGRR.
using SysColorLookup = std::function<uint32_t(int index)>;

// The fixed table used until a lookup is installed.
uint32_t defaultSysColor(int index);
// Installs the process-wide lookup (an empty function restores the table).
void setSysColorLookup(SysColorLookup lookup);

// The colour as 0x00BBGGRR, or nothing for a value that names no colour (an
// unknown system colour index, or high-byte flags other than 0 and 2).
std::optional<uint32_t> translateOleColor(OleColor colour);
// As translateOleColor; raises 380 (invalid property value) for no colour.
uint32_t resolveOleColor(OleColor colour);
// As resolveOleColor, then rearranged to 0xRRGGBB.
uint32_t oleColorToRgb(OleColor colour);

inline constexpr uint32_t rgbToOle(uint32_t rrggbb) {
  return ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF);
}
inline constexpr uint32_t oleRgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

}  // namespace svx
