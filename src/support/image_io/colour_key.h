#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Our bitmaps mark see-through pixels with one colour, not an alpha channel. Given a 24-bit
// picture and which of its pixels are see-through (`clear`, one flag a pixel, row by row),
// paints those pixels with one colour that no other pixel has and returns it; the candidates
// come first, in order, when free. Returns nothing, changing nothing, when no pixel is clear, or
// when the picture uses every colour there is.
std::optional<TColor> ApplyColourKey(Bitmap& picture, const std::vector<bool>& clear,
                                     const std::vector<TColor>& candidates);

}  // namespace celwright
