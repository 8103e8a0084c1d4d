#include "document/palette_mapping.h"

#include "support/palette_convert.h"

namespace celwright {

MappedPicture MapToPalette(const Bitmap& true_colour, const Palette256& palette) {
  const int width = true_colour.Width(), height = true_colour.Height();
  MappedPicture mapped{Bitmap(width, height), Bitmap(width, height)};
  NearestColorMap nearest(palette);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = true_colour.Row(y);
    std::uint8_t* colours = mapped.Colours.Row(y);
    std::uint8_t* indices = mapped.Indices.Row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t index = nearest.Lookup(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
      colours[3 * x] = palette[index].b;
      colours[3 * x + 1] = palette[index].g;
      colours[3 * x + 2] = palette[index].r;
      indices[3 * x + 2] = index;
    }
  }
  return mapped;
}

}  // namespace celwright
