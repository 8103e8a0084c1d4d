#pragma once

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// Redraws the true-colour rendering of a paletted frame from its index plane
// with the document's current palette, the transparent and shadow entries in the colours they
// are shown in. `colours` takes the index image's size. Palette previews, display-colour
// changes and the fill tool re-render through here, so nothing else about the frame changes.
void RenderIndexImage(const TBAM& bam, const Bitmap& indices, Bitmap& colours);

}  // namespace celwright
