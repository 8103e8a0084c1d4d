#pragma once

#include <cstdint>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Maps colours onto a fixed palette by the nearest entry (squared RGB distance, the lowest index
// winning ties), without dithering. Answers are remembered in a direct-mapped cache keyed by the
// full colour, so a picture costs one palette search per distinct colour rather than per pixel,
// and a cached answer is always the exact nearest entry. A miss searches only the entries that
// can be nearest for the colour's cell of colour space.
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
  static constexpr int kCellShift = 3;  // colour space cut into 32 x 32 x 32 cells
  struct Candidates {
    bool built = false;
    std::vector<std::uint8_t> entries;
  };

  const Candidates& CellCandidates(TColor color);
  std::uint8_t Search(TColor color);

  Palette256 palette_;
  int entry_count_;
  std::vector<std::uint32_t> cache_keys_;  // colour | kValid, or 0 for an empty slot
  std::vector<std::uint8_t> cache_indices_;
  std::vector<Candidates> cells_;  // built on first use
};

Bitmap MapToPalette(const Bitmap& picture, const Palette256& palette, int entry_count = 256);

// Mean Euclidean RGB distance between two pictures of the same size (any pixel formats): the
// figure by which a reduced palette is judged.
double MeanColorError(const Bitmap& reference, const Bitmap& approximation);

}  // namespace celwright
