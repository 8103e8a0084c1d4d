#pragma once

#include <string>

#include "model/qm_BAM.h"

namespace celwright {

// Whether saving the true-colour `bam` writes any new texture page: some frame's pixels are not
// those of blocks it was read with (changed, new, or the animation never was a BAM V2 file).
bool NeedsNewPages(const TBAM& bam);

// The first page number a save of `bam` as `file_name` should take: one past every page in the
// target folder and every page the animation's unchanged frames still draw from, so no page is
// in the way of another.
int ProposedFirstPage(const TBAM& bam, const std::string& file_name);

}  // namespace celwright
