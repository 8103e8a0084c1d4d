#include "support/image_io/colour_key.h"

namespace celwright {

namespace {

constexpr TColor kGameTransparentGreen = MakeColor(0, 255, 0);

TColor PixelAt(const std::vector<std::uint8_t>& bgr, std::size_t i) {
  return MakeColor(bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]);
}

}  // namespace

std::optional<TColor> ApplyColourKey(Bitmap& picture, const std::vector<bool>& clear,
                                     const std::vector<TColor>& candidates) {
  std::vector<std::uint8_t>& bgr = picture.Pixels();
  const std::size_t count = bgr.size() / 3;
  std::vector<bool> opaque_colours(std::size_t{1} << 24);
  std::optional<TColor> shared_clear_colour;
  bool clear_colours_differ = false;
  bool any_clear = false;
  for (std::size_t i = 0; i < count; ++i) {
    const TColor colour = PixelAt(bgr, i);
    if (!clear[i]) {
      opaque_colours[colour] = true;
    } else if (!any_clear) {
      any_clear = true;
      shared_clear_colour = colour;
    } else if (colour != *shared_clear_colour) {
      clear_colours_differ = true;
    }
  }
  if (!any_clear) return std::nullopt;

  // The file's own colour for its clear pixels first, so they keep the colour other decoders
  // show; then the green the game files use for their background.
  std::vector<TColor> ordered = candidates;
  if (!clear_colours_differ) ordered.push_back(*shared_clear_colour);
  ordered.push_back(kGameTransparentGreen);
  std::optional<TColor> key;
  for (TColor candidate : ordered) {
    if (!opaque_colours[candidate & 0xFFFFFF]) {
      key = candidate & 0xFFFFFF;
      break;
    }
  }
  for (TColor colour = 0; !key && colour < (TColor{1} << 24); ++colour) {
    if (!opaque_colours[colour]) key = colour;
  }
  if (!key) return std::nullopt;
  for (std::size_t i = 0; i < count; ++i) {
    if (!clear[i]) continue;
    bgr[3 * i] = BlueOf(*key);
    bgr[3 * i + 1] = GreenOf(*key);
    bgr[3 * i + 2] = RedOf(*key);
  }
  return key;
}

}  // namespace celwright
