// A block of pixels in the layout every part of the graphics area shares:
// 32-bit ARGB, alpha premultiplied, rows top to bottom without padding (the
// layout of a cairo ARGB32 image surface).
#pragma once

#include <cstdint>
#include <vector>

namespace svx {

struct RasterImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height values 0xAARRGGBB

  RasterImage() = default;
  RasterImage(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

  bool empty() const { return width <= 0 || height <= 0; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool hasTransparency() const {
    for (uint32_t p : pixels)
      if ((p >> 24) != 0xFF) return true;
    return false;
  }
  friend bool operator==(const RasterImage&, const RasterImage&) = default;
};

}  // namespace svx
