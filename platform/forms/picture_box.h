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
  void setScaleMode(int16_t mode) { surface_.setScaleMode(mode); }
  OleColor fillColor() const { return surface_.fillColor(); }
  void setFillColor(OleColor c) { surface_.setFillColor(c); }
  int16_t fillStyle() const { return surface_.fillStyle(); }
  void setFillStyle(int16_t v) { surface_.setFillStyle(v); }
  int16_t drawWidth() const { return surface_.drawWidth(); }
  void setDrawWidth(int16_t v) { surface_.setDrawWidth(v); }
  int16_t drawStyle() const { return surface_.drawStyle(); }
  void setDrawStyle(int16_t v) { surface_.setDrawStyle(v); }
  int16_t drawMode() const { return surface_.drawMode(); }
  void setDrawMode(int16_t v) { surface_.setDrawMode(v); }
  double currentX() const { return surface_.currentX(); }
  void setCurrentX(double v) { surface_.setCurrentX(v); }
  double currentY() const { return surface_.currentY(); }
  void setCurrentY(double v) { surface_.setCurrentY(v); }
  bool fontTransparent() const { return surface_.fontTransparent(); }
  void setFontTransparent(bool v) { surface_.setFontTransparent(v); }
  double scaleWidth() const;
  double scaleHeight() const;
  // The font, ForeColor and BackColor are the drawing surface's: what a
  // script sets through the object is what the box draws and paints with.
  Font font() const override { return surface_.font(); }
  void setFont(Font f) override { surface_.setFont(std::move(f)); }
  void setForeColor(OleColor c) override;
  void setBackColor(OleColor c) override;
  DrawSurface& surface() { return surface_; }
  const DrawSurface& surface() const { return surface_; }
  // The inner area in pixels (inside the border), saturated far beyond any
  // surface.
  int innerWidthPixels() const;
  int innerHeightPixels() const;

  PictureBox();

  // Automation members of the drawing state and the graphics methods; every
  // coordinate is absolute, in the box's scale.
  Variant PictureRef();
  void setPictureFrom(Variant& v);
  Variant ImageRef();
  Variant Cls();
  Variant PSet(Variant& x, Variant& y, Variant& colour);
  Variant Line(Variant& x1, Variant& y1, Variant& x2, Variant& y2, Variant& colour, Variant& box, Variant& fill);
  Variant Circle(Variant& x, Variant& y, Variant& radius, Variant& colour, Variant& start, Variant& end,
                 Variant& aspect);
  Variant Point(Variant& x, Variant& y);
  Variant PaintPicture(Variant& picture, Variant& x1, Variant& y1, Variant& width1, Variant& height1, Variant& x2,
                       Variant& y2, Variant& width2, Variant& height2, Variant& opcode);
  Variant TextWidth(Variant& text);
  Variant TextHeight(Variant& text);
  Variant PrintText(Variant& text);

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
