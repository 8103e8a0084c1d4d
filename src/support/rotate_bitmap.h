#pragma once

#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/geometry.h"

namespace celwright {

// The size a width x height picture needs once turned by `angle` radians: the extents of the
// turned rectangle, from sine and cosine rounded to four decimals, so that a quarter turn gives
// exactly height x width and 45 degrees of 10 x 10 gives 14 x 14.
Size TurnedSize(int width, int height, double angle);

// Turns `picture` by `angle` radians (counter-clockwise on screen) about its exact centre into a
// width x height result, whose exact centre that centre lands on. Pixels are moved, never
// blended, by the same half-pixel mapping as RotateBitmap; because both centres are exact, a
// quarter turn moves every pixel exactly once whether the sizes are odd or even. Positions that
// come from outside the picture take `fill`. The result has the picture's kind and colour table.
Bitmap RotateBitmapToSize(const Bitmap& picture, int width, int height, TColor fill, double angle);

// The same turn for several pictures of one size (a selection's colours, indices and mask),
// each with its own fill, mapping every pixel only once. Throws std::invalid_argument when the
// sizes differ.
std::vector<Bitmap> RotateBitmapsToSize(const std::vector<const Bitmap*>& pictures,
                                        const std::vector<TColor>& fills, int width, int height,
                                        double angle);

}  // namespace celwright
