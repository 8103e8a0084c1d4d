#pragma once

#include <cstdint>
#include <string>

#include "model/animation_exchange.h"
#include "model/qm_BAM.h"

namespace celwright {

// True for an animated PNG: a ".apng" name, or a PNG with an animation control chunk.
bool IsAnimatedPngFile(const std::string& path);

// An animated PNG (a plain PNG gives one frame) as one sequence of the frames a browser shows.
// Files this program wrote come back with each frame's own size and centre; others give
// canvas-sized frames centred in the middle, as animated GIFs do. Throws MediaError.
ExchangeAnimation ReadAnimatedPng(const std::string& path);

// Writes cycle `cycle` as an animated PNG that loops for ever: every frame placed by its centre
// in one box, `frame_ms` between frames, full alpha where pixels are see-through. ".png" is
// added unless the name ends in ".png" or ".apng". The file is written under a temporary name
// and renamed into place; throws std::runtime_error.
void ExportAnimatedPng(const TBAM& bam, const std::string& path, std::int32_t cycle,
                       int frame_ms = kDefaultFrameMs);

}  // namespace celwright
