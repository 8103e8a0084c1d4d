#include "support/pixel_spans.h"

#include <algorithm>
#include <cstring>

#include "support/palette.h"

namespace celwright {

PixelValue EncodeColor(const Bitmap& bitmap, TColor color) {
  PixelValue value;
  switch (bitmap.Format()) {
    case PixelFormat::Bits24:
      value.bytes[0] = BlueOf(color);
      value.bytes[1] = GreenOf(color);
      value.bytes[2] = RedOf(color);
      value.size = 3;
      break;
    case PixelFormat::Bits32:
      // Drawing colours are opaque.
      value.bytes[0] = BlueOf(color);
      value.bytes[1] = GreenOf(color);
      value.bytes[2] = RedOf(color);
      value.bytes[3] = 255;
      value.size = 4;
      break;
    case PixelFormat::Bits8:
      value.bytes[0] = IndexedPalette(bitmap.ColorTable()).NearestIndex(color);
      value.size = 1;
      break;
    case PixelFormat::Bits1:
      value.bytes[0] = (color & 0xFFFFFF) == 0 ? 0 : 1;
      value.size = 1;
      break;
  }
  return value;
}

void FillSpan(Bitmap& bitmap, const Rect& clip, int y, int x_begin, int x_end,
              const PixelValue& value) {
  const Rect area = clip.Intersect(BoundsOf(bitmap));
  if (y < area.top || y >= area.bottom) return;
  const int from = std::max(x_begin, area.left);
  const int to = std::min(x_end, area.right);
  if (from >= to) return;
  std::uint8_t* row = bitmap.Row(y);
  if (value.size == 1) {
    std::memset(row + from, value.bytes[0], static_cast<std::size_t>(to - from));
    return;
  }
  const std::size_t size = static_cast<std::size_t>(value.size);
  std::uint8_t* p = row + static_cast<std::size_t>(from) * size;
  std::size_t left = static_cast<std::size_t>(to - from) * size;
  // Long spans (a fill's) go by blocks of whole pixels: 96 bytes hold 32 of three bytes or 24
  // of four.
  constexpr std::size_t kBlock = 96;
  if (left >= 2 * kBlock && kBlock % size == 0) {
    std::uint8_t block[kBlock];
    for (std::size_t i = 0; i < kBlock; i += size) std::memcpy(block + i, value.bytes, size);
    for (; left >= kBlock; left -= kBlock, p += kBlock) std::memcpy(p, block, kBlock);
  }
  for (; left > 0; left -= size, p += size) std::memcpy(p, value.bytes, size);
}

SpanSink SpanWriter(Bitmap& bitmap, const Rect& clip, const PixelValue& value) {
  return [&bitmap, clip, value](int y, int x_begin, int x_end) {
    FillSpan(bitmap, clip, y, x_begin, x_end, value);
  };
}

}  // namespace celwright
