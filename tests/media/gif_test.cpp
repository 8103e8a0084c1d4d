#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "media/scratch_folder.h"
#include "media/synthetic_pictures.h"
#include "support/file_io.h"
#include "support/media/gif_codec.h"
#include "support/media/media_error.h"

namespace celwright {
namespace {

const std::filesystem::path kData = std::filesystem::path(CELWRIGHT_TEST_SOURCE_DIR) / "data";

using testing::DistinctPalette;
using testing::PatternFrames;

bool Contains(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

TEST(GifRoundTrip, PaletteSizesAndIndicesSurvive) {
  testing::ScratchFolder folder;
  const Palette256 palette = DistinctPalette();
  const std::vector<Bitmap> frames = PatternFrames(3, 11, 6);
  WriteAnimatedGif(folder / "loop.gif", palette, frames);
  EXPECT_TRUE(folder.HoldsOnly(1));

  const AnimatedGif gif = ReadAnimatedGif(folder / "loop.gif");
  EXPECT_EQ(gif.screen_width, 11);
  EXPECT_EQ(gif.screen_height, 6);
  EXPECT_EQ(gif.global_colors, palette);
  ASSERT_EQ(gif.frames.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(gif.frames[k].Format(), PixelFormat::Bits8);
    EXPECT_EQ(gif.frames[k].Pixels(), frames[k].Pixels());
    EXPECT_EQ(gif.frames[k].ColorTable(), palette);
  }
}

TEST(GifRoundTrip, WritesLoopingAndDelayExtensions) {
  testing::ScratchFolder folder;
  WriteAnimatedGif(folder / "x.gif", DistinctPalette(), PatternFrames(2, 4, 4));
  const std::vector<std::uint8_t> bytes = ReadWholeFile(folder / "x.gif");
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  const std::string netscape = "NETSCAPE2.0";
  std::vector<std::uint8_t> looping = {0x21, 0xFF, 0x0B};
  looping.insert(looping.end(), netscape.begin(), netscape.end());
  looping.insert(looping.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  EXPECT_TRUE(Contains(bytes, looping));
  // Graphic control: no disposal, no transparency, delay 1, then the image descriptor.
  const std::vector<std::uint8_t> control = {0x21, 0xF9, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x2C};
  const auto first = std::search(bytes.begin(), bytes.end(), control.begin(), control.end());
  ASSERT_NE(first, bytes.end());
  EXPECT_NE(std::search(first + 1, bytes.end(), control.begin(), control.end()), bytes.end());
}

TEST(GifReaderForeignFiles, SubImagesKeepTheirOwnSizeAndColours) {
  const AnimatedGif gif = ReadAnimatedGif(kData / "imagemagick_two_sizes.gif");
  EXPECT_EQ(gif.screen_width, 12);
  EXPECT_EQ(gif.screen_height, 8);
  ASSERT_EQ(gif.frames.size(), 2u);
  EXPECT_EQ(gif.frames[0].Width(), 12);
  EXPECT_EQ(gif.frames[0].Height(), 8);
  EXPECT_EQ(gif.frames[0].GetPixel(11, 7), MakeColor(255, 0, 0));
  EXPECT_EQ(gif.frames[1].Width(), 5);
  EXPECT_EQ(gif.frames[1].Height(), 3);
  EXPECT_EQ(gif.frames[1].GetPixel(4, 2), MakeColor(0, 0, 255));
  // The file's maps are small; the rest of 256 entries is black.
  EXPECT_EQ(ToColor(gif.global_colors[255]), 0u);
}

TEST(GifReaderForeignFiles, InterlacedRowsComeBackInOrder) {
  const AnimatedGif gif = ReadAnimatedGif(kData / "imagemagick_interlaced.gif");
  ASSERT_EQ(gif.frames.size(), 1u);
  const Bitmap& image = gif.frames[0];
  ASSERT_EQ(image.Height(), 16);
  EXPECT_EQ(image.GetPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(image.GetPixel(0, 15), 0u);
  for (int y = 1; y < 16; ++y)
    EXPECT_LT(RedOf(image.GetPixel(0, y)), RedOf(image.GetPixel(0, y - 1)));
}

TEST(GifWriterFailures, LeaveNoFileBehind) {
  testing::ScratchFolder folder;
  std::vector<Bitmap> mixed = PatternFrames(2, 5, 5);
  mixed.push_back(PatternFrames(1, 6, 5).front());
  EXPECT_THROW(WriteAnimatedGif(folder / "a.gif", DistinctPalette(), mixed), MediaError);
  EXPECT_THROW(WriteAnimatedGif(folder / "a.gif", DistinctPalette(), {}), MediaError);
  EXPECT_THROW(WriteAnimatedGif(folder / "a.gif", DistinctPalette(), {Bitmap(3, 3)}), MediaError);
  EXPECT_THROW(WriteAnimatedGif(folder / "no" / "a.gif", DistinctPalette(), PatternFrames(1, 2, 2)),
               MediaError);
  EXPECT_TRUE(folder.HoldsOnly(0));

  // A failed write keeps the file that was there.
  WriteAnimatedGif(folder / "keep.gif", DistinctPalette(), PatternFrames(1, 2, 2));
  const auto before = ReadWholeFile(folder / "keep.gif");
  EXPECT_THROW(WriteAnimatedGif(folder / "keep.gif", DistinctPalette(), mixed), MediaError);
  EXPECT_EQ(ReadWholeFile(folder / "keep.gif"), before);
}

TEST(GifReaderRobustness, DamagedFilesGiveAClearMessage) {
  testing::ScratchFolder folder;
  try {
    ReadAnimatedGif(folder / "none.gif");
    ADD_FAILURE();
  } catch (const MediaError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Failed to read GIF file: ", 0), 0u);
  }
  EXPECT_THROW(ReadAnimatedGif(std::vector<std::uint8_t>{}), MediaError);
  EXPECT_THROW(ReadAnimatedGif(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a'}),
               MediaError);

  WriteAnimatedGif(folder / "good.gif", DistinctPalette(), PatternFrames(3, 9, 7));
  const std::vector<std::uint8_t> ours = ReadWholeFile(folder / "good.gif");
  const std::vector<std::uint8_t> foreign = ReadWholeFile(kData / "imagemagick_interlaced.gif");
  for (std::size_t length = 0; length + 1 < ours.size(); ++length) {
    // Every cut loses at least the trailer; no cut may read past the bytes it has.
    EXPECT_THROW(ReadAnimatedGif(std::vector<std::uint8_t>(ours.begin(), ours.begin() + length)),
                 MediaError)
        << length;
  }
  std::mt19937 random(77);
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::uint8_t> bytes = i % 2 ? ours : foreign;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < changes; ++c)
      bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    try {
      const AnimatedGif gif = ReadAnimatedGif(bytes);
      for (const Bitmap& frame : gif.frames) EXPECT_FALSE(frame.Empty());
    } catch (const MediaError&) {
    }
  }
}

}  // namespace
}  // namespace celwright
