#pragma once

#include <cstdint>
#include <vector>

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// A frame as copied out of one animation for another: how it looks (24-bit colours with
// transparent and shadow pixels in their display colours), its index image when it came from a
// paletted animation, and its centre. It holds no reference to the animation it came from.
struct CopiedFrame {
  Bitmap Colours;
  Bitmap Indices;  // 24 bits, red = entry; meaningful only when Paletted
  bool Paletted = false;
  std::int32_t CentreX = 0;
  std::int32_t CentreY = 0;
};

// Copies of the given frames of `bam` (indices out of range are skipped).
std::vector<CopiedFrame> CopyFrames(const TBAM& bam, const std::vector<std::int32_t>& frames);

// The pixels of a copied frame as `bam`'s SetFrameBitmap takes them: its entries where this
// palette shows them in the copied colour, the nearest other entry from 2 up elsewhere, and
// transparent and shadow pixels kept; colours for unpaletted animations.
Bitmap FramePixelsFor(const CopiedFrame& frame, const TBAM& bam);

}  // namespace celwright
