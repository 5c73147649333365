// The one layout of scroll bars that drawing and hit-testing share.
#include "platform/graphics/scroll_bar_layout.h"

#include <gtest/gtest.h>

namespace svx {
namespace {

ScrollBarBox bar(int value, int min, int max, int page = 0) {
  ScrollBarBox b;
  b.horizontal = true;
  b.left = 10;
  b.top = 5;
  b.width = 200;
  b.height = 17;
  b.value = value;
  b.min = min;
  b.max = max;
  b.page = page;
  return b;
}

TEST(ScrollBarLayout, PartsAlongTheBarAndTheValueUnderTheThumb) {
  const ScrollBarBox b = bar(0, 0, 100);
  EXPECT_EQ(b.arrow(), 17);
  EXPECT_EQ(b.thumbLength(), 17);  // square without a page
  EXPECT_EQ(b.thumbStart(), 17);
  const struct {
    double x;
    ScrollPart part;
  } cases[] = {{10, ScrollPart::ArrowToMin},  {26.9, ScrollPart::ArrowToMin}, {27, ScrollPart::Thumb},
               {43.9, ScrollPart::Thumb},     {44, ScrollPart::TrackToMax},  {192.9, ScrollPart::TrackToMax},
               {193, ScrollPart::ArrowToMax}, {209.9, ScrollPart::ArrowToMax}, {210, ScrollPart::None},
               {9.9, ScrollPart::None}};
  for (const auto& c : cases) EXPECT_EQ(b.partAt(c.x, 10), c.part) << c.x;
  EXPECT_EQ(b.partAt(50, 4.9), ScrollPart::None);
  EXPECT_EQ(b.partAt(50, 22), ScrollPart::None);
  // Every value's thumb place gives the value back.
  for (int v : {0, 1, 37, 99, 100}) {
    ScrollBarBox at = bar(v, 0, 100);
    EXPECT_EQ(at.valueAtThumb(at.thumbStart()), v);
  }
  EXPECT_EQ(b.valueAtThumb(-50), 0);
  EXPECT_EQ(b.valueAtThumb(500), 100);
  // Half way along the track, the thumb splits the track in two.
  const ScrollBarBox half = bar(50, 0, 100);
  EXPECT_EQ(half.partAt(10 + 17 + 10, 10), ScrollPart::TrackToMin);
  EXPECT_EQ(half.partAt(10 + 200 - 17 - 10, 10), ScrollPart::TrackToMax);
}

TEST(ScrollBarLayout, AReversedRangeAPageAndABarWithNothingToScroll) {
  const ScrollBarBox reversed = bar(100, 100, 0);
  EXPECT_EQ(reversed.thumbStart(), 17);  // Value at Min: the start
  EXPECT_EQ(reversed.valueAtThumb(500), 0);
  const ScrollBarBox paged = bar(0, 0, 30, 10);  // a quarter of the track
  EXPECT_DOUBLE_EQ(paged.thumbLength(), (200 - 34) / 4.0);
  EXPECT_EQ(bar(0, 0, 10000, 1).thumbLength(), 8);  // never thinner than 8
  const ScrollBarBox still = bar(0, 0, 0);
  EXPECT_FALSE(still.hasThumb());
  EXPECT_EQ(still.partAt(15, 10), ScrollPart::None);
  ScrollBarBox off = bar(0, 0, 100);
  off.enabled = false;
  EXPECT_FALSE(off.hasThumb());
  EXPECT_EQ(off.partAt(15, 10), ScrollPart::None);
  ScrollBarBox tiny = bar(0, 0, 100);
  tiny.width = 30;  // only the arrows fit
  EXPECT_FALSE(tiny.hasThumb());
  EXPECT_EQ(tiny.partAt(12, 10), ScrollPart::ArrowToMin);
  EXPECT_EQ(tiny.partAt(38, 10), ScrollPart::ArrowToMax);
}

TEST(ScrollBarLayout, AListShowsItsBarsWhenItsItemsOrItsExtentDoNotFit) {
  // 100 x 62 pixels, rows of 15: 4 rows.
  ListBoxLayout l = listBoxLayout(100, 62, 15, 4, 0, 0, 0);
  EXPECT_EQ(l.visibleRows, 4);
  EXPECT_FALSE(l.vertical);
  EXPECT_FALSE(l.horizontal);
  l = listBoxLayout(100, 62, 15, 5, 3, 0, 0);
  ASSERT_TRUE(l.vertical);
  EXPECT_EQ(l.vertical->max, 1);
  EXPECT_EQ(l.vertical->value, 1);  // clamped to the range
  EXPECT_EQ(l.rowsWidth, 98 - 16);
  // The extent against the width of the rows (less the vertical bar).
  EXPECT_FALSE(listBoxLayout(100, 62, 15, 4, 0, 96, 0).horizontal);
  EXPECT_TRUE(listBoxLayout(100, 62, 15, 4, 0, 97, 0).horizontal);
  EXPECT_FALSE(listBoxLayout(100, 62, 15, 5, 0, 80, 0).horizontal);
  EXPECT_TRUE(listBoxLayout(100, 62, 15, 5, 0, 81, 0).horizontal);
  // The horizontal bar takes a row, which may call for the vertical one.
  l = listBoxLayout(100, 62, 15, 4, 0, 200, 500);
  ASSERT_TRUE(l.horizontal);
  ASSERT_TRUE(l.vertical);
  EXPECT_EQ(l.visibleRows, 2);  // (60 - 16) / 15
  EXPECT_EQ(l.horizontal->max, 200 - 82 + 2);
  EXPECT_EQ(l.horizontal->value, l.horizontal->max);
}

TEST(ScrollBarLayout, ATextBoxShowsTheBarsItsScrollBarsName) {
  TextBoxLayout l = textBoxLayout(150, 80, 0);
  EXPECT_FALSE(l.vertical || l.horizontal);
  EXPECT_TRUE(l.wraps());
  l = textBoxLayout(150, 80, 2);
  ASSERT_TRUE(l.vertical);
  EXPECT_FALSE(l.horizontal);
  EXPECT_TRUE(l.wraps());
  EXPECT_EQ(l.vertical->left, 150 - 1 - 16);
  EXPECT_EQ(l.vertical->height, 78);
  l = textBoxLayout(150, 80, 1);
  EXPECT_FALSE(l.vertical);
  ASSERT_TRUE(l.horizontal);
  EXPECT_FALSE(l.wraps());
  l = textBoxLayout(150, 80, 3);
  ASSERT_TRUE(l.vertical && l.horizontal);
  EXPECT_EQ(l.vertical->height, 78 - 16);
  EXPECT_EQ(l.horizontal->width, 148 - 16);
}

}  // namespace
}  // namespace svx
