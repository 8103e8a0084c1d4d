#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "support/bitmap.h"
#include "support/geometry.h"

namespace celwright {

// Rasterisers hand their output to a sink as horizontal runs of pixels on row y, from x_begin
// up to but not including x_end, so painting, previews and masks share one rasteriser. Runs
// may overlap; every consumer writes a single value, so overlap never shows.
using SpanSink = std::function<void(int y, int x_begin, int x_end)>;

// A colour already encoded for one picture: three bytes (blue, green, red), four (the same and
// an opaque alpha), a palette index
// (the nearest entry of the picture's colour table) or a mask bit (black 0, anything else 1).
struct PixelValue {
  std::uint8_t bytes[4] = {0, 0, 0, 0};
  int size = 3;
};
PixelValue EncodeColor(const Bitmap& bitmap, TColor color);

// The whole picture as a rectangle.
inline Rect BoundsOf(const Bitmap& bitmap) { return {0, 0, bitmap.Width(), bitmap.Height()}; }

// Writes one run, clipped to `clip` and to the picture.
void FillSpan(Bitmap& bitmap, const Rect& clip, int y, int x_begin, int x_end,
              const PixelValue& value);
// A sink that writes `value` into `bitmap` within `clip`. The sink keeps references: it must
// not outlive the bitmap.
SpanSink SpanWriter(Bitmap& bitmap, const Rect& clip, const PixelValue& value);

// The pixels of `bitmap` inside `box` (clipped to the picture), row after row: kept aside to be
// put back, or compared, later.
void CopyBoxOut(const Bitmap& bitmap, const Rect& box, std::vector<std::uint8_t>& out);
void CopyBoxIn(Bitmap& bitmap, const Rect& box, const std::vector<std::uint8_t>& in);
// False also when `saved` is not of the box's size.
bool SameAsBox(const Bitmap& bitmap, const Rect& box, const std::vector<std::uint8_t>& saved);

}  // namespace celwright
