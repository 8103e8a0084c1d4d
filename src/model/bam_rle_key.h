#pragma once

#include <cstdint>

#include "model/qm_BAM.h"

namespace celwright {

// Changes the run-length key of `bam` (`CompColIndex` for paletted animations, `CompCol` for
// unpaletted ones) and stores every frame again under the new key, run-length encoded only where
// that is smaller. Frames encoded under the old key would otherwise decode to other pixels; the
// pixels of every frame stay exactly as they were. The key not used by the animation's kind is
// simply stored.
void SetCompressionKey(TBAM& bam, std::uint8_t comp_col_index, TColor comp_col);

}  // namespace celwright
