#include "document/work_image_render.h"

#include <array>

namespace celwright {

void RenderIndexImage(const TBAM& bam, const Bitmap& indices, Bitmap& colours) {
  const int width = indices.Width(), height = indices.Height();
  if (colours.Width() != width || colours.Height() != height ||
      colours.Format() != PixelFormat::Bits24) {
    colours.Reset(width, height, PixelFormat::Bits24);
  }
  // Bitmaps hold blue, green, red: build the table in that order once.
  std::array<std::array<std::uint8_t, 3>, 256> shown{};
  const Palette256& palette = bam.Palette;
  for (std::size_t i = 0; i < 256; ++i) shown[i] = {palette[i].b, palette[i].g, palette[i].r};
  const auto display = [](TColor c) {
    return std::array<std::uint8_t, 3>{BlueOf(c), GreenOf(c), RedOf(c)};
  };
  shown[static_cast<std::uint8_t>(bam.TranspInd)] = display(bam.GetTransCol());
  shown[static_cast<std::uint8_t>(bam.ShadowInd)] = display(bam.GetShadowCol());

  if (indices.Format() != PixelFormat::Index8) return;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = indices.Row(y);
    std::uint8_t* out = colours.Row(y);
    for (int x = 0; x < width; ++x, out += 3) {
      const auto& c = shown[in[x]];
      out[0] = c[0];
      out[1] = c[1];
      out[2] = c[2];
    }
  }
}

}  // namespace celwright
