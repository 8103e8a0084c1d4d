// Sprite sheets with their data and animated PNGs: files written by Pillow and ffmpeg (see
// testdata/exchange/README.md), and round trips through our own exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/animation_exchange.h"
#include "model/apng_exchange.h"
#include "model/bam_test_util.h"
#include "model/sprite_sheet_export.h"
#include "model/sprite_sheet_import.h"
#include "support/crc32.h"
#include "support/file_io.h"
#include "support/image_io/apng_file.h"
#include "support/image_io/qm_png.h"
#include "support/media/media_error.h"

namespace celwright {
namespace {

std::string Exchange(const std::string& name) {
  return std::string(CELWRIGHT_TESTDATA_DIR) + "/exchange/" + name;
}

RgbaPicture ReadRgba(const std::string& path) { return DecodePNGToRGBA(ReadWholeFile(path)); }

// A piece of a picture as the editor keeps it: see-through below half alpha, the rest opaque.
RgbaPicture Shown(const RgbaPicture& from, int left, int top, int width, int height) {
  RgbaPicture piece(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* in = from.At(left + x, top + y);
      if (in[3] < kExchangeOpaqueFrom) continue;
      std::copy(in, in + 3, piece.At(x, y));
      piece.At(x, y)[3] = 255;
    }
  }
  return piece;
}

void NewDocument(TBAM& bam) {
  bam.NewBAM("exchange.bam", true);
  bam.TransCol = kDefaultTransCol;
  bam.ShadowCol = kDefaultShadowCol;
  bam.OverrideTransCol = bam.OverrideShadowCol = true;
}

std::vector<std::vector<std::int32_t>> Cycles(const TBAM& bam) {
  std::vector<std::vector<std::int32_t>> cycles;
  for (std::int32_t c = 0; c < bam.CycleCount(); ++c) cycles.push_back(bam.GetCycle(c).Frames);
  return cycles;
}

// The hand-written data over Pillow's sheets: entries 0 and 3 are one picture with one pivot.
TEST(SpriteSheetImport, ArrayAndHashLayoutsTrimmedOrNotGiveTheSheetsFramesAndTags) {
  const RgbaPicture sheet = ReadRgba(Exchange("sheet.png"));
  for (const char* data : {"sheet_array.json", "trimmed_hash.json"}) {
    SCOPED_TRACE(data);
    TBAM bam;
    NewDocument(bam);
    BuildExchangedDocument(bam, ReadSpriteSheet(Exchange(data)), true);
    ASSERT_EQ(bam.FrameCount(), 3);
    const std::vector<std::vector<std::int32_t>> tags = {
        {0, 1, 2}, {0, 2, 1}, {0, 1, 2, 0, 2, 1}};  // forward, reverse, pingpong
    EXPECT_EQ(Cycles(bam), tags);
    for (std::int32_t f = 0; f < 3; ++f) {
      EXPECT_EQ(FrameAsRgba(bam, f), Shown(sheet, 10 * f, 0, 10, 12)) << "frame " << f;
    }
    const bool trimmed = std::string(data) == "trimmed_hash.json";
    // Pivots are fractions of the 10 x 12 source size; frame 2 of the untrimmed data has none.
    EXPECT_EQ(bam.GetFrame(0).CentreX, trimmed ? 3 : 5);
    EXPECT_EQ(bam.GetFrame(0).CentreY, trimmed ? 6 : 9);
    EXPECT_EQ(bam.GetFrame(2).CentreX, trimmed ? 3 : 5);
    EXPECT_EQ(bam.GetFrame(2).CentreY, trimmed ? 6 : 12);
  }
}

TEST(SpriteSheetImport, RefusesRotatedFramesAndCutsPlainSheetsByGrid) {
  try {
    ReadSpriteSheet(Exchange("rotated.json"));
    FAIL() << "a rotated frame was accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("\"turned\" is rotated"), std::string::npos) << e.what();
  }
  const RgbaPicture sheet = ReadRgba(Exchange("sheet.png"));
  TBAM bam;
  NewDocument(bam);
  BuildExchangedDocument(bam, CutSpriteSheet(Exchange("grid_paletted.png"), 10, 12, 3), false);
  ASSERT_EQ(bam.FrameCount(), 3);
  EXPECT_EQ(Cycles(bam), (std::vector<std::vector<std::int32_t>>{{0, 1, 2}}));
  for (std::int32_t f = 0; f < 3; ++f) {
    EXPECT_EQ(FrameAsRgba(bam, f), Shown(sheet, 10 * f, 0, 10, 12));
    EXPECT_EQ(bam.GetFrame(f).CentreX, 5);
    EXPECT_EQ(bam.GetFrame(f).CentreY, 12);
  }
  EXPECT_THROW(CutSpriteSheet(Exchange("grid_paletted.png"), 10, 12, 5), std::runtime_error);

  // Data that does not fit its sheet is refused with a message, never read past the picture.
  const std::string image = "\"meta\": {\"image\": \"" + Exchange("sheet.png") + "\"";
  const std::string entry = "{\"frame\": {\"x\": 0, \"y\": 0, \"w\": 10, \"h\": 12}}";
  for (const std::string& bad : {
           std::string("{\"frames\": [") + entry + ",",  // not JSON
           "{\"frames\": [{\"frame\": {\"x\": 35, \"y\": 0, \"w\": 10, \"h\": 12}}], " +
               image + "}}",
           "{\"frames\": [" + entry + "], " + image +
               ", \"frameTags\": [{\"name\": \"a\", \"from\": 0, \"to\": 1}]}}",
           "{\"frames\": [" + entry + "], " + image +
               ", \"frameTags\": [{\"from\": 0, \"to\": 0, \"direction\": \"up\"}]}}",
           "{\"frames\": [" + entry + "], \"meta\": {\"image\": \"missing.png\"}}"}) {
    const auto file = testing::TempPath("bad.json");
    WriteFileAtomically(file, std::vector<std::uint8_t>(bad.begin(), bad.end()));
    EXPECT_THROW(ReadSpriteSheet(file.string()), std::runtime_error) << bad;
    std::filesystem::remove(file);
  }
}

// Every entry of cycle `c` comes back as entry of `back`'s cycle `d` with the pixels, size and
// centre the editor showed.
void ExpectSameEntries(const TBAM& original, std::int32_t c, const TBAM& back, std::int32_t d) {
  {
    const TCycleItem a = original.GetCycle(c), b = back.GetCycle(d);
    ASSERT_EQ(a.Count, b.Count) << "sequence " << c;
    for (std::int32_t j = 0; j < a.Count; ++j) {
      const TBAMFrame fa = original.GetFrame(a.Frames[j]), fb = back.GetFrame(b.Frames[j]);
      EXPECT_EQ(std::tie(fa.Width, fa.Height, fa.CentreX, fa.CentreY),
                std::tie(fb.Width, fb.Height, fb.CentreX, fb.CentreY));
      EXPECT_EQ(FrameAsRgba(original, a.Frames[j]), FrameAsRgba(back, b.Frames[j]))
          << "sequence " << c << " entry " << j;
    }
  }
}

void ExpectSameSequences(const TBAM& original, const TBAM& back) {
  ASSERT_EQ(back.CycleCount(), original.CycleCount());
  for (std::int32_t c = 0; c < original.CycleCount(); ++c) ExpectSameEntries(original, c, back, c);
}

TEST(SpriteSheetRoundTrip, SheetAndDataKeepEveryFramesPixelsSizeCentreAndSequence) {
  TBAM original;
  NewDocument(original);
  ASSERT_TRUE(original.LoadFromFile(CELWRIGHT_SOURCE_DIR "/resources/sample.bam"));
  SheetExportOptions grid, packed;
  packed.packed = true;
  packed.padding = 3;
  packed.indexed = true;
  for (const SheetExportOptions& options : {grid, packed}) {
    SCOPED_TRACE(options.packed ? "packed, indexed" : "grid");
    const auto png = testing::TempPath("sheet.png"), json = testing::TempPath("sheet.json");
    ExportSpriteSheet(original, png.string(), json.string(), options);
    TBAM back;
    NewDocument(back);
    BuildExchangedDocument(back, ReadSpriteSheet(json.string()), true);
    ExpectSameSequences(original, back);
    std::filesystem::remove(png);
    std::filesystem::remove(json);
  }
}

// Frames as the editor keeps what Pillow composed: the same see-through pixels, and colours
// within one step of rounding where blending mixed them.
void ExpectShownLikePillow(const ApngAnimation& animation, const RgbaPicture& strip) {
  ASSERT_EQ(strip.width, animation.width * static_cast<int>(animation.frames.size()));
  for (std::size_t f = 0; f < animation.frames.size(); ++f) {
    const int w = animation.width, h = animation.height;
    const RgbaPicture ours = Shown(animation.frames[f], 0, 0, w, h);
    const RgbaPicture pillow = Shown(strip, static_cast<int>(f) * w, 0, w, h);
    int differences = 0;
    for (std::size_t i = 0; i < ours.rgba.size(); ++i) {
      differences += std::abs(ours.rgba[i] - pillow.rgba[i]) > 1;
    }
    EXPECT_EQ(differences, 0) << "frame " << f;
  }
}

TEST(AnimatedPngImport, ComposesPillowAndFfmpegFilesAsTheyAreShown) {
  for (const std::string name : {"pillow_ops", "pillow_default", "ffmpeg_ops"}) {
    SCOPED_TRACE(name);
    const std::string file = Exchange(name + (name == "ffmpeg_ops" ? ".apng" : ".png"));
    const ApngAnimation shown = DecodeApng(ReadWholeFile(file));
    ExpectShownLikePillow(shown, ReadRgba(Exchange(name + ".expected.png")));
    const ExchangeAnimation animation = ReadAnimatedPng(file);
    ASSERT_EQ(animation.sequences.size(), 1u);
    EXPECT_EQ(animation.sequences[0].frames.size(), shown.frames.size());
    EXPECT_EQ(animation.frames[0].centre_x, 6);
    EXPECT_EQ(animation.frames[0].centre_y, 6);
  }
  EXPECT_EQ(DecodeApng(ReadWholeFile(Exchange("pillow_ops.png"))).delays_ms,
            (std::vector<int>{80, 120, 40, 200}));
}

// Rewrites one chunk's bytes and its checksum.
void Patch(std::vector<std::uint8_t>& bytes, const std::string& type, std::size_t offset,
           std::uint8_t value) {
  for (std::size_t pos = 8; pos + 12 <= bytes.size();) {
    const std::uint32_t length = std::uint32_t{bytes[pos]} << 24 | bytes[pos + 1] << 16 |
                                 bytes[pos + 2] << 8 | bytes[pos + 3];
    if (std::string(bytes.begin() + pos + 4, bytes.begin() + pos + 8) == type) {
      bytes[pos + 8 + offset] = value;
      const std::uint32_t crc = CRC32(&bytes[pos + 4], 4 + length);
      for (int i = 0; i < 4; ++i)
        bytes[pos + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
      return;
    }
    pos += 12 + length;
  }
  FAIL() << "no " << type << " chunk";
}

TEST(AnimatedPngImport, RefusesDamagedAndOversizedFilesWithAMessage) {
  const std::vector<std::uint8_t> good = ReadWholeFile(Exchange("pillow_ops.png"));
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_THROW(DecodeApng(std::vector<std::uint8_t>(good.begin(), good.begin() + size)),
                 MediaError)
        << size;
  }
  std::vector<std::uint8_t> many = good, outside = good, order = good;
  Patch(many, "acTL", 0, 0x7F);     // two thousand million frames
  Patch(outside, "fcTL", 15, 200);  // x offset past the canvas
  Patch(order, "fcTL", 3, 9);       // sequence number 9 first
  for (const auto& bad : {many, outside, order}) EXPECT_THROW(DecodeApng(bad), MediaError);
}

TEST(AnimatedPngRoundTrip, ASequenceComesBackWithEveryFramesPixelsSizeAndCentre) {
  TBAM original;
  NewDocument(original);
  ASSERT_TRUE(original.LoadFromFile(CELWRIGHT_SOURCE_DIR "/resources/sample.bam"));
  // Frames of different sizes and centres share the box they are placed in.
  TBAMFrame small = original.GetFrame(3);
  Bitmap pixels;
  original.GetFrameBitmap(3, pixels, nullptr);
  small.CentreX += 7;
  small.CentreY -= 30;
  original.SetFrameBitmap(3, pixels, small);
  const auto file = testing::TempPath("sequence.apng");
  ExportAnimatedPng(original, file.string(), 2);
  TBAM back;
  NewDocument(back);
  BuildExchangedDocument(back, ReadAnimatedPng(file.string()), true);
  ASSERT_EQ(back.CycleCount(), 1);
  ExpectSameEntries(original, 2, back, 0);
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace celwright
