#include "platform/graphics/draw_surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "platform/automation/error.h"
#include "platform/graphics/cairo_util.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;
// Pixel coordinates are kept within what cairo's fixed-point paths hold.
constexpr double pixelLimit = 4.0e6;

double checkedPixel(double v) {
  if (!std::isfinite(v)) raise(err::InvalidProcedureCall);
  return std::clamp(v, -pixelLimit, pixelLimit);
}

int pixelIndex(double px) { return static_cast<int>(std::floor(checkedPixel(px) + 0.5)); }

uint32_t opaque(uint32_t rrggbb) { return 0xFF000000u | (rrggbb & 0xFFFFFFu); }

// A binary raster operation (DrawMode 1..16) on 24-bit pen and screen
// values: bit (2*P + D) of mode - 1 is the result for pen bit P, screen bit D.
uint32_t rop2(int16_t mode, uint32_t pen, uint32_t dst) {
  const unsigned table = static_cast<unsigned>(mode - 1);
  uint32_t r = 0;
  if (table & 8) r |= pen & dst;
  if (table & 4) r |= pen & ~dst;
  if (table & 2) r |= ~pen & dst;
  if (table & 1) r |= ~pen & ~dst;
  return r & 0xFFFFFFu;
}

// A ternary raster operation (bits 16..23 of a PaintPicture opcode): bit
// (4*P + 2*S + D) of the code is the result for pattern, source and screen bits.
uint32_t rop3(uint32_t code, uint32_t pat, uint32_t src, uint32_t dst) {
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!(code & (1u << i))) continue;
    const uint32_t p = (i & 4) ? pat : ~pat;
    const uint32_t s = (i & 2) ? src : ~src;
    const uint32_t d = (i & 1) ? dst : ~dst;
    r |= p & s & d;
  }
  return r & 0xFFFFFFu;
}

// Whether the hatch of FillStyle `style` covers pixel (x, y); solid covers all.
bool hatchCovers(int16_t style, int x, int y) {
  const bool h = (y & 7) == 0, v = (x & 7) == 0;
  const bool up = ((x + y) & 7) == 0, down = ((x - y) & 7) == 0;
  switch (style) {
    case vbHorizontalLine: return h;
    case vbVerticalLine: return v;
    case vbUpwardDiagonal: return up;
    case vbDownwardDiagonal: return down;
    case vbCross: return h || v;
    case vbDiagonalCross: return up || down;
    default: return true;
  }
}

// The pen of DrawWidth and DrawStyle on `cr`; false when it draws nothing.
bool setPen(cairo_t* cr, int16_t width, int16_t style) {
  if (style == vbInvisible) return false;
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, width == 1 ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, width == 1 ? CAIRO_LINE_JOIN_MITER : CAIRO_LINE_JOIN_ROUND);
  // Styled lines exist only one pixel wide; wider pens draw solid.
  static const std::vector<double> dash = {18, 6}, dot = {3, 3}, dashDot = {9, 6, 3, 6},
                                   dashDotDot = {9, 3, 3, 3, 3, 3};
  const std::vector<double>* pattern = nullptr;
  if (width == 1) {
    switch (style) {
      case vbDash: pattern = &dash; break;
      case vbDot: pattern = &dot; break;
      case vbDashDot: pattern = &dashDot; break;
      case vbDashDotDot: pattern = &dashDotDot; break;
      default: break;
    }
  }
  if (pattern) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_dash(cr, pattern->data(), static_cast<int>(pattern->size()), 0);
  }
  return true;
}

struct Ellipse {
  double cx, cy, rx, ry;
  double xAt(double angle) const { return cx + rx * std::cos(angle); }
  double yAt(double angle) const { return cy - ry * std::sin(angle); }
};

// Adds the arc from `from` through `sweep` radians as a polyline.
void addArc(cairo_t* cr, const Ellipse& e, double from, double sweep, bool moveFirst) {
  const double extent = std::max(e.rx, e.ry) * sweep;
  const int segments = std::clamp(static_cast<int>(std::ceil(extent / 2)), 8, 4096);
  for (int i = 0; i <= segments; ++i) {
    const double a = from + sweep * i / segments;
    if (i == 0 && moveFirst) cairo_move_to(cr, e.xAt(a), e.yAt(a));
    else cairo_line_to(cr, e.xAt(a), e.yAt(a));
  }
}

double checkedAngle(double angle) {
  if (!std::isfinite(angle) || std::fabs(angle) > twoPi + 1e-6) raise(err::InvalidProcedureCall);
  return angle;
}

}  // namespace

// Where one drawing step puts its coverage. On pixels: an 8-bit mask the size
// of the surface, drawn without antialiasing, then combined with the image
// through the raster operation. On a vector page: straight onto the page, in
// the colour the raster operation gives on white paper.
class DrawInk {
 public:
  DrawInk(RasterImage& image, uint32_t rgb, int16_t drawMode, int16_t hatch)
      : image_(&image), rgb_(rgb), drawMode_(drawMode), hatch_(hatch),
        mask_(cairo_image_surface_create(CAIRO_FORMAT_A8, image.width, image.height)),
        owned_(cairo_create(mask_.get())), cr_(owned_.get()) {
    // cairo reports a mask it could not allocate through its status.
    if (cairo_surface_status(mask_.get()) != CAIRO_STATUS_SUCCESS || cairo_status(cr_) != CAIRO_STATUS_SUCCESS ||
        !cairo_image_surface_get_data(mask_.get()))
      raise(err::OutOfMemory);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgba(cr_, 0, 0, 0, 1);
  }
  DrawInk(cairo_t* page, uint32_t rgb, int16_t drawMode, int16_t hatch) : cr_(page) {
    cairo_save(cr_);
    cairo_new_path(cr_);
    const uint32_t colour = rop2(drawMode, rgb, 0xFFFFFF);
    if (drawMode == vbNop) {
      cairo_set_operator(cr_, CAIRO_OPERATOR_DEST);
    } else if (hatch == vbFSSolid) {
      gfx::setSourceRgb(cr_, colour);
    } else {
      // One 8 x 8 tile of the hatch, repeated from the page's origin.
      RasterImage tile(8, 8, 0);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          if (hatchCovers(hatch, x, y)) tile.at(x, y) = opaque(colour);
      gfx::SurfacePtr source(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
      copyInto(source.get(), tile);
      cairo_set_source_surface(cr_, source.get(), 0, 0);
      cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    }
  }
  DrawInk(const DrawInk&) = delete;
  DrawInk& operator=(const DrawInk&) = delete;
  ~DrawInk() {
    if (!image_) cairo_restore(cr_);
  }

  cairo_t* cr() { return cr_; }

  // Pixels: combines the mask with the image. A page has it already.
  void apply() {
    if (!image_) return;
    RasterImage& image = *image_;
    cairo_surface_flush(mask_.get());
    const unsigned char* data = cairo_image_surface_get_data(mask_.get());
    const int stride = cairo_image_surface_get_stride(mask_.get());
    for (int y = 0; y < image.height; ++y) {
      const unsigned char* row = data + static_cast<size_t>(y) * stride;
      for (int x = 0; x < image.width; ++x) {
        if (row[x] < 128 || !hatchCovers(hatch_, x, y)) continue;
        uint32_t& p = image.at(x, y);
        p = opaque(rop2(drawMode_, rgb_, p));
      }
    }
  }

  // Copies `image` into an ARGB32 image surface of the same size that the
  // caller created (a page keeps its own reference to what it paints).
  static void copyInto(cairo_surface_t* target, const RasterImage& image) {
    cairo_surface_flush(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    const int stride = cairo_image_surface_get_stride(target);
    for (int y = 0; y < image.height; ++y)
      std::copy_n(image.pixels.data() + static_cast<size_t>(y) * image.width, image.width,
                  reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride));
    cairo_surface_mark_dirty(target);
  }

 private:
  RasterImage* image_ = nullptr;
  uint32_t rgb_ = 0;
  int16_t drawMode_ = vbCopyPen;
  int16_t hatch_ = vbFSSolid;
  gfx::SurfacePtr mask_;
  gfx::ContextPtr owned_;
  cairo_t* cr_ = nullptr;
};

DrawInk DrawSurface::ink(uint32_t rgb, int16_t hatch) {
  if (vector_) return DrawInk(vector_->page(), rgb, drawMode_, hatch);
  return DrawInk(target(), rgb, drawMode_, hatch);
}

DrawSurface::DrawSurface(VectorPage& page, int widthPixels, int heightPixels)
    : vector_(&page), vectorWidth_(std::max(1, widthPixels)), vectorHeight_(std::max(1, heightPixels)),
      foreColor_(0), backColor_(0xFFFFFF) {
  persistent_ = background(1, 1);
  screen_ = persistent_;
}

DrawSurface::DrawSurface(int widthPixels, int heightPixels) { pend(boundedSide(widthPixels), boundedSide(heightPixels)); }

void DrawSurface::pend(int width, int height) {
  persistent_ = RasterImage();
  screen_ = RasterImage();
  persistent_.width = screen_.width = width;
  persistent_.height = screen_.height = height;
  pending_ = true;
}

void DrawSurface::materialize() const {
  if (!pending_) return;
  RasterImage image = background(persistent_.width, persistent_.height);  // may fail: still pending
  screen_ = image;
  persistent_ = std::move(image);
  pending_ = false;
}

double DrawSurface::twipsPerPixel() { return TwipsPerPixel; }

double DrawSurface::twipsPerUnitX() const {
  switch (scaleMode_) {
    case vbPoints: return 20;
    case vbPixels: return TwipsPerPixel;
    case vbCharacters: return 120;
    case vbInches: return TwipsPerInch;
    case vbMillimeters: return TwipsPerInch / 25.4;
    case vbCentimeters: return TwipsPerInch / 2.54;
    default: return 1;
  }
}

double DrawSurface::twipsPerUnitY() const { return scaleMode_ == vbCharacters ? 240 : twipsPerUnitX(); }

void DrawSurface::setScaleMode(int16_t mode) {
  if (mode < vbTwips || mode > vbCentimeters) raise(err::InvalidPropertyValue);
  scaleMode_ = mode;
}

RasterImage DrawSurface::background(int width, int height) const {
  RasterImage image(width, height, opaque(oleColorToRgb(backColor_)));
  if (!picture_.isNone()) {
    RasterImage picture = picture_.image();
    gfx::SurfacePtr target = gfx::surfaceOver(image);
    gfx::SurfacePtr source = gfx::surfaceOver(picture);
    gfx::ContextPtr cr(cairo_create(target.get()));
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_paint(cr.get());
    cairo_surface_flush(target.get());
  }
  return image;
}

void DrawSurface::rebuild() {
  if (pending_) return;  // made from the background when first used
  persistent_ = background(persistent_.width, persistent_.height);
  screen_ = persistent_;
}

void DrawSurface::drawn() {
  materialize();
  if (autoRedraw_ && !vector_) screen_ = persistent_;
}

void DrawSurface::resize(int widthPixels, int heightPixels) {
  if (vector_) {
    vectorWidth_ = std::max(1, widthPixels);
    vectorHeight_ = std::max(1, heightPixels);
    return;
  }
  const int w = boundedSide(widthPixels), h = boundedSide(heightPixels);
  if (w == persistent_.width && h == persistent_.height) return;
  if (pending_) {
    pend(w, h);
    return;
  }
  auto grow = [&](const RasterImage& old) {
    RasterImage image = background(w, h);
    const int cols = std::min(w, old.width);
    for (int y = 0; y < std::min(h, old.height); ++y)
      std::copy_n(old.pixels.begin() + static_cast<ptrdiff_t>(y) * old.width, cols,
                  image.pixels.begin() + static_cast<ptrdiff_t>(y) * w);
    return image;
  };
  // Both layers are built before either is replaced: a failed allocation
  // leaves the surface as it was.
  RasterImage persistent = grow(persistent_);
  RasterImage screen = grow(screen_);
  persistent_ = std::move(persistent);
  screen_ = std::move(screen);
}

void DrawSurface::setForeColor(OleColor colour) {
  resolveOleColor(colour);
  foreColor_ = colour;
}

void DrawSurface::setBackColor(OleColor colour) {
  resolveOleColor(colour);
  backColor_ = colour;
  rebuild();
}

void DrawSurface::setFillColor(OleColor colour) {
  resolveOleColor(colour);
  fillColor_ = colour;
}

void DrawSurface::setFillStyle(int16_t style) {
  if (style < vbFSSolid || style > vbDiagonalCross) raise(err::InvalidPropertyValue);
  fillStyle_ = style;
}

void DrawSurface::setDrawWidth(int16_t width) {
  if (width < 1) raise(err::InvalidPropertyValue);
  drawWidth_ = width;
}

void DrawSurface::setDrawStyle(int16_t style) {
  if (style < vbSolid || style > vbInsideSolid) raise(err::InvalidPropertyValue);
  drawStyle_ = style;
}

void DrawSurface::setDrawMode(int16_t mode) {
  if (mode < vbBlackness || mode > vbWhiteness) raise(err::InvalidPropertyValue);
  drawMode_ = mode;
}

void DrawSurface::setFont(Font font) {
  if (!(font.size > 0) || font.size > 2048) raise(err::InvalidPropertyValue);
  font_ = std::move(font);
}

void DrawSurface::setPicture(Picture picture) {
  picture_ = std::move(picture);
  rebuild();
}

double DrawSurface::pixelX(double x) const { return checkedPixel(unitsToPixelsX(x)); }
double DrawSurface::pixelY(double y) const { return checkedPixel(unitsToPixelsY(y)); }

uint32_t DrawSurface::penRgb(std::optional<OleColor> colour) const {
  return oleColorToRgb(colour.value_or(foreColor_));
}

void DrawSurface::Circle(double x, double y, double radius, std::optional<OleColor> colour,
                         std::optional<double> start, std::optional<double> end, std::optional<double> aspect) {
  const uint32_t rgb = penRgb(colour);
  const double startAngle = start ? checkedAngle(*start) : 0;
  const double endAngle = end ? checkedAngle(*end) : twoPi;
  const double ratio = aspect ? std::fabs(*aspect) : 1.0;
  if (!std::isfinite(ratio)) raise(err::InvalidProcedureCall);
  const double r = std::fabs(checkedPixel(unitsToPixelsX(radius)));

  Ellipse e{pixelIndex(pixelX(x)) + 0.5, pixelIndex(pixelY(y)) + 0.5, r, r};
  if (ratio > 1) e.rx = r / ratio;
  else e.ry = r * ratio;
  if (drawStyle_ == vbInsideSolid && drawWidth_ > 1) {
    e.rx = std::max(0.0, e.rx - (drawWidth_ - 1) / 2.0);
    e.ry = std::max(0.0, e.ry - (drawWidth_ - 1) / 2.0);
  }

  const double a0 = std::fabs(startAngle), a1 = std::fabs(endAngle);
  double sweep = a1 - a0;
  if (sweep <= 0) sweep += twoPi;
  const bool full = !start && !end;
  const bool pie = !full && startAngle < 0 && endAngle < 0;

  auto addOutline = [&](cairo_t* cr) {
    if (full) {
      addArc(cr, e, 0, twoPi, true);
      cairo_close_path(cr);
      return;
    }
    if (startAngle < 0) {
      cairo_move_to(cr, e.cx, e.cy);
      addArc(cr, e, a0, sweep, false);
    } else {
      addArc(cr, e, a0, sweep, true);
    }
    if (endAngle < 0) cairo_line_to(cr, e.cx, e.cy);
    if (pie) cairo_close_path(cr);
  };

  if ((full || pie) && fillStyle_ != vbFSTransparent) {
    DrawInk fill = ink(oleColorToRgb(fillColor_), fillStyle_);
    addOutline(fill.cr());
    cairo_fill(fill.cr());
    fill.apply();
  }
  DrawInk pen = ink(rgb);
  if (setPen(pen.cr(), drawWidth_, drawStyle_)) {
    addOutline(pen.cr());
    cairo_stroke(pen.cr());
    pen.apply();
  }
  currentX_ = x;
  currentY_ = y;
  drawn();
}

void DrawSurface::Line(double x1, double y1, double x2, double y2, std::optional<OleColor> colour, LineShape shape) {
  const uint32_t rgb = penRgb(colour);
  const int ax = pixelIndex(pixelX(x1)), ay = pixelIndex(pixelY(y1));
  const int bx = pixelIndex(pixelX(x2)), by = pixelIndex(pixelY(y2));
  const bool penDraws = drawStyle_ != vbInvisible;
  const int left = std::min(ax, bx), right = std::max(ax, bx), top = std::min(ay, by), bottom = std::max(ay, by);

  if (shape == LineShape::Line) {
    DrawInk pen = ink(rgb);
    if (setPen(pen.cr(), drawWidth_, drawStyle_)) {
      if (ax == bx && ay == by) {
        cairo_set_dash(pen.cr(), nullptr, 0, 0);
        cairo_arc(pen.cr(), ax + 0.5, ay + 0.5, drawWidth_ == 1 ? 0.5 : drawWidth_ / 2.0, 0, twoPi);
        if (drawWidth_ == 1) cairo_rectangle(pen.cr(), ax, ay, 1, 1);
        cairo_fill(pen.cr());
      } else {
        cairo_move_to(pen.cr(), ax + 0.5, ay + 0.5);
        cairo_line_to(pen.cr(), bx + 0.5, by + 0.5);
        cairo_stroke(pen.cr());
      }
      pen.apply();
    }
  } else {
    // The pen's half width beyond the corners, unless it draws inside.
    const double grow = drawStyle_ == vbInsideSolid ? 0.0 : (drawWidth_ - 1) / 2.0;
    if (shape == LineShape::FilledBox) {
      DrawInk fill = ink(rgb);
      cairo_rectangle(fill.cr(), left - grow, top - grow, right - left + 1 + 2 * grow, bottom - top + 1 + 2 * grow);
      cairo_fill(fill.cr());
      fill.apply();
    } else {
      if (fillStyle_ != vbFSTransparent) {
        DrawInk fill = ink(oleColorToRgb(fillColor_), fillStyle_);
        cairo_rectangle(fill.cr(), left, top, right - left + 1, bottom - top + 1);
        cairo_fill(fill.cr());
        fill.apply();
      }
      if (penDraws) {
        DrawInk pen = ink(rgb);
        setPen(pen.cr(), drawWidth_, drawStyle_);
        if (drawWidth_ == 1 && drawStyle_ >= vbDash && drawStyle_ <= vbDashDotDot && right > left && bottom > top) {
          cairo_rectangle(pen.cr(), left + 0.5, top + 0.5, right - left, bottom - top);
          cairo_stroke(pen.cr());
        } else {
          // Four bands of the pen's width along the outer edge.
          const double l = left - grow, t = top - grow, r = right + 1 + grow, b = bottom + 1 + grow;
          const double thick = drawWidth_;
          cairo_rectangle(pen.cr(), l, t, r - l, std::min(thick, b - t));
          cairo_rectangle(pen.cr(), l, std::max(t, b - thick), r - l, std::min(thick, b - t));
          cairo_rectangle(pen.cr(), l, t, std::min(thick, r - l), b - t);
          cairo_rectangle(pen.cr(), std::max(l, r - thick), t, std::min(thick, r - l), b - t);
          cairo_fill(pen.cr());
        }
        pen.apply();
      }
    }
  }
  currentX_ = x2;
  currentY_ = y2;
  drawn();
}

void DrawSurface::PSet(double x, double y, std::optional<OleColor> colour) {
  const uint32_t rgb = penRgb(colour);
  const int px = pixelIndex(pixelX(x)), py = pixelIndex(pixelY(y));
  if (vector_ && drawWidth_ == 1) {
    DrawInk dot = ink(rgb);
    cairo_rectangle(dot.cr(), px, py, 1, 1);
    cairo_fill(dot.cr());
  } else if (drawWidth_ == 1) {
    RasterImage& image = target();
    if (image.contains(px, py)) image.at(px, py) = opaque(rop2(drawMode_, rgb, image.at(px, py)));
  } else {
    DrawInk dot = ink(rgb);
    cairo_arc(dot.cr(), px + 0.5, py + 0.5, drawWidth_ / 2.0, 0, twoPi);
    cairo_fill(dot.cr());
    dot.apply();
  }
  currentX_ = x;
  currentY_ = y;
  drawn();
}

int32_t DrawSurface::Point(double x, double y) const {
  const int px = pixelIndex(pixelX(x)), py = pixelIndex(pixelY(y));
  if (vector_) return -1;
  materialize();
  if (!screen_.contains(px, py)) return -1;
  return static_cast<int32_t>(rgbToOle(screen_.at(px, py) & 0xFFFFFFu));
}

void DrawSurface::PaintPicture(const Picture& picture, double x1, double y1, std::optional<double> width1,
                               std::optional<double> height1, std::optional<double> x2, std::optional<double> y2,
                               std::optional<double> width2, std::optional<double> height2,
                               std::optional<int32_t> opcode) {
  if (picture.isNone()) raise(err::InvalidPicture);
  const int32_t code = opcode.value_or(vbSrcCopy);
  if (code < 0 || code > 0xFFFFFF) raise(err::InvalidProcedureCall);
  const uint32_t rop = (static_cast<uint32_t>(code) >> 16) & 0xFF;
  const uint32_t pattern = oleColorToRgb(fillColor_);
  const RasterImage& src = picture.image();

  // Destination in surface pixels, source in picture pixels.
  const double dx = pixelX(x1), dy = pixelY(y1);
  const double dw = width1 ? checkedPixel(unitsToPixelsX(*width1)) : src.width;
  const double dh = height1 ? checkedPixel(unitsToPixelsY(*height1)) : src.height;
  const double sx = x2 ? checkedPixel(unitsToPixelsX(*x2)) : 0;
  const double sy = y2 ? checkedPixel(unitsToPixelsY(*y2)) : 0;
  const double sw = width2 ? checkedPixel(unitsToPixelsX(*width2)) : src.width - sx;
  const double sh = height2 ? checkedPixel(unitsToPixelsY(*height2)) : src.height - sy;

  const int left = pixelIndex(std::min(dx, dx + dw)), right = pixelIndex(std::max(dx, dx + dw));
  const int top = pixelIndex(std::min(dy, dy + dh)), bottom = pixelIndex(std::max(dy, dy + dh));
  const int cols = right - left, rows = bottom - top;
  if (cols <= 0 || rows <= 0 || sw == 0 || sh == 0) return;
  // Mirrored when the destination and source extents differ in sign.
  const bool flipX = (dw < 0) != (sw < 0), flipY = (dh < 0) != (sh < 0);
  const double srcLeft = std::min(sx, sx + sw), srcTop = std::min(sy, sy + sh);
  const double srcW = std::fabs(sw), srcH = std::fabs(sh);

  // The part of the destination on the surface: on pixels the image itself,
  // on a page a tile of it on white paper, painted when done.
  const int clipLeft = std::max(0, left), clipRight = std::min(widthPixels(), right);
  const int clipTop = std::max(0, top), clipBottom = std::min(heightPixels(), bottom);
  if (clipRight <= clipLeft || clipBottom <= clipTop) return;
  RasterImage tile;
  if (vector_) tile = RasterImage(clipRight - clipLeft, clipBottom - clipTop, 0);
  RasterImage& image = vector_ ? tile : target();
  const int ox = vector_ ? clipLeft : 0, oy = vector_ ? clipTop : 0;
  for (int y = clipTop; y < clipBottom; ++y) {
    const int row = flipY ? rows - 1 - (y - top) : y - top;
    const int sy0 = static_cast<int>(std::floor(srcTop + (row + 0.5) * srcH / rows));
    if (sy0 < 0 || sy0 >= src.height) continue;
    for (int x = clipLeft; x < clipRight; ++x) {
      const int col = flipX ? cols - 1 - (x - left) : x - left;
      const int sx0 = static_cast<int>(std::floor(srcLeft + (col + 0.5) * srcW / cols));
      if (sx0 < 0 || sx0 >= src.width) continue;
      const uint32_t s = src.at(sx0, sy0);
      const uint32_t a = s >> 24;
      if (a == 0) continue;
      uint32_t& d = image.at(x - ox, y - oy);
      const uint32_t under = vector_ ? 0xFFFFFFFFu : d;
      uint32_t srgb = s & 0xFFFFFFu;
      if (a != 255) {
        srgb = 0;
        for (int shift = 0; shift < 24; shift += 8)
          srgb |= std::min<uint32_t>(255, (((s >> shift) & 0xFF) * 255 + a / 2) / a) << shift;
      }
      uint32_t out = rop3(rop, pattern, srgb, under & 0xFFFFFFu);
      if (a != 255) {
        uint32_t blended = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t o = (out >> shift) & 0xFF, old = (under >> shift) & 0xFF;
          blended |= ((o * a + old * (255 - a) + 127) / 255) << shift;
        }
        out = blended;
      }
      d = opaque(out);
    }
  }
  if (vector_) {
    gfx::SurfacePtr source(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, tile.width, tile.height));
    DrawInk::copyInto(source.get(), tile);
    cairo_t* page = vector_->page();
    cairo_save(page);
    cairo_set_source_surface(page, source.get(), clipLeft, clipTop);
    cairo_pattern_set_filter(cairo_get_source(page), CAIRO_FILTER_NEAREST);
    cairo_paint(page);
    cairo_restore(page);
  }
  drawn();
}

void DrawSurface::Print(std::u16string_view text, bool endLine) {
  const uint32_t rgb = penRgb(std::nullopt);
  const auto lines = gfx::splitLines(text);
  const int lineHeight = fontLineHeight(font_);
  RasterImage& image = target();
  {
    gfx::SurfacePtr surface;
    gfx::ContextPtr owned;
    cairo_t* cr = nullptr;
    if (vector_) {
      cr = vector_->page();
      cairo_save(cr);
    } else {
      surface = gfx::surfaceOver(image);
      owned.reset(cairo_create(surface.get()));
      cr = owned.get();
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) {
        currentX_ = 0;
        currentY_ += unitsFromPixelsY(lineHeight);
      }
      // A line that would cross the bottom of a page goes to the next page.
      if (vector_ && currentY_ > 0 && pixelY(currentY_) + lineHeight > vectorHeight_) {
        cairo_restore(cr);
        vector_->newPage();
        currentY_ = 0;
        cr = vector_->page();
        cairo_save(cr);
      }
      const double px = pixelX(currentX_), py = pixelY(currentY_);
      const int width = gfx::lineWidth(font_, lines[i]);
      if (!fontTransparent_ && width > 0) {
        gfx::setSourceRgb(cr, oleColorToRgb(backColor_));
        cairo_rectangle(cr, std::round(px), std::round(py), width, lineHeight);
        cairo_fill(cr);
      }
      gfx::setSourceRgb(cr, rgb);
      gfx::drawLine(cr, font_, lines[i], std::round(px), std::round(py));
      currentX_ += unitsFromPixelsX(width);
    }
    if (vector_) cairo_restore(cr);
    else cairo_surface_flush(surface.get());
  }
  if (endLine) {
    currentX_ = 0;
    currentY_ += unitsFromPixelsY(lineHeight);
  }
  drawn();
}

void DrawSurface::PrintTab(int column) {
  const double target = unitsFromPixelsX((std::max(1, column) - 1) * fontCharWidth(font_));
  if (currentX_ > target + 1e-9) currentY_ += unitsFromPixelsY(fontLineHeight(font_));
  currentX_ = target;
}

double DrawSurface::TextWidth(std::u16string_view text) const {
  return unitsFromPixelsX(measureText(font_, text).width);
}

double DrawSurface::TextHeight(std::u16string_view text) const {
  return unitsFromPixelsY(measureText(font_, text).height);
}

void DrawSurface::Cls() {
  materialize();
  if (autoRedraw_ && !vector_) persistent_ = background(persistent_.width, persistent_.height);
  screen_ = persistent_;
  currentX_ = 0;
  currentY_ = 0;
}

bool DrawSurface::repaint() {
  materialize();
  screen_ = persistent_;
  return !autoRedraw_;
}

}  // namespace svx
