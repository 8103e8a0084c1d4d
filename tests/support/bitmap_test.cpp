#include "support/bitmap.h"

#include <gtest/gtest.h>

namespace celwright {
namespace {

TEST(Bitmap, PixelsRoundTripInEveryKind) {
  Bitmap rgb(3, 2, PixelFormat::Bits24);
  rgb.SetPixel(2, 1, MakeColor(10, 20, 30));
  EXPECT_EQ(rgb.GetPixel(2, 1), MakeColor(10, 20, 30));
  EXPECT_EQ(rgb.Row(1)[6], 30);  // blue first in memory

  Bitmap indexed(2, 2, PixelFormat::Bits8);
  indexed.ColorTable()[7] = {200, 100, 50};
  indexed.SetPixel(1, 1, MakeColor(199, 101, 50));
  EXPECT_EQ(indexed.GetIndex(1, 1), 7);

  Bitmap mask(2, 2, PixelFormat::Bits1);
  mask.SetPixel(0, 0, 0xFFFFFF);
  EXPECT_EQ(mask.GetPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mask.GetPixel(1, 0), 0u);

  // 32 bits: drawing colours are opaque, alpha is set on its own, resizing fills see-through.
  Bitmap alpha(2, 1, PixelFormat::Bits32);
  EXPECT_EQ(alpha.Stride(), 8u);
  alpha.SetPixel(0, 0, MakeColor(10, 20, 30));
  alpha.SetPixelAlpha(1, 0, MakeColor(1, 2, 3), 77);
  EXPECT_EQ(alpha.GetPixel(0, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(alpha.GetAlpha(0, 0), 255);
  EXPECT_EQ(alpha.GetAlpha(1, 0), 77);
  EXPECT_EQ(alpha.Row(0)[4], 3);  // blue first, alpha last
  EXPECT_EQ(alpha.Row(0)[7], 77);
  alpha.Resize(3, 1, 0);
  EXPECT_EQ(alpha.GetAlpha(1, 0), 77);
  EXPECT_EQ(alpha.GetAlpha(2, 0), 0);
  EXPECT_EQ(rgb.GetAlpha(0, 0), 255);
}

TEST(Bitmap, OutsideAccessIsIgnored) {
  Bitmap b(2, 2);
  b.SetPixel(-1, 0, 0xFFFFFF);
  b.SetPixel(2, 0, 0xFFFFFF);
  EXPECT_EQ(b.GetPixel(5, 5), 0u);
  for (auto byte : b.Pixels()) EXPECT_EQ(byte, 0);
}

}  // namespace
}  // namespace celwright
