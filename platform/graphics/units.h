// Units of the drawing surfaces and pictures: twips, pixels and HIMETRIC.
#pragma once

#include <cmath>
#include <cstdint>

namespace svx {

// The screen resolution of the stand-in platform: 96 pixels per inch.
inline constexpr int PixelsPerInch = 96;
inline constexpr int TwipsPerInch = 1440;
inline constexpr int TwipsPerPixel = TwipsPerInch / PixelsPerInch;  // 15
inline constexpr int HimetricPerInch = 2540;

inline double twipsToPixels(double twips) { return twips / TwipsPerPixel; }
inline double pixelsToTwips(double pixels) { return pixels * TwipsPerPixel; }

// Whole pixels of a twips value, truncated or rounded, saturated at
// +-PixelLimit (far beyond any surface) so that no size overflows; NaN is 0.
inline constexpr int PixelLimit = 1 << 28;
inline int saturatedPixels(double pixels) {
  if (!(pixels == pixels)) return 0;
  if (pixels >= PixelLimit) return PixelLimit;
  if (pixels <= -PixelLimit) return -PixelLimit;
  return static_cast<int>(pixels);
}
inline int twipsToWholePixels(double twips) { return saturatedPixels(twipsToPixels(twips)); }
inline int twipsToRoundedPixels(double twips) { return saturatedPixels(std::round(twipsToPixels(twips))); }

// A picture's size as the picture object reports it (HIMETRIC, rounded).
inline int32_t pixelsToHimetric(int pixels) {
  return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * HimetricPerInch / PixelsPerInch));
}

}  // namespace svx
