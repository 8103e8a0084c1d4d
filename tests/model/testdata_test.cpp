#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "model/bam_test_util.h"
#include "model/byte_view.h"
#include "model/qm_BAM.h"
#include "support/crc32.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::TempPath;
using testing::TestFile;

struct FrameFacts {
  int width, height, centre_x, centre_y;
  std::uint32_t crc;
};

struct FileFacts {
  const char* name;
  bool compressed;
  int frames, cycles;
  FrameFacts first, last;
  std::vector<std::int32_t> first_cycle_start;
};

// Facts read off the files with an independent decoder.
const FileFacts kFiles[] = {
    {"CHMB1G11.BAM", false, 90, 9, {44, 71, 22, 60, 1618188950}, {44, 71, 22, 60, 3177831378},
     {0, 1, 2, 3, 4, 5}},
    {"FOGOWAR.BAM", true, 8, 1, {32, 32, 0, 0, 523730568}, {32, 32, 0, 0, 3723184089},
     {0, 1, 4, 5, 2, 3}},
    {"backpack.bam", true, 1, 1, {64, 64, 0, 0, 1393128605}, {64, 64, 0, 0, 1393128605}, {0}},
    {"btnhor.bam", true, 4, 1, {279, 50, 0, 0, 2286281335}, {279, 50, 0, 0, 2798346241},
     {0, 1, 2, 3}},
    {"btnplsmn.bam", true, 4, 2, {22, 23, 0, 0, 960885265}, {22, 23, 0, 0, 1244364251}, {0, 3}},
    {"carot.bam", false, 1, 1, {4, 13, 1, 12, 2781940986}, {4, 13, 1, 12, 2781940986}, {0}},
    {"cursarrs.bam", true, 8, 8, {48, 48, 48, 24, 2783276104}, {48, 48, 40, 40, 3252591576},
     {0, 0, 0, 0, 0, 0}},
    {"invslotb.bam", true, 3, 1, {42, 42, 0, 0, 345937712}, {42, 42, 0, 0, 1773118816},
     {1, 2, 2, 0}},
    {"rabbG11.bam", true, 99, 9, {12, 21, 5, 20, 2851584936}, {12, 27, 5, 20, 1712094298},
     {0, 1, 2, 3, 4, 5}},
    {"ruby32.bam", true, 2, 1, {32, 32, 16, 16, 3416816432}, {64, 64, 32, 32, 2974725713}, {0, 1}},
    {"scrlbar1.bam", true, 6, 1, {20, 20, 0, 0, 2745449510}, {8, 20, 0, 0, 4240543452},
     {0, 1, 2, 3, 4, 5}},
};

void ExpectFrame(const TBAM& bam, int index, const FrameFacts& facts) {
  const TBAMFrame f = bam.GetFrame(index);
  EXPECT_EQ(std::tie(f.Width, f.Height, f.CentreX, f.CentreY),
            std::tie(facts.width, facts.height, facts.centre_x, facts.centre_y));
  const auto pixels = bam.DecodeFrame(index);
  EXPECT_EQ(CRC32(pixels.data(), pixels.size()), facts.crc) << "frame " << index;
}

TEST(GameFiles, LoadWithTheirFramesCyclesAndPixels) {
  for (const FileFacts& facts : kFiles) {
    SCOPED_TRACE(facts.name);
    TBAM bam;
    ASSERT_TRUE(bam.LoadFromFile(TestFile(facts.name))) << bam.ErrorMessage;
    EXPECT_TRUE(bam.Warnings.empty());
    EXPECT_EQ(bam.BAMType, kPalettedBAM);
    EXPECT_EQ(bam.Compressed, facts.compressed);
    ASSERT_EQ(bam.FrameCount(), facts.frames);
    EXPECT_EQ(bam.CycleCount(), facts.cycles);
    ExpectFrame(bam, 0, facts.first);
    ExpectFrame(bam, bam.FrameCount() - 1, facts.last);
    const TCycleItem cycle = bam.GetCycle(0);
    EXPECT_EQ(TSmallLookup(cycle.Frames.begin(),
                           cycle.Frames.begin() + static_cast<long>(facts.first_cycle_start.size())),
              facts.first_cycle_start);
  }
}

TEST(GameFiles, SurviveSavingInBothContainers) {
  for (const FileFacts& facts : kFiles) {
    SCOPED_TRACE(facts.name);
    TBAM original;
    ASSERT_TRUE(original.LoadFromFile(TestFile(facts.name)));
    for (bool compressed : {false, true}) {
      TBAM copy;
      ASSERT_TRUE(copy.LoadFromFile(TestFile(facts.name)));
      const auto path = TempPath("game-copy.bam");
      ASSERT_TRUE(copy.SaveToFile(path, kPalettedBAM, compressed, true));
      EXPECT_EQ(copy.Compressed, compressed);
      ASSERT_EQ(copy.FrameCount(), original.FrameCount());
      EXPECT_EQ(copy.Palette, original.Palette);
      for (int i = 0; i < copy.FrameCount(); ++i) {
        ASSERT_EQ(copy.DecodeFrame(i), original.DecodeFrame(i));
      }
    }
  }
}

TEST(GameFiles, FlawedFilesOpenRepairedWithWarnings) {
  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(TestFile("minimal_carot.bam"))) << bam.ErrorMessage;
  ASSERT_EQ(bam.FrameCount(), 1);
  EXPECT_EQ(bam.GetFrame(0).Width, 0);
  EXPECT_EQ(bam.GetCycle(0).Count, 8);
  ASSERT_EQ(bam.Warnings.size(), 1u);
  EXPECT_NE(bam.Warnings[0].find("palette runs past the end"), std::string::npos);
  EXPECT_EQ(bam.Palette[255], RGBTriple{});

  // The last pixel of this file's first frame is a key whose count byte belongs to frame 1.
  ASSERT_TRUE(bam.LoadFromFile(TestFile("numtest.bam")));
  EXPECT_EQ(bam.FrameCount(), 11);
  ASSERT_EQ(bam.Warnings.size(), 1u);
  EXPECT_EQ(bam.Warnings[0], "Frame 0: a run reaches past the end of the frame and was clipped");
  ExpectFrame(bam, 0, {32, 32, 16, 16, 1125586262});
  ExpectFrame(bam, 10, {32, 32, 16, 16, 523639373});
}

// A file laid out unlike ours: frame entries after the palette and lookup table, frame data in
// front of the tables, two frames sharing one block of data.
TEST(UnusualLayouts, AreReadThroughTheirOffsets) {
  std::vector<std::uint8_t> file(24, 0);
  std::memcpy(file.data(), "BAM V1  ", 8);
  file[8] = 3;   // frames
  file[10] = 1;  // cycles
  file[11] = 0;  // key
  const std::uint32_t data_a = 24;
  const std::vector<std::uint8_t> a = {0, 3, 5, 6};  // 2x3 frame: four keys then 5, 6
  file.insert(file.end(), a.begin(), a.end());
  const std::uint32_t data_b = static_cast<std::uint32_t>(file.size());
  file.insert(file.end(), {9, 8, 7, 6});  // 2x2 raw
  const std::uint32_t palette = static_cast<std::uint32_t>(file.size());
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {std::uint8_t(i), 0, 0, 0});
  const std::uint32_t lookup = static_cast<std::uint32_t>(file.size());
  for (std::uint16_t f : {2, 0, 1}) PutU16(file, f);
  const std::uint32_t frames = static_cast<std::uint32_t>(file.size());
  auto entry = [&](int w, int h, std::uint32_t word) {
    PutU16(file, w);
    PutU16(file, h);
    PutU16(file, 1);
    PutU16(file, 0xFFFE);
    PutU32(file, word);
  };
  entry(2, 3, data_a);
  entry(2, 2, data_b | 0x80000000u);
  entry(2, 3, data_a);
  PutU16(file, 3);
  PutU16(file, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(12, frames);
  put32(16, palette);
  put32(20, lookup);
  const auto path = TempPath("layout-odd.bam");
  WriteFileAtomically(path, file);

  TBAM bam;
  ASSERT_TRUE(bam.LoadFromFile(path)) << bam.ErrorMessage;
  EXPECT_TRUE(bam.Warnings.empty());
  ASSERT_EQ(bam.FrameCount(), 3);
  EXPECT_EQ(bam.DecodeFrame(0), (std::vector<std::uint8_t>{0, 0, 0, 0, 5, 6}));
  EXPECT_EQ(bam.DecodeFrame(1), (std::vector<std::uint8_t>{9, 8, 7, 6}));
  EXPECT_EQ(bam.DecodeFrame(2), bam.DecodeFrame(0));
  EXPECT_EQ(bam.GetFrame(2).CentreY, -2);
  EXPECT_EQ(bam.GetCycle(0).Frames, (TSmallLookup{2, 0, 1}));
  EXPECT_EQ(bam.Palette[200].b, 200);

  // Editing one of the frames that shared data leaves the other alone.
  testing::SetPixels(bam, 0, 1, 1, 0, 0, {4});
  EXPECT_EQ(bam.DecodeFrame(2), (std::vector<std::uint8_t>{0, 0, 0, 0, 5, 6}));
}

TEST(DamagedFiles, BadLookupEntriesAndShortFramesAreRepaired) {
  TBAM bam;
  testing::MakeSample(bam, kPalettedBAM, 3);
  const auto path = TempPath("damaged.bam");
  ASSERT_TRUE(bam.SaveToFile(path, kPalettedBAM, false, false));
  auto bytes = ReadWholeFile(path);
  const ByteView view(bytes.data(), bytes.size());
  const std::uint32_t lookup = view.U32(20);
  bytes[lookup] = 77;  // cycle 0's first entry names frame 77
  bytes.resize(bytes.size() - 5);  // the last frame loses its tail
  WriteFileAtomically(path, bytes);

  TBAM loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path)) << loaded.ErrorMessage;
  ASSERT_EQ(loaded.Warnings.size(), 2u);
  EXPECT_EQ(loaded.Warnings[0],
            "Cycle 0: 1 lookup entries name frames that do not exist and were dropped");
  EXPECT_EQ(loaded.Warnings[1], "Frame 2: pixel data ends early; the rest of the frame is transparent");
  EXPECT_EQ(loaded.GetCycle(0).Count, 2);
  const auto repaired = loaded.DecodeFrame(2);
  const auto original = bam.DecodeFrame(2);
  ASSERT_EQ(repaired.size(), original.size());
  EXPECT_EQ(repaired.back(), loaded.TranspInd);
  EXPECT_EQ(repaired.front(), original.front());
  // A repaired document saves and loads cleanly.
  ASSERT_TRUE(loaded.SaveToFile(path, kPalettedBAM, true, true));
  EXPECT_TRUE(loaded.Warnings.empty());
}

}  // namespace
}  // namespace celwright
