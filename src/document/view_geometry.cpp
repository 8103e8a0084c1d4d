#include "document/view_geometry.h"

#include <algorithm>

namespace celwright {

namespace {

// One axis: returns the picture's client position and fills in the scroll bar.
int LayOutAxis(int window_extent, int client_extent, int size, int centre, int zoom,
               int position, ScrollBarState& bar) {
  const int centre_offset = centre * zoom;
  int origin = window_extent / 2 - centre_offset;
  const int extent = size * zoom;
  bar = ScrollBarState{};
  if (origin < 0 || client_extent < origin + extent) {
    // The range spans the picture (plus one block for the grid edge) and the centre point.
    const int range = std::max(centre_offset, origin + extent + zoom) -
                      std::min(centre_offset, origin) - client_extent;
    // A picture that sits off centre but fits the client area has nothing to scroll: it is
    // moved into view instead.
    bar.Visible = range > 0;
    bar.Min = 0;
    bar.Max = std::max(range, 0);
    bar.SmallChange = zoom;
    bar.Position = std::clamp(position, bar.Min, bar.Max);
    origin = origin - std::min(centre_offset, origin) - bar.Position;
  }
  return origin;
}

}  // namespace

ViewLayout ComputeViewLayout(const ViewportSize& viewport, int width, int height, int centre_x,
                             int centre_y, int zoom, int horizontal_position,
                             int vertical_position) {
  ViewLayout layout;
  layout.Origin.X = LayOutAxis(viewport.WindowWidth, viewport.ClientWidth, width, centre_x, zoom,
                               horizontal_position, layout.Horizontal);
  layout.Origin.Y = LayOutAxis(viewport.WindowHeight, viewport.ClientHeight, height, centre_y,
                               zoom, vertical_position, layout.Vertical);
  return layout;
}

std::array<ViewRect, 8> SizerBlockRects(ViewPoint origin, int view_width, int view_height) {
  const int s = kSizerBlockSize;
  const int left = origin.X - s, right = origin.X + view_width;
  const int top = origin.Y - s, bottom = origin.Y + view_height;
  const int mid_x = origin.X + view_width / 2 - s / 2;
  const int mid_y = origin.Y + view_height / 2 - s / 2;
  auto block = [](int x, int y) {
    return ViewRect{x, y, x + kSizerBlockSize, y + kSizerBlockSize};
  };
  return {block(left, top),  block(right, top),   block(left, bottom), block(right, bottom),
          block(left, mid_y), block(right, mid_y), block(mid_x, top),   block(mid_x, bottom)};
}

}  // namespace celwright
