#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/bam_form.h"
#include "support/geometry.h"
#include "support/pixel_spans.h"

namespace celwright {

// One call of the edit cycle as the tools see it: the clamped frame pixel, the button and the
// four drawing values it derives. The tools draw into the window's scratch pair (SelImage),
// the true-colour image and the index image always with the same geometry.
struct PaintCall {
  TBAMForm& Form;
  int X = 0;
  int Y = 0;
  std::uint8_t Button = kNoButton;
  std::uint8_t DrawIndex = 0;
  std::uint8_t OtherIndex = 0;
  TColor DrawColour = 0;
  TColor OtherColour = 0;
  // The alpha DrawColour is painted with into a 32-bit colour image.
  std::uint8_t DrawAlpha = 255;
  // The release of a stroke that moved: the pointer's own pixel is painted as well.
  bool IncludeEnd = false;
  // The stamp tool's copy made ready for this document (colours, index image, mask).
  const std::array<Bitmap, 3>* Stamp = nullptr;
  // The pair the tool paints on: the scratch pair, or the frame itself where every pixel is
  // editable (no selection).
  std::array<Bitmap, 2>* Pair = nullptr;

  Point Here() const { return {X, Y}; }
  std::array<Bitmap, 2>& Target() const { return Pair ? *Pair : Form.SelImage; }
};

// The draw colour as `image` stores it: in a 32-bit image with the call's alpha.
inline PixelValue DrawColourValue(const Bitmap& image, const PaintCall& call) {
  PixelValue value = EncodeColor(image, call.DrawColour);
  if (value.size == 4) value.bytes[3] = call.DrawAlpha;
  return value;
}

// The pixels a stroke visits from `from` towards `to`: max(|dx|, |dy|) + 1 steps of a line
// that stops short of `to`, which starts the next segment (a press visits its own point once).
// With `include_end` the stroke also ends on `to`.
std::vector<Point> StrokePoints(Point from, Point to, bool include_end);

// The rectangle a brush dab at (x, y) covers: one pixel further left than centred.
Rect BrushDrawRect(int x, int y, int width, int height);

// The tool units. Each returns false when it has refused or finished on its own and the edit
// cycle must not copy the scratch pair back.
bool PaintPencil(PaintCall& call);
bool PaintBrushFamily(PaintCall& call);
bool PaintFill(PaintCall& call);
bool PickColour(PaintCall& call);
// Draws the shape the tool state holds into the scratch pair, ending at the call's point.
bool FinishShape(PaintCall& call);
// Draws the shape under construction, ending at the pointer, onto the overlay pair.
void DrawShapePreview(TBAMForm& form, std::array<Bitmap, 2>& overlay);

// The colour the palette panel shows for index `index` of the document.
TColor IndexColour(const TBAM& bam, int index);

}  // namespace celwright
