// A picture as an automation object (the runtime's picture object): Type,
// Width and Height (HIMETRIC) and Handle of the picture it holds. Controls
// hand it out for their Picture (and a picture box for its Image) and take
// one back through a Set of Picture.
#pragma once

#include "platform/automation/dispatch.h"
#include "platform/graphics/picture.h"

namespace svx {

class PictureObject : public Object {
 public:
  explicit PictureObject(Picture picture) : picture_(std::move(picture)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  const Picture& picture() const { return picture_; }

  Variant Type() { return Variant::i2(static_cast<int16_t>(picture_.type())); }
  Variant Width() { return Variant(picture_.width()); }
  Variant Height() { return Variant(picture_.height()); }
  Variant Handle() { return Variant(picture_.isNone() ? 0 : static_cast<int32_t>(reinterpret_cast<uintptr_t>(this))); }

 private:
  Picture picture_;
};

// A picture object for `picture`.
Variant pictureVariant(const Picture& picture);
// The picture of `value`: a picture object's, none for Nothing (424 for
// anything else that is not a picture object).
Picture pictureOf(const Variant& value);

}  // namespace svx
