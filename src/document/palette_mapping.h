#pragma once

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// A true-colour picture mapped onto a fixed palette without dithering: every pixel takes the
// nearest entry (smallest squared distance in red, green, blue; the lowest index on a tie).
struct MappedPicture {
  Bitmap Colours;  // 24 bits: each pixel in the colour of its entry
  Bitmap Indices;  // 24-bit index image: red = entry, green = blue = 0
};

MappedPicture MapToPalette(const Bitmap& true_colour, const Palette256& palette);

}  // namespace celwright
