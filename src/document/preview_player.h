#pragma once

#include <cstdint>

#include "document/preview_backgrounds.h"
#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// Loops a copy of one cycle over a background: each tick shows the next entry with its centre
// point on the background's anchor, transparent pixels letting the background through and shadow
// pixels darkening it.
class PreviewPlayer {
 public:
  // Copies the cycle (so list edits cannot pull frames from under the timer) and starts before
  // its first entry.
  void Start(const TSmallLookup& cycle);
  // Clears `composition` (the picture area: black where the background does not reach), copies
  // the background, advances to the next entry and draws its frame. An empty cycle, or an entry
  // naming no frame of `bam`, leaves the background alone. Returns the frame drawn, or -1.
  std::int32_t Tick(const TBAM& bam, const Bitmap& background, BackgroundAnchor anchor,
                    Bitmap& composition);
  std::int32_t Position() const { return position_; }

 private:
  TSmallLookup cycle_;
  std::int32_t position_ = -1;
};

// Copies the part of `background` that fits into `area` at (0, 0); the rest of `area` is black.
void PaintBackground(const Bitmap& background, Bitmap& area);

}  // namespace celwright
