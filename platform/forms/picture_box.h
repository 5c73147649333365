// PictureBox: a container with a drawing surface (twips), Picture,
// AutoSize, BorderStyle 0-1 and AutoRedraw. A change of size raises Resize.
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/draw_surface.h"

namespace svx {

class PictureBox : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::PictureBox; }
  Ref<Control> makeSibling() const override { return makeRef<PictureBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  bool isContainer() const override { return true; }
  void render(RenderItem& item) const override;

  const Picture& picture() const { return surface_.picture(); }
  void setPicture(Picture p);
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool v);
  int16_t borderStyle() const { return borderStyle_; }
  void setBorderStyle(int16_t v);
  bool autoRedraw() const { return surface_.autoRedraw(); }
  void setAutoRedraw(bool v) { surface_.setAutoRedraw(v); }
  int16_t scaleMode() const { return surface_.scaleMode(); }
  // The inner size in the scale; the image behind it may be smaller (bounded).
  double scaleWidth() const;
  double scaleHeight() const;
  DrawSurface& surface() { return surface_; }
  const DrawSurface& surface() const { return surface_; }
  // The inner area in pixels (inside the border), saturated far beyond any
  // surface.
  int innerWidthPixels() const;
  int innerHeightPixels() const;

  PictureBox();

 protected:
  void placed() override;

 private:
  void fitToPicture();
  DrawSurface surface_;
  bool autoSize_ = false;
  int16_t borderStyle_ = 1;
  int innerWidth_ = 0, innerHeight_ = 0;  // as the surface was last sized
};

}  // namespace svx
