#include "platform/graphics/colour.h"

#include <array>
#include <utility>

#include "platform/automation/error.h"

namespace svx {

namespace {

// The classic system colour scheme, 0x00BBGGRR, by index.
constexpr std::array<uint32_t, SystemColorCount> sysColorTable = {
    0xC8C8C8,  //  0 scroll bar
    0x000000,  //  1 desktop
    0xD1B499,  //  2 active title bar
    0xDBCDBF,  //  3 inactive title bar
    0xF0F0F0,  //  4 menu bar
    0xFFFFFF,  //  5 window background
    0x646464,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0x000000,  //  9 active title bar text
    0xB4B4B4,  // 10 active border
    0xFCF7F4,  // 11 inactive border
    0xABABAB,  // 12 application workspace
    0xD77800,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xF0F0F0,  // 15 button face
    0xA0A0A0,  // 16 button shadow
    0x6D6D6D,  // 17 grey text
    0x000000,  // 18 button text
    0x000000,  // 19 inactive title bar text
    0xFFFFFF,  // 20 3-D highlight
    0x696969,  // 21 3-D dark shadow
    0xE3E3E3,  // 22 3-D light
    0x000000,  // 23 tooltip text
    0xE1FFFF,  // 24 tooltip background
    0xB5B5B5,  // 25 (unused)
    0xCC6600,  // 26 hot-tracked item
    0xEAD1B9,  // 27 gradient active title bar
    0xF2E4D7,  // 28 gradient inactive title bar
    0xFF9933,  // 29 menu highlight
    0xF0F0F0,  // 30 menu bar
};

SysColorLookup& installedLookup() {
  static SysColorLookup lookup;
  return lookup;
}

}  // namespace

uint32_t defaultSysColor(int index) {
  if (index < 0 || index >= SystemColorCount) return 0;
  return sysColorTable[static_cast<size_t>(index)];
}

void setSysColorLookup(SysColorLookup lookup) { installedLookup() = std::move(lookup); }

std::optional<uint32_t> translateOleColor(OleColor colour) {
  const uint32_t flags = colour >> 24;
  if (flags == 0x80) {
    const int index = static_cast<int>(colour & 0xFF);
    if ((colour & 0x00FFFF00u) != 0 || index >= SystemColorCount) return std::nullopt;
    const auto& lookup = installedLookup();
    return (lookup ? lookup(index) : defaultSysColor(index)) & 0xFFFFFFu;
  }
  // 0x02: a palette-relative RGB value, which on a true-colour surface is the RGB value.
  if (flags == 0x00 || flags == 0x02) return colour & 0xFFFFFFu;
  return std::nullopt;
}

uint32_t resolveOleColor(OleColor colour) {
  if (auto c = translateOleColor(colour)) return *c;
  raise(err::InvalidPropertyValue);
}

uint32_t oleColorToRgb(OleColor colour) { return rgbToOle(resolveOleColor(colour)); }

}  // namespace svx
