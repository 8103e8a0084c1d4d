#include "support/qm_tools.h"

#include <gtest/gtest.h>

namespace celwright {
namespace {

struct Hsl {
  int h, s, l;
};
Hsl ToHsl(TColor c) {
  Hsl r{};
  ColorToHSL(c, r.h, r.s, r.l);
  return r;
}

TEST(ColorHelpers, SplitAndPackAreInverse) {
  EXPECT_EQ(RGBToColor(0x12, 0x34, 0x56), 0x563412u);
  std::uint8_t r, g, b;
  ColorToRGBBytes(0x563412, r, g, b);
  EXPECT_EQ(r, 0x12);
  EXPECT_EQ(g, 0x34);
  EXPECT_EQ(b, 0x56);
}

TEST(ColorHelpers, SystemColoursResolveBeforeSplitting) {
  std::uint8_t r, g, b;
  ColorToRGBBytes(kSystemColorFlag | 5, r, g, b);  // window background: white by default
  EXPECT_EQ(RGBToColor(r, g, b), 0xFFFFFFu);
  SetSystemColorResolver([](int) { return RGBToColor(1, 2, 3); });
  ColorToRGBBytes(kSystemColorFlag | 15, r, g, b);
  EXPECT_EQ(RGBToColor(r, g, b), RGBToColor(1, 2, 3));
  SetSystemColorResolver(nullptr);
}

TEST(ColorToHSL, KnownColours) {
  const Hsl red = ToHsl(RGBToColor(255, 0, 0));
  EXPECT_EQ(red.h, 0);
  EXPECT_EQ(red.s, 240);
  EXPECT_EQ(red.l, 120);
  const Hsl white = ToHsl(0xFFFFFF);
  EXPECT_EQ(white.h, 0);
  EXPECT_EQ(white.s, 0);
  EXPECT_EQ(white.l, 240);
  const Hsl grey = ToHsl(RGBToColor(128, 128, 128));
  EXPECT_EQ(grey.h, 0);
  EXPECT_EQ(grey.s, 0);
  EXPECT_EQ(grey.l, 120);
  const Hsl blue = ToHsl(RGBToColor(0, 0, 255));
  EXPECT_EQ(blue.h, 160);
}

TEST(ColorToHSL, HueJustBelowAFullTurnWrapsToRed) {
  // Hue 0.99935 of a turn rounds to 240, which is not on the 0..239 scale.
  EXPECT_EQ(ToHsl(RGBToColor(255, 0, 1)).h, 0);
}

TEST(HSLToColor, KnownColours) {
  EXPECT_EQ(HSLToColor(0, 240, 120), RGBToColor(255, 0, 0));
  EXPECT_EQ(HSLToColor(80, 240, 120), RGBToColor(0, 255, 0));
  EXPECT_EQ(HSLToColor(160, 240, 120), RGBToColor(0, 0, 255));
  for (int hue : {0, 17, 39, 40, 119, 200, 239}) {
    EXPECT_EQ(HSLToColor(hue, 0, 120), RGBToColor(127, 127, 127)) << hue;
  }
  EXPECT_EQ(HSLToColor(33, 240, 0), 0u);
  EXPECT_EQ(HSLToColor(33, 17, 240), 0xFFFFFFu);
}

TEST(HSLToColor, WheelSlopeAndHalfEvenRounding) {
  // Hue 1: green 6.375 -> 6; hue 2: 12.75 -> 13; the ties 25.5 (hue 4) and 76.5 (hue 12) go to
  // the even neighbour.
  EXPECT_EQ(HSLToColor(1, 240, 120), RGBToColor(255, 6, 0));
  EXPECT_EQ(HSLToColor(2, 240, 120), RGBToColor(255, 13, 0));
  EXPECT_EQ(HSLToColor(4, 240, 120), RGBToColor(255, 26, 0));
  EXPECT_EQ(HSLToColor(12, 240, 120), RGBToColor(255, 76, 0));
}

TEST(HSLToColor, OutOfRangeInputStaysOnTheScale) {
  EXPECT_EQ(HSLToColor(240, 240, 120), HSLToColor(0, 240, 120));
  EXPECT_EQ(HSLToColor(-40, 240, 120), HSLToColor(200, 240, 120));
  EXPECT_EQ(HSLToColor(0, 999, 999), 0xFFFFFFu);
}

TEST(PackedHSL, RoundTripsThroughTheWheel) {
  EXPECT_EQ(ColorToPackedHSL(RGBToColor(255, 0, 0)), 0u + 240u * 256 + 120u * 65536);
  EXPECT_EQ(PackedHSLToColor(80u + 240u * 256 + 120u * 65536), RGBToColor(0, 255, 0));
  for (TColor c : {RGBToColor(255, 0, 0), RGBToColor(0, 0, 255), RGBToColor(255, 255, 0)}) {
    EXPECT_EQ(PackedHSLToColor(ColorToPackedHSL(c)), c);
  }
}

TEST(PointInRect, BorderCountsWhateverTheCornerOrder) {
  const Rect reversed{10, 10, 0, 0};
  EXPECT_TRUE(PointInRect({0, 0}, reversed));
  EXPECT_TRUE(PointInRect({10, 10}, reversed));
  EXPECT_TRUE(PointInRect({5, 10}, reversed));
  EXPECT_FALSE(PointInRect({11, 5}, reversed));
  EXPECT_FALSE(PointInRect({5, -1}, Rect{0, 0, 10, 10}));
}

TEST(PaletteHelpers, RoundTripAndColourTable) {
  Palette256 rgb{};
  rgb[0] = {1, 2, 3};
  rgb[255] = {250, 251, 252};
  Palette256 read;
  read.fill({9, 9, 9});
  GetPaletteRGB(CreatePaletteFromRGB(rgb), read);
  EXPECT_EQ(read, rgb);

  Bitmap indexed(2, 2, PixelFormat::Bits8);
  EXPECT_TRUE(SetBitmapPaletteRGB(indexed, rgb));
  EXPECT_EQ(indexed.GetPixel(0, 0), RGBToColor(1, 2, 3));
  Bitmap true_colour(2, 2, PixelFormat::Bits24);
  EXPECT_FALSE(SetBitmapPaletteRGB(true_colour, rgb));
}

TEST(PaletteHelpers, SetEntriesIgnoresWhatFallsOutside) {
  IndexedPalette palette;
  const RGBTriple colours[3] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  palette.SetEntries(254, colours);
  EXPECT_EQ(palette.Entries()[254], (RGBTriple{1, 1, 1}));
  EXPECT_EQ(palette.Entries()[255], (RGBTriple{2, 2, 2}));
  palette.SetEntries(-1, colours);
  EXPECT_EQ(palette.Entries()[0], (RGBTriple{2, 2, 2}));
}

TEST(MakeMonochrome, WhiteStaysWhiteEverythingElseTurnsBlack) {
  Bitmap picture(3, 1, PixelFormat::Bits24);
  picture.SetPixel(0, 0, 0xFFFFFF);
  picture.SetPixel(1, 0, 0xFEFFFF);
  picture.SetPixel(2, 0, 0x000000);
  MakeMonochrome(picture);
  ASSERT_EQ(picture.Format(), PixelFormat::Bits1);
  EXPECT_EQ(picture.GetIndex(0, 0), 1);
  EXPECT_EQ(picture.GetIndex(1, 0), 0);
  EXPECT_EQ(picture.GetIndex(2, 0), 0);
}

}  // namespace
}  // namespace celwright
