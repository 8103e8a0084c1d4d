#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "model/bam_export.h"
#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "support/file_io.h"

namespace celwright {
namespace {

using testing::SetPixels;
using testing::TempPath;

const std::string kMediaData = std::string(CELWRIGHT_SOURCE_DIR "/tests/media/data/");
// The editor's default display colours for transparent and shadow pixels.
const TColor kTeal = MakeColor(0, 151, 151);
const TColor kSalmon = MakeColor(255, 104, 104);
const TColor kGreen = MakeColor(0, 255, 0);

// Colours that sit on, next to and far from the transparent and shadow colours.
TColor TrickyColour(std::mt19937& random) {
  const auto near = [&](int value) { return static_cast<int>(value + random() % 5) - 2; };
  switch (random() % 6) {
    case 0: return kTeal;
    case 1: return kSalmon;
    case 2: return MakeColor(0, near(151), near(151));
    case 3: return MakeColor(near(253), near(104), near(104));
    case 4: return MakeColor(0, 0, 0);
    default: return MakeColor(random() % 256, random() % 256, random() % 256);
  }
}

void UseDefaultColours(TBAM& bam) {
  bam.TransCol = kTeal;
  bam.ShadowCol = kSalmon;
}

// Entries 0 and 1 hold exactly the pixels that were transparent or shadow, nothing else.
void ExpectReservedOnlyForExactColours(const TBAM& bam, int frame, const Bitmap& source,
                                       const std::vector<bool>& see_through = {}) {
  const std::vector<std::uint8_t> indices = bam.DecodeFrame(frame);
  ASSERT_EQ(indices.size(), static_cast<std::size_t>(source.Width()) * source.Height());
  for (std::size_t p = 0; p < indices.size(); ++p) {
    const TColor colour = source.GetPixel(static_cast<int>(p % source.Width()),
                                          static_cast<int>(p / source.Width()));
    const bool hole = (!see_through.empty() && see_through[p]) || colour == bam.GetTransCol();
    const int expected = hole ? 0 : colour == bam.GetShadowCol() ? 1 : -1;
    if (expected >= 0) {
      ASSERT_EQ(indices[p], expected) << "pixel " << p;
    } else {
      ASSERT_GE(indices[p], 2) << "pixel " << p << " colour " << std::hex << colour;
    }
  }
}

TEST(ReservedEntries, NoOpaquePixelTurnsIntoAHoleOrAShadow) {
  std::mt19937 random(5);
  for (int round = 0; round < 4; ++round) {
    // Conversion of an unpaletted animation, with more colours than fit (round 3).
    TBAM bam;
    testing::NewUnpaletted(bam, kTeal, kTeal);
    UseDefaultColours(bam);
    std::vector<Bitmap> sources;
    for (int f = 0; f < 3; ++f) {
      bam.InsertFrame(-1, -1, -1, false);
      Bitmap picture(17 + f, 9);
      for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, TrickyColour(random));
      if (round == 3) {
        for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, 0, MakeColor(x * 15, f * 80, 7));
      }
      testing::SetPicture(bam, f, picture);
      sources.push_back(picture);
    }
    bam.SetBAMType(kPalettedBAM);
    for (int f = 0; f < 3; ++f) ExpectReservedOnlyForExactColours(bam, f, sources[f]);
  }

  // Imports into a paletted document whose palette holds those near colours at 2 and up.
  TBAM bam;
  bam.NewBAM(kUntitledBAM, true);
  UseDefaultColours(bam);
  bam.TransCol = kGreen;
  for (int i = 0; i < 256; ++i) bam.Palette[i] = {static_cast<std::uint8_t>(i), 0, 0};
  bam.Palette[2] = {0, 255, 2};
  bam.ImportAVI(kMediaData + "ffmpeg_bgr24.avi");  // red, then exactly green, then blue
  EXPECT_EQ(bam.DecodeFrame(1), std::vector<std::uint8_t>(16 * 8, 0));
  EXPECT_EQ(bam.DecodeFrame(0), std::vector<std::uint8_t>(16 * 8, 255));
  bam.ImportGIF(kMediaData + "pillow_walk.gif");  // black at index 0, a near-teal sprite colour
  const auto rgba = ReadWholeFile(kMediaData + "pillow_walk.rgba");
  for (int f = 3; f < bam.FrameCount(); ++f) {
    Bitmap expected(20, 14);
    std::vector<bool> see_through(20 * 14);
    for (std::size_t p = 0; p < see_through.size(); ++p) {
      const std::uint8_t* px = rgba.data() + 4 * ((f - 3) * see_through.size() + p);
      expected.SetPixel(static_cast<int>(p % 20), static_cast<int>(p / 20),
                        MakeColor(px[0], px[1], px[2]));
      see_through[p] = px[3] == 0;
    }
    ExpectReservedOnlyForExactColours(bam, f, expected, see_through);
  }
}

// A new paletted document from a GIF shows every frame as Pillow does, see-through as entry 0.
TEST(GifImport, NewDocumentsLookAsPillowShowsTheFile) {
  for (const char* name : {"pillow_walk", "imagemagick_optimized", "gifsicle_o2", "ffmpeg_walk",
                           "imagemagick_local_tables"}) {
    TBAM bam;
    bam.NewBAM(kUntitledBAM, true);
    UseDefaultColours(bam);
    bam.ImportGIF(kMediaData + name + ".gif");
    const auto rgba = ReadWholeFile(kMediaData + name + ".rgba");
    std::size_t offset = 0;
    for (int f = 0; f < bam.FrameCount(); ++f) {
      const std::vector<std::uint8_t> indices = bam.DecodeFrame(f);
      int wrong = 0;
      for (const std::uint8_t index : indices) {
        const std::uint8_t* px = rgba.data() + offset;
        offset += 4;
        const RGBTriple colour = bam.Palette[index];
        if (px[3] == 0 ? index != 0
                       : index < 2 || colour != RGBTriple{px[0], px[1], px[2]}) {
          ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0) << name << " frame " << f;
    }
    EXPECT_EQ(offset, rgba.size()) << name;
  }
}

// A paletted animation whose palette repeats a colour, with holes and shadows in every frame.
void DuplicateColourExample(TBAM& bam) {
  bam.NewBAM(kUntitledBAM, true);
  UseDefaultColours(bam);
  for (int i = 0; i < 256; ++i) bam.Palette[i] = {static_cast<std::uint8_t>(i), 90, 40};
  bam.Palette[12] = bam.Palette[3];
  bam.AddCycle(-1);
  for (int f = 0; f < 3; ++f) {
    bam.InsertFrame(-1, 0, -1, false);
    std::vector<std::uint8_t> raw(6 * 5);
    for (std::size_t p = 0; p < raw.size(); ++p) {
      raw[p] = static_cast<std::uint8_t>(std::vector<int>{0, 1, 3, 12, 200, 255}[(p + f) % 6]);
    }
    SetPixels(bam, f, 6, 5, 3 - f, 2, raw);
  }
}

// Every imported frame is the box around the exported entries, centred at half its size, with
// each entry's indices at its place in the box.
void ExpectSameIndices(const TBAM& source, const TBAM& imported, int first_new_frame) {
  const TCycleItem cycle = source.GetCycle(0);
  const ExportBox box = ComputeExportBox(source, cycle);
  ASSERT_EQ(imported.FrameCount() - first_new_frame, cycle.Count);
  for (int j = 0; j < cycle.Count; ++j) {
    const TBAMFrame made = imported.GetFrame(first_new_frame + j);
    EXPECT_EQ(std::tie(made.Width, made.Height, made.CentreX, made.CentreY),
              std::make_tuple(box.Width(), box.Height(), box.Width() / 2, box.Height() / 2));
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(box.Width()) * box.Height(), 0);
    const TBAMFrame frame = source.GetFrame(cycle.Frames[j]);
    const std::vector<std::uint8_t> raw = source.DecodeFrame(cycle.Frames[j]);
    for (int y = 0; y < frame.Height; ++y)
      for (int x = 0; x < frame.Width; ++x)
        expected[(box.FrameTop(frame) + y) * box.Width() + box.FrameLeft(frame) + x] =
            raw[y * frame.Width + x];
    EXPECT_EQ(imported.DecodeFrame(first_new_frame + j), expected) << "entry " << j;
  }
}

TEST(OwnExports, ComeBackWithTheSameIndices) {
  TBAM bam;
  DuplicateColourExample(bam);
  const auto gif = TempPath("dup.gif"), avi = TempPath("dup.avi");
  bam.ExportGIF(gif, 0);
  bam.ExportAVI(avi, 0);
  bam.ImportGIF(gif);
  ExpectSameIndices(bam, bam, 3);
  bam.ImportAVI(avi);
  ExpectSameIndices(bam, bam, 6);
  EXPECT_EQ(bam.CycleCount(), 3);  // each import adds its sequence

  // Opened as a new document, the GIF keeps its palette as well.
  TBAM fresh;
  fresh.NewBAM(kUntitledBAM, true);
  UseDefaultColours(fresh);
  fresh.ImportGIF(gif);
  ExpectSameIndices(bam, fresh, 0);
  EXPECT_EQ(fresh.Palette, bam.GetDisplayHPalette());

  // Unpaletted, the GIF's see-through entry 0 is the transparent colour as well.
  bam.SetBAMType(kUnpalettedBAM);
  bam.ExportGIF(gif, 0);
  TBAM colours;
  testing::NewUnpaletted(colours, kTeal, kTeal);
  UseDefaultColours(colours);
  colours.ImportGIF(gif);
  const TCycleItem cycle = bam.GetCycle(0);
  const ExportBox box = ComputeExportBox(bam, cycle);
  ASSERT_EQ(colours.FrameCount(), cycle.Count);
  for (int j = 0; j < cycle.Count; ++j) {
    Bitmap picture;
    colours.GetFrameBitmap(j, picture, nullptr);
    EXPECT_EQ(picture, RenderInBox(bam, cycle.Frames[j], box)) << "entry " << j;
  }
}

}  // namespace
}  // namespace celwright
