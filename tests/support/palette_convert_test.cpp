#include "support/palette_convert.h"

#include <gtest/gtest.h>

#include <random>

#include "support/palette.h"

namespace celwright {
namespace {

TEST(ConvertToPalette, EveryPixelGetsTheNearestEntryAsAFullSearchWould) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  Palette256 palette{};
  for (auto& entry : palette) {
    entry = {static_cast<std::uint8_t>(byte(random)), static_cast<std::uint8_t>(byte(random)),
             static_cast<std::uint8_t>(byte(random))};
  }
  palette[40] = palette[30];  // a tie: the lower index must win
  Bitmap picture(64, 64);
  for (auto& value : picture.Pixels()) value = static_cast<std::uint8_t>(byte(random));
  picture.SetPixel(0, 0, ToColor(palette[40]));

  const Bitmap converted = ConvertToPalette(picture, palette);
  ASSERT_EQ(converted.Format(), PixelFormat::Bits8);
  EXPECT_EQ(converted.ColorTable(), palette);
  const IndexedPalette reference(palette);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(converted.GetIndex(x, y), reference.NearestIndex(picture.GetPixel(x, y)))
          << x << "," << y;
    }
  }
  EXPECT_EQ(converted.GetIndex(0, 0), 30);
}

TEST(ConvertToPalette, GreyRampOntoBlackAndWhiteSplitsAtTheMiddle) {
  Palette256 palette{};
  palette[1] = {255, 255, 255};  // every other entry is black
  Bitmap ramp(256, 1);
  for (int x = 0; x < 256; ++x) {
    const auto v = static_cast<std::uint8_t>(x);
    ramp.SetPixel(x, 0, MakeColor(v, v, v));
  }
  const Bitmap converted = ConvertToPalette(ramp, palette);
  EXPECT_EQ(converted.GetIndex(127, 0), 0);
  EXPECT_EQ(converted.GetIndex(128, 0), 1);
}

}  // namespace
}  // namespace celwright
