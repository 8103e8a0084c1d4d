#include <gtest/gtest.h>

#include <algorithm>

#include "support/canvas.h"
#include "support/text_art.h"

namespace celwright {
namespace {

using testing::Art;
using testing::kBlack;
using testing::kRed;
using testing::kWhite;
using testing::WhiteBitmap;

Canvas Painter(Bitmap& bitmap) {
  Canvas canvas(bitmap);
  canvas.pen.color = kBlack;
  canvas.brush.color = kRed;
  return canvas;
}

TEST(Lines, EndPointLeftOutAndMinorStepRoundsHalfUp) {
  Bitmap b = WhiteBitmap(9, 4);
  Canvas c = Painter(b);
  c.MoveTo(0, 0);
  c.LineTo(7, 3);
  EXPECT_EQ(Art(b),
            "##.......\n"
            "..##.....\n"
            "....##...\n"
            "......#..");
  EXPECT_EQ(c.PenPos(), (Point{7, 3}));
}

TEST(Lines, SamePixelsWhicheverWayDrawn) {
  for (const Point end : {Point{7, 3}, Point{-5, 2}, Point{3, -8}, Point{6, 6}, Point{-4, -9}}) {
    auto forward = LinePixels({1, 1}, end, true);
    auto backward = LinePixels(end, {1, 1}, true);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward) << end.x << "," << end.y;
  }
}

TEST(Lines, WidePenHasRoundTipsAndCoversTheEnd) {
  Bitmap b = WhiteBitmap(11, 7);
  Canvas c = Painter(b);
  c.pen.width = 5;
  c.MoveTo(3, 3);
  c.LineTo(7, 3);
  EXPECT_EQ(Art(b),
            "...........\n"
            "..#######..\n"
            ".#########.\n"
            ".#########.\n"
            ".#########.\n"
            "..#######..\n"
            "...........");
}

// One figure on a white picture, compared with the whole expected picture.
struct FigureArt {
  const char* name;
  int width, height, pen;
  void (*draw)(Canvas&);
  const char* art;
};

TEST(Figures, EachFigureCoversExactlyItsPixels) {
  static const Point kTriangle[] = {{1, 1}, {5, 1}, {1, 5}};
  static const Point kPath[] = {{0, 0}, {4, 0}, {4, 3}};
  const FigureArt cases[] = {
      {"rectangle leaves out the right and bottom edges", 8, 6, 1,
       [](Canvas& c) { c.Rectangle({1, 1, 6, 5}); },
       "........\n"
       ".#####..\n"
       ".#ooo#..\n"
       ".#ooo#..\n"
       ".#####..\n"
       "........"},
      {"ellipse covers the pixel centres inside", 10, 8, 1,
       [](Canvas& c) { c.Ellipse({0, 0, 9, 7}); },
       "..#####...\n"
       ".#ooooo#..\n"
       "#ooooooo#.\n"
       "#ooooooo#.\n"
       "#ooooooo#.\n"
       ".#ooooo#..\n"
       "..#####...\n"
       ".........."},
      {"frame rect is one pixel in the brush whatever the pen", 6, 4, 4,
       [](Canvas& c) { c.FrameRect({1, 0, 5, 4}); },
       ".oooo.\n"
       ".o..o.\n"
       ".o..o.\n"
       ".oooo."},
      {"polygon fills inside and outlines its edges", 7, 7, 1,
       [](Canvas& c) { c.Polygon(kTriangle); },
       ".......\n"
       ".#####.\n"
       ".#oo#..\n"
       ".#o#...\n"
       ".##....\n"
       ".#.....\n"
       "......."},
      {"polyline draws every segment but the last pixel", 5, 4, 1,
       [](Canvas& c) { c.Polyline(kPath); },
       "#####\n"
       "....#\n"
       "....#\n"
       "....."},
  };
  for (const FigureArt& f : cases) {
    Bitmap b = WhiteBitmap(f.width, f.height);
    Canvas c = Painter(b);
    c.pen.width = f.pen;
    f.draw(c);
    EXPECT_EQ(Art(b), f.art) << f.name;
  }
}

// Properties every closed figure must keep, for a range of sizes and pen widths.
struct FigureCase {
  int width, height, pen;
};

class ClosedFigures : public ::testing::TestWithParam<FigureCase> {};

bool IsMirrorSymmetric(const Bitmap& b, int w, int h) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (b.GetPixel(x, y) != b.GetPixel(w - 1 - x, y)) return false;
      if (b.GetPixel(x, y) != b.GetPixel(x, h - 1 - y)) return false;
    }
  }
  return true;
}

// The fill never touches the background: the outline closes it in on all four sides.
bool FillIsEnclosed(const Bitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      if (b.GetPixel(x, y) != kRed) continue;
      for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        if (b.GetPixel(x + dx, y + dy) == kWhite) return false;
      }
    }
  }
  return true;
}

TEST_P(ClosedFigures, EllipseAndRoundRectAreSymmetricAndClosed) {
  const auto [w, h, pen] = GetParam();
  const int margin = pen;
  for (int kind = 0; kind < 2; ++kind) {
    Bitmap b = WhiteBitmap(w + 2 * margin, h + 2 * margin);
    Canvas c = Painter(b);
    c.pen.width = pen;
    const Rect r{margin, margin, margin + w, margin + h};
    if (kind == 0) {
      c.Ellipse(r);
    } else {
      c.RoundRect(r, 10, 10);
    }
    // Odd pen widths are centred, so the whole picture keeps the figure's symmetry.
    if (pen % 2 == 1) {
      EXPECT_TRUE(IsMirrorSymmetric(b, b.Width(), b.Height())) << kind;
    }
    EXPECT_TRUE(FillIsEnclosed(b)) << kind;
  }
}

TEST_P(ClosedFigures, TwoArcsCloseTheEllipseOutline) {
  const auto [w, h, pen] = GetParam();
  const Rect r{pen, pen, pen + w, pen + h};
  Bitmap outline = WhiteBitmap(w + 2 * pen, h + 2 * pen);
  Bitmap arcs = outline;
  Canvas co = Painter(outline), ca = Painter(arcs);
  co.pen.width = ca.pen.width = pen;
  co.brush.clear = true;
  co.Ellipse(r);
  ca.Arc(r, {r.left, r.top}, {r.right, r.bottom});
  ca.Arc(r, {r.right, r.bottom}, {r.left, r.top});
  EXPECT_EQ(Art(arcs), Art(outline));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ClosedFigures,
                         ::testing::Values(FigureCase{1, 1, 1}, FigureCase{2, 3, 1},
                                           FigureCase{7, 7, 1}, FigureCase{20, 9, 1},
                                           FigureCase{31, 44, 3}, FigureCase{16, 16, 2},
                                           FigureCase{12, 40, 5}));

TEST(OpenOutlines, ArcRunsCounterClockwiseFromStartToEnd) {
  const Rect r{0, 0, 20, 20};
  // From the right (3 o'clock) counter-clockwise to the top (12 o'clock): the top-right quarter.
  const auto pixels = ArcPixels(r, {20, 10}, {10, 0});
  ASSERT_FALSE(pixels.empty());
  for (const Point& p : pixels) {
    EXPECT_GE(p.x, 10);
    EXPECT_LT(p.y, 10);
  }
}

TEST(Clipping, NothingChangesOutsideTheClipRectangle) {
  Bitmap b = WhiteBitmap(12, 12);
  Canvas c = Painter(b);
  c.SetClipRect({3, 3, 8, 8});
  c.pen.width = 3;
  c.Ellipse({0, 0, 12, 12});
  c.MoveTo(0, 0);
  c.LineTo(11, 11);
  c.TextOut(0, 0, "Clip");
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      if (x < 3 || x >= 8 || y < 3 || y >= 8) {
        EXPECT_EQ(b.GetPixel(x, y), kWhite) << x << "," << y;
      }
    }
  }
}

TEST(Clipping, OnlyTheVisiblePartIsWorkedOutAndItMatchesTheWholeFigure) {
  auto draw = [](Bitmap& b) {
    Canvas c = Painter(b);
    c.pen.width = 3;
    c.Ellipse({-40, -30, 50, 45});
    c.RoundRect({-9, 5, 30, 70}, 10, 10);
    c.MoveTo(60, 20);
    c.LineTo(-50, -7);
    const Point path[] = {{-30, 14}, {8, 2}, {40, 40}, {3, 90}};
    c.Polygon(path);
    c.Arc({-20, -20, 25, 25}, {25, 0}, {0, 25});
  };
  Bitmap small = WhiteBitmap(16, 16), large = WhiteBitmap(120, 120);
  draw(small);
  draw(large);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(small.GetPixel(x, y), large.GetPixel(x, y)) << x << "," << y;
  }
  // Figures vastly larger than the picture cost no more than the picture.
  Canvas c = Painter(small);
  c.Ellipse({-400000000, -300000000, 400000000, 300000000});
  c.MoveTo(-500000000, 3);
  c.LineTo(500000000, 9);
}

TEST(WidePens, EveryPixelOnceAndTheSameAsATipOnEachPixel) {
  // Scattered points, runs, repeats and far-apart rows, as outlines and polylines give them.
  std::vector<Point> pixels;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245 + 12345;
    pixels.push_back({static_cast<int>(seed >> 8) % 60, static_cast<int>(seed >> 20) % 50});
  }
  for (int x = 10; x < 40; ++x) pixels.push_back({x, 25});
  pixels.push_back(pixels.front());
  for (int width = 2; width <= 9; ++width) {
    const int offset = width / 2;
    const FigureRows tip = EllipseRows({-offset, -offset, width - offset, width - offset});
    std::vector<int> stamped(100 * 100, 0), stroked(100 * 100, 0);
    for (const Point& p : pixels) {
      for (const RowSpan& row : tip)
        for (int x = row.x_begin; x < row.x_end; ++x)
          stamped[(p.y + row.y + 20) * 100 + p.x + x + 20] = 1;
    }
    EmitStroke(pixels, width, [&](int y, int x0, int x1) {
      for (int x = x0; x < x1; ++x) ++stroked[(y + 20) * 100 + x + 20];
    });
    ASSERT_EQ(stroked, stamped) << width;
  }
}

TEST(Curves, AStraightCurveIsItsLineAndABentOneStaysConnected) {
  const Point straight[] = {{2, 3}, {2, 3}, {41, 17}, {41, 17}};
  const Point inner[] = {{2, 3}, {15, 7}, {28, 11}, {41, 15}};
  const std::vector<Point> line = {{2, 3}, {41, 17}};
  EXPECT_EQ(FlattenBezier(straight), line);
  EXPECT_EQ(FlattenBezier(inner).size(), 2u);
  // Controls in line but beyond the ends: the curve overshoots and comes back.
  const Point overshoot[] = {{10, 10}, {70, 10}, {-40, 10}, {20, 10}};
  const std::vector<Point> back = FlattenBezier(overshoot);
  const auto by_x = [](Point a, Point b) { return a.x < b.x; };
  EXPECT_GT(std::max_element(back.begin(), back.end(), by_x)->x, 25);
  EXPECT_LT(std::min_element(back.begin(), back.end(), by_x)->x, 5);

  Bitmap b = WhiteBitmap(40, 30);
  Canvas c = Painter(b);
  const Point bent[] = {{1, 28}, {5, -20}, {35, 60}, {38, 1}};
  c.PolyBezier(bent);
  // One 8-connected run of pixels from the start: halving leaves no gaps.
  std::vector<Point> todo = {{1, 28}};
  std::vector<bool> seen(40 * 30, false);
  seen[28 * 40 + 1] = true;
  int reached = 0, painted = 0;
  while (!todo.empty()) {
    const Point p = todo.back();
    todo.pop_back();
    ++reached;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = p.x + dx, y = p.y + dy;
        if (x < 0 || y < 0 || x >= 40 || y >= 30 || seen[y * 40 + x]) continue;
        if (b.GetPixel(x, y) != kBlack) continue;
        seen[y * 40 + x] = true;
        todo.push_back({x, y});
      }
    }
  }
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) painted += b.GetPixel(x, y) == kBlack;
  EXPECT_EQ(reached, painted);
  EXPECT_GT(painted, 40);
}

TEST(Kinds, IndexedPicturesTakeTheNearestEntryAndMasksBlackOrWhite) {
  Bitmap indexed(4, 1, PixelFormat::Bits8);
  indexed.ColorTable()[3] = {250, 0, 0};
  Canvas ci(indexed);
  ci.pen.color = kRed;
  ci.MoveTo(0, 0);
  ci.LineTo(4, 0);
  EXPECT_EQ(indexed.GetIndex(2, 0), 3);

  Bitmap mask(4, 1, PixelFormat::Bits1);
  Canvas cm(mask);
  cm.brush.color = kWhite;
  cm.FillRect({1, 0, 3, 1});
  EXPECT_EQ(mask.Pixels(), (std::vector<std::uint8_t>{0, 1, 1, 0}));
}

TEST(Kinds, ResizeKeepsTopLeftAndFillsWithTheBrush) {
  Bitmap b = WhiteBitmap(2, 2);
  b.SetPixel(1, 1, kBlack);
  Canvas c = Painter(b);
  c.Resize(3, 3);
  EXPECT_EQ(Art(b),
            "..o\n"
            ".#o\n"
            "ooo");
}

}  // namespace
}  // namespace celwright
