#include "support/bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace celwright {

namespace {

std::uint8_t NearestEntry(const Palette256& table, TColor color) {
  const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  int best = 0;
  int best_distance = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const int dr = table[i].r - r, dg = table[i].g - g, db = table[i].b - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace

Bitmap::Bitmap(int width, int height, PixelFormat format) { Reset(width, height, format); }

void Bitmap::Reset(int width, int height, PixelFormat format) {
  if (width < 0 || height < 0) throw std::invalid_argument("Bitmap size must not be negative");
  width_ = width;
  height_ = height;
  format_ = format;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                            static_cast<std::size_t>(BytesPerPixel());
  // A picture made much smaller lets its memory go: a frame's planes emptied for the next
  // frame must not hold on to the old frame's size.
  if (bytes < pixels_.capacity() / 2) std::vector<std::uint8_t>().swap(pixels_);
  pixels_.assign(bytes, 0);
}

void Bitmap::Adopt(int width, int height, PixelFormat format, std::vector<std::uint8_t>&& pixels) {
  if (width < 0 || height < 0 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                           static_cast<std::size_t>(BytesPerPixelOf(format)))
    throw std::invalid_argument("Adopted pixels do not match the picture's size");
  width_ = width;
  height_ = height;
  format_ = format;
  pixels_ = std::move(pixels);
}

void Bitmap::Resize(int width, int height, TColor fill) {
  Bitmap resized(width, height, format_);
  resized.color_table_ = color_table_;
  resized.transparent_color = transparent_color;
  if (format_ == PixelFormat::Bits24 || format_ == PixelFormat::Bits32) {
    const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel());
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = resized.Row(y);
      for (int x = 0; x < width; ++x) {
        std::uint8_t* p = row + bpp * static_cast<std::size_t>(x);
        p[0] = BlueOf(fill);
        p[1] = GreenOf(fill);
        p[2] = RedOf(fill);
        if (bpp == 4) p[3] = static_cast<std::uint8_t>(fill >> 24);
      }
    }
  } else {
    const std::uint8_t value =
        format_ == PixelFormat::Bits1 ? (fill == 0 ? 0 : 1) : static_cast<std::uint8_t>(fill & 0xFF);
    std::fill(resized.pixels_.begin(), resized.pixels_.end(), value);
  }
  const int keep_w = std::min(width, width_);
  const int keep_h = std::min(height, height_);
  for (int y = 0; y < keep_h; ++y) {
    std::memcpy(resized.Row(y), Row(y), static_cast<std::size_t>(keep_w) * BytesPerPixel());
  }
  *this = std::move(resized);
}

TColor Bitmap::GetPixel(int x, int y) const {
  if (!Contains(x, y)) return 0;
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * BytesPerPixel();
  switch (format_) {
    case PixelFormat::Bits24:
    case PixelFormat::Bits32:
      return MakeColor(p[2], p[1], p[0]);
    case PixelFormat::Bits8:
      return ToColor(color_table_[*p]);
    case PixelFormat::Index8:
      return MakeColor(*p, 0, 0);
    case PixelFormat::Bits1:
      return *p ? 0xFFFFFFu : 0u;
  }
  return 0;
}

void Bitmap::SetPixel(int x, int y, TColor color) {
  if (!Contains(x, y)) return;
  std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * BytesPerPixel();
  switch (format_) {
    case PixelFormat::Bits24:
      p[0] = BlueOf(color);
      p[1] = GreenOf(color);
      p[2] = RedOf(color);
      break;
    case PixelFormat::Bits32:
      p[0] = BlueOf(color);
      p[1] = GreenOf(color);
      p[2] = RedOf(color);
      p[3] = 255;
      break;
    case PixelFormat::Bits8:
      *p = NearestEntry(color_table_, color);
      break;
    case PixelFormat::Index8:
      *p = RedOf(color);
      break;
    case PixelFormat::Bits1:
      *p = (color & 0xFFFFFF) == 0 ? 0 : 1;
      break;
  }
}

std::uint8_t Bitmap::GetAlpha(int x, int y) const {
  if (!Contains(x, y)) return 0;
  return format_ == PixelFormat::Bits32 ? Row(y)[4 * static_cast<std::size_t>(x) + 3] : 255;
}

void Bitmap::SetPixelAlpha(int x, int y, TColor color, std::uint8_t alpha) {
  SetPixel(x, y, color);
  if (format_ == PixelFormat::Bits32 && Contains(x, y)) {
    Row(y)[4 * static_cast<std::size_t>(x) + 3] = alpha;
  }
}

std::uint8_t Bitmap::GetIndex(int x, int y) const {
  if (!Contains(x, y) || format_ == PixelFormat::Bits24 || format_ == PixelFormat::Bits32) return 0;
  return Row(y)[x];
}

void Bitmap::SetIndex(int x, int y, std::uint8_t index) {
  if (!Contains(x, y) || format_ == PixelFormat::Bits24 || format_ == PixelFormat::Bits32) return;
  Row(y)[x] = format_ == PixelFormat::Bits1 ? (index ? 1 : 0) : index;
}

}  // namespace celwright
