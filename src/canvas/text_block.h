#pragma once

#include <limits>
#include <string>
#include <string_view>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/geometry.h"
#include "support/text_render.h"

namespace celwright {

// The letters of a text of one or more lines as one mask, black where ink goes. Lines split at
// line feeds (a carriage return before one is dropped); each line sits one line height (the
// font's ascent plus descent) below the previous one, and the block is as wide as its widest
// line. An empty text gives an empty block. Only rows [first_row, end_row) of the block need be
// right: lines wholly outside them are measured, so the block keeps its size, but not drawn, which
// spares drawing letters of a large size that no frame would show.
Bitmap RenderTextBlock(const Font& font, std::string_view text, int first_row = 0,
                       int end_row = std::numeric_limits<int>::max());

// Where a block of `size` goes for a click at `anchor`: the click is the left end of the first
// line's middle, half the font's pixel height below the block's top.
Rect TextBlockRect(Point anchor, const Font& font, Size size);

// Draws the block with its top-left corner at `at`: `ink` where the mask is black and, with
// `highlight`, `paper` over the rest of the block. Whatever falls outside `picture` is cut off.
void StampTextBlock(const Bitmap& mask, Point at, bool highlight, TColor ink, TColor paper,
                    Bitmap& picture);

// The text preview is drawn on every repaint; rendering the letters is the costly part, so the
// mask is kept until the text or the font changes, or rows it did not draw are wanted.
class TextBlockCache {
 public:
  const Bitmap& Mask(const Font& font, const std::string& text, int first_row = 0,
                     int end_row = std::numeric_limits<int>::max());

 private:
  bool valid_ = false;
  Font font_;
  std::string text_;
  int first_row_ = 0;
  int end_row_ = 0;
  Bitmap mask_{0, 0, PixelFormat::Bits1};
};

}  // namespace celwright
