#pragma once

#include <cstdint>
#include <span>

#include "support/color_types.h"

namespace celwright {

// A 256-entry palette object, what drawing code hands around where a desktop API would use a
// palette handle. Nearest-colour look-ups use squared distance in red-green-blue space and
// prefer the lowest index on a tie.
class IndexedPalette {
 public:
  IndexedPalette() = default;
  explicit IndexedPalette(const Palette256& entries) : entries_(entries) {}

  const Palette256& Entries() const { return entries_; }
  // Copies `colors` into the entries starting at `first`; whatever falls past 255 is ignored.
  void SetEntries(int first, std::span<const RGBTriple> colors);
  std::uint8_t NearestIndex(TColor color) const;

  friend bool operator==(const IndexedPalette&, const IndexedPalette&) = default;

 private:
  Palette256 entries_{};
};

// Squared red-green-blue distance, the measure every nearest-colour search here uses.
inline int ColorDistance(const RGBTriple& a, int r, int g, int b) {
  const int dr = a.r - r, dg = a.g - g, db = a.b - b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace celwright
