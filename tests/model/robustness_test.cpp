#include <gtest/gtest.h>

#include <random>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::TempPath;
using testing::TestFile;

// Whatever the bytes, a load either succeeds with a consistent document or refuses with a
// message; the sanitizer builds catch any read out of bounds on the way.
void LoadAndCheck(const std::vector<std::uint8_t>& bytes, const std::string& path) {
  WriteFileAtomically(path, bytes);
  TBAM bam;
  if (!bam.LoadFromFile(path)) {
    EXPECT_FALSE(bam.ErrorMessage.empty());
    return;
  }
  std::size_t total = static_cast<std::size_t>(bam.DataStart);
  for (int i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    total += static_cast<std::size_t>(frame.DataSize);
    ASSERT_EQ(bam.FrameDataPosition(i) + static_cast<std::size_t>(frame.DataSize),
              bam.FrameDataPosition(i + 1));
    if (static_cast<std::uint64_t>(frame.Width) * frame.Height > TBAM::kMaxDecodedFramePixels) {
      EXPECT_THROW(bam.DecodeFrame(i), FrameTooLargeError);
      continue;
    }
    const auto pixels = bam.DecodeFrame(i);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(frame.Width) * frame.Height);
  }
  ASSERT_EQ(total, bam.Data.size());
  for (int c = 0; c < bam.CycleCount(); ++c) {
    for (std::int32_t entry : bam.GetCycle(c).Frames) {
      ASSERT_TRUE(entry >= 0 && entry < bam.FrameCount());
    }
  }
}

std::vector<std::uint8_t> PlainImage(const std::string& name) {
  const auto file = ReadWholeFile(TestFile(name));
  if (file.size() > 12 && std::equal(file.begin(), file.begin() + 4, "BAMC")) {
    return ZlibInflate(file.data() + 12, file.size() - 12, 0, 1 << 24);
  }
  return file;
}

TEST(Robustness, EveryTruncationLoadsOrRefuses) {
  const auto path = TempPath("truncated.bam");
  for (const char* name : {"carot.bam", "btnplsmn.bam", "minimal_carot.bam"}) {
    const auto image = PlainImage(name);
    for (std::size_t length = 0; length < image.size(); ++length) {
      LoadAndCheck(std::vector<std::uint8_t>(image.begin(), image.begin() + length), path);
    }
  }
  // A compressed file cut anywhere.
  const auto packed = ReadWholeFile(TestFile("wmdag.bam"));
  for (std::size_t length = 0; length < packed.size(); length += 7) {
    LoadAndCheck(std::vector<std::uint8_t>(packed.begin(), packed.begin() + length), path);
  }
}

TEST(Robustness, RandomByteChangesLoadOrRefuse) {
  const auto path = TempPath("mutated.bam");
  std::mt19937 random(1234);
  for (const char* name : {"btnplsmn.bam", "cursarrs.bam", "FOGOWAR.BAM"}) {
    const auto image = PlainImage(name);
    for (int trial = 0; trial < 400; ++trial) {
      auto bytes = image;
      const int changes = 1 + static_cast<int>(random() % 8);
      for (int c = 0; c < changes; ++c) {
        // Favour the header and tables, where a change does the most harm.
        const std::size_t span = random() % 2 ? std::min<std::size_t>(bytes.size(), 256)
                                              : bytes.size();
        bytes[random() % span] = static_cast<std::uint8_t>(random());
      }
      LoadAndCheck(bytes, path);
    }
  }
}

}  // namespace
}  // namespace celwright
