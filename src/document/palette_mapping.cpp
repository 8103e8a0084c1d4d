#include "document/palette_mapping.h"

#include <algorithm>

#include "support/media/palette_mapper.h"

namespace celwright {

MappedPicture FromIndices(const Bitmap& indices, const Palette256& display_palette) {
  const int width = indices.Width(), height = indices.Height();
  MappedPicture mapped{Bitmap(width, height), Bitmap(width, height, PixelFormat::Index8)};
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = indices.Row(y);
    std::uint8_t* colours = mapped.Colours.Row(y);
    for (int x = 0; x < width; ++x) {
      const RGBTriple colour = display_palette[in[x]];
      colours[3 * x] = colour.b;
      colours[3 * x + 1] = colour.g;
      colours[3 * x + 2] = colour.r;
    }
  }
  std::copy(indices.Pixels().begin(), indices.Pixels().end(), mapped.Indices.Pixels().begin());
  return mapped;
}

MappedPicture MapToPalette(const Bitmap& picture, const Palette256& display_palette,
                           TColor transparent, TColor shadow) {
  ReservedEntryMapper mapper(display_palette, transparent, shadow);
  return FromIndices(mapper.Map(picture), display_palette);
}

}  // namespace celwright
