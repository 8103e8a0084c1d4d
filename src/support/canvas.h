#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "support/bitmap.h"
#include "support/blit.h"
#include "support/geometry.h"
#include "support/pixel_spans.h"
#include "support/raster_shapes.h"
#include "support/text_render.h"

namespace celwright {

struct Pen {
  TColor color = 0;  // black
  int width = 1;
  // A wide pen draws the outline of a rectangle, ellipse or rounded rectangle inside its box,
  // `width` pixels thick, instead of centred on its border.
  bool inside = false;
};

struct Brush {
  TColor color = 0xFFFFFF;  // white
  bool clear = false;       // no fill: figures are outlines only, text has no background
};

// Draws into one picture with a pen, a brush and a font, limited to a clip rectangle. Colours
// are written exactly (for 8-bit pictures: the nearest colour-table entry; for masks: black or
// white), never blended. Figures, lines and fills follow the rules in raster_shapes.h.
class Canvas {
 public:
  explicit Canvas(Bitmap& target) : target_(target) {}

  Bitmap& Target() { return target_; }
  const Bitmap& Target() const { return target_; }

  Pen pen;
  Brush brush;
  Font font;

  // Drawing outside `clip` leaves the picture alone; the clip follows the picture when reset.
  void SetClipRect(const Rect& clip) { clip_ = clip.Normalized(); }
  void ResetClip() { clip_.reset(); }
  Rect ClipRect() const;

  TColor GetPixel(int x, int y) const { return target_.GetPixel(x, y); }
  void SetPixel(int x, int y, TColor color);

  // The line from the current position to (x, y) in the pen; the end pixel is left out for a
  // one-pixel pen. The end becomes the current position.
  void MoveTo(int x, int y) { position_ = {x, y}; }
  void LineTo(int x, int y);
  Point PenPos() const { return position_; }

  // Closed figures: the inside in the brush (unless clear), then the outline in the pen.
  void Rectangle(const Rect& rect);
  void Ellipse(const Rect& rect);
  void RoundRect(const Rect& rect, int corner_width, int corner_height);
  void Polygon(std::span<const Point> points);

  // Open outlines in the pen. Like LineTo, a one-pixel pen leaves out the final point.
  void Polyline(std::span<const Point> points);
  void PolyBezier(std::span<const Point> points);
  void Arc(const Rect& rect, Point start, Point end);

  // A one-pixel frame in the brush colour, whatever the pen.
  void FrameRect(const Rect& rect);
  void FillRect(const Rect& rect);

  // Gives every pixel 4-connected to (x, y) with exactly the seed's value the brush colour.
  void FloodFill(int x, int y);

  // One line of text with its top-left corner at (x, y), in the font's colour, over the brush
  // colour unless the brush is clear.
  void TextOut(int x, int y, std::string_view text);
  Size TextExtent(std::string_view text) const { return MeasureText(font, text); }

  // Block transfers into this canvas's picture, within the clip. The source may be the
  // canvas's own picture: drawing it at an offset shifts the content by that offset.
  void Draw(int x, int y, const Bitmap& source);
  void CopyRect(const Rect& dest, const Bitmap& source, const Rect& source_rect);
  void BitBlt(int x, int y, int width, int height, const Bitmap& source, int source_x, int source_y,
              RasterOp op);
  void MaskBlt(int x, int y, const Bitmap& source, const Bitmap& mask);

  // Changes the picture's size keeping its top-left pixels; new area gets the brush colour.
  void Resize(int width, int height);

 private:
  SpanSink Writer(TColor color);
  Rect Window() const;
  void DrawFigure(const FigureRows& rows);
  void Stroke(std::span<const Point> pixels);

  Bitmap& target_;
  std::optional<Rect> clip_;
  Point position_;
};

}  // namespace celwright
