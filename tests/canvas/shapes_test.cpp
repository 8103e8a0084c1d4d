#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "canvas/paint_fixture.h"
#include "support/canvas.h"

namespace celwright {
namespace {

using testing::PaintFixture;

constexpr int kFore = 40;
constexpr int kBack = 50;

struct ShapeFixture : PaintFixture {
  explicit ShapeFixture(bool paletted = true) : PaintFixture(paletted) {
    options.ForegroundIndex = kFore;
    options.BackgroundIndex = kBack;
    before = form.WorkImage[1];
  }
  int Was(int x, int y) const { return RedOf(before.GetPixel(x, y)); }
  // Every pixel of the frame: the index `expected` gives, or the original where it gives -1.
  void ExpectIndices(const std::function<int(int, int)>& expected) const {
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const int want = expected(x, y);
        ASSERT_EQ(IndexAt(x, y), want < 0 ? Was(x, y) : want) << x << "," << y;
      }
    }
  }
  Bitmap before;
};

bool OnBorder(int x, int y, int left, int top, int right, int bottom) {
  const bool inside = x >= left && x <= right && y >= top && y <= bottom;
  return inside && (x == left || x == right || y == top || y == bottom);
}

TEST(Shapes, UnfilledRectangleTakesTheThicknessInsideItsBoxAndIsOneUndoStep) {
  ShapeFixture f;
  f.Choose(ToolKind::Rect);
  f.Drag({5, 5}, {2, 8});
  f.ExpectIndices([](int x, int y) { return OnBorder(x, y, 2, 5, 5, 8) ? kFore : -1; });
  f.options.PenWidth = 3;
  f.Drag({20, 10}, {10, 24});
  f.ExpectIndices([](int x, int y) {
    if (OnBorder(x, y, 2, 5, 5, 8)) return kFore;
    const bool inside = x >= 10 && x <= 20 && y >= 10 && y <= 24;
    const int depth = std::min({x - 10, 20 - x, y - 10, 24 - y});
    return inside && depth < 3 ? kFore : -1;
  });
  EXPECT_EQ(f.form.UndoCount(), 2);
  f.form.Undo();
  EXPECT_EQ(f.ColourAt(2, 5), IndexColour(f.form.BAM, kFore));
  EXPECT_EQ(f.form.UndoCount(), 1);
  f.form.Undo();
  EXPECT_EQ(f.form.WorkImage[1], f.before);
}

TEST(Shapes, RightButtonSwapsTheColoursAndFillsWithTheOtherOne) {
  ShapeFixture f;
  f.options.FillStyle = ShapeFillStyle::Background;
  f.Choose(ToolKind::Rect);
  f.Drag({10, 10}, {16, 14}, {}, kRightButton);
  f.ExpectIndices([](int x, int y) {
    if (OnBorder(x, y, 10, 10, 16, 14)) return kBack;
    return x > 10 && x < 16 && y > 10 && y < 14 ? kFore : -1;
  });
}

TEST(Shapes, UnpalettedShapesDrawTheChosenColours) {
  ShapeFixture f(false);
  f.options.ForegroundColour = MakeColor(200, 10, 10);
  f.options.BackgroundColour = MakeColor(10, 200, 10);
  f.options.FillStyle = ShapeFillStyle::Foreground;
  f.Choose(ToolKind::Ellipse);
  f.Drag({4, 4}, {20, 20}, {}, kRightButton);
  EXPECT_EQ(f.ColourAt(12, 12), f.options.BackgroundColour);
  EXPECT_EQ(f.ColourAt(4, 12), f.options.BackgroundColour);
  EXPECT_EQ(f.ColourAt(25, 12), MakeColor(200, 96, 50));
}

TEST(Shapes, PolygonClosesByADoubleClickOnItsLastVertex) {
  for (const ShapeFillStyle fill : {ShapeFillStyle::Foreground, ShapeFillStyle::None}) {
    ShapeFixture f;
    f.options.FillStyle = fill;
    f.Choose(ToolKind::Poly);
    f.Click(2, 2);
    f.Move(24, 2);
    f.Click(24, 2);
    f.Move(2, 24);
    // The foreground changing halfway does not recolour the polygon.
    f.options.ForegroundIndex = 99;
    f.Click(2, 24);
    EXPECT_EQ(f.form.WorkImage[1], f.before) << "nothing is drawn before the polygon closes";
    f.Click(2, 24);
    EXPECT_EQ(f.form.UndoCount(), 1);
    EXPECT_FALSE(f.form.Tool.ShapeActive);
    // The closing edge runs back down the left side to the first vertex.
    for (int y = 2; y <= 24; ++y) EXPECT_EQ(f.IndexAt(2, y), kFore) << y;
    for (int x = 2; x <= 24; ++x) EXPECT_EQ(f.IndexAt(x, 2), kFore) << x;
    EXPECT_EQ(f.IndexAt(13, 13), kFore);  // on the slanted edge
    EXPECT_EQ(f.IndexAt(7, 7), fill == ShapeFillStyle::None ? f.Was(7, 7) : kFore);
    EXPECT_EQ(f.IndexAt(20, 20), f.Was(20, 20));
  }
}

TEST(Shapes, EscDuringAPolygonChangesNothing) {
  ShapeFixture f;
  f.Choose(ToolKind::Poly);
  f.Click(3, 3);
  f.Click(20, 4);
  f.Move(10, 20);
  f.Click(10, 20);
  EXPECT_NE(f.form.OverlayImage[1], f.form.WorkImage[1]);
  f.tools.CancelDrawAction();
  EXPECT_EQ(f.form.WorkImage[1], f.before);
  EXPECT_TRUE(f.form.OverlayImage[1].Empty());  // no preview left over the frame
  EXPECT_EQ(f.form.UndoCount(), 0);
  EXPECT_FALSE(f.form.HistoryPending);
  // The next press starts a new polygon rather than adding to the dropped one.
  f.Click(5, 5);
  EXPECT_TRUE(f.form.Tool.ShapeActive);
  EXPECT_EQ(f.form.Tool.PointCount, 2);
}

TEST(Shapes, RightButtonCurveKeepsItsColoursAndAStraightCurveIsTheLine) {
  for (const int pen : {1, 3}) {
    ShapeFixture f;
    f.options.PenWidth = pen;
    f.Choose(ToolKind::Curve);
    const Point start{2, 3}, end{27, 12};
    f.Drag(start, end, {}, kRightButton);
    EXPECT_EQ(f.form.UndoCount(), 0) << "the curve waits for its control points";
    f.Click(start.x, start.y);
    f.Click(end.x, end.y);
    EXPECT_EQ(f.form.UndoCount(), 1);
    Bitmap line = f.before;
    Canvas canvas(line);
    canvas.pen = {MakeColor(kBack, 0, 0), pen};
    canvas.MoveTo(start.x, start.y);
    canvas.LineTo(end.x, end.y);
    canvas.SetPixel(end.x, end.y, MakeColor(kBack, 0, 0));  // the curve reaches its end
    EXPECT_EQ(f.form.WorkImage[1], line) << pen;
  }
}

TEST(Shapes, UnfilledEllipseAndRoundRectTakeTheThicknessInsideTheBox) {
  for (const ToolKind tool : {ToolKind::Ellipse, ToolKind::RoundRect}) {
    int changed[2] = {0, 0};
    for (const int pen : {1, 3}) {
      ShapeFixture f;
      f.options.PenWidth = pen;
      f.Choose(tool);
      f.Drag({4, 6}, {27, 25});
      EXPECT_EQ(f.IndexAt(4, 15), kFore);
      EXPECT_EQ(f.IndexAt(4 + pen - 1, 15), kFore);
      EXPECT_EQ(f.IndexAt(4 + pen, 15), f.Was(4 + pen, 15)) << "the pen's width, no more";
      EXPECT_EQ(f.IndexAt(15, 15), f.Was(15, 15)) << "outline only";
      // Nothing spills outside the dragged box.
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
          if (x < 4 || x > 27 || y < 6 || y > 25) {
            ASSERT_EQ(f.IndexAt(x, y), f.Was(x, y)) << x << "," << y;
          }
        }
      }
      changed[pen / 3] = f.Changed(f.before, f.form.WorkImage[1], {0, 0, 32, 32});
    }
    EXPECT_GT(changed[1], 2 * changed[0]);
  }
}

TEST(ShapePreview, FollowsThePointerOnTheFrameOnlyAndNeverReachesTheFile) {
  ShapeFixture f;
  f.options.PenWidth = 4;
  f.Choose(ToolKind::Rect);
  f.Down(5, 5);
  f.Move(12, 10);
  const Bitmap& preview = f.form.OverlayImage[1];
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      // The finished rectangle's 4-pixel outline, inside the box.
      const bool inside = x >= 5 && x <= 12 && y >= 5 && y <= 10;
      const bool band = inside && std::min({x - 5, 12 - x, y - 5, 10 - y}) < 4;
      const int want = band ? kFore : f.Was(x, y);
      ASSERT_EQ(RedOf(preview.GetPixel(x, y)), want) << x << "," << y;
    }
  }
  EXPECT_EQ(f.form.WorkImage[1], f.before);
  f.Move(-3, 5);
  EXPECT_EQ(f.form.OverlayImage[1], f.before);
  f.Move(12, 10);

  const std::string file = ::testing::TempDir() + "shape_preview.bam";
  f.form.CommitPendingEdits();
  ASSERT_TRUE(f.form.BAM.SaveAs(file, kPalettedBAM, false));
  TBAM reopened;
  ASSERT_TRUE(reopened.LoadFromFile(file));
  Bitmap colours, indices;
  reopened.GetFrameBitmap(0, colours, &indices);
  EXPECT_EQ(indices.Pixels(), f.before.Pixels());
}

TEST(ShapePreview, ReleasedOffTheFrameTheShapeEndsOnTheBorder) {
  ShapeFixture f;
  f.Choose(ToolKind::Line);
  f.Move(5, 5);
  EXPECT_EQ(f.tools.Pointer(), PointerShape::Cross);
  f.Down(5, 5);
  f.Move(40, 5);
  EXPECT_EQ(f.form.OverlayImage[1], f.before);
  f.Up(40, 5);
  for (int x = 5; x < 32; ++x) EXPECT_EQ(f.IndexAt(x, 5), kFore) << x;
}

}  // namespace
}  // namespace celwright
