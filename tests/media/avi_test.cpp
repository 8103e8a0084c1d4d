#include <gtest/gtest.h>

#include <random>

#include "media/scratch_folder.h"
#include "media/synthetic_pictures.h"
#include "support/file_io.h"
#include "support/media/avi_reader.h"
#include "support/media/avi_writer.h"
#include "support/media/media_error.h"

namespace celwright {
namespace {

const std::filesystem::path kData = std::filesystem::path(CELWRIGHT_SOURCE_DIR "/tests/media/data");

using testing::DistinctPalette;

// Frames of an odd width, so every row needs padding in the file.
std::vector<Bitmap> NumberedFrames(int count) { return testing::PatternFrames(count, 13, 7); }

void ExpectShows(const Bitmap& decoded, const Bitmap& indices, const Palette256& palette) {
  ASSERT_EQ(decoded.Width(), indices.Width());
  ASSERT_EQ(decoded.Height(), indices.Height());
  for (int y = 0; y < indices.Height(); ++y) {
    for (int x = 0; x < indices.Width(); ++x) {
      ASSERT_EQ(decoded.GetPixel(x, y), ToColor(palette[indices.GetIndex(x, y)])) << x << "," << y;
    }
  }
}

// The message names the step first and then, where there is one, the reason.
void ExpectMessage(const std::function<void()>& action, const std::string& step,
                   const std::string& reason = "") {
  try {
    action();
    ADD_FAILURE() << "expected \"" << step << "\"";
  } catch (const MediaError& error) {
    const std::string text = error.what();
    EXPECT_EQ(text.rfind(step, 0), 0u) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
  }
}

TEST(AviRoundTrip, FramesReadBackExactlyWithOrWithoutAPlaceholder) {
  for (const bool placeholder : {true, false}) {
    testing::ScratchFolder folder;
    const Palette256 palette = DistinctPalette();
    const std::vector<Bitmap> frames = NumberedFrames(4);
    WriteAvi(folder / "cycle.avi", palette, frames, placeholder);

    const int first = placeholder ? 1 : 0;
    AviReader reader(folder / "cycle.avi");
    EXPECT_EQ(reader.Width(), 13);
    EXPECT_EQ(reader.Height(), 7);
    EXPECT_EQ(reader.DeclaredFrameCount(), 4);  // the frames, not the empty slot before them
    const std::vector<AviFrame> read = ReadAviFrames(folder / "cycle.avi");
    ASSERT_EQ(read.size(), 4u + first);
    EXPECT_EQ(read[0].is_placeholder, placeholder);
    EXPECT_EQ(read[0].picture.Empty(), placeholder);
    for (int k = 0; k < 4; ++k) {
      EXPECT_FALSE(read[k + first].is_placeholder);
      EXPECT_EQ(read[k + first].sample, k + first);
      ExpectShows(read[k + first].picture, frames[k], palette);
    }
    EXPECT_TRUE(folder.HoldsOnly(1));  // no temporary left behind
  }
}

TEST(AviRoundTrip, FileLayoutIsTheStandardOne) {
  testing::ScratchFolder folder;
  WriteAvi(folder / "layout.avi", DistinctPalette(), NumberedFrames(2), true);
  const std::vector<std::uint8_t> bytes = ReadWholeFile(folder / "layout.avi");
  auto text = [&](std::size_t at) {
    return std::string(bytes.begin() + at, bytes.begin() + at + 4);
  };
  auto u32 = [&](std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
  };
  EXPECT_EQ(text(0) + text(8), "RIFFAVI ");
  EXPECT_EQ(u32(4), bytes.size() - 8);
  EXPECT_EQ(text(108), "vids");
  EXPECT_EQ(u32(128), 1u);                // scale
  EXPECT_EQ(u32(132), 15u);               // rate
  EXPECT_EQ(u32(136), 1u);                // start: the frames are samples 1 and 2
  EXPECT_EQ(u32(172 + 14) & 0xFFFF, 8u);  // bits per pixel
  // Both frame totals (the main header's and the stream's length) are the frame chunks in
  // 'movi', which is what a reader decodes.
  std::uint32_t chunks = 0;
  const std::size_t movi = 1248;
  ASSERT_EQ(text(movi - 4), "movi");
  for (std::size_t at = movi; at + 8 <= movi - 4 + u32(movi - 8);
       at += 8 + ((u32(at + 4) + 1) & ~1u)) {
    EXPECT_EQ(text(at), "00db");
    chunks += u32(at + 4) > 0;
  }
  EXPECT_EQ(chunks, 2u);
  EXPECT_EQ(u32(48), chunks);   // total frames
  EXPECT_EQ(u32(140), chunks);  // stream length
  const std::size_t index = bytes.size() - 8 - 2 * 16;
  EXPECT_EQ(text(index), "idx1");
  EXPECT_EQ(u32(index + 4), 2u * 16u);
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(u32(index + 8 + 16 * k + 4), 0x10u) << "key frame flag";
    EXPECT_EQ(u32(index + 8 + 16 * k + 12), 16u * 7u);
  }
}

TEST(AviWriterFailures, ReportTheStepAndLeaveNoFile) {
  testing::ScratchFolder folder;
  const Palette256 palette = DistinctPalette();
  ExpectMessage([&] { AviWriter(folder / "missing" / "x.avi", 4, 4, palette); },
                "Failed to create AVI file", "No such file or directory");
  ExpectMessage([&] { AviWriter(folder / "x.avi", 0, 4, palette); }, "Failed to create AVI file");
  ExpectMessage(
      [&] {
        AviWriter writer(folder / "x.avi", 13, 7, palette);
        writer.AddFrame(NumberedFrames(1).front());
        writer.AddFrame(testing::PatternFrames(1, 12, 7).front());
      },
      "Failed to add frame to AVI");
  ExpectMessage(
      [&] {
        AviWriter writer(folder / "x.avi", 13, 7, palette);
        writer.AddFrame(NumberedFrames(1).front());
        writer.StartAtSampleOne();
      },
      "Failed to add frame to AVI");
  {
    AviWriter abandoned(folder / "x.avi", 13, 7, palette);
    abandoned.AddFrame(NumberedFrames(1).front());
  }
  EXPECT_TRUE(folder.HoldsOnly(0));
}

TEST(AviReaderFailures, NameTheStepAndWhy) {
  testing::ScratchFolder folder;
  std::filesystem::create_directories(folder / "folder.avi");
  WriteFileAtomically(folder / "empty.avi", {});
  WriteFileAtomically(folder / "text.avi", {'n', 'o', 't', ' ', 'a', 'v', 'i'});
  const std::pair<std::filesystem::path, const char*> cases[] = {
      {folder / "none.avi", "does not exist"}, {folder / "folder.avi", "folder.avi"},
      {folder / "empty.avi", "Invalid data"},  {folder / "text.avi", "Invalid data"},
      {kData / "imagemagick_two_sizes.gif", ""}};
  for (const auto& [path, reason] : cases) {
    ExpectMessage([&path] { AviReader reader(path); }, "Failed to open AVI file", reason);
  }
}

TEST(AviReaderForeignFiles, KeepsEveryFrameIncludingTheFirst) {
  const TColor expected[] = {MakeColor(255, 0, 0), MakeColor(0, 255, 0), MakeColor(0, 0, 255)};
  const std::vector<AviFrame> raw = ReadAviFrames(kData / "ffmpeg_bgr24.avi");
  ASSERT_EQ(raw.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(raw[k].is_placeholder);
    ASSERT_EQ(raw[k].picture.Width(), 16);
    ASSERT_EQ(raw[k].picture.Height(), 8);
    EXPECT_EQ(raw[k].picture.GetPixel(0, 0), expected[k]);
    EXPECT_EQ(raw[k].picture.GetPixel(15, 7), expected[k]);
  }
  const std::vector<AviFrame> jpeg = ReadAviFrames(kData / "ffmpeg_mjpeg.avi");
  ASSERT_EQ(jpeg.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(jpeg[k].is_placeholder);
    const TColor got = jpeg[k].picture.GetPixel(8, 4);
    EXPECT_NEAR(RedOf(got), RedOf(expected[k]), 12);
    EXPECT_NEAR(GreenOf(got), GreenOf(expected[k]), 12);
    EXPECT_NEAR(BlueOf(got), BlueOf(expected[k]), 12);
  }
}

// Damaged files either read (perhaps with fewer frames) or fail with our message; under the
// sanitizers this also proves no read goes astray.
TEST(AviReaderRobustness, TruncatedAndScrambledFilesFailCleanly) {
  testing::ScratchFolder folder;
  WriteAvi(folder / "good.avi", DistinctPalette(), NumberedFrames(3), true);
  const std::vector<std::uint8_t> good = ReadWholeFile(folder / "good.avi");
  const std::vector<std::uint8_t> foreign = ReadWholeFile(kData / "ffmpeg_mjpeg.avi");
  std::mt19937 random(1234);
  int failures = 0;
  auto attempt = [&](const std::vector<std::uint8_t>& bytes) {
    WriteFileAtomically(folder / "damaged.avi", bytes);
    try {
      for (const AviFrame& frame : ReadAviFrames(folder / "damaged.avi")) {
        EXPECT_TRUE(frame.is_placeholder || !frame.picture.Empty());
      }
    } catch (const MediaError&) {
      ++failures;
    }
  };
  for (int i = 0; i < 60; ++i) {
    const auto& source = i % 2 ? foreign : good;
    attempt(std::vector<std::uint8_t>(source.begin(), source.begin() + random() % source.size()));
  }
  for (int i = 0; i < 240; ++i) {
    std::vector<std::uint8_t> bytes = i % 3 ? good : foreign;
    const int changes = 1 + static_cast<int>(random() % 12);
    for (int c = 0; c < changes; ++c) {
      // Most changes go into the headers, where they do the most damage.
      const std::size_t limit =
          random() % 4 ? std::min<std::size_t>(bytes.size(), 1300) : bytes.size();
      bytes[random() % limit] = static_cast<std::uint8_t>(random());
    }
    attempt(bytes);
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace celwright
