#include "platform/graphics/program_icon.h"

#include <string_view>
#include <vector>

#include "platform/graphics/little_endian.h"

namespace svx {

namespace {

// A dialog window: a navy caption with its close box, a silver client area
// with an "S", lines of text and a button, and a grey drop shadow. One
// character a pixel: the palette index in hex, '.' transparent.
constexpr std::array<std::string_view, ProgramIconSize> kPixels = {
    "................................",
    ".00000000000000000000000000000..",
    ".0CCCCCCCCCCCCCCCCCCCCCCCCCCC0..",
    ".0444444444444444444440777044088",
    ".044EEEEEEEEEE444444447070744088",
    ".044EEEEEEEEEE444444447707744088",
    ".0444444444444444444447070744088",
    ".0444444444444444444440777044088",
    ".0444444444444444444444444444088",
    ".0FFFFFFFFFFFFFFFFFFFFFFFFFFF088",
    ".0777777777777777777777777777088",
    ".0777777777777777777777777777088",
    ".07777CCCCCC77777888888888877088",
    ".0777CCCCCCCC7777777777777777088",
    ".077CCC7777CC4777888888887777088",
    ".077CC77777744777777777777777088",
    ".077CCC7777777777888888888877088",
    ".0777CCCCC7777777777777777777088",
    ".07777CCCCCC77777777777777777088",
    ".077777777CCC7777777777777777088",
    ".0777777777CC4777FFFFFFFFFF07088",
    ".0774C77777CC4777F77777777807088",
    ".0774CC777CCC4777F77777777807088",
    ".0777CCCCCCC47777F77222227807088",
    ".077774CCCC477777F77777777807088",
    ".0777777777777777F88888888807088",
    ".0777777777777777000000000007088",
    ".0777777777777777777777777777088",
    ".0777777777777777777777777777088",
    ".0000000000000000000000000000088",
    "...88888888888888888888888888888",
    "...88888888888888888888888888888",
};

int paletteIndex(char c) { return c >= 'A' ? c - 'A' + 10 : c - '0'; }

std::vector<uint8_t> buildIconFile() {
  constexpr uint32_t n = ProgramIconSize;
  constexpr uint32_t colourRow = n / 2;                 // 4 bits a pixel
  constexpr uint32_t maskRow = (n / 8 + 3) / 4 * 4;     // 1 bit a pixel, rows of whole 32-bit words
  constexpr uint32_t imageSize = 40 + 16 * 4 + n * colourRow + n * maskRow;
  std::vector<uint8_t> out;
  out.reserve(6 + 16 + imageSize);
  // Directory: one image.
  putU16(out, 0);
  putU16(out, 1);
  putU16(out, 1);
  out.insert(out.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n), 16, 0});
  putU16(out, 1);  // planes
  putU16(out, 4);  // bits a pixel
  putU32(out, imageSize);
  putU32(out, 6 + 16);
  // BITMAPINFOHEADER: the height counts the colour image and the mask.
  putU32(out, 40);
  putU32(out, n);
  putU32(out, 2 * n);
  putU16(out, 1);
  putU16(out, 4);
  putU32(out, 0);
  putU32(out, n * colourRow + n * maskRow);
  for (int i = 0; i < 4; ++i) putU32(out, 0);
  for (uint32_t rgb : IconPalette) putU32(out, rgb);  // B, G, R, 0 in file order
  // Rows bottom up; a transparent pixel is black under a set mask bit.
  for (uint32_t y = n; y-- > 0;)
    for (uint32_t x = 0; x < n; x += 2) {
      auto index = [&](uint32_t at) { return kPixels[y][at] == '.' ? 0 : paletteIndex(kPixels[y][at]); };
      out.push_back(static_cast<uint8_t>(index(x) << 4 | index(x + 1)));
    }
  for (uint32_t y = n; y-- > 0;)
    for (uint32_t byte = 0; byte < maskRow; ++byte) {
      uint8_t bits = 0;
      for (uint32_t bit = 0; bit < 8; ++bit) {
        const uint32_t x = byte * 8 + bit;
        if (x < n && kPixels[y][x] == '.') bits |= static_cast<uint8_t>(0x80 >> bit);
      }
      out.push_back(bits);
    }
  return out;
}

}  // namespace

std::span<const uint8_t> programIconFile() {
  static const std::vector<uint8_t> file = buildIconFile();
  return file;
}

const Picture& programIcon() {
  static const Picture icon = Picture::fromFileBytes(programIconFile());
  return icon;
}

}  // namespace svx
