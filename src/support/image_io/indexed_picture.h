#pragma once

#include <optional>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// A picture as palette indices, ready for a paletted file format.
struct IndexedPicture {
  Palette256 table{};
  int count = 0;                      // entries of `table` in use
  std::vector<std::uint8_t> indices;  // width x height, top-down
};

// 8-bit bitmaps keep their indices and whole table; masks become black and white. Other pictures
// keep their colours exactly, in order of first appearance, when they have at most 256; richer
// ones get an octree palette with each pixel on its nearest entry. `exact`, when given and
// present in the picture, keeps an entry of its own even then (a transparent colour must not be
// merged with its neighbours).
IndexedPicture ToIndexed(const Bitmap& bitmap, std::optional<TColor> exact = std::nullopt);

}  // namespace celwright
