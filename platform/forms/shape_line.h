// Shape and Line: graphical controls without events or focus.
#pragma once

#include "platform/forms/control.h"

namespace svx {

class Shape : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::Shape; }
  Ref<Control> makeSibling() const override { return makeRef<Shape>(); }
  void copyFrom(const Control& s) override;
  void render(RenderItem& item) const override;
  void userClick() override {}

  int16_t shape() const { return p_.shape; }
  void setShape(int16_t v) { checkPropertyRange(v, 0, 5); p_.shape = v; }
  int16_t fillStyle() const { return p_.fillStyle; }
  void setFillStyle(int16_t v) { checkPropertyRange(v, 0, 7); p_.fillStyle = v; }
  int16_t borderStyle() const { return p_.borderStyle; }
  void setBorderStyle(int16_t v) { checkPropertyRange(v, 0, 6); p_.borderStyle = v; }
  OleColor fillColor() const { return p_.fillColor; }
  void setFillColor(OleColor v);
  OleColor borderColor() const { return p_.borderColor; }
  void setBorderColor(OleColor v);
  int16_t borderWidth() const { return p_.borderWidth; }
  void setBorderWidth(int16_t v) { checkPropertyRange(v, 1, 8192); p_.borderWidth = v; }
  int16_t backStyle() const { return p_.backStyle; }
  void setBackStyle(int16_t v) { checkPropertyRange(v, 0, 1); p_.backStyle = v; }

  Shape() { width_ = 1215; height_ = 615; }

 private:
  struct Props {
    int16_t shape = 0;
    int16_t fillStyle = 1;  // transparent
    int16_t borderStyle = 1;
    OleColor fillColor = 0;
    OleColor borderColor = vbWindowText;
    int16_t borderWidth = 1;
    int16_t backStyle = 0;
  } p_;
};

class Line : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::Line; }
  Ref<Control> makeSibling() const override { return makeRef<Line>(); }
  void copyFrom(const Control& s) override;
  bool hasRect() const override { return false; }
  void userClick() override {}
  void render(RenderItem& item) const override;

  float x1() const { return p_.x1; }
  void setX1(float v) { p_.x1 = v; }
  float y1() const { return p_.y1; }
  void setY1(float v) { p_.y1 = v; }
  float x2() const { return p_.x2; }
  void setX2(float v) { p_.x2 = v; }
  float y2() const { return p_.y2; }
  void setY2(float v) { p_.y2 = v; }
  OleColor borderColor() const { return p_.borderColor; }
  void setBorderColor(OleColor v);
  int16_t borderStyle() const { return p_.borderStyle; }
  void setBorderStyle(int16_t v) { checkPropertyRange(v, 0, 6); p_.borderStyle = v; }
  int16_t borderWidth() const { return p_.borderWidth; }
  void setBorderWidth(int16_t v) { checkPropertyRange(v, 1, 8192); p_.borderWidth = v; }

 private:
  struct Props {
    float x1 = 0, y1 = 0, x2 = 1215, y2 = 0;
    OleColor borderColor = vbWindowText;
    int16_t borderStyle = 1;
    int16_t borderWidth = 1;
  } p_;
};

}  // namespace svx
