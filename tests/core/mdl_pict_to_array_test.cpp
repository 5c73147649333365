#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include "core/mdl_pict_to_array.h"
#include "platform/automation/error.h"

namespace svx {
namespace {

using svx::testing::errorOf;

// A 2 x 1 pixel 24-bit BMP file.
std::vector<uint8_t> tinyBmp() {
  std::vector<uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,   // file header
                            40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // info header
                            0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0, 0, 255, 255, 0, 0, 0, 0};  // a red and a blue pixel, row padded to 8
  const auto size = static_cast<uint32_t>(b.size());
  for (int i = 0; i < 4; ++i) b[2 + i] = static_cast<uint8_t>(size >> (8 * i));
  return b;
}

SafeArray bytesOf(const std::vector<uint8_t>& v, int32_t lower = 0) { return SafeArray::bytes(v, lower); }

TEST(PictureByteArrays, OutgoingArrayStartsWithTheTagAndLength) {
  const Picture p = ByteArrayToPicture(bytesOf(tinyBmp()));
  ASSERT_EQ(p.type(), PictureType::Bitmap);
  EXPECT_EQ(p.widthPixels(), 2);
  const SafeArray out = PictureToByteArray(p);
  EXPECT_EQ(out.lbound(), 0);
  const auto data = out.byteData();
  ASSERT_GE(data.size(), 8u);
  EXPECT_EQ(data[0], 0x6C);
  EXPECT_EQ(data[1], 0x74);
  EXPECT_EQ(data[2], 0x00);
  EXPECT_EQ(data[3], 0x00);
  const uint32_t len = data[4] | data[5] << 8 | data[6] << 16 | static_cast<uint32_t>(data[7]) << 24;
  EXPECT_EQ(len, data.size() - 8);
}

TEST(PictureByteArrays, LowerBoundOtherThanZeroAndRoundTrip) {
  const Picture p = ByteArrayToPicture(bytesOf(tinyBmp(), 5));
  EXPECT_EQ(p.widthPixels(), 2);
  // An array taken out and handed back in carries a second header.
  const Picture back = ByteArrayToPicture(PictureToByteArray(p));
  EXPECT_EQ(back.widthPixels(), 2);
  EXPECT_EQ(back.heightPixels(), 1);
}

TEST(PictureByteArrays, FailuresGoToTheCaller) {
  EXPECT_EQ(errorOf([] { ByteArrayToPicture(bytesOf({1, 2, 3})); }), 481);
  EXPECT_EQ(errorOf([] { ByteArrayToPicture(SafeArray(VT_UI1, {})); }), 9);  // never dimensioned
}

TEST(ByteArrayIntakeTest, ConvertsEveryElementOrFails) {
  const SafeArray ok = ByteArrayIntake(Variant(SafeArray::variants({1, u"2", 255.0}, 3)));
  EXPECT_EQ(ok.lbound(), 3);
  EXPECT_EQ(ok.get(4).asUI1(), 2);
  EXPECT_EQ(errorOf([] { ByteArrayIntake(Variant(SafeArray::variants({300}))); }), 6);
  EXPECT_EQ(errorOf([] { ByteArrayIntake(Variant(SafeArray::variants({u"word"}))); }), 13);
  EXPECT_EQ(errorOf([] { ByteArrayIntake(Variant(SafeArray(VT_VARIANT, {{0, 0}}))); }), 9);
  EXPECT_EQ(errorOf([] { ByteArrayIntake(Variant(SafeArray(VT_VARIANT, {{0, 2}, {0, 2}}))); }), 9);
  // An array ending at the highest index is copied element by element, once.
  const SafeArray top = ByteArrayIntake(Variant(SafeArray::variants({7, 8}, INT32_MAX - 1)));
  EXPECT_EQ(top.ubound(), INT32_MAX);
  EXPECT_EQ(top.get(INT32_MAX).asUI1(), 8);
}

}  // namespace
}  // namespace svx
