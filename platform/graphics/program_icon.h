// The program's own icon: 32 x 32 pixels in the 16 colours of the standard
// palette, drawn here as data. Every window without an icon of its own
// shows it: in the caption of its picture and, on a real display, as the
// window's icon.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/graphics/picture.h"

namespace svx {

inline constexpr int ProgramIconSize = 32;

// The 16 colours, 0xRRGGBB, by palette index.
inline constexpr std::array<uint32_t, 16> IconPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// The icon file: one 4-bit image with its transparency mask.
std::span<const uint8_t> programIconFile();
// The icon as a picture of type icon (made once).
const Picture& programIcon();

}  // namespace svx
