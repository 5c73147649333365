#include "platform/forms/picture_box.h"

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

const ClassInfo& PictureBox::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"PictureBox", &Control::info());
    formprop::prop<PictureBox>(c, u"AutoSize", &PictureBox::autoSize, &PictureBox::setAutoSize);
    formprop::prop<PictureBox>(c, u"BorderStyle", &PictureBox::borderStyle, &PictureBox::setBorderStyle);
    formprop::prop<PictureBox>(c, u"AutoRedraw", &PictureBox::autoRedraw, &PictureBox::setAutoRedraw);
    formprop::prop<PictureBox>(c, u"ScaleMode", &PictureBox::scaleMode);
    formprop::prop<PictureBox>(c, u"ScaleWidth", &PictureBox::scaleWidth);
    formprop::prop<PictureBox>(c, u"ScaleHeight", &PictureBox::scaleHeight);
    return c;
  }();
  return ci;
}

}  // namespace svx
