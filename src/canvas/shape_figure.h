#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/document_options.h"
#include "document/tool_state.h"
#include "support/bitmap.h"
#include "support/geometry.h"

namespace celwright {

// The kinds of shape, numbered as the tool state counts them (the polygon selection shares 5).
inline constexpr std::uint8_t kShapeLine = 0;
inline constexpr std::uint8_t kShapeCurve = 1;
inline constexpr std::uint8_t kShapeRectangle = 2;
inline constexpr std::uint8_t kShapeRoundRect = 3;
inline constexpr std::uint8_t kShapeEllipse = 4;
inline constexpr std::uint8_t kShapePolygon = 5;

// The rounded rectangle's corners are quarters of an ellipse this many pixels each way.
inline constexpr int kRoundRectCorner = 10;
inline constexpr int kMaxPenWidth = 50;

// The kind of shape a tool builds; none for the other tools.
std::optional<std::uint8_t> ShapeKindOf(ToolKind tool);

// The box of a rectangle, rounded rectangle or ellipse dragged from `a` to `b`: both corner
// pixels lie inside, whichever way the drag went.
Rect ShapeRect(Point a, Point b);

// A shape as it is drawn. The finished shape and the preview of one under construction go
// through the same drawing, so the preview shows exactly what the frame will get.
struct ShapeFigure {
  std::uint8_t Kind = kShapeLine;
  // Line, rectangle, rounded rectangle, ellipse: the press point and the end point. Curve:
  // start, first control point, second control point, end. Polygon: the vertices in order.
  std::vector<Point> Points;
  // A finished polygon returns to its first vertex; the preview leaves the closing edge out
  // unless the polygon is filled.
  bool ClosePolygon = true;
};

// The values one picture takes: the outline (which is also the foreground fill) and the
// background fill. The index image gets the palette indices in its red channel.
struct ShapeInk {
  TColor Outline = 0;
  TColor BackgroundFill = 0;
};

// The figure of the shape `tool` is building, ending at `end` (the pointer for a preview, the
// release point for the finished shape).
ShapeFigure FigureOfShape(const ToolState& tool, Point end, bool finished);
// The shape's values for the colour image [0] and the index image [1].
std::array<ShapeInk, 2> ShapeInks(const ToolState& tool);

// Draws `figure` into `image`. Lines and curves ignore the fill style. Every outline takes the
// thickness; those of the rectangle, rounded rectangle and ellipse stay inside their box.
void DrawShapeFigure(Bitmap& image, const ShapeFigure& figure, int pen_width, ShapeFillStyle fill,
                     const ShapeInk& ink);

}  // namespace celwright
