#pragma once

#include <span>
#include <vector>

#include "support/geometry.h"
#include "support/pixel_spans.h"

namespace celwright {

// The rasterisation rules every drawing call shares.
//
// * Figures in a bounding rectangle (rectangle, ellipse, rounded rectangle) cover the pixels
//   whose centres lie inside the figure drawn in continuous coordinates from (left, top) to
//   (right, bottom); the right column and bottom row of the rectangle stay outside. The test is
//   exact integer arithmetic, so a figure is mirror-symmetric about both of its axes.
// * Such a figure's outline is its own border: the pixels of the figure with a 4-neighbour
//   outside it. Outline and fill come from the same pixel set, so an outline never leaves a gap
//   against its own fill.
// * A pen wider than one pixel stamps a round tip (the ellipse in a width x width square,
//   centred on the pixel, one pixel towards the top left for even widths) on every outline or
//   line pixel.
// * Lines step along their major axis and round the minor coordinate half up; the pixel set is
//   computed from the same end whichever way the line is drawn, so it does not depend on
//   direction.
// * Polygons fill the pixels whose centres lie inside (even-odd rule, left edges in, right
//   edges out) and are outlined by their edges as closed lines.
// * Bezier curves are halved until each piece lies within a quarter pixel of its chord; a curve
//   whose control points lie on the segment between its ends is that segment.
// * Arcs are the part of the ellipse outline whose pixel centres lie counter-clockwise from the
//   start ray to the end ray, both rays included.

// Rasterisers only work out the part of a figure inside a window; callers pass their clip grown
// by the pen's reach, so a figure far larger than the picture costs no more than the picture.
constexpr Rect kNoWindow{-(1 << 29), -(1 << 29), 1 << 29, 1 << 29};

// One run per row: the form convex figures take.
struct RowSpan {
  int y = 0;
  int x_begin = 0;
  int x_end = 0;
  friend bool operator==(const RowSpan&, const RowSpan&) = default;
};
using FigureRows = std::vector<RowSpan>;

// The rows of `window` (plus one row either side, so OutlinePixels sees the true border).
FigureRows RectangleRows(const Rect& rect, const Rect& window = kNoWindow);
FigureRows EllipseRows(const Rect& rect, const Rect& window = kNoWindow);
FigureRows RoundRectRows(const Rect& rect, int corner_width, int corner_height,
                         const Rect& window = kNoWindow);

void EmitFill(const FigureRows& rows, const SpanSink& sink);
// The figure's border pixels inside `window`, row by row.
std::vector<Point> OutlinePixels(const FigureRows& rows, const Rect& window = kNoWindow);

// Pixels of the line from `from` to `to`, in drawing order; only those whose step along the
// line's major axis falls inside `window` (the same pixels as without a window, just fewer).
std::vector<Point> LinePixels(Point from, Point to, bool include_end,
                              const Rect& window = kNoWindow);
// Chords of a cubic Bezier chain: points 0..3 are the first segment, each further three points
// one more segment (the previous end is the next start). Returns the polyline vertices.
std::vector<Point> FlattenBezier(std::span<const Point> points);
// The part of the outline of the ellipse in `rect` from the ray through `start` counter-clockwise
// to the ray through `end`; equal rays give the whole outline.
std::vector<Point> ArcPixels(const Rect& rect, Point start, Point end,
                             const Rect& window = kNoWindow);

void EmitPolygonFill(std::span<const Point> points, const SpanSink& sink,
                     const Rect& window = kNoWindow);

// Emits `pixels` drawn with a pen `width` pixels wide: the union of the round tips, every pixel
// of it once.
void EmitStroke(std::span<const Point> pixels, int width, const SpanSink& sink);

}  // namespace celwright
