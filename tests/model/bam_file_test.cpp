#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "model/bam_test_util.h"
#include "model/byte_view.h"
#include "model/engine_rules.h"
#include "model/qm_BAM.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::MakeSample;
using testing::TempPath;

void ExpectSameAnimation(const TBAM& a, const TBAM& b) {
  ASSERT_EQ(a.FrameCount(), b.FrameCount());
  ASSERT_EQ(a.CycleCount(), b.CycleCount());
  for (int i = 0; i < a.FrameCount(); ++i) {
    const TBAMFrame fa = a.GetFrame(i), fb = b.GetFrame(i);
    EXPECT_EQ(std::tie(fa.Width, fa.Height, fa.CentreX, fa.CentreY),
              std::tie(fb.Width, fb.Height, fb.CentreX, fb.CentreY));
    EXPECT_EQ(a.DecodeFrame(i), b.DecodeFrame(i)) << "frame " << i;
  }
  for (int c = 0; c < a.CycleCount(); ++c) {
    EXPECT_EQ(a.GetCycle(c).Frames, b.GetCycle(c).Frames);
  }
}

struct Kind {
  std::uint8_t type;
  bool compressed;
};

class RoundTrip : public ::testing::TestWithParam<Kind> {};

TEST_P(RoundTrip, KeepsFramesCyclesAndColours) {
  const Kind kind = GetParam();
  TBAM original;
  MakeSample(original, kind.type, 12);
  const auto path = TempPath("roundtrip.bam");
  ASSERT_TRUE(original.SaveToFile(path, kind.type, kind.compressed, false));

  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
  EXPECT_TRUE(loaded.Warnings.empty());
  EXPECT_EQ(loaded.BAMType, kind.type);
  EXPECT_EQ(loaded.Compressed, kind.compressed);
  ExpectSameAnimation(original, loaded);
  if (kind.type == kPalettedBAM) {
    EXPECT_EQ(loaded.Palette, original.Palette);
    EXPECT_EQ(loaded.CompColIndex, 3);
  } else {
    EXPECT_EQ(loaded.CompCol, original.CompCol);
    EXPECT_EQ(loaded.TransCol, original.TransCol);
    EXPECT_EQ(loaded.ShadowCol, original.ShadowCol);
  }

  // Saving what was loaded writes the same file again.
  const auto second = TempPath("roundtrip2.bam");
  ASSERT_TRUE(loaded.SaveToFile(second, kind.type, kind.compressed, false));
  EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(second));
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RoundTrip,
                         ::testing::Values(Kind{kPalettedBAM, false}, Kind{kPalettedBAM, true},
                                           Kind{kUnpalettedBAM, false},
                                           Kind{kUnpalettedBAM, true}));

TEST(BAMWriter, LaysOutHeaderTablesAndFlags) {
  TBAM bam;
  bam.NewBAM("x", true);
  for (int c = 0; c < 3; ++c) bam.AddCycle(-1);
  bam.InsertFrame(-1, -1, -1, false);
  bam.InsertFrame(-1, -1, -1, false);
  testing::SetPixels(bam, 1, 2, 1, -1, -32768, {0, 9});  // stays raw
  bam.AddFrameToCycle(0, 0);
  bam.AddFrameToCycle(1, 0);
  for (int i = 0; i < 5; ++i) bam.AddFrameToCycle(i % 2, 2);
  const auto path = TempPath("layout.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
  const auto bytes = ReadWholeFile(path);
  const ByteView file(bytes.data(), bytes.size());
  EXPECT_TRUE(file.Tag(0, "BAM ") && file.Tag(4, "V1  "));
  EXPECT_EQ(file.U16(8), 2);
  EXPECT_EQ(file.U8(10), 3);
  EXPECT_EQ(file.U32(12), 24u);
  const std::uint32_t palette = 24 + 24 + 12;
  EXPECT_EQ(file.U32(16), palette);
  EXPECT_EQ(file.U32(20), palette + 1024);
  const std::uint32_t data = palette + 1024 + 2 * 7;
  EXPECT_EQ(file.U32(24 + 8), data);  // frame 0 encoded: bit 31 clear
  EXPECT_EQ(file.U16(36 + 4), 0xFFFF);
  EXPECT_EQ(file.U16(36 + 6), 0x8000);
  EXPECT_EQ(file.U32(36 + 8), 0x80000000u | (data + 8));
  // Cycles of 2, 0 and 5 entries start at 0, 2 and 2.
  EXPECT_EQ(file.U16(48 + 2), 0);
  EXPECT_EQ(file.U16(52), 0);
  EXPECT_EQ(file.U16(52 + 2), 2);
  EXPECT_EQ(file.U16(56), 5);
  EXPECT_EQ(file.U16(56 + 2), 2);
  EXPECT_EQ(bam.LookupCount, 7);
  EXPECT_EQ(bytes.size(), data + 8 + 2);

  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.GetFrame(1).CentreX, -1);
  EXPECT_EQ(loaded.GetFrame(1).CentreY, -32768);
  EXPECT_FALSE(loaded.GetFrame(1).RLE);
}

TEST(BAMWriter, UnpalettedHeaderCarriesTheThreeColours) {
  TBAM bam;
  bam.NewBAM("x", true);
  bam.BAMType = kUnpalettedBAM;
  bam.CompCol = 0x00FF00FF;
  bam.TransCol = MakeColor(1, 2, 3);
  bam.ShadowCol = MakeColor(4, 5, 6);
  const auto path = TempPath("u.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kUnpalettedBAM, false, false));
  const auto bytes = ReadWholeFile(path);
  ASSERT_GE(bytes.size(), 28u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 11, bytes.begin() + 20),
            (std::vector<std::uint8_t>{0xFF, 0, 0xFF, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ByteView(bytes.data(), bytes.size()).U32(20), 28u);
}

TEST(BAMWriter, RefusesWhatTheFormatCannotHoldAndKeepsTheOldFile) {
  const auto path = TempPath("limits.bam");
  {
    std::ofstream(path) << "previous";
  }
  TBAM bam;
  bam.NewBAM("x", false);
  testing::SetPixels(bam, 0, 1, 1, 40000, 0, {1});
  EXPECT_THROW(bam.SaveToFile(path, kPalettedBAM, true, false), EBAMSaveError);
  testing::SetPixels(bam, 0, 1, 1, 0, 0, {1});
  for (int c = 0; c < 255; ++c) bam.AddCycle(-1);
  EXPECT_THROW(bam.SaveToFile(path, kPalettedBAM, true, false), EBAMSaveError);
  bam.DeleteCycle(0);
  EXPECT_THROW(bam.SaveToFile(path, kUnpalettedBAM, true, false), EBAMSaveError);
  EXPECT_EQ(bam.FileName, "x");
  const auto unwritable = TempPath("no-such-folder") / "a.bam";
  EXPECT_THROW(bam.SaveToFile(unwritable, kPalettedBAM, true, false), EBAMSaveError);
  const auto kept = ReadWholeFile(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous");
  EXPECT_FALSE(bam.SaveToFile(kUntitledBAM, kPalettedBAM, true, false));
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, true, false));
}

TEST(BAMWriter, PointsEveryFrameAtDataAndStoresEmptyFramesRaw) {
  // A file of empty frames only, one of them marked encoded, and one with an empty frame last.
  for (const bool with_data : {false, true}) {
    TBAM bam;
    bam.NewBAM("x", false);
    TBAMFrame empty = bam.GetFrame(0);
    empty.Width = empty.Height = 0;
    empty.RLE = true;
    if (with_data) {
      testing::SetPixels(bam, 0, 2, 2, 0, 0, {5, 6, 7, 8});
      bam.InsertFrame(-1, 0, -1, false);
      bam.ReplaceFrameData(1, {}, empty);
    } else {
      bam.ReplaceFrameData(0, {}, empty);
    }
    const auto path = TempPath("empty-frames.bam");
    ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
    const auto bytes = ReadWholeFile(path);
    const ByteView file(bytes.data(), bytes.size());
    for (int k = 0; k < bam.FrameCount(); ++k) {
      const std::uint32_t word = file.U32(24 + 12 * k + 8);
      EXPECT_LT(word & 0x7FFFFFFFu, bytes.size()) << "frame " << k;
      if (file.U16(24 + 12 * k) == 0) {
        EXPECT_NE(word & 0x80000000u, 0u) << "frame " << k;
      }
    }
    TBAM loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
    EXPECT_TRUE(loaded.Warnings.empty());
    ExpectSameAnimation(bam, loaded);
    // The padding stays out of the document: saving again writes the same file.
    const auto again = TempPath("empty-frames2.bam");
    ASSERT_TRUE(bam.SaveToFile(again, kPalettedBAM, false, false));
    EXPECT_EQ(ReadWholeFile(again), bytes);
  }
}

TEST(BAMWriter, WritesFromTheDocumentsOwnDataAndKeepsItWhenTheWriteFails) {
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(testing::TestFile("rabbG11.bam")));
  const auto path = TempPath("in-place.bam");
  const auto* before = bam.Data.data();
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
  // Tables of the same size are overwritten where they stand: the frame data is not copied.
  EXPECT_EQ(bam.Data.data(), before);
  EXPECT_EQ(ReadWholeFile(path), bam.Data);

  // Larger tables, then smaller ones, and an empty last frame, which needs a byte of padding.
  bam.AddCycle(-1);
  bam.AddFrameToCycle(3, bam.CycleCount() - 1);
  const std::vector<std::uint8_t> grown = bam.Data;
  EXPECT_THROW(bam.SaveToFile(TempPath("no-such-folder") / "a.bam", kPalettedBAM, false, false),
               EBAMSaveError);
  EXPECT_THROW(bam.SaveToFile(TempPath("no-such-folder") / "a.bam", kPalettedBAM, true, false),
               EBAMSaveError);
  EXPECT_EQ(bam.Data, grown);
  for (const bool compressed : {false, true}) {
    ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, compressed, false));
    TBAM loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
    EXPECT_TRUE(loaded.Warnings.empty());
    ExpectSameAnimation(bam, loaded);
    if (!compressed) {
      EXPECT_EQ(ReadWholeFile(path), bam.Data);
    }
    bam.DeleteCycle(0);
    bam.InsertFrame(-1, -1, -1, false);
    TBAMFrame empty = bam.GetFrame(bam.FrameCount() - 1);
    empty.Width = empty.Height = 0;
    bam.ReplaceFrameData(bam.FrameCount() - 1, {}, empty);
  }
}

TEST(BAMWriter, WritesThePaletteFourthBytesAsRead) {
  const std::string source = testing::TestFile("minimal_carot.bam");
  const auto original = ReadWholeFile(source);
  const ByteView in(original.data(), original.size());
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(source));
  const auto path = TempPath("fourth.bam"), exported = TempPath("fourth-cycle.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
  bam.ExportCycleAsBAM(exported.string(), 0);
  for (const auto& written_path : {path, exported}) {
    auto written = ReadWholeFile(written_path);
    if (ByteView(written.data(), written.size()).Tag(0, "BAMC")) {
      TBAM check;
      ASSERT_TRUE(check.LoadFromFile(written_path));
      ASSERT_TRUE(check.SaveToFile(path, kPalettedBAM, false, false));
      written = ReadWholeFile(path);
    }
    const ByteView out(written.data(), written.size());
    int nonzero = 0;
    for (std::uint32_t i = 0; i < 256; ++i) {
      const std::uint8_t read = in.U8(in.U32(16) + 4 * i + 3);
      nonzero += read != 0;
      EXPECT_EQ(out.U8(out.U32(16) + 4 * i + 3), read) << "entry " << i;
    }
    EXPECT_GT(nonzero, 0);
  }
  TBAM fresh;
  fresh.NewBAM("x", false);
  ASSERT_TRUE(fresh.SaveToFile(path, kPalettedBAM, false, false));
  const auto made = ReadWholeFile(path);
  for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(made[24 + 12 + 4 + 4 * i + 3], 0);
}

TEST(BAMWriter, StopsFramesAndLookupEntriesBelowWhatEnginesTakeForNone) {
  TBAM bam;
  bam.NewBAM("x", true);
  bam.AddCycle(-1);
  for (int i = 0; i < 65534; ++i) bam.InsertFrame(-1, -1, -1, false);
  EXPECT_THROW(bam.InsertFrame(-1, -1, -1, false), engine::EngineLimitError);
  EXPECT_EQ(bam.FrameCount(), 65534);
  for (int i = 0; i < 65534; ++i) bam.AddFrameToCycle(i, 0);
  EXPECT_THROW(bam.AddFrameToCycle(0, 0), engine::EngineLimitError);
  EXPECT_THROW(bam.AddCycle(0), engine::EngineLimitError);
  EXPECT_EQ(bam.LookupEntryCount(), 65534);
  const auto path = TempPath("most.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, true, false));
  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
  EXPECT_EQ(loaded.FrameCount(), 65534);
}

TEST(BAMReader, RefusesWhatItCannotRead) {
  TBAM bam;
  EXPECT_FALSE(bam.LoadFromFile(TempPath("missing.bam")));
  EXPECT_EQ(bam.ErrorCode, kErrorMissingFile);

  const auto path = TempPath("bad.bam");
  auto write = [&](const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
  write("GIF89a....");
  EXPECT_FALSE(bam.LoadFromFile(path));
  EXPECT_EQ(bam.ErrorCode, kErrorUnknownSignature);
  write("BAM V2  ");
  EXPECT_FALSE(bam.LoadFromFile(path));
  EXPECT_EQ(bam.ErrorCode, kErrorUnsupportedVersion);
  EXPECT_EQ(bam.ErrorMessage,
            "BAM V2 files keep their pixels in separate texture files and cannot be opened");
  write("BAM V1  \x05");
  EXPECT_FALSE(bam.LoadFromFile(path));
  EXPECT_EQ(bam.ErrorCode, kErrorUnreadable);
  write(std::string("BAMCV1  \x10\0\0\0garbage-that-is-not-zlib", 35));
  EXPECT_FALSE(bam.LoadFromFile(path));
  EXPECT_EQ(bam.ErrorCode, kErrorUnreadable);
  EXPECT_NE(bam.ErrorMessage.find("cannot be unpacked"), std::string::npos);
}

TEST(BAMReader, ReportsTheStagesInOrder) {
  TBAM bam;
  MakeSample(bam, kPalettedBAM, 4);
  const auto path = TempPath("stages.bam");
  std::vector<std::pair<int, int>> save;
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false,
                             [&](int position, int, std::uint8_t stage) {
                               save.emplace_back(stage, position);
                             }));
  // Tables ready (6) and the document holding the new image (7) take no copy of the frame data
  // and are reported done at once; the write (8) moves in 80 steps.
  const auto of_stage = [](int s) { return [s](auto p) { return p.first == s; }; };
  EXPECT_EQ(save.front().first, kStageSaveStart);
  EXPECT_EQ(std::count(save.begin(), save.end(), std::make_pair(int{kStageSaveFrameData}, 80)), 1);
  EXPECT_EQ(std::count(save.begin(), save.end(), std::make_pair(int{kStageSaveUpdate}, 80)), 1);
  EXPECT_EQ(std::count_if(save.begin(), save.end(), of_stage(kStageSaveWrite)), 80);
  EXPECT_EQ(save.back().first, kStageFinished);
  EXPECT_TRUE(std::is_sorted(save.begin(), save.end())) << ::testing::PrintToString(save);
  std::vector<int> compressed_stages;
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, true, false,
                             [&](int, int, std::uint8_t stage) { compressed_stages.push_back(stage); }));
  compressed_stages.erase(std::unique(compressed_stages.begin(), compressed_stages.end()),
                          compressed_stages.end());
  EXPECT_EQ(compressed_stages, (std::vector<int>{kStageSaveStart, kStageSaveFrameData, kStageSaveUpdate,
                                                 kStageSaveCompressed, kStageFinished}));
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));

  std::vector<std::pair<int, int>> load;
  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path, [&](int position, int, std::uint8_t stage) {
    load.emplace_back(stage, position);
  }));
  EXPECT_EQ(load.front(), std::make_pair(0, 0));
  EXPECT_EQ(std::count_if(load.begin(), load.end(), [](auto p) { return p.first == 1; }), 80);
  EXPECT_EQ(std::count_if(load.begin(), load.end(), [](auto p) { return p.first == 4; }), 256);
  EXPECT_EQ(load.back().first, kStageFinished);
}

}  // namespace
}  // namespace celwright
