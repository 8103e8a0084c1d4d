#include "support/flood_fill.h"

#include <cstring>
#include <vector>

namespace celwright {

namespace {

class SurfaceMatcher {
 public:
  SurfaceMatcher(const Bitmap& bitmap, Point seed)
      : bitmap_(bitmap), bytes_(bitmap.BytesPerPixel()) {
    std::memcpy(seed_, bitmap.Row(seed.y) + static_cast<std::size_t>(seed.x) * bytes_,
                static_cast<std::size_t>(bytes_));
  }
  bool Matches(int x, int y) const {
    const std::uint8_t* p = bitmap_.Row(y) + static_cast<std::size_t>(x) * bytes_;
    if (bytes_ == 1) return p[0] == seed_[0];
    return p[0] == seed_[0] && p[1] == seed_[1] && p[2] == seed_[2];
  }

 private:
  const Bitmap& bitmap_;
  int bytes_;
  std::uint8_t seed_[3] = {0, 0, 0};
};

}  // namespace

void FloodFillSpans(const Bitmap& bitmap, Point seed, const Rect& limit, const SpanSink& sink) {
  const Rect area = limit.Intersect(BoundsOf(bitmap));
  if (area.Empty() || seed.x < area.left || seed.x >= area.right || seed.y < area.top ||
      seed.y >= area.bottom) {
    return;
  }
  const SurfaceMatcher matcher(bitmap, seed);
  const int width = area.Width();
  // Marks pixels already emitted, so a sink that writes the seed's own value cannot loop.
  std::vector<std::uint8_t> done(static_cast<std::size_t>(width) * area.Height(), 0);
  auto is_done = [&](int x, int y) -> std::uint8_t& {
    return done[static_cast<std::size_t>(y - area.top) * width + (x - area.left)];
  };
  auto fillable = [&](int x, int y) { return !is_done(x, y) && matcher.Matches(x, y); };

  std::vector<Point> pending{seed};
  while (!pending.empty()) {
    const Point p = pending.back();
    pending.pop_back();
    if (!fillable(p.x, p.y)) continue;
    int x_begin = p.x, x_end = p.x + 1;
    while (x_begin > area.left && fillable(x_begin - 1, p.y)) --x_begin;
    while (x_end < area.right && fillable(x_end, p.y)) ++x_end;
    for (int x = x_begin; x < x_end; ++x) is_done(x, p.y) = 1;
    sink(p.y, x_begin, x_end);
    // Queue the start of every fillable run directly above and below this one.
    for (const int y : {p.y - 1, p.y + 1}) {
      if (y < area.top || y >= area.bottom) continue;
      bool in_run = false;
      for (int x = x_begin; x < x_end; ++x) {
        const bool ok = fillable(x, y);
        if (ok && !in_run) pending.push_back({x, y});
        in_run = ok;
      }
    }
  }
}

}  // namespace celwright
