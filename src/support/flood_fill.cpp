#include "support/flood_fill.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace celwright {

namespace {

// One row of the fill: the picture's pixels and the marks of pixels already emitted, looked up
// by picture column; `kBytes` is fixed per picture so the compare is a constant.
template <int kBytes>
struct FillRow {
  const std::uint8_t* pixels;
  std::uint64_t* done;  // a bit a pixel, counted from the limit's left edge
  int left;
  const std::uint8_t* seed;
  bool Done(int x) const {
    const auto bit = static_cast<unsigned>(x - left);
    return (done[bit >> 6] >> (bit & 63)) & 1;
  }
  void MarkDone(int x_begin, int x_end) const {
    for (auto bit = static_cast<unsigned>(x_begin - left); bit < static_cast<unsigned>(x_end - left);) {
      const unsigned word = bit >> 6, first = bit & 63;
      const unsigned count = std::min(64 - first, static_cast<unsigned>(x_end - left) - bit);
      const std::uint64_t bits = count == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << count) - 1);
      done[word] |= bits << first;
      bit += count;
    }
  }
  bool Fillable(int x) const {
    if (Done(x)) return false;
    const std::uint8_t* p = pixels + static_cast<std::size_t>(x) * kBytes;
    if (kBytes == 1) return p[0] == seed[0];
    if (kBytes == 4) return std::memcmp(p, seed, 4) == 0;
    return p[0] == seed[0] && p[1] == seed[1] && p[2] == seed[2];
  }
};

template <int kBytes>
void FillFrom(const Bitmap& bitmap, Point seed, const Rect& area, const SpanSink& sink) {
  std::uint8_t seed_value[4] = {0, 0, 0, 0};
  std::memcpy(seed_value, bitmap.Row(seed.y) + static_cast<std::size_t>(seed.x) * kBytes, kBytes);
  // Marks pixels already emitted, so a sink that writes the seed's own value cannot loop; a bit
  // a pixel, as on a large frame a byte a pixel was a frame-sized plane of its own.
  const std::size_t words = (static_cast<std::size_t>(area.Width()) + 63) / 64;
  std::vector<std::uint64_t> done(words * static_cast<std::size_t>(area.Height()), 0);
  auto row = [&](int y) {
    std::uint64_t* marks = done.data() + static_cast<std::size_t>(y - area.top) * words;
    return FillRow<kBytes>{bitmap.Row(y), marks, area.left, seed_value};
  };

  std::vector<Point> pending{seed};
  while (!pending.empty()) {
    const Point p = pending.back();
    pending.pop_back();
    const FillRow<kBytes> here = row(p.y);
    if (!here.Fillable(p.x)) continue;
    int x_begin = p.x, x_end = p.x + 1;
    while (x_begin > area.left && here.Fillable(x_begin - 1)) --x_begin;
    while (x_end < area.right && here.Fillable(x_end)) ++x_end;
    here.MarkDone(x_begin, x_end);
    sink(p.y, x_begin, x_end);
    // Queue the start of every fillable run directly above and below this one.
    for (const int y : {p.y - 1, p.y + 1}) {
      if (y < area.top || y >= area.bottom) continue;
      const FillRow<kBytes> next = row(y);
      bool in_run = false;
      for (int x = x_begin; x < x_end; ++x) {
        const bool ok = next.Fillable(x);
        if (ok && !in_run) pending.push_back({x, y});
        in_run = ok;
      }
    }
  }
}

}  // namespace

void FloodFillSpans(const Bitmap& bitmap, Point seed, const Rect& limit, const SpanSink& sink) {
  const Rect area = limit.Intersect(BoundsOf(bitmap));
  if (area.Empty() || seed.x < area.left || seed.x >= area.right || seed.y < area.top ||
      seed.y >= area.bottom) {
    return;
  }
  if (bitmap.BytesPerPixel() == 3) {
    FillFrom<3>(bitmap, seed, area, sink);
  } else if (bitmap.BytesPerPixel() == 4) {
    // Colour and alpha both bound the region: a half-transparent edge is not the fill's inside.
    FillFrom<4>(bitmap, seed, area, sink);
  } else {
    FillFrom<1>(bitmap, seed, area, sink);
  }
}

}  // namespace celwright
