#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "media/scratch_folder.h"
#include "media/synthetic_pictures.h"
#include "support/file_io.h"
#include "support/media/gif_codec.h"
#include "support/media/media_error.h"

namespace celwright {
namespace {

const std::filesystem::path kData = std::filesystem::path(CELWRIGHT_SOURCE_DIR "/tests/media/data");

using testing::DistinctPalette;
using testing::PatternFrames;

std::vector<GifFrame> ReadAll(const std::vector<std::uint8_t>& bytes) {
  AnimatedGifReader reader(bytes);
  std::vector<GifFrame> frames;
  while (const GifFrame* frame = reader.ReadFrame()) frames.push_back(*frame);
  return frames;
}

bool Contains(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

TEST(GifRoundTrip, IndicesSurviveAndEntryZeroIsSeeThrough) {
  testing::ScratchFolder folder;
  const Palette256 palette = DistinctPalette();
  const std::vector<Bitmap> frames = PatternFrames(3, 11, 6);
  WriteAnimatedGif(folder / "loop.gif", palette, frames);
  EXPECT_TRUE(folder.HoldsOnly(1));

  const std::vector<std::uint8_t> bytes = ReadWholeFile(folder / "loop.gif");
  AnimatedGifReader reader(bytes);
  EXPECT_EQ(reader.GlobalColors(), palette);
  const std::vector<GifFrame> read = ReadAll(bytes);
  ASSERT_EQ(read.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(read[k].indices.Width(), 11);
    EXPECT_EQ(read[k].transparent_index, 0);
    for (std::size_t p = 0; p < frames[k].Pixels().size(); ++p) {
      const std::uint8_t index = frames[k].Pixels()[p];
      // Entry 0 is see-through, and no earlier frame shows through it.
      EXPECT_EQ(read[k].opaque[p], index != 0 ? 1 : 0) << k << " " << p;
      if (index != 0) {
        EXPECT_EQ(read[k].indices.Pixels()[p], index);
      }
    }
  }

  // Loops for ever; every frame: disposal 2, transparent entry 0, 7 hundredths.
  std::vector<std::uint8_t> looping = {0x21, 0xFF, 0x0B};
  const std::string netscape = "NETSCAPE2.0";
  looping.insert(looping.end(), netscape.begin(), netscape.end());
  looping.insert(looping.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  EXPECT_TRUE(Contains(bytes, looping));
  const std::vector<std::uint8_t> control = {0x21, 0xF9, 0x04, 0x09, 0x07, 0x00, 0x00, 0x00, 0x2C};
  int controls = 0;
  for (auto at = bytes.begin();
       (at = std::search(at, bytes.end(), control.begin(), control.end())) != bytes.end(); ++at) {
    ++controls;
  }
  EXPECT_EQ(controls, 3);
}

// Pillow's view of every frame, as the fixture script stored it.
struct ToolGif {
  const char* name;
  int width, height, frames;
};

class GifFromOtherTools : public ::testing::TestWithParam<ToolGif> {};

TEST_P(GifFromOtherTools, EveryFrameLooksAsPillowShowsIt) {
  const ToolGif& tool = GetParam();
  const auto bytes = ReadWholeFile(kData / (std::string(tool.name) + ".gif"));
  const auto expected = ReadWholeFile(kData / (std::string(tool.name) + ".rgba"));
  const std::vector<GifFrame> frames = ReadAll(bytes);
  ASSERT_EQ(static_cast<int>(frames.size()), tool.frames);
  const std::size_t pixels = static_cast<std::size_t>(tool.width) * tool.height;
  ASSERT_EQ(expected.size(), pixels * 4 * frames.size());
  for (std::size_t f = 0; f < frames.size(); ++f) {
    ASSERT_EQ(frames[f].colours.Width(), tool.width);
    ASSERT_EQ(frames[f].colours.Height(), tool.height);
    int wrong = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
      const std::uint8_t* rgba = expected.data() + 4 * (f * pixels + p);
      const bool opaque = rgba[3] != 0;
      const int x = static_cast<int>(p % tool.width), y = static_cast<int>(p / tool.width);
      if (opaque != (frames[f].opaque[p] != 0) ||
          (opaque && frames[f].colours.GetPixel(x, y) != MakeColor(rgba[0], rgba[1], rgba[2]))) {
        ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << tool.name << " frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, GifFromOtherTools,
    ::testing::Values(ToolGif{"pillow_walk", 20, 14, 5}, ToolGif{"imagemagick_optimized", 20, 14, 5},
                      ToolGif{"gifsicle_o2", 20, 14, 5}, ToolGif{"ffmpeg_walk", 20, 14, 5},
                      ToolGif{"imagemagick_local_tables", 12, 8, 2},
                      ToolGif{"imagemagick_two_sizes", 12, 8, 2}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(GifFromOtherTools, InterlacedRowsComeBackInOrder) {
  const std::vector<GifFrame> frames = ReadAll(ReadWholeFile(kData / "imagemagick_interlaced.gif"));
  ASSERT_EQ(frames.size(), 1u);
  const Bitmap& image = frames[0].colours;
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
  // A FIFO stands for every file that is not a regular one: reading it must not wait for a writer.
  ASSERT_EQ(mkfifo((folder / "fifo.gif").c_str(), 0600), 0);
  for (const auto& bad : {folder / "none.gif", folder / "", folder / "fifo.gif"}) {
    try {
      ReadGifBytes(bad);
      ADD_FAILURE() << bad;
    } catch (const MediaError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("Failed to read GIF file: ", 0), 0u);
    }
  }
  EXPECT_THROW(ReadAll({}), MediaError);
  EXPECT_THROW(ReadAll({'G', 'I', 'F', '8', '9', 'a'}), MediaError);

  WriteAnimatedGif(folder / "good.gif", DistinctPalette(), PatternFrames(3, 9, 7));
  const std::vector<std::uint8_t> ours = ReadWholeFile(folder / "good.gif");
  const std::vector<std::uint8_t> foreign = ReadWholeFile(kData / "imagemagick_optimized.gif");
  for (std::size_t length = 0; length + 1 < ours.size(); ++length) {
    // Every cut loses at least the trailer; no cut may read past the bytes it has.
    EXPECT_THROW(ReadAll(std::vector<std::uint8_t>(ours.begin(), ours.begin() + length)),
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
      for (const GifFrame& frame : ReadAll(bytes)) EXPECT_FALSE(frame.colours.Empty());
    } catch (const MediaError&) {
    }
  }
}

}  // namespace
}  // namespace celwright
