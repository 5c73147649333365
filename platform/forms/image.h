// Image: Picture, Stretch, BorderStyle 0-1.
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/picture.h"

namespace svx {

class Image : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::Image; }
  Ref<Control> makeSibling() const override { return makeRef<Image>(); }
  void copyFrom(const Control& s) override;
  void render(RenderItem& item) const override;

  const Picture& picture() const { return picture_; }
  // Without Stretch the image takes the picture's size.
  void setPicture(Picture p);
  bool stretch() const { return stretch_; }
  void setStretch(bool v) { stretch_ = v; }
  Variant PictureRef();
  void setPictureFrom(Variant& v);
  int16_t borderStyle() const { return borderStyle_; }
  void setBorderStyle(int16_t v) { checkPropertyRange(v, 0, 1); borderStyle_ = v; }

  Image() { width_ = 1215; height_ = 1215; }

 private:
  Picture picture_;
  bool stretch_ = false;
  int16_t borderStyle_ = 0;
};

}  // namespace svx
