#include "support/image_io/indexed_picture.h"

#include <unordered_map>

#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

TColor ColourAt(const std::vector<std::uint8_t>& bgr, std::size_t i) {
  return MakeColor(bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]);
}

// Past 256 colours: an octree palette, keeping `exact` apart when the picture has it.
IndexedPicture Reduce(const Bitmap& bitmap, std::optional<TColor> exact) {
  const std::vector<std::uint8_t>& bgr = bitmap.Pixels();
  const std::size_t count = bgr.size() / 3;
  OctreeQuantizer quantizer;
  bool has_exact = false;
  for (std::size_t i = 0; i < count; ++i) {
    const TColor colour = ColourAt(bgr, i);
    if (exact && colour == *exact) {
      has_exact = true;
    } else {
      quantizer.AddColor(colour);
    }
  }
  const ReducedPalette reduced = quantizer.BuildPalette(has_exact ? 255 : 256);
  IndexedPicture picture;
  picture.table = reduced.colors;
  picture.count = reduced.count;
  const auto exact_index = static_cast<std::uint8_t>(reduced.count);
  if (has_exact) picture.table[picture.count++] = ToTriple(*exact);
  NearestColorMapper mapper(reduced.colors, std::max(1, reduced.count));
  picture.indices.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const TColor colour = ColourAt(bgr, i);
    picture.indices[i] = has_exact && colour == *exact ? exact_index : mapper.IndexOf(colour);
  }
  return picture;
}

}  // namespace

IndexedPicture ToIndexed(const Bitmap& bitmap, std::optional<TColor> exact) {
  IndexedPicture picture;
  if (bitmap.Format() == PixelFormat::Bits8) {
    picture.table = bitmap.ColorTable();
    picture.count = 256;
    picture.indices = bitmap.Pixels();
    return picture;
  }
  if (bitmap.Format() == PixelFormat::Bits1) {
    picture.table[1] = {255, 255, 255};
    picture.count = 2;
    picture.indices = bitmap.Pixels();
    return picture;
  }
  if (exact) *exact &= 0xFFFFFF;
  std::unordered_map<TColor, std::uint8_t> seen;
  const std::vector<std::uint8_t>& bgr = bitmap.Pixels();
  picture.indices.resize(bgr.size() / 3);
  for (std::size_t i = 0; i < picture.indices.size(); ++i) {
    const TColor colour = ColourAt(bgr, i);
    auto [entry, added] = seen.try_emplace(colour, static_cast<std::uint8_t>(seen.size()));
    if (added && seen.size() > 256) return Reduce(bitmap, exact);
    if (added) picture.table[picture.count++] = ToTriple(colour);
    picture.indices[i] = entry->second;
  }
  return picture;
}

}  // namespace celwright
