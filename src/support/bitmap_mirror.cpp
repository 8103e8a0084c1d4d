#include "support/bitmap_mirror.h"

#include <algorithm>

namespace celwright {

void ReflectBitmap(Bitmap& picture) {
  const int bytes = picture.BytesPerPixel();
  const std::size_t pixel = static_cast<std::size_t>(bytes);
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int left = 0, right = picture.Width() - 1; left < right; ++left, --right) {
      std::swap_ranges(row + left * pixel, row + (left + 1) * pixel, row + right * pixel);
    }
  }
}

void FlipBitmap(Bitmap& picture) {
  const std::size_t stride = picture.Stride();
  for (int top = 0, bottom = picture.Height() - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(picture.Row(top), picture.Row(top) + stride, picture.Row(bottom));
  }
}

}  // namespace celwright
