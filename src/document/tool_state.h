#pragma once

#include <cstdint>
#include <vector>

#include "support/color_types.h"
#include "support/geometry.h"

namespace celwright {

// The tool buttons of the left panel, in the order the panel shows them.
enum class ToolKind : std::uint8_t {
  Pan,
  Mag,
  Pencil,
  Brush,
  Erase,
  CloneBrush,
  Stamp,
  Fill,
  ColPick,
  Text,
  Line,
  Curve,
  Rect,
  RoundRect,
  Ellipse,
  Poly,
  SelRect,
  SelPoly,
  SelWand,
  SetCent,
  FreeRotate,
};
inline constexpr int kToolCount = 21;

// Mouse buttons as the tools count them; "none" is the state between strokes.
inline constexpr std::uint8_t kLeftButton = 0;
inline constexpr std::uint8_t kRightButton = 1;
inline constexpr std::uint8_t kNoButton = 2;

// Shift, Ctrl and Alt as the tools see them.
struct ShiftKeys {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
  friend bool operator==(const ShiftKeys&, const ShiftKeys&) = default;
};

// Handle bits of the frame-size drag: corners are sums (9, 12, 33, 36).
inline constexpr std::uint8_t kSizerLeft = 1;
inline constexpr std::uint8_t kSizerRight = 4;
inline constexpr std::uint8_t kSizerTop = 8;
inline constexpr std::uint8_t kSizerBottom = 32;

// What a drag in progress needs to remember. It lives beside the buffers rather than in the
// tool layer because operations on the selection and the frame reset it too.
struct ToolState {
  std::uint8_t DrawButton = kNoButton;
  Point LastPoint;   // previous pointer point of a stroke, frame pixels
  Point PointerPos;  // last pointer position, frame pixels (may lie off the frame)
  ShiftKeys ShiftState;
  bool ShapeActive = false;
  std::uint8_t ShapeKind = 0;
  int PointCount = 0;
  // Shape points; for the clone brush [0] is the stroke start and [1] the source, for a pan [0]
  // is the anchor.
  std::vector<Point> PolyPoints = std::vector<Point>(1);
  bool Panning = false;
  bool SizingFrame = false;
  std::uint8_t SizerZone = 0;
  Rect DrawRect;
  Point CloneOrigin;
  // The stroke has moved since its press, so its release paints the final point.
  bool StrokeMoved = false;
  // A text block shown at TextAnchor (the left end of its middle line) until it is fixed into
  // the frame or dropped; FixTextRequest turns the next edit cycle into the fix.
  bool TextPending = false;
  bool FixTextRequest = false;
  Point TextAnchor;
  // A shape's colours, taken from the press that started it: outline (and the foreground fill)
  // and the background fill, each as a colour and as a palette index.
  TColor ShapeColour = 0;
  std::uint8_t ShapeIndex = 0;
  TColor ShapeFillColour = 0;
  std::uint8_t ShapeFillIndex = 0;
  // The next release ends the polygon.
  bool PolygonClosing = false;
};

}  // namespace celwright
