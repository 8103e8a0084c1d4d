#include <gtest/gtest.h>

#include <string>

#include <algorithm>
#include <cstdlib>

#include "canvas/paint_fixture.h"
#include "canvas/paint_tools.h"
#include "document/buffer_ops.h"
#include "support/raster_shapes.h"

namespace celwright {
namespace {

using testing::PaintFixture;

TEST(Pencil, StrokeStopsShortAndReleasePaintsTheEnd) {
  PaintFixture f;
  f.options.ForegroundIndex = 40;
  f.options.BackgroundIndex = 50;
  f.Choose(ToolKind::Pencil);
  f.Down(0, 0);
  f.Move(3, 0);
  EXPECT_EQ(f.IndexAt(2, 0), 40);
  EXPECT_NE(f.IndexAt(3, 0), 40);
  f.Up(3, 0);
  EXPECT_EQ(f.IndexAt(3, 0), 40);
  EXPECT_EQ(f.form.UndoCount(), 1);

  f.Click(8, 8, kRightButton);
  EXPECT_EQ(f.IndexAt(8, 8), 50);

  // At zoom 4 the client point (origin + 7, origin + 3) is frame pixel (1, 0).
  f.options.MagnificationIndex = 1;
  f.form.MagnificationChanged();
  const ViewPoint o = f.form.ImageOrigin;
  f.tools.FormMouseDown(kLeftButton, {}, o.X + 7, o.Y + 3);
  f.tools.FormMouseUp(kLeftButton, {}, o.X + 7, o.Y + 3);
  EXPECT_EQ(f.IndexAt(1, 0), 40);
  // Left of the frame by less than a pixel is outside it, not column 0.
  const int before = f.IndexAt(0, 5);
  f.tools.FormMouseDown(kLeftButton, {}, o.X - 2, o.Y + 21);
  f.tools.FormMouseUp(kLeftButton, {}, o.X - 2, o.Y + 21);
  EXPECT_EQ(f.IndexAt(0, 5), before);
}

TEST(Brush, DabsMatchTheRasterLayer) {
  PaintFixture f;
  f.options.ForegroundIndex = 90;
  f.Choose(ToolKind::Brush);
  f.Click(16, 16);
  const Rect r = BrushDrawRect(16, 16, 8, 8);
  Bitmap expected(32, 32, PixelFormat::Bits1);
  FillBitmap(expected, MakeColor(255, 255, 255));
  EmitFill(EllipseRows(r), SpanWriter(expected, BoundsOf(expected), PixelValue{{0}, 1}));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool inside = expected.GetIndex(x, y) == 0;
      EXPECT_EQ(f.IndexAt(x, y) == 90, inside) << x << "," << y;
      EXPECT_EQ(f.ColourAt(x, y) == MakeColor(90, 165, 7), inside) << x << "," << y;
    }
  }

  f.options.BrushShape = 1;
  f.options.BrushWidth = f.options.BrushHeight = 1;
  f.Click(10, 2);
  EXPECT_EQ(f.IndexAt(10, 2), 90);  // the pixel under the pointer, nothing beside it
  EXPECT_NE(f.IndexAt(9, 2), 90);
  EXPECT_NE(f.IndexAt(11, 2), 90);
  // The preview marks the same pixel: the view shows it inverted, and the frame is left as is.
  const Bitmap frame = f.form.WorkImage[0];
  f.Move(7, 3);
  const auto inverted = [&](int x, int y) {
    return f.form.ViewImage.GetPixel(f.ClientX(x), f.ClientY(y)) == (f.ColourAt(x, y) ^ 0xFFFFFF);
  };
  EXPECT_TRUE(inverted(7, 3));
  EXPECT_FALSE(inverted(6, 3));
  EXPECT_EQ(f.form.WorkImage[0], frame);
  // A 3 x 3 square is centred on the pointer.
  f.options.BrushWidth = f.options.BrushHeight = 3;
  f.Click(20, 6);
  for (int y = 4; y <= 8; ++y)
    for (int x = 18; x <= 22; ++x)
      EXPECT_EQ(f.IndexAt(x, y) == 90, std::abs(x - 20) <= 1 && std::abs(y - 6) <= 1)
          << x << "," << y;
}

TEST(Erase, RightButtonReplacesOnlyTheForegroundIndex) {
  PaintFixture f;
  // Entries 3 and 4 look alike; only the foreground index may go.
  f.form.BAM.Palette[4] = f.form.BAM.Palette[3];
  f.options.ForegroundIndex = 3;
  f.options.BackgroundIndex = 60;
  f.options.BrushShape = 1;
  f.Choose(ToolKind::Erase);
  const Bitmap before = f.form.WorkImage[1];
  f.Click(16, 16, kRightButton);
  int erased = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int was = RedOf(before.GetPixel(x, y));
      if (f.IndexAt(x, y) != was) {
        EXPECT_EQ(was, 3) << x << "," << y;
        EXPECT_EQ(f.IndexAt(x, y), 60);
        ++erased;
      }
    }
  }
  EXPECT_GT(erased, 5);
  // The left button erases everything under the brush to the background.
  f.Click(5, 5);
  EXPECT_EQ(f.IndexAt(4, 5), 60);
  EXPECT_EQ(f.IndexAt(5, 6), 60);
}

TEST(Fill, PalettedFillFollowsTheIndexImage) {
  PaintFixture f(true, 12, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x)
      f.form.WorkImage[1].SetPixel(x, y, MakeColor(x < 4 ? 5 : (x < 8 ? 6 : 5), 0, 0));
  f.form.BAM.Palette[6] = f.form.BAM.Palette[5];
  f.form.WorkImage[0] = f.Rendered();
  f.options.ForegroundIndex = 77;
  f.Choose(ToolKind::Fill);
  f.Click(1, 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(f.IndexAt(x, y), x < 4 ? 77 : (x < 8 ? 6 : 5));
  EXPECT_EQ(f.form.WorkImage[0], f.Rendered());
  EXPECT_EQ(f.form.UndoCount(), 1);
}

// Without a selection the tools paint on the frame itself and tell a change by comparing; with
// one they go through the scratch copy. Either way a click that changes nothing is no step, and
// one that changes pixels is one step that undoes.
TEST(Tools, AClickIsAStepExactlyWhenItChangesPixelsWithOrWithoutASelection) {
  for (const bool paletted : {true, false}) {
    for (const bool selection : {false, true}) {
      SCOPED_TRACE(std::string(paletted ? "paletted" : "unpaletted") +
                   (selection ? ", all selected" : ""));
      PaintFixture f(paletted);
      if (selection) f.form.SelectionAll();
      f.options.ForegroundIndex = static_cast<std::uint8_t>(f.IndexAt(4, 4));
      f.options.ForegroundColour = f.ColourAt(4, 4);
      for (const ToolKind tool : {ToolKind::Pencil, ToolKind::Brush, ToolKind::Fill}) {
        f.options.BrushWidth = f.options.BrushHeight = 1;
        f.Choose(tool);
        f.Click(4, 4);
      }
      EXPECT_EQ(f.form.UndoCount(), 0);
      f.Choose(ToolKind::Fill);
      f.Click(5, 4);  // a neighbour of another index or colour
      EXPECT_EQ(f.form.UndoCount(), 1);
      EXPECT_EQ(f.ColourAt(5, 4), f.ColourAt(4, 4));
      f.form.Undo();
      EXPECT_NE(f.ColourAt(5, 4), f.ColourAt(4, 4));
    }
  }
}

TEST(ColourPick, TakesTheIndexOrTheExactColour) {
  PaintFixture paletted;
  paletted.Choose(ToolKind::ColPick);
  paletted.Click(3, 1);
  EXPECT_EQ(paletted.options.ForegroundIndex, 6);
  paletted.Click(0, 0, kRightButton);
  EXPECT_EQ(paletted.options.BackgroundIndex, 2);
  EXPECT_EQ(paletted.form.UndoCount(), 0);

  PaintFixture unpaletted(false);
  const TColor transparent = unpaletted.form.BAM.GetTransCol();
  unpaletted.form.WorkImage[0].SetPixel(4, 4, transparent);
  unpaletted.Choose(ToolKind::ColPick);
  unpaletted.Click(4, 4);
  EXPECT_EQ(unpaletted.options.ForegroundColour, transparent);
  unpaletted.Click(7, 3, kRightButton);
  EXPECT_EQ(unpaletted.options.BackgroundColour, MakeColor(56, 24, 50));
}

TEST(CloneBrush, NeedsASourceThenCopiesTheBrushBlock) {
  PaintFixture f;
  f.options.BrushShape = 1;
  f.options.BrushWidth = f.options.BrushHeight = 3;
  f.Choose(ToolKind::CloneBrush);
  const Bitmap before = f.form.WorkImage[1];
  f.Click(20, 20);
  EXPECT_EQ(f.form.WorkImage[1], before);
  ASSERT_EQ(f.hosts.questions.size(), 1u);
  EXPECT_NE(f.hosts.questions[0].find("right clicking on the image first."), std::string::npos);
  EXPECT_TRUE(f.log.back().ends_with(" [ABORTED] (No source selected)")) << f.log.back();

  f.Click(5, 5, kRightButton);
  f.Click(20, 12);
  // The whole 3 x 3 block around the source lands around the pointer, and nothing beside it.
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const bool inside = std::abs(dx) <= 1 && std::abs(dy) <= 1;
      const int expected =
          RedOf(inside ? before.GetPixel(5 + dx, 5 + dy) : before.GetPixel(20 + dx, 12 + dy));
      EXPECT_EQ(f.IndexAt(20 + dx, 12 + dy), expected) << dx << "," << dy;
    }
  }
  // A one-pixel clone brush copies its one pixel.
  f.options.BrushWidth = f.options.BrushHeight = 1;
  f.Click(1, 3, kRightButton);
  f.Click(25, 25);
  EXPECT_EQ(f.IndexAt(25, 25), RedOf(before.GetPixel(1, 3)));
  EXPECT_NE(RedOf(before.GetPixel(1, 3)), RedOf(before.GetPixel(25, 25)));
  f.Choose(ToolKind::Pencil);
  f.Choose(ToolKind::CloneBrush);
  f.Click(20, 20);
  EXPECT_EQ(f.hosts.questions.size(), 2u);
}

// Each stroke step redraws only its box: the view must equal a redraw of the whole frame after
// every move, for each kind of frame, at 100 % and magnified with the grid.
TEST(StrokeBox, EveryStepLeavesTheViewAsAFullRedraw) {
  for (const BAMKind kind : {kPalettedBAM, kUnpalettedBAM, kTrueColourBAM}) {
    for (const ToolKind tool : {ToolKind::Pencil, ToolKind::Brush, ToolKind::Erase}) {
      for (const int magnification : {0, 2}) {
        PaintFixture f(kind == kPalettedBAM);
        if (kind == kTrueColourBAM) f.ShowTrueColourRamp();
        f.options.ShowGrid = true;
        f.options.BrushWidth = 5;
        f.options.BrushHeight = 3;
        f.options.MagnificationIndex = magnification;
        f.form.MagnificationChanged();
        f.Choose(tool);
        f.Down(4, 4);
        // The last two moves hover once the stroke has ended.
        const std::vector<Point> moves{{9, 6}, {15, 15}, {12, 27}, {3, 20}, {7, 2}, {30, 30}};
        for (std::size_t i = 0; i < moves.size(); ++i) {
          const Point p = moves[i];
          const bool hover = i >= 4;
          if (i == 4) f.Up(3, 20);
          f.hosts.area_repaints = 0;
          f.Move(p.x, p.y);
          const std::vector<std::uint8_t> boxed = f.form.ViewImage.Pixels();
          f.form.RedrawImage(false);
          ASSERT_EQ(boxed, f.form.ViewImage.Pixels())
              << int{kind} << " tool " << int(tool) << " zoom " << f.form.Zoom << " at " << p.x
              << "," << p.y;
          // The pencil shows no preview: its hover redraws the whole view as before.
          EXPECT_EQ(f.hosts.area_repaints, tool == ToolKind::Pencil && hover ? 0 : 1);
        }
      }
    }
  }
}

TEST(Stamp, RefusesWithoutACopiedArea) {
  PaintFixture f;
  f.Choose(ToolKind::Stamp);
  f.Click(3, 3);
  EXPECT_EQ(f.log.back(), "MDFY: Draw: Brush (Stamp)... [ABORTED] (No area selected)");
  EXPECT_EQ(f.form.UndoCount(), 0);
}

TEST(ToolState, EscTakesBackTheStrokeInProgressAndItsReleaseAddsNothing) {
  PaintFixture f;
  f.options.ForegroundIndex = 30;
  f.Choose(ToolKind::Pencil);
  const Bitmap before = f.form.WorkImage[1];
  f.Down(10, 10);
  f.Move(14, 10);
  f.tools.CancelDrawAction();
  f.Up(14, 10);
  EXPECT_EQ(f.form.WorkImage[1], before);
  EXPECT_EQ(f.form.UndoCount(), 0);
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
