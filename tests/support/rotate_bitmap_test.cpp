#include <gtest/gtest.h>

#include <numbers>
#include <set>

#include "support/qm_tools.h"

namespace celwright {
namespace {

constexpr double kQuarter = std::numbers::pi / 2;
constexpr double kClockwise = 4.71238898038469;  // the menu command's three quarters

// Every pixel a distinct colour, so a rotation's result shows where each pixel went.
Bitmap NumberedPicture(int width, int height) {
  Bitmap picture(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, static_cast<TColor>(y * width + x + 1));
  }
  return picture;
}

TEST(RotateBitmap, QuarterTurnIsAnExactCounterClockwisePermutation) {
  const Bitmap picture = NumberedPicture(32, 32);
  const Bitmap turned = RotateBitmap(picture, 16, 16, 0xFF0000, kQuarter);
  std::set<TColor> seen;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) seen.insert(turned.GetPixel(x, y));
  }
  EXPECT_EQ(seen.size(), 32u * 32u);
  EXPECT_EQ(seen.count(0xFF0000), 0u);
  // Counter-clockwise on screen: the top-right corner moves to the top-left.
  EXPECT_EQ(turned.GetPixel(0, 0), picture.GetPixel(31, 0));
  EXPECT_EQ(turned.GetPixel(0, 31), picture.GetPixel(0, 0));
}

TEST(RotateBitmap, FourQuarterTurnsGiveThePictureBack) {
  for (const double angle : {kQuarter, kClockwise}) {
    const Bitmap picture = NumberedPicture(32, 32);
    Bitmap turned = picture;
    for (int i = 0; i < 4; ++i) turned = RotateBitmap(turned, 16, 16, 0, angle);
    EXPECT_EQ(turned, picture) << angle;
  }
}

TEST(RotateBitmap, UncoveredPixelsTakeTheFillInEveryKind) {
  Bitmap colour = NumberedPicture(10, 4);
  const Bitmap turned = RotateBitmap(colour, 5, 2, 0x123456, kQuarter);
  EXPECT_EQ(turned.GetPixel(0, 0), 0x123456u);  // outside the 4-high source band

  Bitmap indexed(10, 4, PixelFormat::Bits8);
  indexed.ColorTable()[7] = {1, 2, 3};
  const Bitmap turned_indexed = RotateBitmap(indexed, 5, 2, 0x0407, kQuarter);
  EXPECT_EQ(turned_indexed.GetIndex(0, 0), 7);  // the fill's low byte is the index
  EXPECT_EQ(turned_indexed.ColorTable()[7], (RGBTriple{1, 2, 3}));

  Bitmap mask(10, 4, PixelFormat::Bits1);
  const Bitmap turned_mask = RotateBitmap(mask, 5, 2, 0xFFFFFF, kQuarter);
  EXPECT_EQ(turned_mask.GetIndex(0, 0), 1);
  EXPECT_EQ(turned_mask.GetIndex(5, 2), 0);
}

}  // namespace
}  // namespace celwright
