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
