#include <gtest/gtest.h>

#include "canvas/brush_options.h"
#include "canvas/paint_fixture.h"
#include "canvas/palette_panel.h"

namespace celwright {
namespace {

TEST(BrushOptions, LockAndPicture) {
  DocumentOptions options;
  options.LockBrushDims = true;
  options.BrushWidth = 20;
  BrushModify(options, BrushControl::Width);
  EXPECT_EQ(options.BrushHeight, 20);
  options.BrushHeight = 5;
  BrushModify(options, BrushControl::Height);
  EXPECT_EQ(options.BrushWidth, 5);

  const Bitmap rect = MakeBrushPicture(1, 3, 3);
  ASSERT_EQ(rect.Width(), 4);
  ASSERT_EQ(rect.Height(), 3);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(rect.GetIndex(0, y), 0);
    for (int x = 1; x < 4; ++x) EXPECT_EQ(rect.GetIndex(x, y), 1);
  }
}

TEST(PalettePanel, ClicksAndDragsChooseEntries) {
  testing::PaintFixture f;
  PalettePanel panel(f.options, f.Capture());
  f.options.ForegroundIndex = 200;
  panel.ShowPalette(&f.form.BAM);
  EXPECT_EQ(f.options.ForegroundIndex, 200);  // showing the palette keeps the choice
  EXPECT_EQ(panel.Picture().GetPixel(3 * 10 + 5, 2 * 10 + 5), MakeColor(67, 188, 7));

  panel.MouseDown(0, 35, 25);
  panel.MouseUp(35, 25);
  EXPECT_EQ(f.options.ForegroundIndex, 67);
  EXPECT_EQ(f.options.ForegroundColour, MakeColor(67, 188, 7));
  panel.MouseDown(1, 35, 25);
  panel.MouseUp(35, 25);
  EXPECT_EQ(f.options.BackgroundIndex, 67);

  // Dragging past the right and bottom edges stays on the last column and row.
  panel.MouseDown(0, 5, 5);
  panel.MouseMove(320, 5);
  EXPECT_EQ(f.options.ForegroundIndex, 31);
  panel.MouseMove(400, 500);
  panel.MouseUp(400, 500);
  EXPECT_EQ(f.options.ForegroundIndex, 255);
  EXPECT_EQ(panel.DescribeEntry(67), "Entry 67: red 67, green 188, blue 7");
}

TEST(PalettePanel, UnpalettedChooserGivesExactMarkedColours) {
  testing::PaintFixture f(false);
  PalettePanel panel(f.options, f.Capture());
  panel.ShowPalette(&f.form.BAM);
  EXPECT_EQ(f.options.BackgroundColour, f.form.BAM.GetTransCol());
  panel.MouseDown(0, 80, 40);
  panel.MouseUp(80, 40);
  const TColor chosen = f.options.ForegroundColour;
  panel.ShowPalette(&f.form.BAM);  // as an undo does
  EXPECT_EQ(f.options.ForegroundColour, chosen);
  panel.MouseDown(0, 310, 10);
  panel.MouseUp(310, 10);
  EXPECT_EQ(f.options.ForegroundColour, f.form.BAM.GetShadowCol());
  panel.MouseDown(1, 310, 70);
  panel.MouseUp(310, 70);
  EXPECT_EQ(f.options.BackgroundColour, f.form.BAM.GetTransCol());
  panel.MouseDown(0, 80, 0);
  panel.MouseUp(80, 0);
  EXPECT_EQ(panel.Hue, 80);
  EXPECT_EQ(panel.Saturation, 240);
}

}  // namespace
}  // namespace celwright
