#pragma once

#include <cstdint>
#include <string>

#include "model/animation_exchange.h"
#include "model/qm_BAM.h"

namespace celwright {

struct SheetExportOptions {
  std::int32_t cycle = -1;  // the one sequence to export; every sequence when negative
  int columns = 0;          // pictures a row in a grid of equal cells; 0: as square as can be
  bool packed = false;      // rows of pictures sorted by height instead of a grid
  int padding = 0;          // empty pixels between pictures
  bool indexed = false;     // paletted animations: the sheet keeps their palette and indices
  int frame_ms = kDefaultFrameMs;
  std::string app;          // meta.app and meta.version of the data
  std::string version;
};

// Writes the animation's sequences as one sheet picture (each distinct frame picture once) and
// its data as JSON in the "array" layout of pixel-art editors: one entry per sequence entry in
// playing order (entries of one picture share its rectangle), each with its exact centre, and
// one frame tag per sequence. An empty sequence has no entries and so no tag. Both files are
// written under temporary names and renamed into place; throws std::runtime_error.
void ExportSpriteSheet(const TBAM& bam, const std::string& picture_path,
                       const std::string& data_path, const SheetExportOptions& options);

}  // namespace celwright
