#include "support/image_io/qm_png.h"

#include <gtest/gtest.h>

#include "image_io/image_test_support.h"
#include "support/media/palette_mapper.h"

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

// 1.4 MB of rows: more than the first inflate buffer.
TEST(PngWriterTest, LargeTrueColourKeepsEveryPixelAndTheTransparentColourOnlyWhenGiven) {
  const Bitmap bitmap = test::TrueColourSample(700, 700);
  Palette256 palette{};
  const Bitmap opaque = RoundTrip(bitmap, std::nullopt, false, palette);
  EXPECT_EQ(opaque.Pixels(), bitmap.Pixels());
  EXPECT_FALSE(opaque.transparent_color.has_value());
  EXPECT_EQ(RoundTrip(bitmap, MakeColor(1, 2, 3), false, palette).transparent_color,
            MakeColor(1, 2, 3));
}

// Up to 256 colours are kept exactly; past that the octree chooses the palette, no pixel falls
// back to entry 0, and the transparent colour keeps an entry of its own.
TEST(PngWriterTest, PalettedTrueColourPastTheFirst256ColoursIsReducedNotDropped) {
  Palette256 palette{};
  const Bitmap few = test::TrueColourSample(16, 16);
  EXPECT_EQ(test::LargestChannelDifference(RoundTrip(few, std::nullopt, true, palette), few), 0);

  Bitmap many = test::LoadPpm("large.ppm");
  const TColor see_through = MakeColor(0, 255, 0);
  many.SetPixel(0, 0, see_through);
  const Bitmap read = RoundTrip(many, see_through, true, palette);
  ASSERT_EQ(read.Format(), PixelFormat::Bits8);
  EXPECT_LT(MeanColorError(many, read), 10.0);
  EXPECT_EQ(read.transparent_color, see_through);
  EXPECT_EQ(read.GetPixel(0, 0), see_through);
  int also_see_through = 0;
  for (int y = 0; y < read.Height(); ++y) {
    for (int x = 0; x < read.Width(); ++x) also_see_through += read.GetPixel(x, y) == see_through;
  }
  EXPECT_EQ(also_see_through, 1);
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
