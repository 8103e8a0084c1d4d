#include "support/image_io/qm_png.h"

#include <gtest/gtest.h>

#include "image_io/image_test_support.h"

namespace celwright {
namespace {

using test::Fixture;
using test::FixtureBytes;
using test::LoadPpm;
using test::PngBuilder;

// The message a PngError carries for `bytes`, or "" when they decode.
std::string MessageFor(const std::vector<std::uint8_t>& bytes) {
  Palette256 palette{};
  try {
    DecodePNG(bytes, palette);
  } catch (const PngError& e) {
    return e.what();
  }
  return "";
}

std::vector<std::uint8_t> OneRowOfThreePixels(std::uint8_t filter) {
  return {filter, 1, 2, 3, 4, 5, 6, 7, 8, 9};
}

// Pixels as Pillow decodes them (RGBA) and as our reader must show them: alpha below 128 is the
// picture's transparent colour, and no other pixel may have that colour.
void ExpectLikePillow(const std::filesystem::path& png) {
  const std::string name = png.filename().string();
  Bitmap bitmap;
  Palette256 palette{};
  ASSERT_NO_THROW(ReadPNG(bitmap, png, palette)) << name;
  const test::RgbaPicture expected = test::LoadPam(png.parent_path() / png.stem() += ".pam");
  ASSERT_EQ(bitmap.Width(), expected.width) << name;
  ASSERT_EQ(bitmap.Height(), expected.height) << name;
  int wrong = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const TColor shown = bitmap.GetPixel(x, y);
      const bool clear = expected.Alpha(x, y) < 128;
      const bool right = clear ? shown == bitmap.transparent_color
                               : shown == expected.Colour(x, y) && shown != bitmap.transparent_color;
      if (!right && wrong++ == 0) ADD_FAILURE() << name << " differs first at " << x << "," << y;
    }
  }
  EXPECT_EQ(wrong, 0) << name;
}

TEST(PngReaderTest, EveryStandardKindFromLibpngAndPillowDecodesAsPillowDoes) {
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Fixture("png"))) {
    if (entry.path().extension() != ".png") continue;
    ExpectLikePillow(entry.path());
    ++checked;
  }
  EXPECT_GE(checked, 26);
}

// Several see-through entries share the first one's index; everything else keeps its index.
TEST(PngReaderTest, SeeThroughPaletteEntriesMergeIntoTheFirst) {
  Palette256 palette{};
  const Bitmap merged = DecodePNG(PngBuilder()
                                      .Header(5, 1, 8, 3)
                                      .Chunk("PLTE", {0, 255, 0, 9, 9, 9, 1, 2, 3, 50, 60, 70})
                                      .Chunk("tRNS", {0, 100, 255, 255})
                                      .Data({0, 0, 1, 2, 3, 1})
                                      .End()
                                      .Bytes(),
                                  palette);
  ASSERT_EQ(merged.Format(), PixelFormat::Bits8);
  EXPECT_EQ(merged.Pixels(), (std::vector<std::uint8_t>{0, 0, 2, 3, 0}));
  EXPECT_EQ(merged.transparent_color, MakeColor(0, 255, 0));
}

// Every filter the reader supports, and data split over three IDAT chunks.
TEST(PngReaderTest, TrueColourFromLibpngMatchesItsReference) {
  const std::pair<const char*, const char*> cases[] = {{"rgb_none.png", "base.ppm"},
                                                       {"rgb_sub.png", "base.ppm"},
                                                       {"rgb_up.png", "base.ppm"},
                                                       {"rgb_paeth.png", "base.ppm"},
                                                       {"rgb_avg.png", "base.ppm"},
                                                       {"rgb_large.png", "large.ppm"}};
  for (const auto& [name, reference] : cases) {
    Bitmap bitmap;
    Palette256 palette{};
    palette[7] = {1, 2, 3};
    ASSERT_TRUE(ReadPNG(bitmap, Fixture(name), palette)) << name;
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24) << name;
    EXPECT_EQ(bitmap.Pixels(), LoadPpm(reference).Pixels()) << name;
    EXPECT_EQ(palette, Palette256{}) << name;  // cleared, no PLTE
  }
}

// Entries past those a depth can hold are cleared, whatever the palette held before.
TEST(PngReaderTest, PalettedPicturesOfEveryDepthKeepIndicesAndPalette) {
  const struct {
    const char* file;
    const char* reference;
    int depth;
  } cases[] = {{"pal1.png", "pal1.ppm", 1}, {"pal2.png", "pal2.ppm", 2}, {"pal4.png", "pal4.ppm", 4},
               {"pal4_paeth.png", "base16.ppm", 4}, {"pal8.png", "pal8.ppm", 8}};
  for (const auto& c : cases) {
    Bitmap bitmap;
    Palette256 palette;
    palette.fill({9, 9, 9});
    ReadPNG(bitmap, Fixture(c.file), palette);
    ASSERT_EQ(bitmap.Format(), PixelFormat::Bits8) << c.file;
    EXPECT_EQ(bitmap.ColorTable(), palette) << c.file;
    EXPECT_EQ(test::LargestChannelDifference(bitmap, LoadPpm(c.reference)), 0) << c.file;
    for (int i = 1 << c.depth; i < 256; ++i) EXPECT_EQ(palette[i], RGBTriple{}) << c.file << " " << i;
  }
}

// ImageMagick's paletted files name the first clear entry (true colour ones: pil_rgb_trns.png).
TEST(PngReaderTest, PalettedTransparencyFromImageMagickIsTheFirstClearEntry) {
  Bitmap bitmap;
  Palette256 palette{};
  ReadPNG(bitmap, Fixture("pal_trns.png"), palette);
  ASSERT_TRUE(bitmap.transparent_color.has_value());
  EXPECT_EQ(*bitmap.transparent_color, LoadPpm("base16.ppm").GetPixel(0, 0));
}

// Each damaged or unsupported file is refused with its title and detail (or, where the detail
// carries the library's words, at least with its title), so a short stream is never read past.
TEST(PngReaderTest, RefusedFilesGiveTheirTitleAndDetail) {
  std::vector<std::uint8_t> bad_signature = FixtureBytes("rgb_none.png");
  bad_signature[3] = 'X';
  const auto paletted = [] { return PngBuilder().Header(3, 1, 8, 3); };
  const auto rgb = [] { return PngBuilder().Header(3, 1, 8, 2); };
  const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
      {PngBuilder().Header(3, 1, 3, 0).Bytes(),
       "Unsupported Bit Depth\r\rBit depth is 3 bit. Only 16, 8, 4, 2 and 1 Bit images supported."},
      {PngBuilder().Header(3, 1, 16, 3).Bytes(),
       "Unsupported Bit Depth\r\rBit depth is 16 bit, which colour type 3 does not allow"},
      {PngBuilder().Header(3, 1, 8, 5).Bytes(),
       "Unsupported Color Format\r\rType 5 is not a PNG colour type"},
      {rgb().Data(OneRowOfThreePixels(5)).End().Bytes(),
       "Unknown Filter Method\r\rFilter method 5 is unknown"},
      {bad_signature, "Invalid PNG File"},
      {paletted().Chunk("PLTE", std::vector<std::uint8_t>(10)).Bytes(),
       "Bad Palette Section\r\rExtra Bits: 1"},
      {paletted().Chunk("tRNS", {0}).Bytes(),
       "Bad Transparency Section\r\rTransparency Section is before Palette Section"},
      {paletted().Chunk("PLTE", std::vector<std::uint8_t>(6)).Chunk("tRNS", {0, 0, 0}).Bytes(),
       "Bad Transparency Section\r\rTransparency Section is invalid size"},
      {paletted().Data({0, 0, 0, 0}).Bytes(),
       "Bad Data Section\r\rData Section comes before Palette Section"},
      {rgb().Chunk("tRNS", {0, 1}).Bytes(),
       "Bad Transparency Section\r\rTransparency Section is invalid size"},
      {PngBuilder().Header(3, 1, 8, 2, 2).Bytes(),
       "Interlacing Unsupported\r\rInterlace method 2 is unknown"},
      {PngBuilder().Header(4, 1, 8, 2).Data(OneRowOfThreePixels(0)).End().Bytes(),
       "Bad Data Section\r\rData Section has invalid size"},
      {PngBuilder().Header(9, 1, 8, 3).Chunk("PLTE", std::vector<std::uint8_t>(6)).Data({0, 1, 0})
           .End().Bytes(),
       "Bad Data Section\r\rData Section has invalid size"},
      {PngBuilder().Chunk("IEND", {}).Bytes(), "Bad Header Section\r\rHeader Section is missing"},
      {rgb().End().Bytes(), "Bad Data Section\r\rData Section is missing"},
      {rgb().Data(OneRowOfThreePixels(0)).Bytes(),
       "Invalid PNG File\r\rFile ends before the End Section"},
  };
  for (const auto& [bytes, message] : cases) EXPECT_EQ(MessageFor(bytes), message);
  const std::pair<std::vector<std::uint8_t>, const char*> titled[] = {
      {PngBuilder().Header(0, 5, 8, 2).Bytes(), "Unsupported Image Size"},
      {PngBuilder().Header(100000, 100000, 8, 2).Bytes(), "Unsupported Image Size"},
      {rgb().Chunk("IDAT", {1, 2, 3, 4}).End().Bytes(),
       "Bad Data Section\r\rData Section is damaged"},
  };
  for (const auto& [bytes, title] : titled) EXPECT_EQ(MessageFor(bytes).rfind(title, 0), 0u) << title;
}

TEST(PngReaderTest, ChecksumMismatchShowsBothValues) {
  std::vector<std::uint8_t> bytes = PngBuilder().Header(3, 1, 8, 2).Bytes();
  const std::uint32_t stored = LoadBE32(&bytes[29]);
  bytes[29] ^= 0xFF;
  char expected[80];
  std::snprintf(expected, sizeof expected, "Checksum Failed\r\rIHDR section: %08X<>%08X", stored,
                stored ^ 0xFF000000u);
  EXPECT_EQ(MessageFor(bytes), expected);
}

TEST(PngReaderTest, FailedReadLeavesBitmapAndPaletteAlone) {
  Bitmap bitmap = test::PalettedSample();
  const Bitmap before = bitmap;
  Palette256 palette = bitmap.ColorTable();
  EXPECT_THROW(ReadPNG(bitmap, Fixture("png"), palette), PngError);  // a folder
  EXPECT_EQ(bitmap, before);
  EXPECT_EQ(palette, before.ColorTable());
}

}  // namespace
}  // namespace celwright
