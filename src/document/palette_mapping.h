#pragma once

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// A picture as the two working images of a paletted document.
struct MappedPicture {
  Bitmap Colours;  // 24 bits: each pixel in the display colour of its entry
  Bitmap Indices;  // index plane: one entry a pixel
};

// An 8-bit picture of document indices shown through `display_palette`.
MappedPicture FromIndices(const Bitmap& indices, const Palette256& display_palette);

// A picture (24 or 8 bits) mapped onto a document palette without dithering: only the exact
// transparent and shadow colours (and the picture's own see-through colour) take entries 0 and
// 1, every other pixel the nearest of the other entries.
MappedPicture MapToPalette(const Bitmap& picture, const Palette256& display_palette,
                           TColor transparent, TColor shadow);

}  // namespace celwright
