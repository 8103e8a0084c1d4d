#pragma once

#include <cstdint>
#include <string>

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// The picture a frame is exported as: a paletted animation gives an 8-bit picture with the
// frame's exact indices and the display palette (entries 0 and 1 in the transparent and shadow
// colours), an unpaletted one a 24-bit picture of its colours, a true-colour one a 24-bit
// picture with pixels of alpha below 128 in the transparent colour. `colours` and `indices` are
// the frame's working pair (24 or 32-bit colours, and the index plane).
Bitmap FramePictureFromImages(const TBAM& bam, const Bitmap& colours, const Bitmap& indices);
// The same for a stored frame, read from the animation.
Bitmap FramePicture(const TBAM& bam, std::int32_t frame);

// The name an export proposes: the document's file name without its extension, folder kept,
// followed by `suffix` and `number` ("walk.bam", "_Frame", 3 gives "walk_Frame3").
std::string ProposedExportName(const std::string& document_file, const std::string& suffix,
                               std::int64_t number);

}  // namespace celwright
