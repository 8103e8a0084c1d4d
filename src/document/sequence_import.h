#pragma once

#include <cstdint>
#include <string>

#include "model/qm_BAM.h"

namespace celwright {

// Appends every cycle of the BAM file `file_name` to `target`, with the frames those cycles use
// (each once, in order of first use), converted to the target's kind and palette: transparent
// and shadow pixels keep their meaning, every other pixel of a paletted target takes the nearest
// of entries 2 to 255, so no opaque pixel becomes transparent or shadow. Returns the number of
// cycles appended. Throws with the reader's message when the file cannot be read, or when it
// has no sequences; `target` is then unchanged.
std::int32_t ImportCyclesFromBAM(TBAM& target, const std::string& file_name);

// The same from an animation already in memory.
std::int32_t AppendCyclesOf(TBAM& target, const TBAM& source);

}  // namespace celwright
