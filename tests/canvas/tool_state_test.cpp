#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/paint_fixture.h"

namespace celwright {
namespace {

using testing::PaintFixture;

TEST(ToolState, HistoryStepsOnlyForReleasesThatChangedPixels) {
  PaintFixture f;
  f.options.ForegroundIndex = 30;
  f.Choose(ToolKind::Pencil);
  f.Down(1, 1);
  f.Move(6, 1);
  f.Move(6, 4);
  f.Up(6, 4);
  EXPECT_EQ(f.form.UndoCount(), 1);
  f.Click(6, 4);  // already index 30
  EXPECT_EQ(f.form.UndoCount(), 1);
  f.Choose(ToolKind::ColPick);
  f.Click(2, 2);
  EXPECT_EQ(f.form.UndoCount(), 1);

  // Esc takes back the stroke in progress; its release adds nothing.
  f.Choose(ToolKind::Pencil);
  const Bitmap before = f.form.WorkImage[1];
  f.Down(10, 10);
  f.Move(14, 10);
  f.tools.CancelDrawAction();
  f.Up(14, 10);
  EXPECT_EQ(f.form.WorkImage[1], before);
  EXPECT_EQ(f.form.UndoCount(), 1);
}

TEST(ToolState, ZoomToolAndWheelStepTheMagnification) {
  PaintFixture f;
  f.Choose(ToolKind::Mag);
  f.Click(3, 3);
  EXPECT_EQ(f.options.MagnificationIndex, 1);
  EXPECT_EQ(f.form.Zoom, 4);
  auto logged = [&](const std::string& line) {
    return std::find(f.log.begin(), f.log.end(), line) != f.log.end();
  };
  EXPECT_TRUE(logged("MDFY: Change Magnification (0>>1)... [OK]"));
  f.Click(3, 3, kRightButton);
  EXPECT_EQ(f.form.Zoom, 1);
  f.options.MagnificationIndex = 3;
  f.form.MagnificationChanged();
  f.Click(3, 3);
  EXPECT_TRUE(logged("MDFY: Change Magnification (3>>3)... [OK]"));
  EXPECT_EQ(f.form.UndoCount(), 0);
}

TEST(ToolState, PanMovesTheScrollBarsByTheZoomedDelta) {
  PaintFixture f(true, 200, 200);
  f.options.MagnificationIndex = 1;  // 800 x 800 in a 400 x 300 window
  f.form.MagnificationChanged();
  f.Choose(ToolKind::Pan);
  const int h = f.form.HorizontalScroll().Position, v = f.form.VerticalScroll().Position;
  ASSERT_TRUE(f.form.HorizontalScroll().Visible);
  f.Down(100, 100);
  f.Move(97, 98);
  f.Up(97, 98);
  EXPECT_EQ(f.form.HorizontalScroll().Position, h + 3 * 4);
  EXPECT_EQ(f.form.VerticalScroll().Position, v + 2 * 4);
  EXPECT_EQ(f.form.UndoCount(), 0);
}

// Drags a handle of the frame from its client position to (x, y).
void DragHandle(PaintFixture& f, int from_x, int from_y, int to_x, int to_y) {
  f.tools.FormMouseMove({}, from_x, from_y);
  f.tools.FormMouseDown(kLeftButton, {}, from_x, from_y);
  f.tools.FormMouseMove({}, to_x, to_y);
  f.tools.FormMouseUp(kLeftButton, {}, to_x, to_y);
}

TEST(FrameHandles, RightShrinksLeftGrowsAroundTheCentre) {
  PaintFixture f;
  const ViewPoint o = f.form.ImageOrigin;
  DragHandle(f, o.X + 33, o.Y + 16, o.X + 10, o.Y + 16);
  EXPECT_EQ(f.form.FrameRec.Width, 10);
  EXPECT_EQ(f.form.FrameRec.CentreX, 16);
  EXPECT_EQ(f.form.UndoCount(), 1);
  f.form.Undo();
  ASSERT_EQ(f.form.FrameRec.Width, 32);

  f.options.BackgroundIndex = 99;
  const Bitmap before = f.form.WorkImage[1];
  const ViewPoint origin = f.form.ImageOrigin;
  DragHandle(f, origin.X - 2, origin.Y + 16, origin.X - 5, origin.Y + 16);
  EXPECT_EQ(f.form.FrameRec.Width, 37);
  EXPECT_EQ(f.form.FrameRec.CentreX, 21);
  EXPECT_EQ(f.form.UndoCount(), 1);
  f.form.CommitPendingEdits();
  Bitmap colours, indices;
  f.form.BAM.GetFrameBitmap(0, colours, &indices);
  ASSERT_EQ(indices.Width(), 37);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 37; ++x) {
      const int expected = x < 5 ? 99 : RedOf(before.GetPixel(x - 5, y));
      ASSERT_EQ(RedOf(indices.GetPixel(x, y)), expected) << x << "," << y;
    }
  }
}

TEST(FrameHandles, RefusesSizesBeyondSixteenBits) {
  PaintFixture f;
  std::string message;
  f.tools.ShowMessage = [&](const std::string& text) { message = text; };
  const ViewPoint o = f.form.ImageOrigin;
  DragHandle(f, o.X + 33, o.Y + 33, o.X + 70000, o.Y + 40);
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(f.form.FrameRec.Width, 32);
  EXPECT_EQ(f.form.UndoCount(), 0);
}

}  // namespace
}  // namespace celwright
