// Image files in memory: decoding (BMP itself, the others through
// gdk-pixbuf) and the encoders the graphics area writes itself (BMP) or
// through cairo (PNG).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/raster_image.h"

namespace svx {

enum class ImageFormat { Unknown, Bmp, Gif, Jpeg, Png, Icon, Cursor };

// The format named by the file's first bytes.
ImageFormat sniffImageFormat(std::span<const uint8_t> bytes);

// The most pixels an image file may decode to (8192 x 8192).
inline constexpr int64_t kMaxDecodedPixels = int64_t{8192} * 8192;

// Decodes an image file; nothing for data that is no image, or for an image
// of more than kMaxDecodedPixels pixels (then `tooLarge`, when given, is set).
std::optional<RasterImage> decodeImage(std::span<const uint8_t> bytes, bool* tooLarge = nullptr);
// The same for a BMP file, read by its own headers: nothing also when the
// file is too short for the pixels its header claims (checked before any
// pixel is allocated). Run-length coded images can hold many pixels in few
// bytes: those are bounded by kMaxDecodedPixels alone.
std::optional<RasterImage> decodeBmp(std::span<const uint8_t> bytes, bool* tooLarge = nullptr);

// A BMP file: 24 bits per pixel when every pixel is opaque, else 32 bits with
// an alpha channel (BITMAPV5HEADER).
std::vector<uint8_t> encodeBmp(const RasterImage& image);
// A PNG file.
std::vector<uint8_t> encodePng(const RasterImage& image);

// One image of an icon or cursor file.
struct IconEntry {
  int width = 0;   // pixels (a stored 0 means 256)
  int height = 0;
  int bitCount = 0;
  uint32_t size = 0;
  uint32_t offset = 0;
};
// The directory of an icon or cursor file; nothing when it is malformed.
std::optional<std::vector<IconEntry>> readIconDirectory(std::span<const uint8_t> bytes);
// A file holding only `entry` of the icon or cursor file `bytes`.
std::vector<uint8_t> extractIcon(std::span<const uint8_t> bytes, const IconEntry& entry);

}  // namespace svx
