#pragma once

#include "document/view_geometry.h"
#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Everything the picture on screen is made of.
struct ViewSources {
  // The frame as shown, frame-sized: 24 bits, or 32 with alpha, which always lies over the
  // checkerboard (Transparency must then be set).
  const Bitmap* Colours = nullptr;
  const Bitmap* Indices = nullptr;  // index image of a paletted document, else nullptr
  int Width = 0;                    // frame size
  int Height = 0;
  int Zoom = 1;
  bool ShowGrid = false;
  // Transparent and shadow pixels shown over the checkerboard instead of in their colours.
  bool Transparency = false;
  bool Paletted = true;
  int TranspInd = 0;
  int ShadowInd = 1;
  TColor TransCol = 0;
  TColor ShadowCol = 0;
  TColor WindowColour = 0;
};

inline constexpr int kCheckerSquare = 16;  // the 32 x 32 tile holds four squares
inline constexpr TColor kCheckerSilver = MakeColor(192, 192, 192);
inline constexpr TColor kCheckerWhite = MakeColor(255, 255, 255);
inline constexpr TColor kGridColour = MakeColor(0, 0, 0);

// Composes the client area `client` (24 bits, already the client's size): the window colour
// around a picture at `origin` that is Width x Zoom + 1 by Height x Zoom + 1 pixels. Each frame
// pixel becomes a Zoom x Zoom block; with the grid (Zoom above 1) black lines run along every
// block edge including the extra last column and row; with the transparency view, transparent
// pixels show the checkerboard (silver square at the picture's top left) and shadow pixels the
// checkerboard darkened. Only the client area is computed, and rows that repeat the one above
// are copied.
void ComposeView(const ViewSources& sources, ViewPoint origin, Bitmap& client);
// The same picture, composed only inside `area` of the client: the rest keeps what it shows.
void ComposeViewArea(const ViewSources& sources, ViewPoint origin, Bitmap& client,
                     const ViewRect& area);

// Fills the parts of `rect` that lie inside `client`.
void FillClientRect(Bitmap& client, const ViewRect& rect, TColor colour);

}  // namespace celwright
