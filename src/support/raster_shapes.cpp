#include "support/raster_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>

namespace celwright {

namespace {

// Squares of doubled ellipse sizes overflow 64 bits for very large figures.
__extension__ using Wide = __int128;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Largest u of the given parity with u*u <= limit (limit >= 0), or -1 if none.
std::int64_t LargestWithParity(Wide limit, std::int64_t parity) {
  auto u = static_cast<std::int64_t>(std::sqrt(static_cast<long double>(limit)));
  while (static_cast<Wide>(u) * u > limit) --u;
  while (static_cast<Wide>(u + 1) * (u + 1) <= limit) ++u;
  if ((u & 1) != parity) --u;
  return u;
}

// The run of an ellipse of width w and height h (doubled coordinates centred at 0) on the row
// whose doubled offset from the centre is v. Returns false when the row misses the ellipse.
bool EllipseRowHalfWidth(std::int64_t w, std::int64_t h, std::int64_t v, std::int64_t& u_max) {
  // Pixel centre (u, v) in doubled coordinates lies inside when u^2 h^2 + v^2 w^2 <= w^2 h^2.
  const Wide ww = static_cast<Wide>(w) * w, hh = static_cast<Wide>(h) * h;
  const Wide rest = ww * hh - static_cast<Wide>(v) * v * ww;
  if (rest < 0) return false;
  u_max = LargestWithParity(rest / hh, (w - 1) & 1);
  return u_max >= 0;
}

}  // namespace

FigureRows RectangleRows(const Rect& rect, const Rect& window) {
  const Rect r = rect.Normalized();
  FigureRows rows;
  if (r.Empty()) return rows;
  const int first = std::max(r.top, window.top - 1), last = std::min(r.bottom, window.bottom + 1);
  for (int y = first; y < last; ++y) rows.push_back({y, r.left, r.right});
  return rows;
}

FigureRows EllipseRows(const Rect& rect, const Rect& window) {
  const Rect r = rect.Normalized();
  FigureRows rows;
  if (r.Empty()) return rows;
  const std::int64_t w = r.Width(), h = r.Height();
  const int first = std::max(r.top, window.top - 1), last = std::min(r.bottom, window.bottom + 1);
  for (int y = first; y < last; ++y) {
    const std::int64_t v = 2 * static_cast<std::int64_t>(y) + 1 - r.top - r.bottom;
    std::int64_t u_max;
    if (!EllipseRowHalfWidth(w, h, v, u_max)) continue;
    // u = 2x + 1 - left - right, so x = (u - 1 + left + right) / 2.
    const auto x_first = static_cast<int>((-u_max - 1 + r.left + r.right) / 2);
    const auto x_last = static_cast<int>((u_max - 1 + r.left + r.right) / 2);
    rows.push_back({y, x_first, x_last + 1});
  }
  return rows;
}

FigureRows RoundRectRows(const Rect& rect, int corner_width, int corner_height,
                         const Rect& window) {
  const Rect r = rect.Normalized();
  FigureRows rows;
  if (r.Empty()) return rows;
  const int cw = std::clamp(corner_width, 0, r.Width());
  const int ch = std::clamp(corner_height, 0, r.Height());
  if (cw < 2 || ch < 2) return RectangleRows(r, window);
  // The corners are the quarters of a cw x ch ellipse; the rows between them are full width.
  const FigureRows corner = EllipseRows({0, 0, cw, ch});
  auto inset_for = [&](int corner_row) {
    for (const RowSpan& span : corner) {
      if (span.y == corner_row) return span.x_begin;
    }
    return cw / 2;  // the row misses the corner ellipse entirely
  };
  const int first = std::max(r.top, window.top - 1), last = std::min(r.bottom, window.bottom + 1);
  for (int y = first; y < last; ++y) {
    int inset = 0;
    if (y - r.top < ch / 2) {
      inset = inset_for(y - r.top);
    } else if (r.bottom - 1 - y < ch / 2) {
      inset = inset_for(ch - (r.bottom - y));
    }
    if (r.left + inset < r.right - inset) rows.push_back({y, r.left + inset, r.right - inset});
  }
  return rows;
}

void EmitFill(const FigureRows& rows, const SpanSink& sink) {
  for (const RowSpan& row : rows) sink(row.y, row.x_begin, row.x_end);
}

std::vector<Point> OutlinePixels(const FigureRows& rows, const Rect& window) {
  std::vector<Point> pixels;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const RowSpan& row = rows[i];
    // Interior columns are those covered by the rows directly above and below, excluding the
    // run's own ends.
    int inner_begin = row.x_begin + 1;
    int inner_end = row.x_end - 1;
    const bool has_above = i > 0 && rows[i - 1].y == row.y - 1;
    const bool has_below = i + 1 < rows.size() && rows[i + 1].y == row.y + 1;
    if (!has_above || !has_below) {
      inner_end = inner_begin;  // first or last row: all border
    } else {
      inner_begin = std::max({inner_begin, rows[i - 1].x_begin, rows[i + 1].x_begin});
      inner_end = std::min({inner_end, rows[i - 1].x_end, rows[i + 1].x_end});
      if (inner_end < inner_begin) inner_end = inner_begin;
    }
    if (row.y < window.top || row.y >= window.bottom) continue;  // only a neighbour row
    // The border is the run minus its interior: up to two pieces, each cut to the window.
    auto add = [&](int from, int to) {
      for (int x = std::max(from, window.left); x < std::min(to, window.right); ++x) {
        pixels.push_back({x, row.y});
      }
    };
    add(row.x_begin, std::min(inner_begin, row.x_end));
    add(std::max(inner_end, inner_begin), row.x_end);
  }
  return pixels;
}

std::vector<Point> LinePixels(Point from, Point to, bool include_end, const Rect& window) {
  // Rasterise from the lesser end so both directions give the same pixels.
  const bool swapped = std::pair(to.x, to.y) < std::pair(from.x, from.y);
  const Point a = swapped ? to : from;
  const Point b = swapped ? from : to;
  const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
  const std::int64_t steps = std::max(std::abs(dx), std::abs(dy));
  // Steps whose major coordinate lies in the window (the major coordinate moves one a step).
  std::int64_t k_first = 0, k_last = steps;
  if (steps > 0) {
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const std::int64_t start = x_major ? a.x : a.y;
    const std::int64_t dir = (x_major ? dx : dy) > 0 ? 1 : -1;
    const std::int64_t low = x_major ? window.left : window.top;
    const std::int64_t high = (x_major ? window.right : window.bottom) - 1;
    const std::int64_t k_low = dir > 0 ? low - start : start - high;
    const std::int64_t k_high = dir > 0 ? high - start : start - low;
    k_first = std::max<std::int64_t>(0, k_low);
    k_last = std::min(steps, k_high);
  }
  std::vector<Point> pixels;
  if (k_first > k_last) return pixels;
  // The end pixel to leave out is the drawing end, which is step 0 when the ends were swapped.
  const bool drop_end = !include_end && (swapped ? k_first == 0 : k_last == steps);
  pixels.reserve(static_cast<std::size_t>(k_last - k_first) + 1);
  for (std::int64_t k = k_first; k <= k_last; ++k) {
    if (steps == 0) {
      pixels.push_back(a);
      break;
    }
    // Minor coordinate = a + k * d / steps, rounded half up.
    const auto x = static_cast<int>(a.x + FloorDiv(2 * k * dx + steps, 2 * steps));
    const auto y = static_cast<int>(a.y + FloorDiv(2 * k * dy + steps, 2 * steps));
    pixels.push_back({x, y});
  }
  if (swapped) std::reverse(pixels.begin(), pixels.end());
  if (drop_end && !pixels.empty()) pixels.pop_back();
  return pixels;
}

namespace {

struct PointF {
  double x = 0;
  double y = 0;
};

PointF Midpoint(PointF a, PointF b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Squared distance from p to the segment a-b (not its line, so a control point beyond an end
// counts as far off even when it is in line with the chord).
double SquaredDistanceToSegment(PointF p, PointF a, PointF b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

Point Rounded(PointF p) {
  return {static_cast<int>(std::floor(p.x + 0.5)), static_cast<int>(std::floor(p.y + 0.5))};
}

// Halves the segment until its control points lie within a quarter pixel of its chord, then
// takes the chord. A segment that is already straight stays one chord, so it is drawn exactly
// as the line between its ends.
void FlattenSegment(const PointF (&p)[4], int depth, std::vector<Point>& vertices) {
  constexpr double kFlatness2 = 0.25 * 0.25;
  constexpr int kMaxDepth = 16;
  if (depth >= kMaxDepth || (SquaredDistanceToSegment(p[1], p[0], p[3]) <= kFlatness2 &&
                             SquaredDistanceToSegment(p[2], p[0], p[3]) <= kFlatness2)) {
    const Point end = Rounded(p[3]);
    if (end != vertices.back()) vertices.push_back(end);
    return;
  }
  const PointF ab = Midpoint(p[0], p[1]), bc = Midpoint(p[1], p[2]), cd = Midpoint(p[2], p[3]);
  const PointF abc = Midpoint(ab, bc), bcd = Midpoint(bc, cd);
  const PointF middle = Midpoint(abc, bcd);
  FlattenSegment({p[0], ab, abc, middle}, depth + 1, vertices);
  FlattenSegment({middle, bcd, cd, p[3]}, depth + 1, vertices);
}

}  // namespace

std::vector<Point> FlattenBezier(std::span<const Point> points) {
  std::vector<Point> vertices;
  if (points.empty()) return vertices;
  vertices.push_back(points[0]);
  auto to_f = [](Point p) { return PointF{static_cast<double>(p.x), static_cast<double>(p.y)}; };
  for (std::size_t s = 0; s + 3 < points.size(); s += 3) {
    const PointF p[4] = {to_f(points[s]), to_f(points[s + 1]), to_f(points[s + 2]),
                         to_f(points[s + 3])};
    FlattenSegment(p, 0, vertices);
  }
  return vertices;
}

std::vector<Point> ArcPixels(const Rect& rect, Point start, Point end, const Rect& window) {
  const Rect r = rect.Normalized();
  const std::vector<Point> outline = OutlinePixels(EllipseRows(r, window), window);
  const int cx2 = r.left + r.right, cy2 = r.top + r.bottom;  // doubled centre
  // Screen y points down, so counter-clockwise on screen is the usual angle of (x, -y).
  auto angle_of = [](double x2, double y2) { return std::atan2(-y2, x2); };
  constexpr double kTurn = 2 * std::numbers::pi;
  auto ccw_from = [&](double from, double to) {
    double sweep = std::fmod(to - from, kTurn);
    if (sweep < 0) sweep += kTurn;
    return sweep;
  };
  const double start_angle = angle_of(2.0 * start.x - cx2, 2.0 * start.y - cy2);
  const double end_angle = angle_of(2.0 * end.x - cx2, 2.0 * end.y - cy2);
  double sweep = ccw_from(start_angle, end_angle);
  if (sweep == 0) return outline;
  constexpr double kTolerance = 1e-12;
  std::vector<Point> pixels;
  for (const Point& p : outline) {
    const double a = angle_of(2.0 * p.x + 1 - cx2, 2.0 * p.y + 1 - cy2);
    const double offset = ccw_from(start_angle, a);
    if (offset <= sweep + kTolerance || offset >= kTurn - kTolerance) pixels.push_back(p);
  }
  return pixels;
}

void EmitPolygonFill(std::span<const Point> points, const SpanSink& sink, const Rect& window) {
  if (points.size() < 3) return;
  int top = points[0].y, bottom = points[0].y;
  for (const Point& p : points) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  top = std::max(top, window.top);
  bottom = std::min(bottom, window.bottom - 1);
  std::vector<double> crossings;
  for (int y = top; y <= bottom; ++y) {
    crossings.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if (a.y == b.y) continue;
      // Half-open in y so a vertex shared by two edges counts once.
      if (y < std::min(a.y, b.y) || y >= std::max(a.y, b.y)) continue;
      crossings.push_back(a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int x_begin = static_cast<int>(std::ceil(crossings[i]));
      const int x_end = static_cast<int>(std::ceil(crossings[i + 1]));
      if (x_begin < x_end) sink(y, x_begin, x_end);
    }
  }
}

void EmitStroke(std::span<const Point> pixels, int width, const SpanSink& sink) {
  if (pixels.empty()) return;
  if (width <= 1) {
    for (const Point& p : pixels) sink(p.y, p.x, p.x + 1);
    return;
  }
  const int offset = width / 2;
  const FigureRows tip = EllipseRows({-offset, -offset, width - offset, width - offset});
  // A round tip on every pixel writes each covered pixel up to `width` times over. Instead the
  // pixels are gathered into runs per row; each output row marks the runs of the rows within
  // the tip's reach, widened by the tip's row at that distance, in a row of flags, and writes
  // the marked stretches once each.
  std::vector<Point> sorted(pixels.begin(), pixels.end());
  std::sort(sorted.begin(), sorted.end(), [](const Point& a, const Point& b) {
    return std::pair(a.y, a.x) < std::pair(b.y, b.x);
  });
  FigureRows runs;
  for (const Point& p : sorted) {
    if (!runs.empty() && runs.back().y == p.y && p.x <= runs.back().x_end) {
      runs.back().x_end = std::max(runs.back().x_end, p.x + 1);
    } else {
      runs.push_back({p.y, p.x, p.x + 1});
    }
  }
  const int first_y = runs.front().y, last_y = runs.back().y;
  // Where each source row's runs start in `runs` (one past the end for the last).
  std::vector<std::size_t> row_start(static_cast<std::size_t>(last_y - first_y) + 2, 0);
  for (const RowSpan& run : runs) ++row_start[static_cast<std::size_t>(run.y - first_y) + 1];
  for (std::size_t r = 1; r < row_start.size(); ++r) row_start[r] += row_start[r - 1];

  int reach_left = 0, reach_right = 0;
  for (const RowSpan& t : tip) {
    reach_left = std::min(reach_left, t.x_begin);
    reach_right = std::max(reach_right, t.x_end);
  }
  int min_x = runs.front().x_begin, max_x = runs.front().x_end;
  for (const RowSpan& run : runs) {
    min_x = std::min(min_x, run.x_begin);
    max_x = std::max(max_x, run.x_end);
  }
  const int origin = min_x + reach_left;
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(max_x + reach_right - origin), 0);

  for (int y = first_y + tip.front().y; y <= last_y + tip.back().y; ++y) {
    std::size_t lo = marks.size(), hi = 0;
    for (const RowSpan& t : tip) {
      const int source = y - t.y;
      if (source < first_y || source > last_y) continue;
      const auto row = static_cast<std::size_t>(source - first_y);
      for (std::size_t i = row_start[row]; i < row_start[row + 1]; ++i) {
        const auto b = static_cast<std::size_t>(runs[i].x_begin + t.x_begin - origin);
        const auto e = static_cast<std::size_t>(runs[i].x_end - 1 + t.x_end - origin);
        std::memset(marks.data() + b, 1, e - b);
        lo = std::min(lo, b);
        hi = std::max(hi, e);
      }
    }
    if (lo >= hi) continue;
    const std::uint8_t* const base = marks.data();
    const std::uint8_t* p = base + lo;
    const std::uint8_t* const end = base + hi;
    while (p < end) {
      const auto* b = static_cast<const std::uint8_t*>(std::memchr(p, 1, end - p));
      if (b == nullptr) break;
      const auto* e = static_cast<const std::uint8_t*>(std::memchr(b, 0, end - b));
      if (e == nullptr) e = end;
      sink(y, origin + static_cast<int>(b - base), origin + static_cast<int>(e - base));
      p = e;
    }
    std::memset(marks.data() + lo, 0, hi - lo);
  }
}

}  // namespace celwright
