#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace celwright {

// A picture with straight (not premultiplied) alpha: red, green, blue, alpha a pixel, rows
// top-down without padding. The exchange formats of pixel-art editors carry partial
// transparency, which the editor's own pictures do not; this is how they travel in between.
struct RgbaPicture {
  RgbaPicture() = default;
  RgbaPicture(int w, int h)
      : width(w), height(h), rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4) {}

  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // fully transparent black when made

  bool Empty() const { return width <= 0 || height <= 0; }
  std::uint8_t* At(int x, int y) {
    return rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(x)) * 4;
  }
  const std::uint8_t* At(int x, int y) const {
    return rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(x)) * 4;
  }
  friend bool operator==(const RgbaPicture&, const RgbaPicture&) = default;
};

}  // namespace celwright
