#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_io.h"
#include "support/palette_adjust.h"
#include "support/palette_file.h"

namespace celwright {
namespace {

Palette256 Ramp() {
  Palette256 p{};
  for (int i = 0; i < 256; ++i) {
    p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
            static_cast<std::uint8_t>(i * 7)};
  }
  return p;
}

// A palette file as another program would write it: `stated` entries claimed, `present` there.
std::vector<std::uint8_t> ForeignFile(int stated, int present) {
  std::vector<std::uint8_t> bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ',
                                     'd', 'a', 't', 'a', 0, 0, 0, 0, 0x00, 0x03,
                                     static_cast<std::uint8_t>(stated & 0xFF),
                                     static_cast<std::uint8_t>(stated >> 8)};
  for (int i = 0; i < present; ++i)
    bytes.insert(bytes.end(), {9, 8, static_cast<std::uint8_t>(i), 0x05});
  return bytes;
}

TEST(PaletteFile, SavesTheFixedLayoutAndLoadsItBack) {
  const auto path = std::filesystem::temp_directory_path() / "celwright_palette_test.pal";
  SavePaletteFile(path, Ramp());
  ASSERT_EQ(std::filesystem::file_size(path), 1048u);
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  const std::vector<std::uint8_t> header = {'R',  'I',  'F', 'F', 0x10, 0x04, 0,    0,
                                            'P',  'A',  'L', ' ', 'd',  'a',  't',  'a',
                                            0x04, 0x04, 0,   0,   0x00, 0x03, 0x00, 0x01};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
  EXPECT_EQ(bytes[24 + 4 * 200 + 0], 200);
  EXPECT_EQ(bytes[24 + 4 * 200 + 1], 55);
  EXPECT_EQ(bytes[24 + 4 * 200 + 3], 0);

  Palette256 loaded{};
  const PaletteFileResult result = LoadPaletteFile(path, loaded);
  std::filesystem::remove(path);
  EXPECT_TRUE(result.Ok);
  EXPECT_EQ(result.EntriesRead, 256);
  EXPECT_EQ(loaded, Ramp());
}

TEST(PaletteFile, ShortFilesChangeOnlyTheEntriesTheyHold) {
  Palette256 palette = Ramp();
  ASSERT_TRUE(ReadPaletteFile(ForeignFile(16, 16), palette).Ok);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(palette[i], (RGBTriple{9, 8, static_cast<std::uint8_t>(i)}));
  for (int i = 16; i < 256; ++i) EXPECT_EQ(palette[i], Ramp()[i]);

  // A count beyond the bytes present, or beyond 256, is cut to what is there.
  palette = Ramp();
  EXPECT_EQ(ReadPaletteFile(ForeignFile(200, 3), palette).EntriesRead, 3);
  EXPECT_EQ(palette[3], Ramp()[3]);
  EXPECT_EQ(ReadPaletteFile(ForeignFile(0xFFFF, 300), palette).EntriesRead, 256);
  // Such a mismatch is said, never a silent success; a file of what it states says nothing.
  const PaletteFileResult cut = ReadPaletteFile(ForeignFile(256, 19), palette);
  EXPECT_TRUE(cut.Ok);
  EXPECT_NE(cut.Note.find("states 256 colours but it holds 19"), std::string::npos) << cut.Note;
  EXPECT_TRUE(ReadPaletteFile(ForeignFile(16, 16), palette).Note.empty());
}

// JASC-PAL as written by hand (and by the modders' palette tools), and a raw 768-byte palette
// made with printf (data/make_palettes.sh).
TEST(PaletteFile, ReadsJascAndRawPalettes) {
  const std::string jasc = "JASC-PAL\r\n0100\r\n3\r\n255 0 0\r\n0 128 0\r\n 1  2\t3 \r\n";
  Palette256 palette = Ramp();
  PaletteFileResult result =
      ReadPaletteFile(std::vector<std::uint8_t>(jasc.begin(), jasc.end()), palette);
  ASSERT_TRUE(result.Ok) << result.Error;
  EXPECT_EQ(result.EntriesRead, 3);
  EXPECT_TRUE(result.Note.empty());
  EXPECT_EQ(palette[0], (RGBTriple{255, 0, 0}));
  EXPECT_EQ(palette[1], (RGBTriple{0, 128, 0}));
  EXPECT_EQ(palette[2], (RGBTriple{1, 2, 3}));
  EXPECT_EQ(palette[3], Ramp()[3]);

  const std::string short_jasc = "JASC-PAL\n0100\n5\n9 9 9\n";
  result = ReadPaletteFile(std::vector<std::uint8_t>(short_jasc.begin(), short_jasc.end()), palette);
  EXPECT_TRUE(result.Ok);
  EXPECT_NE(result.Note.find("states 5 colours but it holds 1"), std::string::npos) << result.Note;

  palette = {};
  result = LoadPaletteFile(CELWRIGHT_SOURCE_DIR "/tests/support/data/raw768.pal", palette);
  ASSERT_TRUE(result.Ok) << result.Error;
  EXPECT_EQ(result.EntriesRead, 256);
  EXPECT_EQ(palette, Ramp());
}

TEST(PaletteFile, RefusesMalformedJascAndEmptyPalettesSayingWhy) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"JASC-PAL\n0100\n2\n255 0\n1 2 3\n", "line 4"},
      {"JASC-PAL\n0100\n1\n256 0 0\n", "line 4"},
      {"JASC-PAL\n0100\n1\n1 2 3 4\n", "line 4"},
      {"JASC-PAL\n0100\n1\n-1 2 3\n", "line 4"},
      {"JASC-PAL\n0100\nmany\n1 2 3\n", "line 3"},
      {"JASC-PAL\n1 2 3\n", "line 2"},
      {"JASC-PAL\n0100\n0\n", "no colours"},
      {"JASC-PAL\n0100\n4\n", "no colours"},
      {"JASC-PAL\n0100\n99999999999999999999\n1 2 3\n", "line 3"},
  };
  for (const auto& [text, why] : bad) {
    Palette256 palette = Ramp();
    const PaletteFileResult result =
        ReadPaletteFile(std::vector<std::uint8_t>(text.begin(), text.end()), palette);
    EXPECT_FALSE(result.Ok) << text;
    EXPECT_NE(result.Error.find(why), std::string::npos) << text << ": " << result.Error;
    EXPECT_EQ(palette, Ramp()) << text;
  }
  Palette256 palette = Ramp();
  const PaletteFileResult none = ReadPaletteFile(ForeignFile(0, 4), palette);
  EXPECT_FALSE(none.Ok);
  EXPECT_NE(none.Error.find("no colours"), std::string::npos);
  EXPECT_FALSE(ReadPaletteFile(std::vector<std::uint8_t>(767, 1), palette).Ok);
  EXPECT_EQ(palette, Ramp());
}

TEST(PaletteFile, RefusesWhatIsNotAPaletteAndChangesNothing) {
  std::vector<std::uint8_t> wrong_form = ForeignFile(16, 16);
  wrong_form[8] = 'A';  // "AVI "-like form type
  std::vector<std::uint8_t> no_data = ForeignFile(16, 16);
  no_data[12] = 'L';
  std::vector<std::uint8_t> truncated = ForeignFile(16, 16);
  truncated.resize(20);
  const std::vector<std::vector<std::uint8_t>> bad = {
      {}, {'R', 'I', 'F', 'F'}, wrong_form, no_data, truncated};
  for (const auto& bytes : bad) {
    Palette256 palette = Ramp();
    const PaletteFileResult result = ReadPaletteFile(bytes, palette);
    EXPECT_FALSE(result.Ok);
    EXPECT_FALSE(result.Error.empty());
    EXPECT_EQ(palette, Ramp());
  }
  Palette256 palette = Ramp();
  EXPECT_FALSE(LoadPaletteFile("/nonexistent/folder/x.pal", palette).Ok);
  EXPECT_FALSE(LoadPaletteFile(std::filesystem::temp_directory_path(), palette).Ok);
  EXPECT_EQ(palette, Ramp());
}

TEST(PaletteAdjust, BalanceAndContrastRoundHalvesToEven) {
  Palette256 p{};
  p[0] = {101, 101, 101};
  p[1] = {255, 1, 0};
  const Palette256 red = ColorizePalette(p, 50, 0, 0);
  EXPECT_EQ(red[0], (RGBTriple{178, 101, 101}));
  EXPECT_EQ(ColorizePalette(p, 100, -100, 0)[0], (RGBTriple{255, 0, 101}));
  const Palette256 contrast = ContrastizePalette(p, -50);
  EXPECT_EQ(contrast[1], (RGBTriple{128, 0, 0}));  // 127.5 -> 128, 0.5 -> 0
  EXPECT_EQ(ContrastizePalette(p, 0), p);
}

TEST(PaletteAdjust, NegativeTwiceIsIdentityAndGreyIsZeroSaturation) {
  const Palette256 p = Ramp();
  EXPECT_EQ(NegativePalette(p)[10], (RGBTriple{245, 10, 185}));
  EXPECT_EQ(NegativePalette(NegativePalette(p)), p);
  const Palette256 grey = GrayScalePalette(p);
  for (const RGBTriple& entry : grey) {
    EXPECT_EQ(entry.r, entry.g);
    EXPECT_EQ(entry.g, entry.b);
  }
  Palette256 pure{};
  pure[0] = {255, 0, 0};
  EXPECT_EQ(GrayScalePalette(pure)[0], (RGBTriple{127, 127, 127}));
}

}  // namespace
}  // namespace celwright
