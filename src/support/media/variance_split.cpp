#include "support/media/variance_split.h"

#include <algorithm>
#include <cmath>

namespace celwright {

namespace {

constexpr int kSide = 33;  // 32 steps and a zero row for the running sums

int At(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

struct Box {
  int lo[3], hi[3];  // lower bounds exclusive, upper inclusive, in grid steps 0..32
};

}  // namespace

VarianceSplitter::VarianceSplitter() : cells_(static_cast<std::size_t>(kSide * kSide * kSide)) {}

void VarianceSplitter::Add(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint64_t count) {
  Moments& cell = cells_[static_cast<std::size_t>(At((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1))];
  const double n = static_cast<double>(count);
  cell.weight += n;
  cell.r += n * r;
  cell.g += n * g;
  cell.b += n * b;
  cell.squares += n * (static_cast<double>(r) * r + static_cast<double>(g) * g +
                       static_cast<double>(b) * b);
}

std::vector<RGBTriple> VarianceSplitter::Split(int max_colors) const {
  // Running sums over the grid make any box's moments eight look-ups.
  std::vector<Moments> sums = cells_;
  auto add = [](Moments& into, const Moments& from, double sign) {
    into.weight += sign * from.weight;
    into.r += sign * from.r;
    into.g += sign * from.g;
    into.b += sign * from.b;
    into.squares += sign * from.squares;
  };
  for (int r = 1; r < kSide; ++r)
    for (int g = 1; g < kSide; ++g)
      for (int b = 1; b < kSide; ++b) {
        Moments& m = sums[static_cast<std::size_t>(At(r, g, b))];
        add(m, sums[static_cast<std::size_t>(At(r - 1, g, b))], 1);
        add(m, sums[static_cast<std::size_t>(At(r, g - 1, b))], 1);
        add(m, sums[static_cast<std::size_t>(At(r, g, b - 1))], 1);
        add(m, sums[static_cast<std::size_t>(At(r - 1, g - 1, b))], -1);
        add(m, sums[static_cast<std::size_t>(At(r - 1, g, b - 1))], -1);
        add(m, sums[static_cast<std::size_t>(At(r, g - 1, b - 1))], -1);
        add(m, sums[static_cast<std::size_t>(At(r - 1, g - 1, b - 1))], 1);
      }
  auto moments = [&](const Box& box) {
    Moments m;
    for (int corner = 0; corner < 8; ++corner) {
      const int r = (corner & 4) ? box.hi[0] : box.lo[0];
      const int g = (corner & 2) ? box.hi[1] : box.lo[1];
      const int b = (corner & 1) ? box.hi[2] : box.lo[2];
      const int lows = !(corner & 4) + !(corner & 2) + !(corner & 1);
      add(m, sums[static_cast<std::size_t>(At(r, g, b))], (lows % 2) ? -1 : 1);
    }
    return m;
  };
  auto spread = [](const Moments& m) {
    return m.weight > 0 ? m.squares - (m.r * m.r + m.g * m.g + m.b * m.b) / m.weight : 0.0;
  };
  // What a split keeps of the between-halves sum: larger is a better cut.
  auto kept = [](const Moments& m) {
    return m.weight > 0 ? (m.r * m.r + m.g * m.g + m.b * m.b) / m.weight : 0.0;
  };

  std::vector<Box> boxes{{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}}};
  std::vector<double> box_spread{spread(moments(boxes[0]))};
  while (static_cast<int>(boxes.size()) < max_colors) {
    const auto worst = std::max_element(box_spread.begin(), box_spread.end());
    if (*worst <= 0) break;
    const std::size_t index = static_cast<std::size_t>(worst - box_spread.begin());
    const Box box = boxes[index];
    const Moments whole = moments(box);
    double best = -1;
    int best_axis = -1, best_cut = 0;
    for (int axis = 0; axis < 3; ++axis) {
      for (int cut = box.lo[axis] + 1; cut < box.hi[axis]; ++cut) {
        Box low = box;
        low.hi[axis] = cut;
        const Moments first = moments(low);
        if (first.weight <= 0 || first.weight >= whole.weight) continue;
        Moments second = whole;
        add(second, first, -1);
        const double score = kept(first) + kept(second);
        if (score > best) {
          best = score;
          best_axis = axis;
          best_cut = cut;
        }
      }
    }
    if (best_axis < 0) {
      box_spread[index] = 0;  // one grid cell: cannot be cut
      continue;
    }
    Box low = box, high = box;
    low.hi[best_axis] = best_cut;
    high.lo[best_axis] = best_cut;
    boxes[index] = low;
    box_spread[index] = spread(moments(low));
    boxes.push_back(high);
    box_spread.push_back(spread(moments(high)));
  }

  std::vector<RGBTriple> colors;
  for (const Box& box : boxes) {
    const Moments m = moments(box);
    if (m.weight <= 0) continue;
    auto mean = [&](double sum) {
      return static_cast<std::uint8_t>(std::clamp(std::lround(sum / m.weight), 0L, 255L));
    };
    colors.push_back({mean(m.r), mean(m.g), mean(m.b)});
  }
  return colors;
}

}  // namespace celwright
