// The runtime's Screen object: the size of the simulated screen, its twips
// per pixel, and the application-wide mouse pointer and custom mouse icon.
// One per process, handed to scripts as the automation object "Screen".
//
// The screen is 1024 x 768 pixels at 15 twips per pixel (15360 x 11520
// twips) until a test sets another. The mouse pointer is one of the runtime's
// pointer numbers: vbDefault 0 .. vbSizeAll 15, or vbCustom 99 (the mouse
// icon); any other number raises 380. The mouse icon starts as an empty
// picture; setting an absent picture empties it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/automation/dispatch.h"
#include "platform/graphics/picture.h"

namespace svx {

inline constexpr int16_t vbDefault = 0;
inline constexpr int16_t vbArrow = 1;
inline constexpr int16_t vbHourglass = 11;
inline constexpr int16_t vbSizeAll = 15;
inline constexpr int16_t vbCustom = 99;

class Screen : public Object {
 public:
  Screen();

  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // The defaults above.
  void reset();

  float width() const { return static_cast<float>(widthPixels_) * twipsPerPixelX_; }
  float height() const { return static_cast<float>(heightPixels_) * twipsPerPixelY_; }
  float twipsPerPixelX() const { return twipsPerPixelX_; }
  float twipsPerPixelY() const { return twipsPerPixelY_; }
  // The simulated screen; sizes and resolutions must be positive (380).
  void setPixelSize(int32_t width, int32_t height);
  void setTwipsPerPixel(float x, float y);

  int16_t mousePointer() const { return mousePointer_; }
  void setMousePointer(int32_t pointer);
  const Picture& mouseIcon() const { return mouseIcon_; }
  void setMouseIcon(const std::optional<Picture>& icon);

  // Dispatch members.
  Variant Height() { return Variant(height()); }
  Variant Width() { return Variant(width()); }
  Variant TwipsPerPixelX() { return Variant(twipsPerPixelX()); }
  Variant TwipsPerPixelY() { return Variant(twipsPerPixelY()); }
  Variant MousePointer() { return Variant::i2(mousePointer()); }
  void setMousePointerMember(Variant& value);

  static constexpr int32_t kDefaultWidthPixels = 1024;
  static constexpr int32_t kDefaultHeightPixels = 768;
  static constexpr float kDefaultTwipsPerPixel = 15;

 private:
  int32_t widthPixels_ = kDefaultWidthPixels;
  int32_t heightPixels_ = kDefaultHeightPixels;
  float twipsPerPixelX_ = kDefaultTwipsPerPixel;
  float twipsPerPixelY_ = kDefaultTwipsPerPixel;
  int16_t mousePointer_ = vbDefault;
  Picture mouseIcon_;
};

// The process's Screen object.
Screen& screen();
Ref<Screen> screenObject();

}  // namespace svx
