#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/bam_types.h"

namespace celwright {

// Appends `size` bytes to `out` in 80 steps, reporting (step, 80, stage) after each one, so the
// progress window moves while large files are read or written. Steps 1 to 79 copy size / 80
// bytes each, step 80 the rest.
void SteppedAppend(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size,
                   const TProgressEvent& on_progress, std::uint8_t stage);

}  // namespace celwright
