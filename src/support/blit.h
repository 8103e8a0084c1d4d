#pragma once

#include <optional>

#include "support/bitmap.h"
#include "support/geometry.h"

namespace celwright {

// Block transfers between pictures. All of them clip to the destination (and to `clip` when
// given), read nothing outside the source, leave destination pixels without a source pixel
// unchanged, and accept the destination as its own source: overlapping copies come out as if
// the source had been copied away first. A source of another kind is converted to the
// destination's kind first (see ConvertPixelFormat).

enum class RasterOp {
  SrcCopy,    // destination := source
  DstInvert,  // destination := not destination (the source is not read)
  SrcInvert,  // destination := destination xor source
  SrcPaint,   // destination := destination or source
  SrcAnd,     // destination := destination and source
};

void BitBlt(Bitmap& dest, int dest_x, int dest_y, int width, int height, const Bitmap& source,
            int source_x, int source_y, RasterOp op, std::optional<Rect> clip = std::nullopt);

// Nearest-neighbour scaling of the source rectangle onto the destination rectangle: each source
// pixel becomes a block. A negative width (height) reflects the picture: the destination then
// runs leftwards (upwards) from dest_x (dest_y), which itself is included, so a width of
// -picture width at x = picture width - 1 mirrors a picture onto itself exactly.
void StretchBlt(Bitmap& dest, int dest_x, int dest_y, int dest_width, int dest_height,
                const Bitmap& source, int source_x, int source_y, int source_width,
                int source_height, std::optional<Rect> clip = std::nullopt);

// Copies the source where the mask is black (0) and keeps the destination where it is white.
// The copied block is width x height, read from the source at (source_x, source_y) and from the
// mask at (mask_x, mask_y); positions the mask does not cover keep the destination.
void MaskBlt(Bitmap& dest, int dest_x, int dest_y, int width, int height, const Bitmap& source,
             int source_x, int source_y, const Bitmap& mask, int mask_x, int mask_y,
             std::optional<Rect> clip = std::nullopt);
// The common form: the mask's size, source and mask both read from their top-left corners.
void MaskBlt(Bitmap& dest, int dest_x, int dest_y, const Bitmap& source, const Bitmap& mask,
             std::optional<Rect> clip = std::nullopt);

}  // namespace celwright
