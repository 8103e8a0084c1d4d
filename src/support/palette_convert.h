#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Exact nearest-colour look-up for many pixels against one palette. Gives the same index as a
// full search (squared red-green-blue distance, lowest index on a tie) but searches only the
// entries that can win inside a small colour cell, closest first, stopping as soon as no further
// entry can beat the best so far; recent answers are remembered.
class NearestColorMap {
 public:
  explicit NearestColorMap(const Palette256& palette);
  std::uint8_t Lookup(std::uint8_t r, std::uint8_t g, std::uint8_t b);

 private:
  static constexpr int kCellBits = 4;  // cells of 16 x 16 x 16 colours
  static constexpr int kCellsPerAxis = 256 >> kCellBits;
  static constexpr std::size_t kCacheSize = 1 << 14;

  struct Candidate {
    int near_distance;  // the least distance any colour of the cell can have to the entry
    std::uint8_t index;
    std::uint8_t r, g, b;  // the entry's colour, kept here so the search stays in one array
  };
  const std::vector<Candidate>& CandidatesFor(int cell);

  Palette256 palette_;
  std::vector<std::vector<Candidate>> cell_candidates_;
  std::vector<bool> cell_ready_;
  // Direct-mapped memory of recent colours: key is 0x01RRGGBB, 0 means empty.
  std::array<std::uint32_t, kCacheSize> cache_keys_{};
  std::array<std::uint8_t, kCacheSize> cache_values_{};
};

// Converts a picture to 8 bits with `palette` as its colour table: every pixel gets the index
// of its nearest palette colour. An 8-bit source is mapped through its own colour table.
Bitmap ConvertToPalette(const Bitmap& source, const Palette256& palette);

// Brings a picture to another kind, pixel by pixel through its colours: 8-bit targets take the
// nearest entry of `table`, masks keep white as white and turn every other colour black.
Bitmap ConvertPixelFormat(const Bitmap& source, PixelFormat format, const Palette256& table);

}  // namespace celwright
