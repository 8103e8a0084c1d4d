#include "support/canvas.h"

#include <algorithm>
#include <vector>

#include "support/flood_fill.h"

namespace celwright {

Rect Canvas::ClipRect() const {
  return clip_ ? clip_->Intersect(BoundsOf(target_)) : BoundsOf(target_);
}

SpanSink Canvas::Writer(TColor color) {
  return SpanWriter(target_, ClipRect(), EncodeColor(target_, color));
}

void Canvas::SetPixel(int x, int y, TColor color) {
  FillSpan(target_, ClipRect(), y, x, x + 1, EncodeColor(target_, color));
}

Rect Canvas::Window() const {
  // Outline pixels up to a pen width outside the clip still reach into it.
  const int reach = std::max(1, pen.width) + 1;
  const Rect clip = ClipRect();
  return {clip.left - reach, clip.top - reach, clip.right + reach, clip.bottom + reach};
}

void Canvas::Stroke(std::span<const Point> pixels) {
  EmitStroke(pixels, pen.width, Writer(pen.color));
}

void Canvas::LineTo(int x, int y) {
  // A wide pen has round ends, so it covers its end point like any other.
  const std::vector<Point> pixels = LinePixels(position_, {x, y}, pen.width > 1, Window());
  Stroke(pixels);
  position_ = {x, y};
}

void Canvas::DrawFigure(const FigureRows& rows) {
  if (!brush.clear) EmitFill(rows, Writer(brush.color));
  const std::vector<Point> outline = OutlinePixels(rows, Window());
  if (!pen.inside || pen.width <= 1) {
    Stroke(outline);
    return;
  }
  // Every pixel of the figure within width - 1 of its border: a tip of twice the reach, cut to
  // the figure.
  EmitStroke(outline, 2 * pen.width - 1,
             [&rows, writer = Writer(pen.color)](int y, int x_begin, int x_end) {
               const auto row = std::lower_bound(
                   rows.begin(), rows.end(), y,
                   [](const RowSpan& span, int wanted) { return span.y < wanted; });
               if (row == rows.end() || row->y != y) return;
               const int from = std::max(x_begin, row->x_begin), to = std::min(x_end, row->x_end);
               if (from < to) writer(y, from, to);
             });
}

void Canvas::Rectangle(const Rect& rect) { DrawFigure(RectangleRows(rect, Window())); }

void Canvas::Ellipse(const Rect& rect) { DrawFigure(EllipseRows(rect, Window())); }

void Canvas::RoundRect(const Rect& rect, int corner_width, int corner_height) {
  DrawFigure(RoundRectRows(rect, corner_width, corner_height, Window()));
}

void Canvas::Polygon(std::span<const Point> points) {
  if (points.empty()) return;
  if (!brush.clear) EmitPolygonFill(points, Writer(brush.color), Window());
  std::vector<Point> outline;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::vector<Point> edge =
        LinePixels(points[i], points[(i + 1) % points.size()], points.size() == 1, Window());
    outline.insert(outline.end(), edge.begin(), edge.end());
  }
  Stroke(outline);
}

void Canvas::Polyline(std::span<const Point> points) {
  std::vector<Point> pixels;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const bool last = i + 2 == points.size();
    const std::vector<Point> segment =
        LinePixels(points[i], points[i + 1], pen.width > 1 || !last, Window());
    // Joints would be drawn twice; drop the repeated first pixel of every later segment.
    const auto skip = (i > 0 && !segment.empty() && segment.front() == points[i]) ? 1 : 0;
    pixels.insert(pixels.end(), segment.begin() + skip, segment.end());
  }
  Stroke(pixels);
}

void Canvas::PolyBezier(std::span<const Point> points) {
  if (points.size() < 4) return;
  Polyline(FlattenBezier(points));
}

void Canvas::Arc(const Rect& rect, Point start, Point end) {
  Stroke(ArcPixels(rect, start, end, Window()));
}

void Canvas::FrameRect(const Rect& rect) {
  if (brush.clear) return;
  EmitFill(RectangleRows(rect, Window()), [&, writer = Writer(brush.color)](int y, int x0, int x1) {
    const Rect r = rect.Normalized();
    if (y == r.top || y == r.bottom - 1) {
      writer(y, x0, x1);
    } else {
      writer(y, x0, x0 + 1);
      writer(y, x1 - 1, x1);
    }
  });
}

void Canvas::FillRect(const Rect& rect) {
  if (!brush.clear) EmitFill(RectangleRows(rect, Window()), Writer(brush.color));
}

void Canvas::FloodFill(int x, int y) {
  if (brush.clear) return;
  FloodFillSpans(target_, {x, y}, ClipRect(), Writer(brush.color));
}

void Canvas::TextOut(int x, int y, std::string_view text) {
  const Bitmap letters = RenderTextMask(font, text);
  if (letters.Empty()) return;
  const Rect block{x, y, x + letters.Width(), y + letters.Height()};
  if (!brush.clear) FillRect(block);
  const SpanSink ink = Writer(font.color);
  for (int row = 0; row < letters.Height(); ++row) {
    const std::uint8_t* bits = letters.Row(row);
    for (int col = 0; col < letters.Width();) {
      if (bits[col] != 0) {
        ++col;
        continue;
      }
      int end = col;
      while (end < letters.Width() && bits[end] == 0) ++end;
      ink(y + row, x + col, x + end);
      col = end;
    }
  }
}

void Canvas::Draw(int x, int y, const Bitmap& source) {
  celwright::BitBlt(target_, x, y, source.Width(), source.Height(), source, 0, 0, RasterOp::SrcCopy,
                    ClipRect());
}

void Canvas::CopyRect(const Rect& dest, const Bitmap& source, const Rect& source_rect) {
  celwright::StretchBlt(target_, dest.left, dest.top, dest.Width(), dest.Height(), source,
                        source_rect.left, source_rect.top, source_rect.Width(),
                        source_rect.Height(), ClipRect());
}

void Canvas::BitBlt(int x, int y, int width, int height, const Bitmap& source, int source_x,
                    int source_y, RasterOp op) {
  celwright::BitBlt(target_, x, y, width, height, source, source_x, source_y, op, ClipRect());
}

void Canvas::MaskBlt(int x, int y, const Bitmap& source, const Bitmap& mask) {
  celwright::MaskBlt(target_, x, y, source, mask, ClipRect());
}

void Canvas::Resize(int width, int height) {
  const PixelValue fill = EncodeColor(target_, brush.color);
  // The picture's own resize takes an index for 8-bit pictures and black-or-not for masks.
  const TColor value =
      target_.Format() == PixelFormat::Bits24 ? (brush.color & 0xFFFFFF) : TColor{fill.bytes[0]};
  target_.Resize(std::max(0, width), std::max(0, height), value);
}

}  // namespace celwright
