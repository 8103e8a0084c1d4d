#include "support/image_io/bmp_file.h"

#include <gtest/gtest.h>

#include "image_io/image_test_support.h"
#include "support/image_io/image_file_error.h"

namespace celwright {
namespace {

using test::FixtureBytes;
using test::LoadPpm;

Bitmap DecodeFixture(const std::string& name) { return DecodeBMP(FixtureBytes(name), name); }

// A bitmap file around the given pixel bytes: version-1 header, `colours` table entries with
// entry i = (i, 2i, 3i).
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, std::uint32_t compression,
                                  int colours, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> out{'B', 'M'};
  const auto size = static_cast<std::uint32_t>(pixels.size());
  const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(colours);
  for (std::uint32_t field : {offset + size, 0u, offset, 40u, static_cast<std::uint32_t>(width),
                              static_cast<std::uint32_t>(height)})
    AppendLE32(out, field);
  AppendLE16(out, 1);
  AppendLE16(out, static_cast<std::uint32_t>(bits));
  for (std::uint32_t field : {compression, size, 0u, 0u, static_cast<std::uint32_t>(colours), 0u})
    AppendLE32(out, field);
  for (int i = 0; i < colours; ++i) {
    out.insert(out.end(), {static_cast<std::uint8_t>(3 * i), static_cast<std::uint8_t>(2 * i),
                           static_cast<std::uint8_t>(i), 0});
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(BmpFileTest, FilesFromImageMagickMatchTheirReferences) {
  EXPECT_EQ(DecodeFixture("rgb24.bmp").Pixels(), LoadPpm("base.ppm").Pixels());
  EXPECT_EQ(DecodeFixture("argb32.bmp").Pixels(), LoadPpm("base.ppm").Pixels());
  for (const char* name : {"pal8.bmp", "pal8_rle.bmp"}) {
    const Bitmap bitmap = DecodeFixture(name);
    ASSERT_EQ(bitmap.Format(), PixelFormat::Bits8) << name;
    EXPECT_EQ(test::LargestChannelDifference(bitmap, LoadPpm("pal8.ppm")), 0) << name;
  }
  const Bitmap four = DecodeFixture("pal4.bmp");
  ASSERT_EQ(four.Format(), PixelFormat::Bits8);
  EXPECT_EQ(test::LargestChannelDifference(four, LoadPpm("base16.ppm")), 0);
  const Bitmap mono = DecodeFixture("mono1.bmp");
  ASSERT_EQ(mono.Format(), PixelFormat::Bits8);
  EXPECT_EQ(test::LargestChannelDifference(mono, LoadPpm("mono.ppm")), 0);
}

TEST(BmpFileTest, TopDownRowsStayInOrder) {
  // 2 x 2, 8 bits, rows padded to four bytes; negative height means the first row is the top.
  const auto bytes = MakeBmp(2, -2, 8, 0, 4, {1, 2, 0, 0, 3, 0, 0, 0});
  const Bitmap bitmap = DecodeBMP(bytes, "top.bmp");
  EXPECT_EQ(bitmap.Pixels(), (std::vector<std::uint8_t>{1, 2, 3, 0}));
  EXPECT_EQ(bitmap.ColorTable()[3], (RGBTriple{3, 6, 9}));
}

TEST(BmpFileTest, Rle4RunsAbsoluteRunsAndDeltasLandWhereWindowsPutsThem) {
  // Bottom row: a run of 5 alternating 1,2; then end of line. Top row: delta 1 right, then an
  // absolute run of 3 pixels 3,4,5 (two data bytes, padded to an even count); end of picture.
  const std::vector<std::uint8_t> rle = {5, 0x12, 0, 0, 0, 2, 1, 0, 0, 3, 0x34, 0x50, 0, 1};
  const Bitmap bitmap = DecodeBMP(MakeBmp(6, 2, 4, 2, 16, rle), "rle4.bmp");
  EXPECT_EQ(bitmap.Pixels(), (std::vector<std::uint8_t>{0, 3, 4, 5, 0, 0, 1, 2, 1, 2, 1, 0}));
}

// Paletted files go through the file-level round trip of every kind.
TEST(BmpFileTest, WrittenTrueColourFilesReadBackUnchanged) {
  const Bitmap colour = test::TrueColourSample();
  EXPECT_EQ(DecodeBMP(EncodeBMP(colour), "24.bmp").Pixels(), colour.Pixels());
}

TEST(BmpFileTest, DamagedFilesNameTheFileAndTheProblem) {
  const auto message = [](const std::vector<std::uint8_t>& bytes) -> std::string {
    try {
      DecodeBMP(bytes, "frame.bmp");
    } catch (const ImageFileError& e) {
      EXPECT_EQ(e.File(), "frame.bmp");
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message({'B', 'M', 1}),
            "Invalid Bitmap File\r\r\"frame.bmp\": the file ends inside the file header");
  EXPECT_NE(
      message(MakeBmp(4, 4, 24, 0, 0, std::vector<std::uint8_t>(20))).find("pixel data ends early"),
      std::string::npos);
  EXPECT_NE(message(MakeBmp(4, 1, 8, 1, 256, {2, 7})).find("compressed pixel data ends early"),
            std::string::npos);
  EXPECT_NE(message(MakeBmp(1, 1, 16, 4, 0, {0, 0, 0, 0})).find("compression method 4"),
            std::string::npos);
  EXPECT_NE(message(MakeBmp(70000, 70000, 8, 0, 0, {})).find("is not supported"),
            std::string::npos);
}

}  // namespace
}  // namespace celwright
