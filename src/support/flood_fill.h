#pragma once

#include "support/bitmap.h"
#include "support/geometry.h"
#include "support/pixel_spans.h"

namespace celwright {

// Emits, as runs, every pixel inside `limit` that is 4-connected to `seed` through pixels whose
// stored value equals the seed's exactly (all three bytes, the index, or the mask bit). Each
// pixel is emitted once, so the sink may recolour pixels as it goes, even to the seed's own
// value. A seed outside `limit` or the picture emits nothing.
void FloodFillSpans(const Bitmap& bitmap, Point seed, const Rect& limit, const SpanSink& sink);

}  // namespace celwright
