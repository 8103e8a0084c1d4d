#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/geometry.h"

namespace celwright {

// A font as the drawing code asks for it. The size is in points at 96 dots per inch, the way
// the editor's font boxes count; PixelHeight() is the em height in pixels. The font box takes any
// number, so sizes are held to 1..kMaxFontPoints (683 pixels, taller than nearly every frame):
// letters three times that size took many seconds and hundreds of megabytes to draw.
constexpr int kMaxFontPoints = 512;
// Text wider than this is cut off at the right; no frame comes anywhere near it.
constexpr int kMaxTextWidth = 16384;

struct Font {
  std::string name = "DejaVu Sans";
  int size = 8;
  TColor color = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;

  int PixelHeight() const { return (std::clamp(size, 1, kMaxFontPoints) * 96 + 36) / 72; }
  friend bool operator==(const Font&, const Font&) = default;
};

// The family the letters of `font` are drawn with: its own name when that family is installed,
// else the family put in its place (the default sans-serif font when nothing closer exists);
// empty when no font can be loaded at all.
std::string DrawingFamily(const Font& font);

// Width and height of one line of text (UTF-8; bytes that are not UTF-8 count as Latin-1).
// Line breaks are not laid out: the text is one line. A font that cannot be found or loaded
// gives the height of an empty line and no width.
Size MeasureText(const Font& font, std::string_view text);

// The line's letters as a mask of the measured size: black (0) where ink goes, white elsewhere.
// Rendering is two-level, never anti-aliased, so the picture it is drawn into gets exactly the
// text colour or keeps what it had.
Bitmap RenderTextMask(const Font& font, std::string_view text);

}  // namespace celwright
