#pragma once

#include <string>
#include <vector>

#include "model/engine_check.h"
#include "model/qm_BAM.h"

namespace celwright::engine {

// Changes `bam` so that, once written, none of the report's fixable findings remain, keeping
// every pixel as shown (the transparent index stays transparent, every other pixel keeps its
// colour). Returns one line per fix; empty when the report offers none. Fixes of the byte layout
// (offsets, empty frames, the container's length, repaired damage) take effect when the
// document is written, which always lays the file out afresh.
std::vector<std::string> FixForEngines(TBAM& bam, const Report& report);

}  // namespace celwright::engine
