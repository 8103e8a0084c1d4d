#include "document/palette_mapping.h"

#include <limits>
#include <unordered_map>

namespace celwright {

namespace {

std::uint8_t NearestIndex(const Palette256& palette, TColor colour) {
  const int r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
  int best = 0;
  int best_distance = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const int dr = palette[i].r - r, dg = palette[i].g - g, db = palette[i].b - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace

MappedPicture MapToPalette(const Bitmap& true_colour, const Palette256& palette) {
  const int width = true_colour.Width(), height = true_colour.Height();
  MappedPicture mapped{Bitmap(width, height), Bitmap(width, height)};
  // Pictures repeat colours a lot; the 256-entry search runs once per distinct colour.
  std::unordered_map<TColor, std::uint8_t> known;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = true_colour.Row(y);
    std::uint8_t* colours = mapped.Colours.Row(y);
    std::uint8_t* indices = mapped.Indices.Row(y);
    for (int x = 0; x < width; ++x) {
      const TColor colour = MakeColor(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
      auto found = known.find(colour);
      if (found == known.end()) found = known.emplace(colour, NearestIndex(palette, colour)).first;
      const std::uint8_t index = found->second;
      colours[3 * x] = palette[index].b;
      colours[3 * x + 1] = palette[index].g;
      colours[3 * x + 2] = palette[index].r;
      indices[3 * x + 2] = index;
    }
  }
  return mapped;
}

}  // namespace celwright
