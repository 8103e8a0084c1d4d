#include <gtest/gtest.h>

#include "image_io/image_test_support.h"
#include "support/image_io/gif_file.h"
#include "support/image_io/image_file_error.h"
#include "support/image_io/jpeg_file.h"
#include "support/media/palette_mapper.h"

namespace celwright {
namespace {

using test::FixtureBytes;
using test::LoadPpm;

// Quality-75 JPEG of smooth pictures stays within this of the source on every channel.
constexpr int kJpegTolerance = 48;

TEST(JpegFileTest, ColourAndGreyFilesDecodeCloseToTheirSources) {
  const Bitmap colour = DecodeJPEG(FixtureBytes("colour.jpg"), "colour.jpg");
  EXPECT_LE(test::LargestChannelDifference(colour, LoadPpm("base.ppm")), 24);
  const Bitmap grey = DecodeJPEG(FixtureBytes("grey.jpg"), "grey.jpg");
  ASSERT_EQ(grey.Format(), PixelFormat::Bits24);
  EXPECT_LE(test::LargestChannelDifference(grey, LoadPpm("grey.ppm")), 2);
}

// ImageMagick writes CMYK with Adobe's inverted inks; Pillow's decoding is the reference.
TEST(JpegFileTest, CmykFileDecodesAsPillowDoes) {
  const Bitmap bitmap = DecodeJPEG(FixtureBytes("cmyk.jpg"), "cmyk.jpg");
  const test::RgbaPicture expected = test::LoadPam(test::Fixture("cmyk.pam"));
  ASSERT_EQ(bitmap.Width(), expected.width);
  int wrong = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) wrong += bitmap.GetPixel(x, y) != expected.Colour(x, y);
  }
  EXPECT_EQ(wrong, 0);
}

// Scan data cut short and closed with an end marker: libjpeg patches it up with a warning.
TEST(JpegFileTest, DamagedScanDataIsRefusedUnlessSomeoneIsToldOfIt) {
  const std::vector<std::uint8_t> bytes =
      ReadWholeFile(std::filesystem::path(CELWRIGHT_SOURCE_DIR "/tests/image_io/hostile") /
                      "jpeg_corrupt_scan.jpg");
  try {
    DecodeJPEG(bytes, "d.jpg");
    ADD_FAILURE() << "a damaged JPEG decoded as a clean success";
  } catch (const ImageFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Corrupt JPEG data"), std::string::npos) << e.what();
  }
  PictureWarnings warnings;
  const Bitmap bitmap = DecodeJPEG(bytes, "d.jpg", &warnings);
  EXPECT_EQ(bitmap.Width(), 23);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("\"d.jpg\" is damaged and may look wrong: Corrupt JPEG data", 0), 0u);
}

TEST(JpegFileTest, RoundTripStaysWithinTolerance) {
  const Bitmap source = LoadPpm("large.ppm");
  const Bitmap read = DecodeJPEG(EncodeJPEG(source), "x.jpg");
  ASSERT_EQ(read.Width(), source.Width());
  ASSERT_EQ(read.Height(), source.Height());
  EXPECT_LE(test::LargestChannelDifference(read, source), kJpegTolerance);
}

TEST(GifFileTest, InterlacedFileGivesIndicesPaletteAndTransparency) {
  const Bitmap bitmap = DecodeGIF(FixtureBytes("pal16.gif"), "pal16.gif");
  // ImageMagick blackens the transparent entry; its own decoding is the reference.
  ASSERT_EQ(bitmap.Format(), PixelFormat::Bits8);
  EXPECT_EQ(test::LargestChannelDifference(bitmap, LoadPpm("pal16.ppm")), 0);
  EXPECT_EQ(bitmap.transparent_color, bitmap.GetPixel(0, 0));
  EXPECT_NE(bitmap.GetIndex(0, 0), bitmap.GetIndex(22, 16));
}

TEST(GifFileTest, TrueColourIsExactUpTo256ColoursAndOctreeReducedBeyond) {
  const Bitmap few = test::TrueColourSample(16, 16);  // 256 pixels, so at most 256 colours
  EXPECT_EQ(test::LargestChannelDifference(DecodeGIF(EncodeGIF(few), "f.gif"), few), 0);
  const Bitmap many = LoadPpm("large.ppm");
  const Bitmap read = DecodeGIF(EncodeGIF(many), "m.gif");
  // A fixed colour cube averages 26 to 31 on such pictures; a palette of their own far less.
  EXPECT_LT(MeanColorError(many, read), 10.0);
  EXPECT_GT(MeanColorError(many, read), 0.0);
}

// A cut file must be an error naming the file, not a picture padded with grey or garbage.
TEST(JpegGifTest, CutFilesAreErrorsNamingTheFile) {
  using DecodeFunction = Bitmap (*)(std::span<const std::uint8_t>, const std::filesystem::path&);
  const struct {
    const char* fixture;
    DecodeFunction decode;
    const char* title;
  } cases[] = {{"colour.jpg", [](auto b, const auto& n) { return DecodeJPEG(b, n); },
                "Invalid JPEG File"},
               {"pal16.gif", DecodeGIF, "Invalid GIF File"}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes = FixtureBytes(c.fixture);
    bytes.resize(bytes.size() * 2 / 3);
    try {
      c.decode(bytes, "cut");
      ADD_FAILURE() << c.fixture << " decoded";
    } catch (const ImageFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(std::string(c.title) + "\r\r\"cut\": ", 0), 0u)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace celwright
