#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "media/synthetic_pictures.h"
#include "support/image_io/image_file.h"
#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {
namespace {

// A picture of exactly `count` distinct, randomly scattered colours.
Bitmap PictureWithColors(int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::set<TColor> colors;
  while (static_cast<int>(colors.size()) < count) colors.insert(random() & 0xFFFFFF);
  std::vector<TColor> list(colors.begin(), colors.end());
  Bitmap picture(37, 29, PixelFormat::Bits24);
  for (int i = 0; i < picture.Width() * picture.Height(); ++i) {
    const TColor c = list[i < count ? i : random() % count];
    picture.SetPixel(i % picture.Width(), i / picture.Width(), c);
  }
  return picture;
}

TEST(OctreeQuantizer, KeepsUpTo256ColoursExactly) {
  for (int count : {1, 2, 17, 254, 256}) {
    const Bitmap picture = PictureWithColors(count, 100 + count);
    const ReducedPalette palette = ReducePicture(picture);
    ASSERT_EQ(palette.count, count);
    const Bitmap mapped = MapToPalette(picture, palette.colors, palette.count);
    EXPECT_EQ(MeanColorError(picture, mapped), 0.0) << count << " colours";
  }
}

TEST(OctreeQuantizer, ResultDoesNotDependOnPixelOrderOrFraming) {
  const Bitmap picture = PictureWithColors(200, 5);
  OctreeQuantizer backwards;
  for (int i = picture.Width() * picture.Height() - 1; i >= 0; --i) {
    backwards.AddColor(picture.GetPixel(i % picture.Width(), i / picture.Width()));
  }
  const ReducedPalette a = ReducePicture(picture), b = backwards.BuildPalette();
  EXPECT_EQ(a.count, b.count);
  EXPECT_EQ(a.colors, b.colors);
}

TEST(OctreeQuantizer, ReadsEightBitPicturesThroughTheirTable) {
  Bitmap indexed(4, 1, PixelFormat::Bits8);
  indexed.ColorTable()[3] = {10, 20, 30};
  indexed.ColorTable()[9] = {200, 100, 0};
  indexed.SetIndex(0, 0, 3);
  indexed.SetIndex(1, 0, 9);
  indexed.SetIndex(2, 0, 9);
  indexed.SetIndex(3, 0, 3);
  const ReducedPalette palette = ReducePicture(indexed);
  ASSERT_EQ(palette.count, 2);
  EXPECT_EQ(palette.colors[0], (RGBTriple{10, 20, 30}));
  EXPECT_EQ(palette.colors[1], (RGBTriple{200, 100, 0}));
  EXPECT_THROW(ReducePicture(Bitmap(2, 2, PixelFormat::Bits1)), std::invalid_argument);
}

// Pictures made by ImageMagick (testdata/README.md says how). The bounds are the errors this reduction reached, with a little room;
// the plain octree reduction it replaced stays above every one of them.
TEST(OctreeQuantizer, ErrorOnPicturesFromOtherToolsStaysUnderRecordedBounds) {
  struct Case {
    const char* file;
    int entries;
    double bound;
  };
  for (const Case& c : {Case{"plasma.png", 256, 9.2}, Case{"plasma.png", 32, 19.2},
                        Case{"rose.png", 64, 8.5}, Case{"wizard.png", 16, 6.25}}) {
    Bitmap picture;
    Palette256 unused{};
    const std::string path = std::string(CELWRIGHT_TESTDATA_DIR) + "/pictures/" + c.file;
    ASSERT_TRUE(LoadImageFile(picture, unused, kImageKindPng, path)) << path;
    const ReducedPalette palette = ReducePicture(picture, c.entries);
    const double error =
        MeanColorError(picture, MapToPalette(picture, palette.colors, palette.count));
    EXPECT_LE(error, c.bound) << c.file << " in " << c.entries << " colours";
    // A merge removes several entries at once, so the palette may stop a little short.
    EXPECT_LE(palette.count, c.entries);
    EXPECT_GE(palette.count, std::max(c.entries * 3 / 4, c.entries - 8)) << c.file;
  }
}

TEST(NearestColorMapper, AgreesWithAFullSearchAndPrefersTheLowestIndex) {
  std::mt19937 random(3);
  Palette256 palette{};
  for (auto& entry : palette) {
    entry = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
             static_cast<std::uint8_t>(random())};
  }
  palette[200] = palette[40];  // a duplicate must never win over the first copy
  NearestColorMapper mapper(palette, 256);
  for (int i = 0; i < 20000; ++i) {
    const TColor color = (i % 3 == 0) ? ToColor(palette[i % 256]) : (random() & 0xFFFFFF);
    int best = 0, best_distance = 1 << 30;
    for (int e = 0; e < 256; ++e) {
      const int dr = palette[e].r - RedOf(color), dg = palette[e].g - GreenOf(color),
                db = palette[e].b - BlueOf(color);
      if (dr * dr + dg * dg + db * db < best_distance) {
        best_distance = dr * dr + dg * dg + db * db;
        best = e;
      }
    }
    // Twice: once computed, once from the cache.
    ASSERT_EQ(mapper.IndexOf(color), best);
    ASSERT_EQ(mapper.IndexOf(color), best);
  }
}

TEST(NearestColorMapper, IgnoresEntriesPastTheCount) {
  Palette256 palette{};
  palette[0] = {250, 250, 250};
  palette[1] = {128, 128, 128};
  Bitmap picture(2, 1, PixelFormat::Bits24);
  picture.SetPixel(0, 0, MakeColor(5, 5, 5));
  picture.SetPixel(1, 0, MakeColor(255, 255, 255));
  const Bitmap limited = MapToPalette(picture, palette, 2);
  EXPECT_EQ(limited.GetIndex(0, 0), 1);  // black padding at index 2+ is not a candidate
  EXPECT_EQ(limited.GetIndex(1, 0), 0);
  EXPECT_EQ(limited.ColorTable(), palette);
  EXPECT_EQ(MapToPalette(picture, palette).GetIndex(0, 0), 2);
}

// Dithering on a document palette: entries 0 and 1 only for pixels exactly in their colours, and
// no error carried across holes (a transparent column, a diagonal line of transparent pixels, a
// column marked see-through), tested with error diffusion on the far side being an exact palette colour B whose two
// neighbours B - 1 and B + 1 are entries too, so the least leaked error would show.
TEST(ReservedEntryMapper, DithersBetweenEntriesButNeverIntoReservedOnesNorAcrossHoles) {
  const TColor transparent = MakeColor(0, 151, 151), shadow = MakeColor(255, 104, 104);
  const TColor a = MakeColor(75, 75, 75), b = MakeColor(150, 151, 152);
  Palette256 palette{};
  palette[0] = ToTriple(transparent);
  palette[1] = ToTriple(shadow);
  palette[2] = {40, 40, 40};
  palette[3] = {100, 100, 100};
  palette[4] = {149, 150, 151};
  palette[5] = ToTriple(b);
  palette[6] = {151, 152, 153};
  constexpr int kW = 24, kH = 16;
  enum Layout { kColumn, kDiagonal, kMaskedColumn };
  for (Dithering dithering : {Dithering::kFloydSteinberg, Dithering::kOrdered}) {
    for (Layout layout : {kColumn, kDiagonal, kMaskedColumn}) {
      Bitmap picture(kW, kH, PixelFormat::Bits24);
      std::vector<std::uint8_t> opaque(kW * kH, 1);
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          const int edge = layout == kDiagonal ? x + y - 12 : x - 8;
          picture.SetPixel(x, y, edge < 0 ? a : edge > 0 ? b : transparent);
          if (edge == 0 && layout == kMaskedColumn) {
            picture.SetPixel(x, y, a);
            opaque[y * kW + x] = 0;
          }
        }
      }
      // Colours next to the reserved ones, and one real shadow pixel.
      picture.SetPixel(0, 0, MakeColor(0, 150, 151));
      picture.SetPixel(1, 0, MakeColor(254, 104, 104));
      picture.SetPixel(2, 0, shadow);
      ReservedEntryMapper mapper(palette, transparent, shadow, 7);
      const Bitmap mapped = mapper.MapDithered(
          picture, dithering, layout == kMaskedColumn ? opaque.data() : nullptr);
      int low = 0, high = 0;
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          const TColor source = picture.GetPixel(x, y);
          const std::uint8_t index = mapped.GetIndex(x, y);
          const bool hole = source == transparent || !opaque[y * kW + x];
          SCOPED_TRACE(::testing::Message() << "layout " << layout << " at " << x << "," << y);
          ASSERT_EQ(index == 0, hole);
          ASSERT_EQ(index == 1, source == shadow);
          if (source == b && dithering == Dithering::kFloydSteinberg) {
            ASSERT_EQ(index, 5);
          }
          if (source == a && !hole) (index == 2 ? low : high) += 1;
        }
      }
      // The flat grey between entries 2 and 3 really is dithered.
      EXPECT_GT(low, 10);
      EXPECT_GT(high, 10);
    }
  }
  Bitmap flat(4, 4, PixelFormat::Bits24);
  for (int i = 0; i < 16; ++i) flat.SetPixel(i % 4, i / 4, a);
  ReservedEntryMapper mapper(palette, transparent, shadow, 7);
  const Bitmap plain = mapper.MapDithered(flat, Dithering::kNone);
  EXPECT_TRUE(std::all_of(plain.Pixels().begin(), plain.Pixels().end(),
                          [](std::uint8_t index) { return index == 3; }));
}

}  // namespace
}  // namespace celwright
