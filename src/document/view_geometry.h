#pragma once

#include <array>

#include "document/document_hosts.h"

namespace celwright {

// The window the document is shown in: its outer size (which the frame's centre point is
// centred in) and the client area inside the scroll bars (which the picture is shown in).
struct ViewportSize {
  int WindowWidth = 0;
  int WindowHeight = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
};

struct ViewPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const ViewPoint&, const ViewPoint&) = default;
};

// Where the magnified frame lands and which scroll bars that needs.
struct ViewLayout {
  ViewPoint Origin;  // client position of the magnified frame's top-left corner
  ScrollBarState Horizontal;
  ScrollBarState Vertical;
};

// Lays out a width x height frame with its centre point at (centre_x, centre_y), magnified
// `zoom` times. The centre point sits at the window's middle; when the frame does not fit, the
// axis gets a scroll bar whose range covers the frame and the centre point and whose position
// (clamped into the range) moves the picture.
ViewLayout ComputeViewLayout(const ViewportSize& viewport, int width, int height, int centre_x,
                             int centre_y, int zoom, int horizontal_position,
                             int vertical_position);

// A rectangle of client pixels, right and bottom exclusive.
struct ViewRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

inline constexpr int kSizerBlockSize = 4;

// The eight resize handles around a view_width x view_height picture at `origin`: the corners
// just outside it, then the middles of the left, right, top and bottom edges.
std::array<ViewRect, 8> SizerBlockRects(ViewPoint origin, int view_width, int view_height);

}  // namespace celwright
