#include "support/flood_fill.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/canvas.h"
#include "support/text_art.h"

namespace celwright {
namespace {

using testing::Art;
using testing::kBlack;
using testing::kRed;
using testing::kWhite;

// Builds a 24-bit picture from art: '.' white, '#' black, '~' a white off by one in blue.
Bitmap FromArt(const std::vector<std::string>& rows) {
  Bitmap b(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      const char ch = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      b.SetPixel(x, y, ch == '#' ? kBlack : ch == '~' ? 0xFEFFFF : kWhite);
    }
  }
  return b;
}

void Fill(Bitmap& b, int x, int y, TColor colour = kRed) {
  Canvas c(b);
  c.brush.color = colour;
  c.FloodFill(x, y);
}

TEST(FloodFill, StopsAtTheSmallestColourChange) {
  Bitmap b = FromArt({
      "..~..",
      "..~..",
      "..~..",
  });
  Fill(b, 0, 1);
  EXPECT_EQ(b.GetPixel(1, 1), kRed);
  EXPECT_EQ(b.GetPixel(2, 1), 0xFEFFFFu);
  EXPECT_EQ(b.GetPixel(3, 1), kWhite);
}

TEST(FloodFill, StaysInTheClip) {
  Bitmap clipped = FromArt({
      "....",
      "....",
      "....",
  });
  Canvas c(clipped);
  c.brush.color = kRed;
  c.SetClipRect({1, 0, 3, 3});
  c.FloodFill(1, 1);
  EXPECT_EQ(Art(clipped),
            ".oo.\n"
            ".oo.\n"
            ".oo.");
  c.FloodFill(0, 0);  // seed outside the clip: nothing
  EXPECT_EQ(clipped.GetPixel(0, 0), kWhite);
}

TEST(FloodFill, IndexedPicturesCompareIndicesNotColours) {
  // Two indices with the same colour are two regions.
  Bitmap b(4, 1, PixelFormat::Bits8);
  b.ColorTable()[1] = b.ColorTable()[2] = {10, 10, 10};
  b.Pixels() = {1, 1, 2, 2};
  FloodFillSpans(b, {0, 0}, BoundsOf(b), [&](int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x) b.SetIndex(x, y, 9);
  });
  EXPECT_EQ(b.Pixels(), (std::vector<std::uint8_t>{9, 9, 2, 2}));
}

TEST(FloodFill, WideRegionsAreEmittedOnceWhatEverTheSinkWrites) {
  // Random two-entry pictures wider than the marks' 64-pixel words, filled by a sink that
  // writes nothing: every pixel of the seed's region comes once, against a plain search.
  std::mt19937 random(7);
  for (const int width : {63, 64, 65, 150}) {
    Bitmap b(width, 30, PixelFormat::Bits8);
    for (auto& pixel : b.Pixels()) pixel = random() % 3 == 0 ? 1 : 2;
    b.SetIndex(5, 5, 2);
    std::vector<int> emitted(b.Pixels().size(), 0);
    FloodFillSpans(b, {5, 5}, BoundsOf(b), [&](int y, int x0, int x1) {
      for (int x = x0; x < x1; ++x) ++emitted[static_cast<std::size_t>(y * width + x)];
    });
    std::vector<int> reached(b.Pixels().size(), 0);
    std::vector<Point> pending{{5, 5}};
    reached[5 * width + 5] = 1;
    while (!pending.empty()) {
      const Point p = pending.back();
      pending.pop_back();
      for (const Point q : {Point{p.x - 1, p.y}, Point{p.x + 1, p.y}, Point{p.x, p.y - 1}, Point{p.x, p.y + 1}}) {
        if (q.x < 0 || q.y < 0 || q.x >= width || q.y >= b.Height()) continue;
        const auto at = static_cast<std::size_t>(q.y * width + q.x);
        if (reached[at] || b.GetIndex(q.x, q.y) != 2) continue;
        reached[at] = 1;
        pending.push_back(q);
      }
    }
    EXPECT_EQ(emitted, reached) << "width " << width;
  }
}

}  // namespace
}  // namespace celwright
