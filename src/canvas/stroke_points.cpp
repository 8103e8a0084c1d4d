#include <cmath>
#include <cstdlib>

#include "canvas/paint_tools.h"

namespace celwright {

std::vector<Point> StrokePoints(Point from, Point to, bool include_end) {
  const int dx = to.x - from.x, dy = to.y - from.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  std::vector<Point> points;
  points.reserve(static_cast<std::size_t>(steps) + 2);
  // The default rounding mode sends halves to the even neighbour.
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / (steps + 1);
    points.push_back({from.x + static_cast<int>(std::nearbyint(dx * t)),
                      from.y + static_cast<int>(std::nearbyint(dy * t))});
  }
  if (include_end && steps > 0) points.push_back(to);
  return points;
}

// The same rule across and down, so a 1 x 1 dab is the pixel under the pointer.
Rect BrushDrawRect(int x, int y, int width, int height) {
  const int left = x - width / 2, top = y - height / 2;
  return {left, top, left + width, top + height};
}

TColor IndexColour(const TBAM& bam, int index) {
  if (index == bam.TranspInd) return bam.GetTransCol();
  if (index == bam.ShadowInd) return bam.GetShadowCol();
  return ToColor(bam.Palette[static_cast<std::size_t>(index & 0xFF)]);
}

}  // namespace celwright
