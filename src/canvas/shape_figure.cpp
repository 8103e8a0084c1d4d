#include "canvas/shape_figure.h"

#include <algorithm>

#include "support/canvas.h"

namespace celwright {

std::optional<std::uint8_t> ShapeKindOf(ToolKind tool) {
  switch (tool) {
    case ToolKind::Line:
      return kShapeLine;
    case ToolKind::Curve:
      return kShapeCurve;
    case ToolKind::Rect:
      return kShapeRectangle;
    case ToolKind::RoundRect:
      return kShapeRoundRect;
    case ToolKind::Ellipse:
      return kShapeEllipse;
    case ToolKind::Poly:
      return kShapePolygon;
    default:
      return std::nullopt;
  }
}

Rect ShapeRect(Point a, Point b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

ShapeFigure FigureOfShape(const ToolState& tool, Point end, bool finished) {
  ShapeFigure figure;
  figure.Kind = tool.ShapeKind;
  figure.ClosePolygon = finished;
  const std::vector<Point>& points = tool.PolyPoints;
  if (points.empty()) return figure;
  switch (tool.ShapeKind) {
    case kShapeCurve:
      // Control points not placed yet sit on the start.
      figure.Points = points;
      figure.Points.resize(4, points.front());
      break;
    case kShapePolygon:
      figure.Points.assign(points.begin(),
                           points.begin() + std::clamp<std::ptrdiff_t>(
                                                tool.PointCount, 0,
                                                static_cast<std::ptrdiff_t>(points.size())));
      break;
    default:
      figure.Points = {points.front(), end};
      break;
  }
  return figure;
}

std::array<ShapeInk, 2> ShapeInks(const ToolState& tool) {
  return {ShapeInk{tool.ShapeColour, tool.ShapeFillColour},
          ShapeInk{MakeColor(tool.ShapeIndex, 0, 0), MakeColor(tool.ShapeFillIndex, 0, 0)}};
}

void DrawShapeFigure(Bitmap& image, const ShapeFigure& figure, int pen_width,
                     ShapeFillStyle fill, const ShapeInk& ink) {
  const std::vector<Point>& p = figure.Points;
  if (p.empty()) return;
  Canvas canvas(image);
  // Boxed figures keep a thick outline inside the dragged box, as pixel editors draw them.
  const bool boxed = figure.Kind == kShapeRectangle || figure.Kind == kShapeRoundRect ||
                     figure.Kind == kShapeEllipse;
  canvas.pen = {ink.Outline, std::clamp(pen_width, 1, kMaxPenWidth), boxed};
  canvas.brush = {fill == ShapeFillStyle::Background ? ink.BackgroundFill : ink.Outline,
                  fill == ShapeFillStyle::None};
  const Point end = p.back();
  switch (figure.Kind) {
    case kShapeLine:
      // There and back, so both end pixels are drawn.
      canvas.MoveTo(p.front().x, p.front().y);
      canvas.LineTo(end.x, end.y);
      canvas.LineTo(p.front().x, p.front().y);
      break;
    case kShapeCurve:
      if (p.size() < 4) break;
      canvas.PolyBezier(std::span(p).first(4));
      // A thin polyline leaves its last point out; the curve ends on it, as the line does.
      canvas.SetPixel(p[3].x, p[3].y, ink.Outline);
      break;
    case kShapeRectangle:
      canvas.Rectangle(ShapeRect(p.front(), end));
      break;
    case kShapeRoundRect:
      canvas.RoundRect(ShapeRect(p.front(), end), kRoundRectCorner, kRoundRectCorner);
      break;
    case kShapeEllipse:
      canvas.Ellipse(ShapeRect(p.front(), end));
      break;
    case kShapePolygon: {
      std::vector<Point> vertices = p;
      if (figure.ClosePolygon) vertices.push_back(p.front());
      if (fill == ShapeFillStyle::None) {
        canvas.Polyline(vertices);
      } else {
        canvas.Polygon(vertices);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace celwright
