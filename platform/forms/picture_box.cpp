#include "platform/forms/picture_box.h"

#include "platform/forms/picture_object.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {
constexpr int kBorderPixels = 2;
}

PictureBox::PictureBox() {
  width_ = 1215;
  height_ = 1215;
  surface_.setScaleMode(1);
  placed();
}

int PictureBox::innerWidthPixels() const {
  return std::max(1, twipsToWholePixels(width_) - (borderStyle_ ? 2 * kBorderPixels : 0));
}

int PictureBox::innerHeightPixels() const {
  return std::max(1, twipsToWholePixels(height_) - (borderStyle_ ? 2 * kBorderPixels : 0));
}

namespace {
// The inner extent in pixels, unsaturated, for the scale.
double innerExtent(double twips, bool border) {
  return std::max(1.0, std::floor(twipsToPixels(twips)) - (border ? 2 * kBorderPixels : 0));
}
}  // namespace

double PictureBox::scaleWidth() const { return surface_.unitsFromPixelsX(innerExtent(width_, borderStyle_ != 0)); }
double PictureBox::scaleHeight() const { return surface_.unitsFromPixelsY(innerExtent(height_, borderStyle_ != 0)); }

void PictureBox::placed() {
  const int w = innerWidthPixels(), h = innerHeightPixels();
  if (w == innerWidth_ && h == innerHeight_) return;
  surface_.resize(w, h);
  innerWidth_ = w;
  innerHeight_ = h;
  fire(ControlEvent::Resize);
}

void PictureBox::copyFrom(const Control& s) {
  Control::copyFrom(s);
  const auto& o = static_cast<const PictureBox&>(s);
  autoSize_ = o.autoSize_;
  borderStyle_ = o.borderStyle_;
  surface_.setAutoRedraw(o.surface_.autoRedraw());
  surface_.setFont(o.surface_.font());
  surface_.setForeColor(o.surface_.foreColor());
  surface_.setBackColor(o.surface_.backColor());
  surface_.setPicture(o.surface_.picture());
  placed();
}

void PictureBox::fitToPicture() {
  if (!autoSize_ || picture().isNone()) return;
  const int border = borderStyle_ ? 2 * kBorderPixels : 0;
  move(left_, top_, pixelsToTwips(picture().widthPixels() + border), pixelsToTwips(picture().heightPixels() + border));
}

void PictureBox::setPicture(Picture p) {
  surface_.setPicture(std::move(p));
  fitToPicture();
  fire(ControlEvent::Change);
}

void PictureBox::setForeColor(OleColor c) {
  Control::setForeColor(c);
  surface_.setForeColor(c);
}

void PictureBox::setBackColor(OleColor c) {
  if (c == backColor_ && c == surface_.backColor()) return;
  Control::setBackColor(c);
  surface_.setBackColor(c);  // repaints the background, erasing drawings
}

void PictureBox::setAutoSize(bool v) {
  autoSize_ = v;
  fitToPicture();
}

void PictureBox::setBorderStyle(int16_t v) {
  checkPropertyRange(v, 0, 1);
  borderStyle_ = v;
  placed();
}

void PictureBox::render(RenderItem& item) const {
  Control::render(item);
  item.kind = RenderKind::PictureBox;
  item.text.clear();
  item.border = borderStyle_ == 1;
  item.surface = &surface_;
  item.picture = picture();
}

namespace {

std::optional<OleColor> optionalColour(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return static_cast<OleColor>(toI4(v));
}
std::optional<double> optionalSingle(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return toR4(v);
}

}  // namespace

Variant PictureBox::PictureRef() { return pictureVariant(picture()); }
void PictureBox::setPictureFrom(Variant& v) { setPicture(pictureOf(v)); }
Variant PictureBox::ImageRef() { return pictureVariant(surface_.imagePicture()); }
Variant PictureBox::Cls() {
  surface_.Cls();
  return {};
}
Variant PictureBox::PSet(Variant& x, Variant& y, Variant& colour) {
  surface_.PSet(toR4(x), toR4(y), optionalColour(colour));
  return {};
}
Variant PictureBox::Line(Variant& x1, Variant& y1, Variant& x2, Variant& y2, Variant& colour, Variant& box,
                         Variant& fill) {
  const bool asBox = !box.isMissing() && toBool(box);
  const bool filled = asBox && !fill.isMissing() && toBool(fill);
  surface_.Line(toR4(x1), toR4(y1), toR4(x2), toR4(y2), optionalColour(colour),
                filled ? LineShape::FilledBox : asBox ? LineShape::Box : LineShape::Line);
  return {};
}
Variant PictureBox::Circle(Variant& x, Variant& y, Variant& radius, Variant& colour, Variant& start, Variant& end,
                           Variant& aspect) {
  surface_.Circle(toR4(x), toR4(y), toR4(radius), optionalColour(colour), optionalSingle(start),
                  optionalSingle(end), optionalSingle(aspect));
  return {};
}
Variant PictureBox::Point(Variant& x, Variant& y) { return Variant(surface_.Point(toR4(x), toR4(y))); }
Variant PictureBox::PaintPicture(Variant& picture, Variant& x1, Variant& y1, Variant& width1, Variant& height1,
                                 Variant& x2, Variant& y2, Variant& width2, Variant& height2, Variant& opcode) {
  std::optional<int32_t> op;
  if (!opcode.isMissing()) op = toI4(opcode);
  surface_.PaintPicture(pictureOf(picture), toR4(x1), toR4(y1), optionalSingle(width1), optionalSingle(height1),
                        optionalSingle(x2), optionalSingle(y2), optionalSingle(width2), optionalSingle(height2), op);
  return {};
}
Variant PictureBox::TextWidth(Variant& text) { return Variant(static_cast<float>(surface_.TextWidth(toBStr(text)))); }
Variant PictureBox::TextHeight(Variant& text) {
  return Variant(static_cast<float>(surface_.TextHeight(toBStr(text))));
}
Variant PictureBox::PrintText(Variant& text) {
  surface_.Print(toBStr(text));
  return {};
}

const ClassInfo& PictureBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"PictureBox", &Control::info());
    Control::declareFont(c);
    formprop::prop<PictureBox>(c, u"AutoSize", &PictureBox::autoSize, &PictureBox::setAutoSize);
    formprop::prop<PictureBox>(c, u"BorderStyle", &PictureBox::borderStyle, &PictureBox::setBorderStyle);
    formprop::prop<PictureBox>(c, u"AutoRedraw", &PictureBox::autoRedraw, &PictureBox::setAutoRedraw);
    formprop::prop<PictureBox>(c, u"ScaleMode", &PictureBox::scaleMode, &PictureBox::setScaleMode);
    formprop::prop<PictureBox>(c, u"ScaleWidth", &PictureBox::scaleWidth);
    formprop::prop<PictureBox>(c, u"ScaleHeight", &PictureBox::scaleHeight);
    c.get<&PictureBox::PictureRef>(u"Picture").set<&PictureBox::setPictureFrom>(u"Picture", {in(u"Value")});
    c.get<&PictureBox::ImageRef>(u"Image");
    formprop::prop<PictureBox>(c, u"FillColor", &PictureBox::fillColor, &PictureBox::setFillColor);
    formprop::prop<PictureBox>(c, u"FillStyle", &PictureBox::fillStyle, &PictureBox::setFillStyle);
    formprop::prop<PictureBox>(c, u"DrawWidth", &PictureBox::drawWidth, &PictureBox::setDrawWidth);
    formprop::prop<PictureBox>(c, u"DrawStyle", &PictureBox::drawStyle, &PictureBox::setDrawStyle);
    formprop::prop<PictureBox>(c, u"DrawMode", &PictureBox::drawMode, &PictureBox::setDrawMode);
    formprop::prop<PictureBox>(c, u"CurrentX", &PictureBox::currentX, &PictureBox::setCurrentX);
    formprop::prop<PictureBox>(c, u"CurrentY", &PictureBox::currentY, &PictureBox::setCurrentY);
    formprop::prop<PictureBox>(c, u"FontTransparent", &PictureBox::fontTransparent, &PictureBox::setFontTransparent);
    c.method<&PictureBox::Cls>(u"Cls", {})
        .method<&PictureBox::PSet>(u"PSet", {in(u"X"), in(u"Y"), inOpt(u"Color")})
        .method<&PictureBox::Line>(u"Line", {in(u"X1"), in(u"Y1"), in(u"X2"), in(u"Y2"), inOpt(u"Color"),
                                             inOpt(u"Box"), inOpt(u"Fill")})
        .method<&PictureBox::Circle>(u"Circle", {in(u"X"), in(u"Y"), in(u"Radius"), inOpt(u"Color"),
                                                 inOpt(u"Start"), inOpt(u"End"), inOpt(u"Aspect")})
        .method<&PictureBox::Point>(u"Point", {in(u"X"), in(u"Y")})
        .method<&PictureBox::PaintPicture>(u"PaintPicture",
                                           {in(u"Picture"), in(u"X1"), in(u"Y1"), inOpt(u"Width1"),
                                            inOpt(u"Height1"), inOpt(u"X2"), inOpt(u"Y2"), inOpt(u"Width2"),
                                            inOpt(u"Height2"), inOpt(u"Opcode")})
        .method<&PictureBox::TextWidth>(u"TextWidth", {in(u"Str")})
        .method<&PictureBox::TextHeight>(u"TextHeight", {in(u"Str")})
        .method<&PictureBox::PrintText>(u"Print", {in(u"Text")});
    return c;
  }();
  return ci;
}

}  // namespace svx
