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
