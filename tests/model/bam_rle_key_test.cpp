#include "model/bam_rle_key.h"

#include <gtest/gtest.h>

#include "model/bam_test_util.h"

namespace celwright {
namespace {

using testing::MakeSample;
using testing::TempPath;
using testing::TestFile;

std::vector<std::vector<std::uint8_t>> AllPixels(const TBAM& bam) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) frames.push_back(bam.DecodeFrame(i));
  return frames;
}

// carot.bam encodes its frames under key 129: a new key must leave every pixel as it was, in
// memory and after a round trip through a file, and a frame is encoded only where that pays.
TEST(CompressionKeyChange, GameFileKeepsItsPixelsUnderANewKey) {
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(TestFile("carot.bam")));
  ASSERT_EQ(bam.CompColIndex, 129);
  const auto before = AllPixels(bam);
  bool any_encoded = false;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) any_encoded |= bam.GetFrame(i).RLE;
  ASSERT_TRUE(any_encoded);

  SetCompressionKey(bam, 0, bam.CompCol);
  EXPECT_EQ(bam.CompColIndex, 0);
  EXPECT_EQ(AllPixels(bam), before);
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    EXPECT_LE(frame.DataSize, frame.Width * frame.Height) << "frame " << i;
  }

  const std::string path = TempPath("carot_key0.bam").string();
  ASSERT_TRUE(bam.SaveAs(path, kPalettedBAM, false));
  TBAM reread;
  ASSERT_TRUE(reread.LoadFromFile(path));
  EXPECT_EQ(reread.CompColIndex, 0);
  EXPECT_EQ(AllPixels(reread), before);
}

TEST(CompressionKeyChange, UnpalettedFramesFollowTheKeyColourOnly) {
  TBAM bam;
  MakeSample(bam, kUnpalettedBAM, 6);
  const auto before = AllPixels(bam);
  const std::vector<std::uint8_t> data_before = bam.Data;

  // The index key means nothing to an unpaletted animation: stored, nothing re-encoded.
  SetCompressionKey(bam, 77, bam.CompCol);
  EXPECT_EQ(bam.CompColIndex, 77);
  EXPECT_EQ(bam.Data, data_before);

  SetCompressionKey(bam, 77, MakeColor(12, 34, 56));
  EXPECT_EQ(bam.CompCol, MakeColor(12, 34, 56));
  EXPECT_EQ(AllPixels(bam), before);
}

}  // namespace
}  // namespace celwright
