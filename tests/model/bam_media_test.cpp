#include <gtest/gtest.h>

#include <filesystem>

#include "model/bam_export.h"
#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "support/image_io/image_file.h"
#include "support/media/avi_reader.h"

namespace celwright {
namespace {

using testing::SetPixels;
using testing::TempPath;

// Two frames of the box example: 10 x 10 centred at (5, 5) and 20 x 4 centred at (0, 0).
void BoxExample(TBAM& bam) {
  bam.NewBAM(kUntitledBAM, true);
  bam.OverrideTransCol = bam.OverrideShadowCol = false;
  for (int i = 0; i < 256; ++i) bam.Palette[i] = {static_cast<std::uint8_t>(i), 40, 90};
  bam.AddCycle(-1);
  bam.InsertFrame(-1, 0, -1, false);
  bam.InsertFrame(-1, 0, -1, false);
  std::vector<std::uint8_t> a(100), b(80);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(i % 7);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(20 + i % 5);
  SetPixels(bam, 0, 10, 10, 5, 5, a);
  SetPixels(bam, 1, 20, 4, 0, 0, b);
  bam.AddFrameToCycle(0, 0);
}

TEST(ExportBox, HoldsEveryFrameAroundTheCommonCentre) {
  TBAM bam;
  BoxExample(bam);
  const ExportBox box = ComputeExportBox(bam, bam.GetCycle(0));
  EXPECT_EQ(box.Width(), 25);
  EXPECT_EQ(box.Height(), 10);
  const auto corner = [&](int f) {
    return std::make_pair(box.FrameLeft(bam.GetFrame(f)), box.FrameTop(bam.GetFrame(f)));
  };
  EXPECT_EQ(corner(0), std::make_pair(0, 0));
  EXPECT_EQ(corner(1), std::make_pair(5, 5));
  EXPECT_EQ(WithExtension("clip.AVI", ".avi"), "clip.AVI");
  EXPECT_EQ(WithExtension("clip.bam", ".avi"), "clip.bam.avi");
  EXPECT_EQ(WithExtension("clip.avi", ".avi"), "clip.avi");
  EXPECT_EQ(ResolveExportCycle(bam, 7), 0);
}

TEST(ExportCycleAsBAM, WritesEachFrameOnceAndKeepsRepeats) {
  TBAM bam;
  BoxExample(bam);
  bam.AddCycle(-1);
  for (int f : {1, 0, 1}) bam.AddFrameToCycle(f, 1);
  const auto path = TempPath("cycle-export");
  bam.ExportCycleAsBAM(path, 1);
  TBAM exported;
  ASSERT_TRUE(exported.LoadFromFile(path.string() + ".bam")) << exported.ErrorMessage;
  EXPECT_TRUE(exported.Compressed);
  ASSERT_EQ(exported.FrameCount(), 2);
  EXPECT_EQ(exported.GetCycle(0).Frames, (TSmallLookup{0, 1, 0}));
  EXPECT_EQ(exported.DecodeFrame(0), bam.DecodeFrame(1));
  EXPECT_EQ(exported.DecodeFrame(1), bam.DecodeFrame(0));
  EXPECT_EQ(exported.GetFrame(1).CentreX, 5);
  EXPECT_EQ(exported.Palette, bam.Palette);
}

TEST(VideoImport, FilesFromOtherProgramsKeepEveryFrame) {
  const std::string data = std::string(CELWRIGHT_SOURCE_DIR "/tests/media/data/");
  TBAM bam;
  bam.NewBAM(kUntitledBAM, true);
  bam.BAMType = kUnpalettedBAM;
  const auto expected = ReadAviFrames(data + "ffmpeg_bgr24.avi");
  bam.ImportAVI(data + "ffmpeg_bgr24.avi");
  ASSERT_EQ(bam.FrameCount(), static_cast<int>(expected.size()));
  Bitmap first;
  bam.GetFrameBitmap(0, first, nullptr);
  EXPECT_EQ(first, expected[0].picture);

  TBAM gif;
  gif.NewBAM(kUntitledBAM, true);
  gif.ImportGIF(data + "imagemagick_two_sizes.gif");
  ASSERT_EQ(gif.FrameCount(), 2);  // the small second image is placed on the whole screen
  EXPECT_EQ(gif.GetFrame(1).Width, 12);

  EXPECT_THROW(bam.ImportAVI(data + "README.md"), std::exception);
  EXPECT_EQ(bam.CycleCount(), 1);  // a failed import adds nothing
}

TEST(BitmapStrip, PutsEachEntryInItsCell) {
  TBAM bam;
  BoxExample(bam);
  const auto path = TempPath("strip");
  bam.ExportBMP(path, 0);
  Bitmap strip;
  Palette256 palette{};
  ASSERT_TRUE(LoadImageFile(strip, palette, 0, path.string() + ".bmp"));
  ASSERT_EQ(strip.Width(), 75);  // three entries: 0, 1, 0
  ASSERT_EQ(strip.Height(), 10);
  EXPECT_EQ(strip.GetIndex(25 + 5, 5), 20);  // frame 1's first pixel in the second cell
  EXPECT_EQ(strip.GetIndex(3, 0), 3);
  EXPECT_EQ(strip.GetIndex(25, 0), 0);
}

TEST(Conversion, PalettedToUnpalettedAndBackLooksTheSame) {
  TBAM bam;
  testing::MakeSample(bam, kPalettedBAM, 6);
  bam.OverrideTransCol = bam.OverrideShadowCol = false;
  std::vector<Bitmap> before(bam.FrameCount());
  for (int i = 0; i < bam.FrameCount(); ++i) bam.GetFrameBitmap(i, before[i], nullptr);
  const Palette256 palette = bam.Palette;

  bam.SetBAMType(kUnpalettedBAM);
  EXPECT_EQ(bam.BAMType, kUnpalettedBAM);
  EXPECT_EQ(bam.DataStart, 0);
  EXPECT_EQ(bam.CompCol, ToColor(palette[0]));
  for (int i = 0; i < bam.FrameCount(); ++i) {
    Bitmap now;
    bam.GetFrameBitmap(i, now, nullptr);
    ASSERT_EQ(now, before[i]);
    EXPECT_FALSE(bam.GetFrame(i).RLE);
  }

  bam.SetBAMType(kPalettedBAM);
  EXPECT_EQ(bam.Palette[0], palette[0]);
  EXPECT_EQ(bam.Palette[1], palette[1]);
  for (int i = 0; i < bam.FrameCount(); ++i) {
    Bitmap now;
    bam.GetFrameBitmap(i, now, nullptr);
    ASSERT_EQ(now, before[i]) << "frame " << i;
  }
}

TEST(Conversion, ManyColoursGetOneSharedPaletteWithTransparencyKept) {
  TBAM bam;
  testing::NewUnpaletted(bam, MakeColor(0, 255, 0), 0);
  bam.InsertFrame(-1, -1, -1, false);
  Bitmap gradient(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) gradient.SetPixel(x, y, MakeColor(x * 4, y * 4, 128));
  gradient.SetPixel(0, 0, bam.TransCol);
  testing::SetPicture(bam, 0, gradient);

  bam.SetBAMType(kPalettedBAM);
  const auto indices = bam.DecodeFrame(0);
  EXPECT_EQ(indices[0], 0);
  double error = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (x == 0 && y == 0) continue;
      const RGBTriple got = bam.Palette[indices[y * 64 + x]];
      error += std::abs(got.r - x * 4) + std::abs(got.g - y * 4) + std::abs(got.b - 128);
    }
  }
  EXPECT_LT(error / (64 * 64), 12.0);  // 4096 colours in 254 entries: a few steps off at most
}

}  // namespace
}  // namespace celwright
