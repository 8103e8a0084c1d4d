#include <gtest/gtest.h>

#include <tuple>

#include "model/qm_BAM.h"
#include "model/bam_test_util.h"

namespace celwright {
namespace {

using testing::SetPixels;

std::vector<std::int32_t> Entries(const TBAM& bam, int cycle) {
  const TCycleItem item = bam.GetCycle(cycle);
  return {item.Frames.begin(), item.Frames.begin() + item.Count};
}

// Frames whose single pixel tells them apart.
void MakeNumberedFrames(TBAM& bam, int count) {
  bam.NewBAM(kUntitledBAM, true);
  bam.AddCycle(-1);
  for (int i = 0; i < count; ++i) {
    bam.InsertFrame(-1, 0, -1, false);
    SetPixels(bam, i, 1, 1, i, 0, {static_cast<std::uint8_t>(10 + i)});
  }
}

TEST(NewDocument, HoldsOneTransparentFrameInOneCycle) {
  TBAM bam;
  bam.NewBAM(kUntitledBAM, false);
  EXPECT_TRUE(bam.IsOpen);
  EXPECT_EQ(bam.BAMType, kPalettedBAM);
  EXPECT_TRUE(bam.Compressed);
  ASSERT_EQ(bam.FrameCount(), 1);
  ASSERT_EQ(bam.CycleCount(), 1);
  EXPECT_EQ(Entries(bam, 0), std::vector<std::int32_t>{0});
  const TBAMFrame f = bam.GetFrame(0);
  EXPECT_EQ(std::tie(f.Width, f.Height, f.CentreX, f.CentreY, f.RLE),
            std::make_tuple(32, 32, 16, 16, true));
  EXPECT_EQ(bam.Data, (std::vector<std::uint8_t>{0, 255, 0, 255, 0, 255, 0, 255}));
}

TEST(FrameEditing, InsertBeforeLastKeepsCyclesPointingAtTheSameFrames) {
  TBAM bam;
  MakeNumberedFrames(bam, 3);
  bam.InsertFrame(2, 0, 1, false);  // before the old last frame
  ASSERT_EQ(bam.FrameCount(), 4);
  EXPECT_EQ(Entries(bam, 0), (std::vector<std::int32_t>{0, 2, 1, 3}));
  EXPECT_EQ(bam.DecodeFrame(3), std::vector<std::uint8_t>{12});  // old last frame, still last
  EXPECT_EQ(bam.DecodeFrame(2), std::vector<std::uint8_t>{0});   // the new transparent one
  EXPECT_EQ(bam.GetFrame(2).CentreX, 2);                         // its neighbour's centre
}

TEST(FrameEditing, DuplicateAppendsACopyOfTheLastFrame) {
  TBAM bam;
  MakeNumberedFrames(bam, 2);
  bam.InsertFrame(-1, -1, -1, true);
  ASSERT_EQ(bam.FrameCount(), 3);
  EXPECT_EQ(bam.DecodeFrame(2), std::vector<std::uint8_t>{11});
  EXPECT_EQ(Entries(bam, 0), (std::vector<std::int32_t>{0, 1}));
  EXPECT_THROW(bam.InsertFrame(5, 0, -1, false), EFrameNotExists);
  EXPECT_EQ(bam.FrameCount(), 3);
}

TEST(FrameEditing, DeleteRemovesEveryEntryAndRenumbersTheRest) {
  TBAM bam;
  MakeNumberedFrames(bam, 4);
  bam.AddCycle(-1);
  for (int f : {1, 0, 1, 3, 2}) bam.AddFrameToCycle(f, 1);
  bam.DeleteFrame(1);
  EXPECT_EQ(Entries(bam, 1), (std::vector<std::int32_t>{0, 2, 1}));
  EXPECT_EQ(bam.DecodeFrame(1), std::vector<std::uint8_t>{12});
  EXPECT_EQ(bam.Data.size(), 3u);  // data stays contiguous
  EXPECT_THROW(bam.DeleteFrame(3), EFrameNotExists);
  EXPECT_THROW(bam.GetFrame(3), EFrameNotExists);
}

TEST(CycleEditing, CopiesAreIndependentAndPositionsAreChecked) {
  TBAM bam;
  MakeNumberedFrames(bam, 3);
  ASSERT_TRUE(bam.AddCycle(0));
  EXPECT_FALSE(bam.AddCycle(9));
  bam.AddFrameToCycle(1, 1);
  EXPECT_EQ(Entries(bam, 0), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(Entries(bam, 1), (std::vector<std::int32_t>{0, 1, 2, 1}));
  EXPECT_EQ(bam.GetCycle(1).FirstIndex, 3);

  EXPECT_TRUE(bam.MoveFrameInCycle(1, 3, 0));
  EXPECT_EQ(Entries(bam, 1), (std::vector<std::int32_t>{1, 0, 1, 2}));
  EXPECT_TRUE(bam.MoveFrameInCycle(1, 0, 2));
  EXPECT_EQ(Entries(bam, 1), (std::vector<std::int32_t>{0, 1, 1, 2}));
  EXPECT_FALSE(bam.MoveFrameInCycle(1, 0, 4));
  EXPECT_TRUE(bam.DeleteFrameFromCycle(1, 0));
  EXPECT_FALSE(bam.DeleteFrameFromCycle(1, 3));
  EXPECT_EQ(Entries(bam, 1), (std::vector<std::int32_t>{1, 1, 2}));

  EXPECT_THROW(bam.AddFrameToCycle(0, 5), EFrameNotExists);
  EXPECT_THROW(bam.AddFrameToCycle(3, 0), EFrameNotExists);
  EXPECT_THROW(bam.GetCycle(2), EFrameNotExists);
  EXPECT_FALSE(bam.DeleteCycle(-1));
  EXPECT_TRUE(bam.DeleteCycle(0));
  EXPECT_EQ(bam.CycleCount(), 1);
}

TEST(FrameEditing, UnpalettedTransparentFramesUseTheTransparentColour) {
  TBAM bam;
  testing::NewUnpaletted(bam, MakeColor(1, 2, 3), MakeColor(9, 9, 9));
  bam.InsertFrame(-1, -1, -1, false);
  const std::vector<std::uint8_t> pixels = bam.DecodeFrame(0);
  ASSERT_EQ(pixels.size(), 32u * 32u * 3u);
  EXPECT_EQ(pixels[0], 1);
  EXPECT_EQ(pixels[3071], 3);
  EXPECT_FALSE(bam.GetFrame(0).RLE);  // the key colour differs, so nothing compresses
}

}  // namespace
}  // namespace celwright
