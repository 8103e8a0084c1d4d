#include "support/text_render.h"

#include <gtest/gtest.h>

#include <set>

#include "support/canvas.h"
#include "support/text_art.h"

namespace celwright {
namespace {

using testing::InkCount;
using testing::kBlack;
using testing::kRed;
using testing::kWhite;

TEST(Text, ExtentGrowsWithTheTextAndTheSize) {
  Font font;
  font.size = 12;
  const Size one = MeasureText(font, "W");
  const Size three = MeasureText(font, "WWW");
  EXPECT_GT(one.width, 0);
  EXPECT_GT(three.width, one.width);
  EXPECT_EQ(three.height, one.height);
  EXPECT_GE(one.height, font.PixelHeight());
  font.size = 24;
  EXPECT_GT(MeasureText(font, "W").height, one.height);
  EXPECT_EQ(MeasureText(font, "").width, 0);
}

TEST(Text, BoldUnderlineAndStrikeOutAddInkAndBoldIsAtLeastAsWide) {
  Font plain;
  plain.size = 14;
  for (bool Font::*style : {&Font::bold, &Font::underline, &Font::strike_out}) {
    Font styled = plain;
    styled.*style = true;
    EXPECT_GE(MeasureText(styled, "Celwright").width, MeasureText(plain, "Celwright").width);
    EXPECT_GT(InkCount(RenderTextMask(styled, "ace")), InkCount(RenderTextMask(plain, "ace")));
  }
}

TEST(Text, OutputUsesOnlyTextAndBackgroundColours) {
  for (const bool opaque : {true, false}) {
    Bitmap b = testing::WhiteBitmap(80, 30);
    Canvas c(b);
    c.font.size = 16;
    c.font.italic = true;
    c.font.color = kBlack;
    c.brush.color = kRed;
    c.brush.clear = !opaque;
    c.TextOut(2, 2, "Quillmont");
    const Size extent = c.TextExtent("Quillmont");
    std::set<TColor> inside;
    for (int y = 2; y < 2 + extent.height; ++y) {
      for (int x = 2; x < 2 + extent.width; ++x) inside.insert(b.GetPixel(x, y));
    }
    EXPECT_EQ(inside, (std::set<TColor>{kBlack, opaque ? kRed : kWhite}));
    EXPECT_EQ(b.GetPixel(1, 1), kWhite);
  }
}

TEST(Text, OddInputStaysSafeAndBounded) {
  Font font;
  font.name = "No Such Font Family";
  EXPECT_GT(MeasureText(font, "abc").width, 0);
  EXPECT_GT(MeasureText(font, "\xff\xc3").width, 0);  // broken UTF-8 reads as Latin-1
  // An unknown family is drawn, and said to be drawn, with the default font.
  EXPECT_GT(InkCount(RenderTextMask(font, "abc")), 0);
  const std::string stand_in = DrawingFamily(font);
  EXPECT_FALSE(stand_in.empty());
  EXPECT_NE(stand_in, font.name);
  EXPECT_EQ(DrawingFamily(Font{.name = "dejavu serif"}), "dejavu serif");
  font.size = 2000000000;
  const Size huge = MeasureText(font, std::string(100, 'W'));
  EXPECT_LE(huge.width, kMaxTextWidth);
  EXPECT_LE(huge.height, 4 * Font{.size = kMaxFontPoints}.PixelHeight());
}

}  // namespace
}  // namespace celwright
