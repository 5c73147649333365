#include "platform/system/screen.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

Screen::Screen() = default;

const ClassInfo& Screen::info() {
  static const ClassInfo ci =
      ClassInfo(u"Screen")
          .get<&Screen::Height>(u"Height", {}, u"Returns the height of the screen in twips.")
          .get<&Screen::Width>(u"Width", {}, u"Returns the width of the screen in twips.")
          .get<&Screen::MousePointer>(u"MousePointer", {},
                                      u"Returns/sets the type of mouse pointer displayed over the application.")
          .let<&Screen::setMousePointerMember>(u"MousePointer", {in(u"intNewMousePointer")})
          .get<&Screen::TwipsPerPixelX>(u"TwipsPerPixelX", {},
                                        u"Returns the number of twips per pixel measured horizontally.")
          .get<&Screen::TwipsPerPixelY>(u"TwipsPerPixelY", {},
                                        u"Returns the number of twips per pixel measured vertically.");
  return ci;
}

void Screen::reset() {
  widthPixels_ = kDefaultWidthPixels;
  heightPixels_ = kDefaultHeightPixels;
  twipsPerPixelX_ = twipsPerPixelY_ = kDefaultTwipsPerPixel;
  mousePointer_ = vbDefault;
  mouseIcon_ = Picture();
}

void Screen::setPixelSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) raise(err::InvalidPropertyValue);
  widthPixels_ = width;
  heightPixels_ = height;
}

void Screen::setTwipsPerPixel(float x, float y) {
  if (!(x > 0) || !(y > 0)) raise(err::InvalidPropertyValue);
  twipsPerPixelX_ = x;
  twipsPerPixelY_ = y;
}

void Screen::setMousePointer(int32_t pointer) {
  if ((pointer < vbDefault || pointer > vbSizeAll) && pointer != vbCustom) raise(err::InvalidPropertyValue);
  mousePointer_ = static_cast<int16_t>(pointer);
}

void Screen::setMouseIcon(const std::optional<Picture>& icon) { mouseIcon_ = icon.value_or(Picture()); }

void Screen::setMousePointerMember(Variant& value) { setMousePointer(toI2(value)); }

Ref<Screen> screenObject() {
  static const Ref<Screen> instance = makeRef<Screen>();
  return instance;
}

Screen& screen() { return *screenObject(); }

}  // namespace svx
