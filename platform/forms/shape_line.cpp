#include "platform/forms/shape_line.h"

#include "platform/graphics/form_render.h"

namespace svx {

namespace {
OleColor checkedColour(OleColor v) {
  if (!translateOleColor(v)) raise(err::InvalidPropertyValue);
  return v;
}
}  // namespace

void Shape::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const Shape&>(s).p_;
}

void Shape::setFillColor(OleColor v) { p_.fillColor = checkedColour(v); }
void Shape::setBorderColor(OleColor v) { p_.borderColor = checkedColour(v); }

void Shape::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::Shape;
  item.text.clear();
  item.shape = p_.shape;
  item.foreColor = p_.borderColor;
  item.filled = p_.fillStyle == 0 || p_.backStyle == 1;
  item.backColor = p_.fillStyle == 0 ? p_.fillColor : backColor_;
  item.lineWidth = p_.borderWidth;
}

void Line::copyFrom(const Control& s) {
  Control::copyFrom(s);
  p_ = static_cast<const Line&>(s).p_;
}

void Line::setBorderColor(OleColor v) { p_.borderColor = checkedColour(v); }

void Line::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::LineItem;
  item.text.clear();
  item.rect = {p_.x1, p_.y1, p_.x2 - p_.x1, p_.y2 - p_.y1};
  item.foreColor = p_.borderColor;
  item.lineWidth = p_.borderWidth;
}

const ClassInfo& Shape::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Shape", &Control::info());
    formprop::prop<Shape>(c, u"Shape", &Shape::shape, &Shape::setShape);
    formprop::prop<Shape>(c, u"FillStyle", &Shape::fillStyle, &Shape::setFillStyle);
    formprop::prop<Shape>(c, u"BorderStyle", &Shape::borderStyle, &Shape::setBorderStyle);
    formprop::prop<Shape>(c, u"FillColor", &Shape::fillColor, &Shape::setFillColor);
    formprop::prop<Shape>(c, u"BorderColor", &Shape::borderColor, &Shape::setBorderColor);
    formprop::prop<Shape>(c, u"BorderWidth", &Shape::borderWidth, &Shape::setBorderWidth);
    formprop::prop<Shape>(c, u"BackStyle", &Shape::backStyle, &Shape::setBackStyle);
    return c;
  }();
  return ci;
}

const ClassInfo& Line::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Line", &Control::info());
    formprop::prop<Line>(c, u"X1", &Line::x1, &Line::setX1);
    formprop::prop<Line>(c, u"Y1", &Line::y1, &Line::setY1);
    formprop::prop<Line>(c, u"X2", &Line::x2, &Line::setX2);
    formprop::prop<Line>(c, u"Y2", &Line::y2, &Line::setY2);
    formprop::prop<Line>(c, u"BorderColor", &Line::borderColor, &Line::setBorderColor);
    formprop::prop<Line>(c, u"BorderStyle", &Line::borderStyle, &Line::setBorderStyle);
    formprop::prop<Line>(c, u"BorderWidth", &Line::borderWidth, &Line::setBorderWidth);
    return c;
  }();
  return ci;
}

}  // namespace svx
