#include "platform/graphics/draw_surface.h"

#include <gtest/gtest.h>

#include <numbers>

#include "platform/graphics/units.h"
#include "tests/platform/graphics/graphics_test_util.h"

namespace svx {
namespace {

using test::errorOf;

constexpr uint32_t white = 0xFFFFFF;  // 0xRRGGBB of the pixels
constexpr OleColor red = 0x0000FF;    // OLE colours
constexpr OleColor blue = 0xFF0000;
constexpr double pi = std::numbers::pi;

uint32_t rgbAt(const DrawSurface& s, int x, int y) { return s.image().at(x, y) & 0xFFFFFF; }
bool isRed(const DrawSurface& s, int x, int y) { return rgbAt(s, x, y) == 0xFF0000; }
double tw(int pixels) { return pixels * TwipsPerPixel; }

// A white surface of w x h pixels.
DrawSurface whiteSurface(int w, int h) {
  DrawSurface s(w, h);
  s.setBackColor(0xFFFFFF);
  return s;
}

int countColoured(const DrawSurface& s) {
  int n = 0;
  for (uint32_t p : s.image().pixels) n += (p & 0xFFFFFF) != white;
  return n;
}

TEST(DrawSurface, StartsWithTheButtonFaceAndTheRuntimeDefaults) {
  DrawSurface s(4, 3);
  EXPECT_EQ(rgbAt(s, 0, 0), 0xF0F0F0u);
  EXPECT_EQ(s.foreColor(), vbButtonText);
  EXPECT_EQ(s.fillStyle(), vbFSTransparent);
  EXPECT_EQ(s.drawMode(), vbCopyPen);
  EXPECT_EQ(s.drawWidth(), 1);
  EXPECT_DOUBLE_EQ(s.scaleWidth(), 60);
  EXPECT_DOUBLE_EQ(s.scaleHeight(), 45);
}

// The layers are made when first used: what was set before then (colour,
// size, drawing state) is what they show, and a copy is independent.
TEST(DrawSurface, LayersMadeWhenFirstUsedShowWhatWasSetBefore) {
  DrawSurface s(4, 3);
  s.setBackColor(0x0000FF);  // red as an OLE colour
  s.resize(6, 5);
  EXPECT_EQ(s.widthPixels(), 6);
  EXPECT_EQ(s.heightPixels(), 5);
  EXPECT_EQ(s.Point(tw(5), tw(4)), 0x0000FF);
  ASSERT_EQ(s.image().pixels.size(), 30u);
  EXPECT_TRUE(isRed(s, 5, 4));
  EXPECT_EQ(s.persistentImage().pixels.size(), 30u);

  DrawSurface fresh(3, 2);
  DrawSurface copy = fresh;
  copy.setBackColor(0xFFFFFF);
  EXPECT_EQ(rgbAt(fresh, 2, 1), 0xF0F0F0u);
  EXPECT_EQ(rgbAt(copy, 2, 1), 0xFFFFFFu);
  fresh.Cls();
  EXPECT_EQ(fresh.image().pixels.size(), 6u);
}

TEST(DrawSurface, PSetLandsOnThePixelOfItsTwipsAndPointReadsItBack) {
  DrawSurface s = whiteSurface(20, 20);
  s.PSet(150, 150, red);
  EXPECT_TRUE(isRed(s, 10, 10));
  EXPECT_EQ(countColoured(s), 1);
  EXPECT_EQ(s.Point(150, 150), 0x0000FF);
  EXPECT_EQ(s.Point(0, 0), 0xFFFFFF);
  EXPECT_EQ(s.Point(tw(20), 0), -1);
  EXPECT_EQ(s.Point(-15, 0), -1);
  EXPECT_DOUBLE_EQ(s.currentX(), 150);
  EXPECT_DOUBLE_EQ(s.currentY(), 150);
}

TEST(DrawSurface, PSetWithoutColourUsesForeColorAndPixelScaleWorks) {
  DrawSurface s = whiteSurface(20, 20);
  s.setForeColor(blue);
  s.setScaleMode(vbPixels);
  s.PSet(3, 4);
  EXPECT_EQ(rgbAt(s, 3, 4), 0x0000FFu);
  EXPECT_DOUBLE_EQ(s.scaleWidth(), 20);
}

TEST(DrawSurface, LineDrawsBothEndsAndMovesTheCurrentPoint) {
  DrawSurface s = whiteSurface(20, 5);
  s.Line(0, tw(2), tw(10), tw(2), red);
  for (int x = 0; x <= 10; ++x) EXPECT_TRUE(isRed(s, x, 2)) << x;
  EXPECT_FALSE(isRed(s, 11, 2));
  EXPECT_EQ(countColoured(s), 11);
  EXPECT_DOUBLE_EQ(s.currentX(), tw(10));
  EXPECT_DOUBLE_EQ(s.currentY(), tw(2));
}

TEST(DrawSurface, FilledBoxCoversBothCornersAndNothingElse) {
  DrawSurface s = whiteSurface(20, 20);
  s.Line(tw(8), tw(7), tw(2), tw(3), red, LineShape::FilledBox);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(isRed(s, x, y), x >= 2 && x <= 8 && y >= 3 && y <= 7) << x << "," << y;
  EXPECT_DOUBLE_EQ(s.currentX(), tw(2));
}

TEST(DrawSurface, BoxIsOutlinedAndFilledByFillStyle) {
  DrawSurface s = whiteSurface(20, 20);
  s.Line(tw(2), tw(2), tw(10), tw(10), red, LineShape::Box);
  EXPECT_TRUE(isRed(s, 2, 2));
  EXPECT_TRUE(isRed(s, 10, 6));
  EXPECT_TRUE(isRed(s, 6, 10));
  EXPECT_EQ(rgbAt(s, 6, 6), white);  // transparent fill by default

  s.setFillStyle(vbFSSolid);
  s.setFillColor(blue);
  s.Line(tw(2), tw(2), tw(10), tw(10), red, LineShape::Box);
  EXPECT_EQ(rgbAt(s, 6, 6), 0x0000FFu);
  EXPECT_TRUE(isRed(s, 2, 6));
}

TEST(DrawSurface, HatchedFillCoversOnlyItsLines) {
  DrawSurface s = whiteSurface(20, 20);
  s.setFillStyle(vbHorizontalLine);
  s.setFillColor(blue);
  s.Line(tw(1), tw(1), tw(18), tw(18), red, LineShape::Box);
  EXPECT_EQ(rgbAt(s, 5, 8), 0x0000FFu);
  EXPECT_EQ(rgbAt(s, 5, 9), white);
  EXPECT_EQ(rgbAt(s, 5, 16), 0x0000FFu);
}

TEST(DrawSurface, DrawWidthWidensLinesAndDots) {
  DrawSurface s = whiteSurface(20, 20);
  s.setDrawWidth(5);
  s.Line(tw(5), tw(10), tw(15), tw(10), red);
  EXPECT_TRUE(isRed(s, 10, 8));
  EXPECT_TRUE(isRed(s, 10, 12));
  EXPECT_FALSE(isRed(s, 10, 7));
  EXPECT_FALSE(isRed(s, 10, 13));

  DrawSurface d = whiteSurface(20, 20);
  d.setDrawWidth(5);
  d.PSet(tw(10), tw(10), red);
  EXPECT_TRUE(isRed(d, 8, 10));
  EXPECT_TRUE(isRed(d, 12, 10));
  EXPECT_FALSE(isRed(d, 13, 10));
  EXPECT_FALSE(isRed(d, 12, 12));  // round
}

TEST(DrawSurface, DrawStyleDashesOneWideLinesAndInvisibleDrawsNothing) {
  DrawSurface s = whiteSurface(60, 3);
  s.setDrawStyle(vbDash);
  s.Line(0, tw(1), tw(59), tw(1), red);
  int on = 0;
  for (int x = 0; x < 60; ++x) on += isRed(s, x, 1);
  EXPECT_GT(on, 30);
  EXPECT_LT(on, 55);

  DrawSurface t = whiteSurface(10, 10);
  t.setDrawStyle(vbInvisible);
  t.Line(0, 0, tw(9), tw(9), red);
  t.Line(0, 0, tw(9), tw(9), red, LineShape::Box);
  EXPECT_EQ(countColoured(t), 0);
}

TEST(DrawSurface, InsideSolidKeepsAWideBoxInsideItsCorners) {
  DrawSurface s = whiteSurface(20, 20);
  s.setDrawWidth(5);
  s.setDrawStyle(vbInsideSolid);
  s.Line(tw(5), tw(5), tw(15), tw(15), red, LineShape::Box);
  EXPECT_TRUE(isRed(s, 5, 10));
  EXPECT_TRUE(isRed(s, 9, 10));
  EXPECT_FALSE(isRed(s, 4, 10));
  EXPECT_FALSE(isRed(s, 10, 10));
}

TEST(DrawSurface, DrawModesCombinePenAndScreen) {
  struct Case {
    int16_t mode;
    uint32_t expected;  // pen red on a white screen, 0xRRGGBB
  };
  const Case cases[] = {
      {vbCopyPen, 0xFF0000}, {vbInvert, 0x000000},    {vbXorPen, 0x00FFFF},     {vbBlackness, 0x000000},
      {vbWhiteness, 0xFFFFFF}, {vbNotCopyPen, 0x00FFFF}, {vbMaskPen, 0xFF0000}, {vbNop, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    DrawSurface s = whiteSurface(5, 5);
    s.setDrawMode(c.mode);
    s.Line(0, tw(2), tw(4), tw(2), red);
    EXPECT_EQ(rgbAt(s, 2, 2), c.expected) << c.mode;
  }
  // Xor twice restores the screen.
  DrawSurface s = whiteSurface(5, 5);
  s.setDrawMode(vbXorPen);
  s.PSet(tw(2), tw(2), red);
  s.PSet(tw(2), tw(2), red);
  EXPECT_EQ(rgbAt(s, 2, 2), white);
}

TEST(DrawSurface, CircleFollowsRadiusAspectAndCentre) {
  struct Case {
    std::optional<double> aspect;
    int right, top;  // extent from the centre in pixels
  };
  const Case cases[] = {{std::nullopt, 10, 10}, {0.5, 10, 5}, {2.0, 5, 10}};
  for (const auto& c : cases) {
    DrawSurface s = whiteSurface(41, 41);
    s.Circle(tw(20), tw(20), tw(10), red, std::nullopt, std::nullopt, c.aspect);
    if (c.aspect) s = whiteSurface(41, 41), s.Circle(tw(20), tw(20), tw(10), red, 0.0, 2 * pi, c.aspect);
    EXPECT_TRUE(isRed(s, 20 + c.right, 20)) << c.right;
    EXPECT_TRUE(isRed(s, 20 - c.right, 20));
    EXPECT_TRUE(isRed(s, 20, 20 - c.top)) << c.top;
    EXPECT_TRUE(isRed(s, 20, 20 + c.top));
    EXPECT_FALSE(isRed(s, 20 + c.right + 1, 20));
    EXPECT_FALSE(isRed(s, 20, 20 - c.top - 1));
    EXPECT_FALSE(isRed(s, 20, 20));
    EXPECT_DOUBLE_EQ(s.currentX(), tw(20));
    EXPECT_DOUBLE_EQ(s.currentY(), tw(20));
  }
}

TEST(DrawSurface, ArcsRunCounterClockwiseAndNegativeAnglesDrawRadii) {
  DrawSurface arc = whiteSurface(41, 41);
  arc.Circle(tw(20), tw(20), tw(10), red, 0.0, pi / 2);
  EXPECT_TRUE(isRed(arc, 30, 20));   // 3 o'clock
  EXPECT_TRUE(isRed(arc, 20, 10));   // 12 o'clock
  EXPECT_TRUE(isRed(arc, 27, 13));   // in between
  EXPECT_FALSE(isRed(arc, 10, 20));  // 9 o'clock
  EXPECT_FALSE(isRed(arc, 20, 30));  // 6 o'clock
  EXPECT_FALSE(isRed(arc, 25, 20));  // no radius

  DrawSurface pie = whiteSurface(41, 41);
  pie.setFillStyle(vbFSSolid);
  pie.setFillColor(blue);
  pie.Circle(tw(20), tw(20), tw(10), red, -0.000001, -pi / 2);
  EXPECT_TRUE(isRed(pie, 25, 20));             // radius to 3 o'clock
  EXPECT_TRUE(isRed(pie, 20, 15));             // radius to 12 o'clock
  EXPECT_EQ(rgbAt(pie, 24, 16), 0x0000FFu);    // filled slice
  EXPECT_EQ(rgbAt(pie, 16, 24), white);        // outside the slice

  DrawSurface bad = whiteSurface(5, 5);
  EXPECT_EQ(errorOf([&] { bad.Circle(0, 0, 10, red, 7.0); }), err::InvalidProcedureCall);
}

TEST(DrawSurface, FullCircleIsFilledByFillStyle) {
  DrawSurface s = whiteSurface(41, 41);
  s.setFillStyle(vbFSSolid);
  s.setFillColor(blue);
  s.Circle(tw(20), tw(20), tw(10), red);
  EXPECT_EQ(rgbAt(s, 20, 20), 0x0000FFu);
  EXPECT_EQ(rgbAt(s, 3, 3), white);
}

TEST(DrawSurface, AbsurdCoordinatesDoNotCrash) {
  DrawSurface s = whiteSurface(10, 10);
  s.Line(-1e30, tw(5), 1e30, tw(5), red);
  EXPECT_TRUE(isRed(s, 5, 5));
  s.Circle(0, 0, 1e30, red);
  EXPECT_EQ(errorOf([&] { s.PSet(std::numeric_limits<double>::infinity(), 0); }), err::InvalidProcedureCall);
}

TEST(DrawSurface, PropertiesRefuseValuesTheyDoNotTake) {
  DrawSurface s;
  EXPECT_EQ(errorOf([&] { s.setFillStyle(8); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setDrawWidth(0); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setDrawStyle(7); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setDrawMode(0); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setScaleMode(0); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setForeColor(0x800000FFu); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.setFont(Font{u"Tahoma", 0}); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { s.PSet(0, 0, 0x05000000u); }), err::InvalidPropertyValue);
  EXPECT_EQ(s.fillStyle(), vbFSTransparent);
  EXPECT_EQ(errorOf([&] { s.setForeColor(vbHighlight); }), 0);
}

TEST(DrawSurface, SystemColoursResolveThroughTheInstalledLookup) {
  setSysColorLookup([](int index) { return index == 15 ? 0x00FF00u : 0u; });
  DrawSurface s(2, 2);
  EXPECT_EQ(rgbAt(s, 0, 0), 0x00FF00u);
  setSysColorLookup({});
  DrawSurface t(2, 2);
  EXPECT_EQ(rgbAt(t, 0, 0), 0xF0F0F0u);
}

// Pictures of one colour (0xRRGGBB) for the raster operations.
Picture solidPicture(int w, int h, uint32_t rgb) {
  return Picture::fromImage(test::makeImage(w, h, [&](int, int) { return rgb; }));
}

TEST(DrawSurface, PaintPictureRasterOperationsWorkPerChannel) {
  constexpr uint32_t src = 0xF0A05A, dst = 0x3C96C8;  // 0xRRGGBB
  struct Case {
    int32_t opcode;
    uint32_t expected;
  };
  const Case cases[] = {
      {vbSrcCopy, src},
      {vbSrcPaint, src | dst},
      {vbSrcAnd, src & dst},
      {vbSrcInvert, src ^ dst},
      {vbSrcErase, src & ~dst & 0xFFFFFF},
      {vbNotSrcCopy, ~src & 0xFFFFFF},
      {vbDstInvert, ~dst & 0xFFFFFF},
      {vbMergePaint, (~src | dst) & 0xFFFFFF},
      {vbNotSrcErase, ~(src | dst) & 0xFFFFFF},
  };
  const Picture picture = solidPicture(3, 3, src);
  for (const auto& c : cases) {
    DrawSurface s(6, 6);
    s.setBackColor(rgbToOle(dst));
    s.PaintPicture(picture, tw(1), tw(1), std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                   std::nullopt, c.opcode);
    EXPECT_EQ(rgbAt(s, 2, 2), c.expected) << std::hex << c.opcode;
    EXPECT_EQ(rgbAt(s, 0, 0), dst);
    EXPECT_EQ(rgbAt(s, 4, 4), dst);
  }
}

TEST(DrawSurface, PaintPictureScalesCropsAndMirrors) {
  // 2 x 2: red, green / blue, white.
  const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const Picture picture = Picture::fromImage(test::makeImage(2, 2, [&](int x, int y) { return colours[y * 2 + x]; }));
  const uint32_t black = 0;

  DrawSurface own(6, 6);
  own.setBackColor(0);
  own.PaintPicture(picture, 0, 0);
  EXPECT_EQ(rgbAt(own, 1, 0), 0x00FF00u);
  EXPECT_EQ(rgbAt(own, 2, 0), black);

  DrawSurface scaled(6, 6);
  scaled.setBackColor(0);
  scaled.PaintPicture(picture, 0, 0, tw(4), tw(4));
  EXPECT_EQ(rgbAt(scaled, 1, 1), 0xFF0000u);
  EXPECT_EQ(rgbAt(scaled, 2, 1), 0x00FF00u);
  EXPECT_EQ(rgbAt(scaled, 3, 3), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(scaled, 4, 0), black);

  DrawSurface part(6, 6);
  part.setBackColor(0);
  part.PaintPicture(picture, 0, 0, tw(2), tw(2), tw(1), tw(1), tw(1), tw(1));
  EXPECT_EQ(rgbAt(part, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(part, 1, 1), 0xFFFFFFu);

  DrawSurface mirrored(6, 6);
  mirrored.setBackColor(0);
  mirrored.PaintPicture(picture, tw(2), 0, -tw(2));
  EXPECT_EQ(rgbAt(mirrored, 0, 0), 0x00FF00u);
  EXPECT_EQ(rgbAt(mirrored, 1, 0), 0xFF0000u);

  DrawSurface none(2, 2);
  EXPECT_EQ(errorOf([&] { none.PaintPicture(Picture(), 0, 0); }), err::InvalidPicture);
}

TEST(DrawSurface, PaintPictureLeavesTransparentPixelsAlone) {
  RasterImage image(2, 1);
  image.at(0, 0) = 0xFFFF0000u;  // opaque red
  image.at(1, 0) = 0;            // transparent
  const Picture picture = Picture::fromImage(image);
  DrawSurface s = whiteSurface(2, 1);
  s.PaintPicture(picture, 0, 0);
  EXPECT_EQ(rgbAt(s, 0, 0), 0xFF0000u);
  EXPECT_EQ(rgbAt(s, 1, 0), white);
}

TEST(DrawSurface, PrintAdvancesLineByLine) {
  DrawSurface s = whiteSurface(200, 100);
  s.setFont(Font{u"Tahoma", 8.25});
  s.setForeColor(0);
  const double lineHeight = s.TextHeight(u"A");
  EXPECT_GT(lineHeight, 0);
  EXPECT_DOUBLE_EQ(std::fmod(lineHeight, TwipsPerPixel), 0);

  s.setCurrentX(300);
  s.Print(u"Hello");
  EXPECT_DOUBLE_EQ(s.currentX(), 0);
  EXPECT_DOUBLE_EQ(s.currentY(), lineHeight);
  s.Print(u"World");
  EXPECT_DOUBLE_EQ(s.currentY(), 2 * lineHeight);
  EXPECT_GT(countColoured(s), 20);

  // The first line starts at CurrentX 300 twips (pixel 20), the second at 0.
  bool inkLeftOfFirst = false, inkOfFirst = false;
  for (int y = 0; y < lineHeight / TwipsPerPixel; ++y)
    for (int x = 0; x < 200; ++x) {
      if (rgbAt(s, x, y) == white) continue;
      (x < 20 ? inkLeftOfFirst : inkOfFirst) = true;
    }
  EXPECT_FALSE(inkLeftOfFirst);
  EXPECT_TRUE(inkOfFirst);

  s.Print(u"ab", false);
  EXPECT_DOUBLE_EQ(s.currentX(), s.TextWidth(u"ab"));
  EXPECT_DOUBLE_EQ(s.currentY(), 2 * lineHeight);
  s.Print(u"one\r\ntwo");
  EXPECT_DOUBLE_EQ(s.currentY(), 4 * lineHeight);
}

TEST(DrawSurface, TextMetricsFollowTheFont) {
  DrawSurface s;
  s.setFont(Font{u"Tahoma", 8.25});
  const double one = s.TextWidth(u"W");
  EXPECT_GT(one, 0);
  EXPECT_NEAR(s.TextWidth(u"WW"), 2 * one, TwipsPerPixel);
  EXPECT_DOUBLE_EQ(s.TextWidth(u""), 0);
  EXPECT_DOUBLE_EQ(s.TextHeight(u"a\r\nb"), 2 * s.TextHeight(u"a"));
  EXPECT_DOUBLE_EQ(s.TextWidth(u"ab\ncdef"), s.TextWidth(u"cdef"));

  const double small = s.TextHeight(u"A");
  s.setFont(Font{u"Tahoma", 16, true});
  EXPECT_GT(s.TextHeight(u"A"), small);
  EXPECT_GT(s.TextWidth(u"W"), one);
}

TEST(DrawSurface, PrintTabMovesToColumnsAndWrapsWhenPast) {
  DrawSurface s(400, 100);
  s.PrintTab(10);
  const double column10 = s.currentX();
  EXPECT_GT(column10, 0);
  s.Print(u"wide text here", false);
  s.PrintTab(2);
  EXPECT_LT(s.currentX(), column10);
  EXPECT_DOUBLE_EQ(s.currentY(), s.TextHeight(u"A"));
}

TEST(DrawSurface, ClsClearsBackToBackColorAndPicture) {
  DrawSurface s = whiteSurface(10, 10);
  s.setPicture(solidPicture(2, 2, 0x00FF00));
  EXPECT_EQ(rgbAt(s, 1, 1), 0x00FF00u);
  s.Line(0, 0, tw(9), tw(9), red, LineShape::FilledBox);
  s.Cls();
  EXPECT_EQ(rgbAt(s, 1, 1), 0x00FF00u);
  EXPECT_EQ(rgbAt(s, 5, 5), white);
  EXPECT_DOUBLE_EQ(s.currentX(), 0);
  EXPECT_DOUBLE_EQ(s.currentY(), 0);
  EXPECT_EQ(s.picture().widthPixels(), 2);
}

TEST(DrawSurface, AutoRedrawDecidesWhatSurvivesARepaint) {
  DrawSurface s = whiteSurface(10, 10);
  s.PSet(tw(1), tw(1), red);
  EXPECT_TRUE(s.repaint());
  EXPECT_EQ(rgbAt(s, 1, 1), white);

  s.setAutoRedraw(true);
  s.PSet(tw(2), tw(2), red);
  EXPECT_FALSE(s.repaint());
  EXPECT_TRUE(isRed(s, 2, 2));
  EXPECT_EQ(s.imagePicture().image().at(2, 2) & 0xFFFFFF, 0xFF0000u);

  // Drawings made with AutoRedraw True stay when Cls runs with it False.
  s.setAutoRedraw(false);
  s.PSet(tw(3), tw(3), red);
  s.Cls();
  EXPECT_TRUE(isRed(s, 2, 2));
  EXPECT_FALSE(isRed(s, 3, 3));

  // Setting BackColor erases everything.
  s.setBackColor(0xFFFFFF);
  EXPECT_FALSE(isRed(s, 2, 2));
}

TEST(DrawSurface, ResizeKeepsWhatBothSizesShare) {
  DrawSurface s = whiteSurface(4, 4);
  s.PSet(tw(1), tw(1), red);
  s.resize(8, 6);
  EXPECT_EQ(s.widthPixels(), 8);
  EXPECT_EQ(s.heightPixels(), 6);
  EXPECT_TRUE(isRed(s, 1, 1));
  EXPECT_EQ(rgbAt(s, 7, 5), white);
}

}  // namespace
}  // namespace svx
