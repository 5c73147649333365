#include <gtest/gtest.h>

#include "core/surface_drawing.h"

namespace svx {
namespace {

constexpr OleColor kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;

class SurfaceDrawing : public ::testing::Test {
 protected:
  SurfaceDrawing() : s(40, 40) {
    s.setBackColor(kWhite);
    s.setForeColor(kBlack);
  }
  int32_t at(double x, double y) const { return s.Point(x, y); }
  Variant n = Variant(99), d = Variant(u"old");
  Variant m = Variant::missing();
  DrawSurface s;
};

TEST_F(SurfaceDrawing, SuccessLeavesZeroAsAnIntegerAndEmptyText) {
  Variant x(150), y(150);
  PSetAbsolute(s, x, y, m, n, d);
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(n.asI2(), 0);
  EXPECT_EQ(d.asBStr(), u"");
  EXPECT_EQ(at(150, 150), static_cast<int32_t>(kBlack));
  Variant colour(static_cast<int32_t>(kRed)), x2(300);
  PSetAbsolute(s, x2, y, colour, n, d);
  EXPECT_EQ(at(300, 150), static_cast<int32_t>(kRed));
}

TEST_F(SurfaceDrawing, AMissingOptionalCutsOffEveryLaterOne) {
  // A start angle without a colour draws the full circle in the ForeColor.
  Variant x(300), y(300), r(150), start(0.0), end(1.0);
  CircleAbsolute(s, x, y, r, m, start, end, m, n, d);
  EXPECT_EQ(n.asI2(), 0);
  EXPECT_EQ(at(300, 450), static_cast<int32_t>(kBlack));  // the bottom of the circle
}

TEST_F(SurfaceDrawing, LineFormsAreChosenByPresence) {
  Variant x1(30), y1(30), x2(450), y2(450), colour(static_cast<int32_t>(kBlue)), no(false);
  // boolFill without boolBox: a plain line (the centre of the box stays white).
  LineAbsolute(s, x1, y1, x2, y2, colour, m, no, n, d);
  EXPECT_EQ(at(240, 240), static_cast<int32_t>(kBlue));
  EXPECT_EQ(at(300, 150), static_cast<int32_t>(kWhite));
  // boolBox False still draws a box; with boolFill a filled box.
  Variant a(90), b(150);
  LineAbsolute(s, a, a, b, b, colour, no, m, n, d);
  EXPECT_EQ(at(90, 120), static_cast<int32_t>(kBlue));
  Variant c(300), e(420);
  LineAbsolute(s, c, a, e, b, colour, no, no, n, d);
  EXPECT_EQ(at(360, 120), static_cast<int32_t>(kBlue));
  // A box without a colour: on the form the missing colour does not convert;
  // on a picture box (and the printer) the box takes the ForeColor.
  LineAbsolute(s, a, a, b, b, m, no, m, n, d, BoxColour::Required);
  EXPECT_EQ(n.asI4(), 13);
  s.setForeColor(kRed);
  Variant f(510), g(570);
  LineAbsolute(s, f, a, g, b, m, no, m, n, d);
  EXPECT_EQ(n.asI2(), 0);
  EXPECT_EQ(at(510, 120), static_cast<int32_t>(kRed));
}

TEST_F(SurfaceDrawing, PaintPictureRefusesWhatIsNotAnArray) {
  Variant text(u"not bytes"), x(0);
  PaintPictureAbsolute(s, text, x, x, m, m, m, m, m, m, m, n, d);
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(n.asI2(), -300);
  EXPECT_EQ(d.asBStr(), kNotAByteArrayMessage);
  Variant bad(SafeArray::variants({1, 2, 3}));
  PaintPictureAbsolute(s, bad, x, x, m, m, m, m, m, m, m, n, d);
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_EQ(n.asI4(), 481);
}

TEST_F(SurfaceDrawing, AValueThatDoesNotConvertIsReported) {
  Variant x(u"abc"), y(0);
  PSetAbsolute(s, x, y, m, n, d);
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_EQ(n.asI4(), 13);
  Variant none1 = Variant::missing(), none2 = Variant::missing();
  EXPECT_NO_THROW(PSetAbsolute(s, x, y, m, none1, none2));
}

TEST_F(SurfaceDrawing, TwoPrintsGiveTwoLines) {
  Variant a(u"one"), b(u"two");
  PrintText(s, a, n, d);
  const double afterFirst = s.currentY();
  PrintText(s, b, n, d);
  EXPECT_GT(afterFirst, 0);
  EXPECT_DOUBLE_EQ(s.currentY(), 2 * afterFirst);
  EXPECT_EQ(s.currentX(), 0);
}

TEST(PrintForm, NumbersCarryASignBlank) {
  EXPECT_EQ(printForm(Variant(5)), u" 5 ");
  EXPECT_EQ(printForm(Variant(-2.5)), u"-2.5 ");
  EXPECT_EQ(printForm(Variant(true)), u"True");
  EXPECT_EQ(printForm(Variant::null()), u"Null");
  EXPECT_EQ(printForm(Variant(u"x")), u"x");
}

}  // namespace
}  // namespace svx
