#include "support/media/palette_mapper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace celwright {

namespace {

// Entries past `entry_count` become copies of entry 0: a copy never beats the original, as ties
// go to the lowest index, so they can never be chosen.
Palette256 CandidatesOnly(const Palette256& palette, int entry_count) {
  if (entry_count < 1 || entry_count > 256) {
    throw std::invalid_argument("A palette mapping needs 1 to 256 entries");
  }
  Palette256 candidates = palette;
  for (int i = entry_count; i < 256; ++i) candidates[i] = palette[0];
  return candidates;
}

}  // namespace

NearestColorMapper::NearestColorMapper(const Palette256& palette, int entry_count)
    : palette_(palette), map_(CandidatesOnly(palette, entry_count)) {}

std::uint8_t NearestColorMapper::IndexOf(TColor color) {
  return map_.Lookup(RedOf(color), GreenOf(color), BlueOf(color));
}

void NearestColorMapper::MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices) {
  for (int x = 0; x < width; ++x) indices[x] = map_.Lookup(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]);
}

Bitmap NearestColorMapper::Map(const Bitmap& picture) {
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits8);
  result.ColorTable() = palette_;
  switch (picture.Format()) {
    case PixelFormat::Bits24:
      for (int y = 0; y < picture.Height(); ++y)
        MapRow(picture.Row(y), picture.Width(), result.Row(y));
      return result;
    case PixelFormat::Bits8: {
      std::array<std::uint8_t, 256> translation{};
      for (int i = 0; i < 256; ++i) translation[i] = IndexOf(ToColor(picture.ColorTable()[i]));
      std::transform(picture.Pixels().begin(), picture.Pixels().end(), result.Pixels().begin(),
                     [&](std::uint8_t index) { return translation[index]; });
      return result;
    }
    case PixelFormat::Bits1:
      break;
  }
  throw std::invalid_argument("Palette mapping needs a colour picture");
}

Bitmap MapToPalette(const Bitmap& picture, const Palette256& palette, int entry_count) {
  NearestColorMapper mapper(palette, entry_count);
  return mapper.Map(picture);
}

double MeanColorError(const Bitmap& reference, const Bitmap& approximation) {
  if (reference.Width() != approximation.Width() || reference.Height() != approximation.Height()) {
    throw std::invalid_argument("Pictures to compare differ in size");
  }
  if (reference.Empty()) return 0.0;
  double total = 0;
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      const TColor a = reference.GetPixel(x, y), b = approximation.GetPixel(x, y);
      const double dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b),
                   db = BlueOf(a) - BlueOf(b);
      total += std::sqrt(dr * dr + dg * dg + db * db);
    }
  }
  return total / (static_cast<double>(reference.Width()) * reference.Height());
}

}  // namespace celwright
