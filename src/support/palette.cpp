#include "support/palette.h"

#include <limits>

namespace celwright {

void IndexedPalette::SetEntries(int first, std::span<const RGBTriple> colors) {
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const long long index = static_cast<long long>(first) + static_cast<long long>(i);
    if (index < 0) continue;
    if (index > 255) break;
    entries_[static_cast<std::size_t>(index)] = colors[i];
  }
}

std::uint8_t IndexedPalette::NearestIndex(TColor color) const {
  const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  int best = 0;
  int best_distance = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const int distance = ColorDistance(entries_[static_cast<std::size_t>(i)], r, g, b);
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

Palette256 StarterPalette() {
  Palette256 entries{};
  entries[0] = {0, 255, 0};
  entries[1] = {0, 0, 0};
  std::size_t next = 2;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        entries[next++] = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                           static_cast<std::uint8_t>(b * 51)};
  constexpr int kGreys = 38;
  for (int i = 1; i <= kGreys; ++i) {
    const auto level = static_cast<std::uint8_t>((i * 255 + (kGreys + 1) / 2) / (kGreys + 1));
    entries[next++] = {level, level, level};
  }
  return entries;
}

}  // namespace celwright
