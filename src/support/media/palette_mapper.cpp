#include "support/media/palette_mapper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace celwright {

namespace {

constexpr int kCacheBits = 16;
constexpr std::uint32_t kValid = 0x01000000u;

std::uint32_t CacheSlot(TColor color) { return (color * 2654435761u) >> (32 - kCacheBits); }

}  // namespace

NearestColorMapper::NearestColorMapper(const Palette256& palette, int entry_count)
    : palette_(palette),
      entry_count_(std::clamp(entry_count, 1, 256)),
      cache_keys_(std::size_t{1} << kCacheBits, 0),
      cache_indices_(std::size_t{1} << kCacheBits, 0),
      cells_(std::size_t{1} << (3 * (8 - kCellShift))) {}

// Every colour of a cell has its nearest entry among the cell's candidates: the entries whose
// nearest point in the cell is no farther than the best guaranteed distance of any entry
// (its farthest point in the cell). Candidates keep index order, so ties still go to the
// lowest index, and the answer equals a full search.
const NearestColorMapper::Candidates& NearestColorMapper::CellCandidates(TColor color) {
  const std::uint32_t cell = (static_cast<std::uint32_t>(RedOf(color) >> kCellShift) << 10) |
                             (static_cast<std::uint32_t>(GreenOf(color) >> kCellShift) << 5) |
                             (BlueOf(color) >> kCellShift);
  Candidates& candidates = cells_[cell];
  if (candidates.built) return candidates;
  const int low[3] = {static_cast<int>((cell >> 10) << kCellShift),
                      static_cast<int>(((cell >> 5) & 31) << kCellShift),
                      static_cast<int>((cell & 31) << kCellShift)};
  constexpr int kCellSpan = (1 << kCellShift) - 1;
  auto axis_distances = [&](int value, int axis, int& nearest, int& farthest) {
    const int lo = low[axis], hi = low[axis] + kCellSpan;
    const int d = value < lo ? lo - value : (value > hi ? value - hi : 0);
    nearest = d * d;
    const int f = std::max(std::abs(value - lo), std::abs(value - hi));
    farthest = f * f;
  };
  std::vector<int> nearest(static_cast<std::size_t>(entry_count_));
  int bound = std::numeric_limits<int>::max();
  for (int i = 0; i < entry_count_; ++i) {
    int n[3], f[3];
    axis_distances(palette_[i].r, 0, n[0], f[0]);
    axis_distances(palette_[i].g, 1, n[1], f[1]);
    axis_distances(palette_[i].b, 2, n[2], f[2]);
    nearest[i] = n[0] + n[1] + n[2];
    bound = std::min(bound, f[0] + f[1] + f[2]);
  }
  for (int i = 0; i < entry_count_; ++i) {
    if (nearest[i] <= bound) candidates.entries.push_back(static_cast<std::uint8_t>(i));
  }
  candidates.built = true;
  return candidates;
}

std::uint8_t NearestColorMapper::Search(TColor color) {
  const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  int best = 0;
  int best_distance = std::numeric_limits<int>::max();
  for (std::uint8_t i : CellCandidates(color).entries) {
    const int dr = palette_[i].r - r, dg = palette_[i].g - g, db = palette_[i].b - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

std::uint8_t NearestColorMapper::IndexOf(TColor color) {
  color &= 0xFFFFFFu;
  const std::uint32_t slot = CacheSlot(color);
  if (cache_keys_[slot] == (color | kValid)) return cache_indices_[slot];
  const std::uint8_t index = Search(color);
  cache_keys_[slot] = color | kValid;
  cache_indices_[slot] = index;
  return index;
}

void NearestColorMapper::MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices) {
  for (int x = 0; x < width; ++x, bgr += 3) indices[x] = IndexOf(MakeColor(bgr[2], bgr[1], bgr[0]));
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
