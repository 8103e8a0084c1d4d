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
    case PixelFormat::Index8:
      value.bytes[0] = RedOf(color);
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

namespace {

// Where `box` lies in `bitmap`'s bytes: its rows' first byte, their length and their count.
struct BoxBytes {
  Rect area;
  std::size_t offset = 0;
  std::size_t row = 0;
  std::size_t Size() const { return row * static_cast<std::size_t>(area.Height()); }
};

BoxBytes BytesOf(const Bitmap& bitmap, const Rect& box) {
  BoxBytes b;
  b.area = box.Intersect(BoundsOf(bitmap));
  if (b.area.Empty()) return {};
  const auto bytes = static_cast<std::size_t>(bitmap.BytesPerPixel());
  b.offset = bytes * static_cast<std::size_t>(b.area.left);
  b.row = bytes * static_cast<std::size_t>(b.area.Width());
  return b;
}

}  // namespace

void CopyBoxOut(const Bitmap& bitmap, const Rect& box, std::vector<std::uint8_t>& out) {
  const BoxBytes b = BytesOf(bitmap, box);
  out.resize(b.Size());
  for (int y = b.area.top; y < b.area.bottom; ++y)
    std::memcpy(out.data() + b.row * static_cast<std::size_t>(y - b.area.top),
                bitmap.Row(y) + b.offset, b.row);
}

void CopyBoxIn(Bitmap& bitmap, const Rect& box, const std::vector<std::uint8_t>& in) {
  const BoxBytes b = BytesOf(bitmap, box);
  if (in.size() != b.Size()) return;
  for (int y = b.area.top; y < b.area.bottom; ++y)
    std::memcpy(bitmap.Row(y) + b.offset,
                in.data() + b.row * static_cast<std::size_t>(y - b.area.top), b.row);
}

bool SameAsBox(const Bitmap& bitmap, const Rect& box, const std::vector<std::uint8_t>& saved) {
  const BoxBytes b = BytesOf(bitmap, box);
  if (saved.size() != b.Size()) return false;
  for (int y = b.area.top; y < b.area.bottom; ++y) {
    if (std::memcmp(bitmap.Row(y) + b.offset,
                    saved.data() + b.row * static_cast<std::size_t>(y - b.area.top), b.row) != 0)
      return false;
  }
  return true;
}

SpanSink SpanWriter(Bitmap& bitmap, const Rect& clip, const PixelValue& value) {
  return [&bitmap, clip, value](int y, int x_begin, int x_end) {
    FillSpan(bitmap, clip, y, x_begin, x_end, value);
  };
}

}  // namespace celwright
