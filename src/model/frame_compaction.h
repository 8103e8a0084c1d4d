#pragma once

#include <cstdint>

#include "model/qm_BAM.h"

namespace celwright {

// Encoded bytes of all frames together: what compaction saves is measured in these.
std::int64_t FrameDataBytes(const TBAM& bam);

// Collapses frames of the same size, centre and pixels into the first of them; every sequence
// slot that showed a removed frame shows the kept one. Returns the number of frames removed.
int MergeIdenticalFrames(TBAM& bam);

// Crops the transparent rows and columns around every frame, moving its centre so that what is
// shown stays where it was. Frames with nothing shown keep their size. Each frame is stored raw or
// run-length encoded, whichever is smaller. Returns the number of frames that became smaller.
int TrimFrames(TBAM& bam);

}  // namespace celwright
