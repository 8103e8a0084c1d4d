#pragma once

#include <cstdint>
#include <string>

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// The rectangle every frame of a cycle is placed in for export, relative to the common centre:
// it holds the origin and every entry's extent around its centre point.
struct ExportBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  int max_centre_x = 0, max_centre_y = 0;  // largest centres of the entries, at least 0

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // Where a frame's top-left corner goes so its centre lands on the common point.
  int FrameLeft(const TBAMFrame& frame) const { return max_centre_x - frame.CentreX; }
  int FrameTop(const TBAMFrame& frame) const { return max_centre_y - frame.CentreY; }
};

ExportBox ComputeExportBox(const TBAM& bam, const TCycleItem& cycle);

// A cycle number past the last cycle selects the last one. Throws when there is none to pick.
std::int32_t ResolveExportCycle(const TBAM& bam, std::int32_t cycle);

// Appends `extension` unless the name already ends in it, in any case ("A.AVI" stays as it is).
std::string WithExtension(const std::string& name, const std::string& extension);

// A box-sized 24-bit picture in the transparent colour with `frame` drawn at its box position,
// without shadow blending.
Bitmap RenderInBox(const TBAM& bam, std::int32_t frame, const ExportBox& box);

}  // namespace celwright
