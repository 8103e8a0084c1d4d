#pragma once

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Fills the whole picture: a colour for 24 bits, the colour with the high byte as alpha for 32
// bits, the low byte as index for 8 bits, 0 (black) or 1 (anything else) for masks.
void FillBitmap(Bitmap& bitmap, TColor fill);

// Moves the content by (-dx, -dy) and gives the picture the new size; every pixel the old
// content does not cover afterwards takes `fill`, so no stale copy of moved pixels remains.
void ShiftAndResize(Bitmap& bitmap, int dx, int dy, int width, int height, TColor fill);

// The picture as 24 bits: 8-bit pictures through their colour table, masks as black and white.
Bitmap ToTrueColour(const Bitmap& picture);

}  // namespace celwright
