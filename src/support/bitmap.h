#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "support/color_types.h"

namespace celwright {

enum class PixelFormat : std::uint8_t {
  Bits24,  // three bytes a pixel in memory order blue, green, red
  Bits8,   // one palette index a pixel, with a 256-entry colour table
  Bits1,   // a mask: one byte a pixel holding 0 (black) or 1 (white)
  Bits32,  // four bytes a pixel in memory order blue, green, red, alpha (0 see-through)
  // One palette index a pixel with no colour table of its own: the editor's index planes. As a
  // colour the index is the red channel, so drawing code writes it exactly as it writes a colour.
  Index8,
};

// A raster picture in one of the four kinds the editor works with. Rows are stored top-down
// without padding, so row y starts at y * Stride(). Pixel access through GetPixel/SetPixel is
// bounds-checked and ignores positions outside the picture; the Row() pointers are the
// unchecked fast path for loops that have already clipped.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, PixelFormat format = PixelFormat::Bits24);

  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  static int BytesPerPixelOf(PixelFormat format) {
    return format == PixelFormat::Bits24 ? 3 : format == PixelFormat::Bits32 ? 4 : 1;
  }
  int BytesPerPixel() const { return BytesPerPixelOf(format_); }
  std::size_t Stride() const { return static_cast<std::size_t>(width_) * BytesPerPixel(); }

  // Reallocates to the new size and kind; every pixel becomes zero (black or index 0).
  void Reset(int width, int height, PixelFormat format);
  // Takes `pixels` (rows top-down, no padding, exactly the size's bytes) as the picture's own,
  // so a large decoded frame needs no second copy.
  void Adopt(int width, int height, PixelFormat format, std::vector<std::uint8_t>&& pixels);
  // Changes the size keeping the top-left pixels; new area takes `fill` (a colour for 24 bits,
  // the low byte as index for 8 bits and index planes, 0 or 1 for masks; for 32 bits the colour with the high
  // byte as its alpha, so 0 is see-through).
  void Resize(int width, int height, TColor fill);

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * Stride();
  }
  std::vector<std::uint8_t>& Pixels() { return pixels_; }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // The pixel as a colour: 24 and 32 bits as stored (without the alpha), 8 bits through the colour table, masks as black
  // (0x000000) or white (0xFFFFFF), an index plane's index as red. Outside the picture: 0.
  TColor GetPixel(int x, int y) const;
  // 24 bits store the colour, 32 bits the colour fully opaque; 8 bits store the palette entry nearest to it; masks store 0 for
  // black and 1 for anything else; an index plane stores the red channel.
  void SetPixel(int x, int y, TColor color);

  // Alpha of a 32-bit pixel (0 see-through, 255 opaque); 255 for the other kinds, 0 outside.
  std::uint8_t GetAlpha(int x, int y) const;
  // Colour and alpha of a 32-bit pixel together; other kinds store the colour as SetPixel.
  void SetPixelAlpha(int x, int y, TColor color, std::uint8_t alpha);

  // Raw index access for 8-bit pictures and masks (0 outside the picture and for colour kinds).
  std::uint8_t GetIndex(int x, int y) const;
  void SetIndex(int x, int y, std::uint8_t index);

  Palette256& ColorTable() { return color_table_; }
  const Palette256& ColorTable() const { return color_table_; }

  // The colour a viewer should treat as see-through (set by picture readers, e.g. PNG tRNS).
  std::optional<TColor> transparent_color;

  friend bool operator==(const Bitmap&, const Bitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits24;
  std::vector<std::uint8_t> pixels_;
  Palette256 color_table_{};
};

}  // namespace celwright
