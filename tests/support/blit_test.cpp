#include "support/blit.h"

#include <gtest/gtest.h>

#include "support/canvas.h"
#include "support/text_art.h"

namespace celwright {
namespace {

Bitmap Numbered(int width, int height) {
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, static_cast<TColor>(y * 100 + x + 1));
  }
  return b;
}

TEST(StretchBlt, NegativeWidthAndHeightMirrorInPlace) {
  const Bitmap original = Numbered(5, 3);
  Bitmap b = original;
  StretchBlt(b, 4, 0, -5, 3, b, 0, 0, 5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(b.GetPixel(x, y), original.GetPixel(4 - x, y));
  }
  Bitmap flipped = original;
  StretchBlt(flipped, 0, 2, 5, -3, flipped, 0, 0, 5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(flipped.GetPixel(x, y), original.GetPixel(x, 2 - y));
  }
}

TEST(StretchBlt, EachSourcePixelBecomesABlock) {
  const Bitmap source = Numbered(2, 2);
  Bitmap view(7, 7);
  StretchBlt(view, 0, 0, 6, 6, source, 0, 0, 2, 2);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(view.GetPixel(x, y), source.GetPixel(x / 3, y / 3));
  }
  EXPECT_EQ(view.GetPixel(6, 6), 0u);  // outside the target rectangle
}

TEST(BitBlt, RasterOperationsCombineBytes) {
  Bitmap dest(1, 1), source(1, 1);
  source.SetPixel(0, 0, 0x0F0F0F);
  const struct {
    RasterOp op;
    TColor expected;
  } cases[] = {{RasterOp::SrcCopy, 0x0F0F0F},
               {RasterOp::DstInvert, 0xCFCFCF},
               {RasterOp::SrcInvert, 0x3F3F3F},
               {RasterOp::SrcPaint, 0x3F3F3F},
               {RasterOp::SrcAnd, 0x000000}};
  for (const auto& c : cases) {
    dest.SetPixel(0, 0, 0x303030);
    BitBlt(dest, 0, 0, 1, 1, source, 0, 0, c.op);
    EXPECT_EQ(dest.GetPixel(0, 0), c.expected) << static_cast<int>(c.op);
  }
}

TEST(BitBlt, SmallerSourceLeavesTheRestOfTheTarget) {
  const Bitmap source = Numbered(2, 2);
  Bitmap dest(4, 4);
  BitBlt(dest, 1, 1, 4, 4, source, 0, 0, RasterOp::SrcCopy);
  EXPECT_EQ(dest.GetPixel(1, 1), source.GetPixel(0, 0));
  EXPECT_EQ(dest.GetPixel(2, 2), source.GetPixel(1, 1));
  EXPECT_EQ(dest.GetPixel(3, 3), 0u);
  EXPECT_EQ(dest.GetPixel(0, 0), 0u);
}

TEST(BitBlt, DrawingAPictureOntoItselfShiftsItsContent) {
  for (const Point shift : {Point{2, 1}, Point{-2, -1}, Point{1, -3}, Point{-1, 2}}) {
    const Bitmap original = Numbered(6, 5);
    Bitmap b = original;
    Canvas c(b);
    c.Draw(shift.x, shift.y, b);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) {
        const int sx = x - shift.x, sy = y - shift.y;
        const TColor expected =
            original.Contains(sx, sy) ? original.GetPixel(sx, sy) : original.GetPixel(x, y);
        EXPECT_EQ(b.GetPixel(x, y), expected) << shift.x << "," << shift.y;
      }
    }
  }
}

TEST(BitBlt, OtherKindsAreConvertedThroughTheirColours) {
  Bitmap indexed(2, 1, PixelFormat::Bits8);
  indexed.ColorTable()[5] = {1, 2, 3};
  indexed.Pixels() = {5, 0};
  Bitmap colour(2, 1);
  BitBlt(colour, 0, 0, 2, 1, indexed, 0, 0, RasterOp::SrcCopy);
  EXPECT_EQ(colour.GetPixel(0, 0), MakeColor(1, 2, 3));

  Bitmap mask(2, 1, PixelFormat::Bits1);
  colour.SetPixel(1, 0, 0xFFFFFF);
  BitBlt(mask, 0, 0, 2, 1, colour, 0, 0, RasterOp::SrcCopy);
  EXPECT_EQ(mask.Pixels(), (std::vector<std::uint8_t>{0, 1}));
}

TEST(MaskBlt, CopiesOnlyWhereTheMaskIsBlack) {
  const Bitmap source = Numbered(4, 4);
  Bitmap mask(3, 3, PixelFormat::Bits1);
  mask.Pixels() = {0, 1, 0, 1, 0, 1, 0, 1, 1};
  Bitmap dest(5, 5);
  dest.SetPixel(0, 0, 0xABCDEF);
  const Bitmap before = dest;
  MaskBlt(dest, 1, 1, source, mask);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool inside = x >= 1 && x < 4 && y >= 1 && y < 4;
      const bool black = inside && mask.GetIndex(x - 1, y - 1) == 0;
      EXPECT_EQ(dest.GetPixel(x, y), black ? source.GetPixel(x - 1, y - 1) : before.GetPixel(x, y))
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace celwright
