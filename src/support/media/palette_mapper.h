#pragma once

#include <cstdint>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/palette_convert.h"

namespace celwright {

// Nearest-colour mapping onto a palette (no dithering), exact as a full search with the lowest
// index winning ties.
class NearestColorMapper {
 public:
  // Only the first `entry_count` entries (1 to 256) are candidates, so a reduced palette padded
  // with black never attracts pixels to its padding.
  explicit NearestColorMapper(const Palette256& palette, int entry_count = 256);
  std::uint8_t IndexOf(TColor color);
  // Converts a 24-bit or 8-bit picture to an 8-bit one whose colour table is the palette.
  Bitmap Map(const Bitmap& picture);
  // Raw form for callers that keep their own buffers: `width` pixels of blue, green, red.
  void MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices);
  const Palette256& Palette() const { return palette_; }

 private:
  Palette256 palette_;
  NearestColorMap map_;
};

Bitmap MapToPalette(const Bitmap& picture, const Palette256& palette, int entry_count = 256);

// Mean Euclidean red-green-blue distance between two pictures of one size.
double MeanColorError(const Bitmap& reference, const Bitmap& approximation);

}  // namespace celwright
