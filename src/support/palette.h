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

// The palette a new animation starts with, so every colour can be painted at once: entry 0 the
// transparent green and entry 1 the shadow black of the game's own animations, entries 2 to 217
// a 6 x 6 x 6 colour cube (levels 0, 51, ..., 255; red slowest, blue fastest) and entries 218
// to 255 a ramp of 38 greys strictly between black and white, none repeating a cube grey.
Palette256 StarterPalette();

}  // namespace celwright
