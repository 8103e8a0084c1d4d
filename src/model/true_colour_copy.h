#pragma once

#include <filesystem>
#include <string>

#include "model/byte_view.h"
#include "model/qm_BAM.h"

namespace celwright {

// A lossless copy of a true-colour animation in one file, for crash recovery: a BAM V2 file
// keeps its pixels on lossy texture pages in other files, which a copy taken every few seconds
// must not re-encode. Layout (little-endian): "CWTC", "V1  ", frame count (4), sequence count (4),
// per frame width, height, centre x, centre y (2 each, centres signed), per sequence its frame
// count (2) and frame indices (2 each), then the byte count (4) and a zlib stream of every
// frame's pixels, red, green, blue, alpha, frame after frame.
class TrueColourCopy {
 public:
  static bool IsCopy(const ByteView& image) { return image.Tag(0, "CWTC") && image.Tag(4, "V1  "); }

  // Writes `bam` (true colour) through the atomic writer; throws on failure.
  static void Write(const TBAM& bam, const std::filesystem::path& path);

  // Reads a copy into `bam`. Returns false with `error` set when it cannot be read: every count
  // and size is checked against the bytes first, the pixels against the loader's bound.
  static bool Read(TBAM& bam, const ByteView& image, std::string& error);
};

}  // namespace celwright
