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

TEST(PngWriterTest, PalettedOutputOfTrueColourUsesColoursInOrderOfAppearance) {
  Bitmap bitmap(3, 2, PixelFormat::Bits24);
  const TColor colours[] = {MakeColor(9, 0, 0), MakeColor(0, 9, 0), MakeColor(9, 0, 0),
                            MakeColor(0, 0, 9), MakeColor(0, 9, 0), MakeColor(9, 9, 9)};
  for (int i = 0; i < 6; ++i) bitmap.SetPixel(i % 3, i / 3, colours[i]);
  Palette256 palette{};
  const Bitmap read = RoundTrip(bitmap, std::nullopt, true, palette);
  EXPECT_EQ(read.Pixels(), (std::vector<std::uint8_t>{0, 1, 0, 2, 1, 3}));
  EXPECT_EQ(palette[3], ToTriple(MakeColor(9, 9, 9)));
  EXPECT_EQ(test::LargestChannelDifference(read, bitmap), 0);
}

TEST(PngWriterTest, ColoursPastTheTwoHundredFiftySixthFallBackToEntryZero) {
  Bitmap bitmap(300, 1, PixelFormat::Bits24);
  for (int x = 0; x < 300; ++x)
    bitmap.SetPixel(x, 0, MakeColor(static_cast<std::uint8_t>(x), x / 256 ? 1 : 0, 0));
  Palette256 palette{};
  const Bitmap read = RoundTrip(bitmap, std::nullopt, true, palette);
  EXPECT_EQ(read.GetIndex(255, 0), 255);
  EXPECT_EQ(read.GetIndex(256, 0), 0);
  EXPECT_EQ(read.GetIndex(299, 0), 0);
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
