#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// A frame as copied out of one animation for another: how it looks (24-bit colours with
// transparent and shadow pixels in their display colours), its index image when it came from a
// paletted animation, how it looks with alpha (for true-colour animations), and its centre. It
// holds no reference to the animation it came from.
struct CopiedFrame {
  Bitmap Colours;
  Bitmap Indices;  // index plane; meaningful only when Paletted
  // 32 bits: transparent pixels at alpha 0, shadow black at half alpha, others as they are.
  Bitmap WithAlpha;
  bool Paletted = false;
  std::int32_t CentreX = 0;
  std::int32_t CentreY = 0;
};

// Copies of the given frames of `bam` (indices out of range are skipped).
std::vector<CopiedFrame> CopyFrames(const TBAM& bam, const std::vector<std::int32_t>& frames);

// The pixels of a copied frame as `bam`'s SetFrameBitmap takes them: its entries where this
// palette shows them in the copied colour, the nearest other entry from 2 up elsewhere, and
// transparent and shadow pixels kept; colours for unpaletted animations; colours with alpha for
// true-colour ones.
Bitmap FramePixelsFor(const CopiedFrame& frame, const TBAM& bam);

// Copied frames as bytes, for a drag between documents, and back. The bytes may come from any
// program that put data under the format's name, so reading checks every size first and gives
// nothing for data it cannot trust.
inline constexpr const char* kFramesMimeType = "application/x-celwright-frames";
std::vector<std::uint8_t> EncodeCopiedFrames(const std::vector<CopiedFrame>& frames);
std::optional<std::vector<CopiedFrame>> DecodeCopiedFrames(const std::vector<std::uint8_t>& bytes);

}  // namespace celwright
