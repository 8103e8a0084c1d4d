#include <gtest/gtest.h>

#include <numbers>

#include "support/bitmap_mirror.h"
#include "support/qm_tools.h"
#include "support/rotate_bitmap.h"

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

// Four turns giving the picture back show that no pixel was lost or doubled on the way.
TEST(RotateBitmap, QuarterTurnsAreExactCounterClockwiseAndFourGiveThePictureBack) {
  const Bitmap picture = NumberedPicture(32, 32);
  const Bitmap turned = RotateBitmap(picture, 16, 16, 0xFF0000, kQuarter);
  // Counter-clockwise on screen: the top-right corner moves to the top-left.
  EXPECT_EQ(turned.GetPixel(0, 0), picture.GetPixel(31, 0));
  EXPECT_EQ(turned.GetPixel(0, 31), picture.GetPixel(0, 0));
  for (const double angle : {kQuarter, kClockwise}) {
    Bitmap round = picture;
    for (int i = 0; i < 4; ++i) round = RotateBitmap(round, 16, 16, 0, angle);
    EXPECT_EQ(round, picture) << angle;
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

// Turning into a new size rotates about both exact centres, so odd sizes lose no row or column.
TEST(RotateBitmapToSize, QuarterTurnsOfAnyShapeAreExactAndFourGiveThePictureBack) {
  for (const Size size : {Size{40, 20}, Size{41, 17}, Size{1, 5}}) {
    const Bitmap picture = NumberedPicture(size.width, size.height);
    const Bitmap turned = RotateBitmapToSize(picture, size.height, size.width, 0, kQuarter);
    // Counter-clockwise: the source's top-right pixel is the result's top-left one.
    EXPECT_EQ(turned.GetPixel(0, 0), picture.GetPixel(size.width - 1, 0));
    EXPECT_EQ(turned.GetPixel(size.height - 1, size.width - 1),
              picture.GetPixel(0, size.height - 1));
    for (const double angle : {kQuarter, kClockwise}) {
      Bitmap round = picture;
      for (int i = 0; i < 4; ++i)
        round = RotateBitmapToSize(round, round.Height(), round.Width(), 0, angle);
      EXPECT_EQ(round, picture) << size.width << "x" << size.height << " by " << angle;
    }
  }
}

TEST(RotateBitmapToSize, SameEvenSizeMatchesTurningAboutTheMiddlePixelCorner) {
  const Bitmap picture = NumberedPicture(24, 16);
  for (const double angle : {0.3, -2.0, 0.785398}) {
    EXPECT_EQ(RotateBitmapToSize(picture, 24, 16, 0xFF0000, angle),
              RotateBitmap(picture, 12, 8, 0xFF0000, angle))
        << angle;
  }
  // Growing the result by an even margin is the same as turning the picture centred in it.
  Bitmap centred(28, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 28; ++x) centred.SetPixel(x, y, 0xFF0000);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) centred.SetPixel(x + 2, y + 2, picture.GetPixel(x, y));
  EXPECT_EQ(RotateBitmapToSize(picture, 28, 20, 0xFF0000, 0.5),
            RotateBitmap(centred, 14, 10, 0xFF0000, 0.5));
}

TEST(TurnedSize, QuarterTurnsSwapSidesAndDiagonalsGrow) {
  EXPECT_EQ(TurnedSize(40, 20, kQuarter), (Size{20, 40}));
  EXPECT_EQ(TurnedSize(10, 10, std::numbers::pi / 4), (Size{14, 14}));
  EXPECT_EQ(TurnedSize(10, 10, -std::numbers::pi / 4), (Size{14, 14}));
  EXPECT_EQ(TurnedSize(7, 3, 0.0), (Size{7, 3}));
}

TEST(MirrorBitmap, ReflectAndFlipSwapEdgesInEveryKind) {
  const Bitmap picture = NumberedPicture(5, 3);
  Bitmap reflected = picture, flipped = picture;
  ReflectBitmap(reflected);
  FlipBitmap(flipped);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(reflected.GetPixel(x, y), picture.GetPixel(4 - x, y));
      EXPECT_EQ(flipped.GetPixel(x, y), picture.GetPixel(x, 2 - y));
    }
  }
  Bitmap mask(4, 2, PixelFormat::Bits1);
  mask.SetIndex(0, 0, 1);
  ReflectBitmap(mask);
  FlipBitmap(mask);
  EXPECT_EQ(mask.GetIndex(3, 1), 1);
  EXPECT_EQ(mask.GetIndex(0, 0), 0);
}

}  // namespace
}  // namespace celwright
