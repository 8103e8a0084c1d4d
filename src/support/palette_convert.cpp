#include "support/palette_convert.h"

#include <algorithm>
#include <limits>

#include "support/palette.h"

namespace celwright {

NearestColorMap::NearestColorMap(const Palette256& palette)
    : palette_(palette),
      cell_candidates_(static_cast<std::size_t>(kCellsPerAxis * kCellsPerAxis * kCellsPerAxis)),
      cell_ready_(cell_candidates_.size(), false) {}

const std::vector<NearestColorMap::Candidate>& NearestColorMap::CandidatesFor(int cell) {
  auto& candidates = cell_candidates_[static_cast<std::size_t>(cell)];
  if (cell_ready_[static_cast<std::size_t>(cell)]) return candidates;
  cell_ready_[static_cast<std::size_t>(cell)] = true;
  constexpr int kSpan = (1 << kCellBits) - 1;
  const int lo[3] = {(cell >> (2 * (8 - kCellBits))) << kCellBits,
                     ((cell >> (8 - kCellBits)) & (kCellsPerAxis - 1)) << kCellBits,
                     (cell & (kCellsPerAxis - 1)) << kCellBits};
  // An entry can be nearest for some colour of the cell only if its closest possible distance
  // to the cell is no more than the smallest farthest distance of any entry.
  std::array<int, 256> near_distance{};
  int best_far = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const RGBTriple& e = palette_[static_cast<std::size_t>(i)];
    const int channel[3] = {e.r, e.g, e.b};
    int near = 0, far = 0;
    for (int c = 0; c < 3; ++c) {
      const int below = lo[c] - channel[c];
      const int above = channel[c] - (lo[c] + kSpan);
      const int gap = std::max({below, above, 0});
      near += gap * gap;
      const int reach =
          std::max(std::abs(channel[c] - lo[c]), std::abs(channel[c] - lo[c] - kSpan));
      far += reach * reach;
    }
    near_distance[static_cast<std::size_t>(i)] = near;
    best_far = std::min(best_far, far);
  }
  for (int i = 0; i < 256; ++i) {
    const int near = near_distance[static_cast<std::size_t>(i)];
    const RGBTriple& e = palette_[static_cast<std::size_t>(i)];
    if (near <= best_far) candidates.push_back({near, static_cast<std::uint8_t>(i), e.r, e.g, e.b});
  }
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const Candidate& a, const Candidate& b) { return a.near_distance < b.near_distance; });
  return candidates;
}

std::uint8_t NearestColorMap::Lookup(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::uint32_t key = 0x01000000u | (static_cast<std::uint32_t>(r) << 16) |
                            (static_cast<std::uint32_t>(g) << 8) | b;
  const std::size_t slot = ((key * 2654435761u) >> 18) & (kCacheSize - 1);
  if (cache_keys_[slot] == key) return cache_values_[slot];

  const int cell = ((r >> kCellBits) << (2 * (8 - kCellBits))) |
                   ((g >> kCellBits) << (8 - kCellBits)) | (b >> kCellBits);
  int best = 0;
  int best_distance = std::numeric_limits<int>::max();
  for (const Candidate& candidate : CandidatesFor(cell)) {
    if (candidate.near_distance > best_distance) break;  // no later entry can win or tie
    const int dr = candidate.r - r, dg = candidate.g - g, db = candidate.b - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance || (distance == best_distance && candidate.index < best)) {
      best_distance = distance;
      best = candidate.index;
    }
  }
  cache_keys_[slot] = key;
  cache_values_[slot] = static_cast<std::uint8_t>(best);
  return static_cast<std::uint8_t>(best);
}

Bitmap ConvertToPalette(const Bitmap& source, const Palette256& palette) {
  Bitmap result(source.Width(), source.Height(), PixelFormat::Bits8);
  result.ColorTable() = palette;
  NearestColorMap map(palette);
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* in = source.Row(y);
    std::uint8_t* out = result.Row(y);
    switch (source.Format()) {
      case PixelFormat::Bits24:
        for (int x = 0; x < source.Width(); ++x, in += 3) out[x] = map.Lookup(in[2], in[1], in[0]);
        break;
      case PixelFormat::Bits32:
        for (int x = 0; x < source.Width(); ++x, in += 4) out[x] = map.Lookup(in[2], in[1], in[0]);
        break;
      case PixelFormat::Bits8:
        for (int x = 0; x < source.Width(); ++x) {
          const RGBTriple& c = source.ColorTable()[in[x]];
          out[x] = map.Lookup(c.r, c.g, c.b);
        }
        break;
      case PixelFormat::Index8:
        for (int x = 0; x < source.Width(); ++x) out[x] = map.Lookup(in[x], 0, 0);
        break;
      case PixelFormat::Bits1:
        for (int x = 0; x < source.Width(); ++x) {
          const std::uint8_t v = in[x] ? 255 : 0;
          out[x] = map.Lookup(v, v, v);
        }
        break;
    }
  }
  return result;
}

Bitmap ConvertPixelFormat(const Bitmap& source, PixelFormat format, const Palette256& table) {
  if (format == PixelFormat::Bits8) return ConvertToPalette(source, table);
  Bitmap result(source.Width(), source.Height(), format);
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) {
      const TColor color = source.GetPixel(x, y);
      if (format == PixelFormat::Bits1) {
        result.Row(y)[x] = color == 0xFFFFFFu ? 1 : 0;
      } else {
        result.SetPixel(x, y, color);
      }
    }
  }
  return result;
}

}  // namespace celwright
