// The drawing surface of a form, a picture box or a printer page: the
// runtime's graphics methods and drawing state, rasterised with cairo.
//
// Coordinates and sizes are in the surface's scale (twips unless ScaleMode
// says otherwise); DrawWidth is in pixels. Colours are OLE colours, resolved
// when they are used. Optional arguments stay distinguishable from any value:
// an omitted one takes the method's default.
//
// Pixels live in two layers. The persistent image (the Image property) holds
// the BackColor, the Picture at the top-left corner, and what was drawn while
// AutoRedraw was True. The screen shows the persistent image plus what was
// drawn while AutoRedraw was False; repaint() drops the latter, as a window
// that is uncovered does, and tells the caller a Paint event is due. Cls
// clears the layer that AutoRedraw draws on: with AutoRedraw True the
// persistent image goes back to BackColor and Picture; with AutoRedraw False
// the screen goes back to the persistent image. Setting BackColor or Picture
// rebuilds both from the background.
//
// A vector surface (a printer's page) has no pixels: it draws every
// operation straight onto the cairo context that its VectorPage hands out,
// in the same pixel coordinates. The page is white paper, so DrawMode and
// the PaintPicture raster operations act as they would on white; Point
// reads -1 and Cls only moves the print position home.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/graphics/colour.h"
#include "platform/graphics/font.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/raster_image.h"

typedef struct _cairo cairo_t;

namespace svx {

// ScaleMode values (vbUser 0 is not supported).
enum ScaleModeValue : int16_t {
  vbTwips = 1,
  vbPoints = 2,
  vbPixels = 3,
  vbCharacters = 4,
  vbInches = 5,
  vbMillimeters = 6,
  vbCentimeters = 7,
};

// FillStyle values.
enum FillStyleValue : int16_t {
  vbFSSolid = 0,
  vbFSTransparent = 1,
  vbHorizontalLine = 2,
  vbVerticalLine = 3,
  vbUpwardDiagonal = 4,
  vbDownwardDiagonal = 5,
  vbCross = 6,
  vbDiagonalCross = 7,
};

// DrawStyle values.
enum DrawStyleValue : int16_t {
  vbSolid = 0,
  vbDash = 1,
  vbDot = 2,
  vbDashDot = 3,
  vbDashDotDot = 4,
  vbInvisible = 5,
  vbInsideSolid = 6,
};

// DrawMode values: the 16 binary raster operations of pen and screen.
enum DrawModeValue : int16_t {
  vbBlackness = 1,
  vbNotMergePen = 2,
  vbMaskNotPen = 3,
  vbNotCopyPen = 4,
  vbMaskPenNot = 5,
  vbInvert = 6,
  vbXorPen = 7,
  vbNotMaskPen = 8,
  vbMaskPen = 9,
  vbNotXorPen = 10,
  vbNop = 11,
  vbMergeNotPen = 12,
  vbCopyPen = 13,
  vbMergePenNot = 14,
  vbMergePen = 15,
  vbWhiteness = 16,
};

// PaintPicture raster operations (any ternary operation code is accepted;
// the pattern is the FillColor).
inline constexpr int32_t vbSrcCopy = 0xCC0020;
inline constexpr int32_t vbSrcPaint = 0xEE0086;
inline constexpr int32_t vbSrcAnd = 0x8800C6;
inline constexpr int32_t vbSrcInvert = 0x660046;
inline constexpr int32_t vbSrcErase = 0x440328;
inline constexpr int32_t vbNotSrcCopy = 0x330008;
inline constexpr int32_t vbNotSrcErase = 0x1100A6;
inline constexpr int32_t vbMergeCopy = 0xC000CA;
inline constexpr int32_t vbMergePaint = 0xBB0226;
inline constexpr int32_t vbPatCopy = 0xF00021;
inline constexpr int32_t vbPatPaint = 0xFB0A09;
inline constexpr int32_t vbPatInvert = 0x5A0049;
inline constexpr int32_t vbDstInvert = 0x550009;

// What Line draws.
enum class LineShape { Line, Box, FilledBox };

// The page of a vector surface: a cairo context (cairo_t) whose units are the
// surface's pixels. Asked for at each drawing, so a document can start with
// its first drawing.
class VectorPage {
 public:
  virtual ~VectorPage() = default;
  virtual cairo_t* page() = 0;
  // Printed text reached the bottom: the page is ended and a new one begun.
  virtual void newPage() = 0;
};

class DrawInk;

class DrawSurface {
 public:
  // The image behind a surface is at most MaxSide pixels either way (four
  // times the simulated screen); a larger form or picture box keeps its size
  // while drawing beyond the image is clipped.
  static constexpr int MaxSide = 4096;
  static int boundedSide(int pixels) { return pixels < 1 ? 1 : pixels > MaxSide ? MaxSide : pixels; }

  // A surface of the given size in pixels (bounded to 1..MaxSide), BackColor
  // the button face, ForeColor the button text.
  explicit DrawSurface(int widthPixels = 1, int heightPixels = 1);
  // A vector surface on `page` (which outlives it), BackColor white,
  // ForeColor black.
  DrawSurface(VectorPage& page, int widthPixels, int heightPixels);

  bool isVector() const { return vector_ != nullptr; }
  int widthPixels() const { return vector_ ? vectorWidth_ : screen_.width; }
  int heightPixels() const { return vector_ ? vectorHeight_ : screen_.height; }
  // Keeps the pixels both sizes share; new area shows the background. The
  // image's size is bounded as above.
  void resize(int widthPixels, int heightPixels);

  // Scale. ScaleWidth and ScaleHeight are the size in the scale's units.
  int16_t scaleMode() const { return scaleMode_; }
  void setScaleMode(int16_t mode);  // 380 for a mode outside 1..7
  double scaleWidth() const { return unitsFromPixelsX(widthPixels()); }
  double scaleHeight() const { return unitsFromPixelsY(heightPixels()); }
  double unitsToPixelsX(double units) const { return units * twipsPerUnitX() / twipsPerPixel(); }
  double unitsToPixelsY(double units) const { return units * twipsPerUnitY() / twipsPerPixel(); }
  double unitsFromPixelsX(double pixels) const { return pixels * twipsPerPixel() / twipsPerUnitX(); }
  double unitsFromPixelsY(double pixels) const { return pixels * twipsPerPixel() / twipsPerUnitY(); }

  // Drawing state. Setters raise 380 for a value the property does not take.
  OleColor foreColor() const { return foreColor_; }
  void setForeColor(OleColor colour);
  OleColor backColor() const { return backColor_; }
  void setBackColor(OleColor colour);  // erases every drawing
  OleColor fillColor() const { return fillColor_; }
  void setFillColor(OleColor colour);
  int16_t fillStyle() const { return fillStyle_; }
  void setFillStyle(int16_t style);  // 0..7
  int16_t drawWidth() const { return drawWidth_; }
  void setDrawWidth(int16_t width);  // 1..32767
  int16_t drawStyle() const { return drawStyle_; }
  void setDrawStyle(int16_t style);  // 0..6
  int16_t drawMode() const { return drawMode_; }
  void setDrawMode(int16_t mode);  // 1..16
  bool fontTransparent() const { return fontTransparent_; }
  void setFontTransparent(bool transparent) { fontTransparent_ = transparent; }
  const Font& font() const { return font_; }
  void setFont(Font font);  // 380 for a size that is not positive
  double currentX() const { return currentX_; }
  double currentY() const { return currentY_; }
  void setCurrentX(double x) { currentX_ = x; }
  void setCurrentY(double y) { currentY_ = y; }
  bool autoRedraw() const { return autoRedraw_; }
  void setAutoRedraw(bool autoRedraw) { autoRedraw_ = autoRedraw; }
  const Picture& picture() const { return picture_; }
  void setPicture(Picture picture);  // rebuilds the background, erasing drawings

  // Graphics methods.
  // Angles in radians, -2*pi..2*pi (5 otherwise), counter-clockwise from
  // 3 o'clock; a negative angle also draws the radius to that end. `aspect`
  // is height / width: above 1 the radius is the vertical one. Sets CurrentX
  // and CurrentY to the centre.
  void Circle(double x, double y, double radius, std::optional<OleColor> colour = std::nullopt,
              std::optional<double> start = std::nullopt, std::optional<double> end = std::nullopt,
              std::optional<double> aspect = std::nullopt);
  // A line (both ends drawn), a box outlined in the colour and filled with
  // FillColor by FillStyle, or a box filled with the colour. The colour
  // defaults to ForeColor. Sets CurrentX and CurrentY to (x2, y2).
  void Line(double x1, double y1, double x2, double y2, std::optional<OleColor> colour = std::nullopt,
            LineShape shape = LineShape::Line);
  // Sets CurrentX and CurrentY to the point.
  void PSet(double x, double y, std::optional<OleColor> colour = std::nullopt);
  // The point's colour as an OLE colour, -1 outside the surface.
  int32_t Point(double x, double y) const;
  // Draws `picture` at (x1, y1), scaled to width1 x height1 (the picture's
  // size by default; negative values mirror), from its part at (x2, y2) of
  // width2 x height2 (default: from (x2, y2) to the picture's far edges),
  // combined with the surface by `opcode` (default vbSrcCopy). Transparent
  // picture pixels leave the surface as it is. 481 for no picture.
  void PaintPicture(const Picture& picture, double x1, double y1, std::optional<double> width1 = std::nullopt,
                    std::optional<double> height1 = std::nullopt, std::optional<double> x2 = std::nullopt,
                    std::optional<double> y2 = std::nullopt, std::optional<double> width2 = std::nullopt,
                    std::optional<double> height2 = std::nullopt, std::optional<int32_t> opcode = std::nullopt);
  // Prints `text` at (CurrentX, CurrentY) in ForeColor and the Font; lines
  // after a line break start at the left edge. With `endLine` CurrentX goes
  // back to 0 and CurrentY down one line; without it CurrentX ends right
  // after the text.
  void Print(std::u16string_view text, bool endLine = true);
  // Moves the print position to print column `column` (1-based, in average
  // character widths); to the next line when the position is already beyond it.
  void PrintTab(int column);
  double TextWidth(std::u16string_view text) const;
  double TextHeight(std::u16string_view text) const;
  // Clears drawings (see above) and sets CurrentX and CurrentY to 0.
  void Cls();

  // What the surface shows now.
  const RasterImage& image() const {
    materialize();
    return screen_;
  }
  // The persistent image (the Image property).
  const RasterImage& persistentImage() const {
    materialize();
    return persistent_;
  }
  Picture imagePicture() const { return Picture::fromImage(persistentImage()); }
  // The window was uncovered: the screen goes back to the persistent image.
  // Returns whether a Paint event is due (AutoRedraw False).
  bool repaint();

 private:
  double twipsPerUnitX() const;
  double twipsPerUnitY() const;
  static double twipsPerPixel();
  RasterImage background(int width, int height) const;
  void rebuild();
  RasterImage& target() {
    materialize();
    return autoRedraw_ ? persistent_ : screen_;
  }
  // The layers are made when first used: until then they are the background
  // at their size (`pending_`, with only their sizes set).
  void materialize() const;
  void pend(int width, int height);
  void drawn();
  double pixelX(double x) const;
  double pixelY(double y) const;
  uint32_t penRgb(std::optional<OleColor> colour) const;
  DrawInk ink(uint32_t rgb, int16_t hatch = vbFSSolid);

  VectorPage* vector_ = nullptr;
  int vectorWidth_ = 0;
  int vectorHeight_ = 0;

  mutable RasterImage persistent_;
  mutable RasterImage screen_;
  mutable bool pending_ = false;
  Picture picture_;
  int16_t scaleMode_ = vbTwips;
  OleColor foreColor_ = vbButtonText;
  OleColor backColor_ = vbButtonFace;
  OleColor fillColor_ = 0;
  int16_t fillStyle_ = vbFSTransparent;
  int16_t drawWidth_ = 1;
  int16_t drawStyle_ = vbSolid;
  int16_t drawMode_ = vbCopyPen;
  bool fontTransparent_ = true;
  bool autoRedraw_ = false;
  Font font_;
  double currentX_ = 0;
  double currentY_ = 0;
};

}  // namespace svx
