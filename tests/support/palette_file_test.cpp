#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/palette_adjust.h"
#include "support/palette_file.h"
#include "support/qm_tools.h"

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
  std::vector<std::uint8_t> bytes = {'R',
                                     'I',
                                     'F',
                                     'F',
                                     0,
                                     0,
                                     0,
                                     0,
                                     'P',
                                     'A',
                                     'L',
                                     ' ',
                                     'd',
                                     'a',
                                     't',
                                     'a',
                                     0,
                                     0,
                                     0,
                                     0,
                                     0x00,
                                     0x03,
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
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
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
  // Previews start from the saved copy, so twice is once.
  EXPECT_EQ(ColorizePalette(p, 50, 0, 0), red);
  const Palette256 contrast = ContrastizePalette(p, -50);
  EXPECT_EQ(contrast[1], (RGBTriple{128, 0, 0}));  // 127.5 -> 128, 0.5 -> 0
  EXPECT_EQ(ContrastizePalette(p, 0), p);
}

TEST(PaletteAdjust, NegativeTwiceIsIdentityAndGreyIsZeroSaturation) {
  const Palette256 p = Ramp();
  EXPECT_EQ(NegativePalette(p)[10], (RGBTriple{245, 10, 185}));
  EXPECT_EQ(NegativePalette(NegativePalette(p)), p);
  const Palette256 grey = GrayScalePalette(p);
  for (int i : {0, 37, 128, 255}) {
    int h = 0, s = 0, l = 0;
    ColorToHSL(ToColor(p[i]), h, s, l);
    EXPECT_EQ(grey[i], ToTriple(HSLToColor(h, 0, l)));
    EXPECT_EQ(grey[i].r, grey[i].g);
    EXPECT_EQ(grey[i].g, grey[i].b);
  }
  Palette256 pure{};
  pure[0] = {255, 0, 0};
  EXPECT_EQ(GrayScalePalette(pure)[0], (RGBTriple{127, 127, 127}));
}

}  // namespace
}  // namespace celwright
