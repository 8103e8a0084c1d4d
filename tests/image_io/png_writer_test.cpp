#include "support/image_io/qm_png.h"

#include <gtest/gtest.h>

#include "image_io/image_test_support.h"

namespace celwright {
namespace {

Bitmap RoundTrip(const Bitmap& bitmap, std::optional<TColor> transparent, bool paletted,
                 Palette256& palette) {
  return DecodePNG(EncodePNG(bitmap, transparent, paletted), palette);
}

TEST(PngWriterTest, PalettedPictureKeepsIndicesPaletteAndTransparency) {
  Bitmap bitmap = test::PalettedSample();
  bitmap.ColorTable()[200] = bitmap.ColorTable()[40];  // a duplicate after the first match
  const TColor see_through = ToColor(bitmap.ColorTable()[40]);
  Palette256 palette{};
  const Bitmap read = RoundTrip(bitmap, see_through, true, palette);
  ASSERT_EQ(read.Format(), PixelFormat::Bits8);
  EXPECT_EQ(read.Pixels(), bitmap.Pixels());
  EXPECT_EQ(read.ColorTable(), bitmap.ColorTable());
  EXPECT_EQ(palette, bitmap.ColorTable());
  EXPECT_EQ(read.transparent_color, see_through);
}

TEST(PngWriterTest, TrueColourKeepsEveryPixelAndTheTransparentColour) {
  const Bitmap bitmap = test::TrueColourSample();
  Palette256 palette{};
  const Bitmap opaque = RoundTrip(bitmap, std::nullopt, false, palette);
  EXPECT_EQ(opaque.Pixels(), bitmap.Pixels());
  EXPECT_FALSE(opaque.transparent_color.has_value());
  const Bitmap keyed = RoundTrip(bitmap, MakeColor(1, 2, 3), false, palette);
  EXPECT_EQ(keyed.transparent_color, MakeColor(1, 2, 3));
}

TEST(PngWriterTest, PictureLargerThanTheFirstInflateBufferReadsBack) {
  const Bitmap bitmap = test::TrueColourSample(700, 700);  // 1.4 MB of rows
  Palette256 palette{};
  EXPECT_EQ(RoundTrip(bitmap, std::nullopt, false, palette).Pixels(), bitmap.Pixels());
}

TEST(PngWriterTest, PalettedTrueColourTakesColoursInOrderOfAppearanceUpTo256) {
  // 300 colours, each twice: the first 256 become entries 0..255, the rest entry 0.
  Bitmap bitmap(300, 2, PixelFormat::Bits24);
  for (int x = 0; x < 300; ++x) {
    const TColor colour = MakeColor(static_cast<std::uint8_t>(x), x / 256 ? 1 : 0, 0);
    bitmap.SetPixel(x, 0, colour);
    bitmap.SetPixel(299 - x, 1, colour);
  }
  Palette256 palette{};
  const Bitmap read = RoundTrip(bitmap, std::nullopt, true, palette);
  EXPECT_EQ(read.GetIndex(255, 0), 255);
  EXPECT_EQ(read.GetIndex(299 - 255, 1), 255);
  EXPECT_EQ(read.GetIndex(256, 0), 0);
  EXPECT_EQ(palette[200], ToTriple(bitmap.GetPixel(200, 0)));
}

TEST(PngWriterTest, WritingReplacesTheFileOnlyWhenItSucceeds) {
  test::TempFolder folder;
  const auto path = folder / "picture.png";
  WritePNG(test::TrueColourSample(), path, std::nullopt, false);
  Bitmap read;
  Palette256 palette{};
  ASSERT_TRUE(ReadPNG(read, path, palette));
  EXPECT_EQ(read.Pixels(), test::TrueColourSample().Pixels());
  EXPECT_THROW(WritePNG(Bitmap(), path, std::nullopt, false), PngError);
  EXPECT_THROW(WritePNG(read, folder / "missing" / "x.png", std::nullopt, false), PngError);
  ASSERT_TRUE(ReadPNG(read, path, palette));  // the earlier file survived
}

}  // namespace
}  // namespace celwright
