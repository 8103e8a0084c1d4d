#include "support/qm_tools.h"

#include <gtest/gtest.h>

#include <tuple>

namespace celwright {
namespace {

std::tuple<int, int, int> ToHsl(TColor c) {
  int h = 0, s = 0, l = 0;
  ColorToHSL(c, h, s, l);
  return {h, s, l};
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
  const struct {
    TColor colour;
    int h, s, l;
  } cases[] = {{RGBToColor(255, 0, 0), 0, 240, 120},
               {0xFFFFFF, 0, 0, 240},
               {RGBToColor(128, 128, 128), 0, 0, 120},
               {RGBToColor(0, 0, 255), 160, 240, 120}};
  for (const auto& c : cases)
    EXPECT_EQ(ToHsl(c.colour), std::make_tuple(c.h, c.s, c.l)) << std::hex << c.colour;
}

TEST(ColorToHSL, HueJustBelowAFullTurnWrapsToRed) {
  // Hue 0.99935 of a turn rounds to 240, which is not on the 0..239 scale.
  EXPECT_EQ(std::get<0>(ToHsl(RGBToColor(255, 0, 1))), 0);
}

// The wheel's slope rounds half to even: hue 1 gives green 6.375 -> 6, hue 2 12.75 -> 13, and
// the ties 25.5 (hue 4) and 76.5 (hue 12) go to the even neighbour. Out-of-range input wraps
// (hue) or clamps (saturation, luminance).
TEST(HSLToColor, KnownColoursRoundingAndRange) {
  const struct {
    int h, s, l;
    TColor colour;
  } cases[] = {{0, 240, 120, RGBToColor(255, 0, 0)},    {80, 240, 120, RGBToColor(0, 255, 0)},
               {160, 240, 120, RGBToColor(0, 0, 255)},  {33, 240, 0, 0},
               {33, 17, 240, 0xFFFFFF},                 {1, 240, 120, RGBToColor(255, 6, 0)},
               {2, 240, 120, RGBToColor(255, 13, 0)},   {4, 240, 120, RGBToColor(255, 26, 0)},
               {12, 240, 120, RGBToColor(255, 76, 0)},  {240, 240, 120, RGBToColor(255, 0, 0)},
               {-40, 240, 120, HSLToColor(200, 240, 120)}, {0, 999, 999, 0xFFFFFF}};
  for (const auto& c : cases) {
    EXPECT_EQ(HSLToColor(c.h, c.s, c.l), c.colour) << c.h << "," << c.s << "," << c.l;
  }
  for (int hue : {0, 17, 39, 40, 119, 200, 239}) {
    EXPECT_EQ(HSLToColor(hue, 0, 120), RGBToColor(127, 127, 127)) << hue;
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
