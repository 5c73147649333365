#include "platform/forms/image.h"

#include "platform/forms/picture_object.h"

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

void Image::copyFrom(const Control& s) {
  Control::copyFrom(s);
  const auto& o = static_cast<const Image&>(s);
  picture_ = o.picture_;
  stretch_ = o.stretch_;
  borderStyle_ = o.borderStyle_;
}

void Image::setPicture(Picture p) {
  picture_ = std::move(p);
  if (!stretch_ && !picture_.isNone())
    move(left_, top_, pixelsToTwips(picture_.widthPixels()), pixelsToTwips(picture_.heightPixels()));
}

void Image::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::Image;
  item.text.clear();
  item.picture = picture_;
  item.stretch = stretch_;
  item.border = borderStyle_ == 1;
}

Variant Image::PictureRef() { return pictureVariant(picture_); }
void Image::setPictureFrom(Variant& v) { setPicture(pictureOf(v)); }

const ClassInfo& Image::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Image", &Control::info());
    c.get<&Image::PictureRef>(u"Picture").set<&Image::setPictureFrom>(u"Picture", {in(u"Value")});
    formprop::prop<Image>(c, u"Stretch", &Image::stretch, &Image::setStretch);
    formprop::prop<Image>(c, u"BorderStyle", &Image::borderStyle, &Image::setBorderStyle);
    return c;
  }();
  return ci;
}

}  // namespace svx
