#pragma once

#include "support/bitmap.h"

namespace celwright {

// Mirrors a picture onto itself over its full size: Reflect swaps left and right, Flip swaps top
// and bottom. Any kind of picture; the colour table stays.
void ReflectBitmap(Bitmap& picture);
void FlipBitmap(Bitmap& picture);

}  // namespace celwright
