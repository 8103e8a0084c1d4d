#include "document/buffer_ops.h"

#include <algorithm>
#include <cstring>

namespace celwright {

void FillBitmap(Bitmap& bitmap, TColor fill) {
  std::vector<std::uint8_t>& pixels = bitmap.Pixels();
  if (bitmap.Format() == PixelFormat::Bits32) {
    // As Bitmap::Resize takes it: the high byte is the alpha.
    const std::uint8_t bgra[4] = {BlueOf(fill), GreenOf(fill), RedOf(fill),
                                  static_cast<std::uint8_t>(fill >> 24)};
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) std::memcpy(&pixels[i], bgra, 4);
    return;
  }
  if (bitmap.Format() != PixelFormat::Bits24) {
    const std::uint8_t value = bitmap.Format() == PixelFormat::Bits1
                                   ? static_cast<std::uint8_t>(fill == 0 ? 0 : 1)
                                   : static_cast<std::uint8_t>(fill & 0xFF);
    std::fill(pixels.begin(), pixels.end(), value);
    return;
  }
  const std::uint8_t bgr[3] = {BlueOf(fill), GreenOf(fill), RedOf(fill)};
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
    pixels[i] = bgr[0];
    pixels[i + 1] = bgr[1];
    pixels[i + 2] = bgr[2];
  }
}

void ShiftAndResize(Bitmap& bitmap, int dx, int dy, int width, int height, TColor fill) {
  Bitmap result(std::max(width, 0), std::max(height, 0), bitmap.Format());
  result.ColorTable() = bitmap.ColorTable();
  FillBitmap(result, fill);
  // Destination x takes source x + dx: clip that to both pictures.
  const int x_begin = std::max(0, -dx), x_end = std::min(result.Width(), bitmap.Width() - dx);
  const int y_begin = std::max(0, -dy), y_end = std::min(result.Height(), bitmap.Height() - dy);
  const int bpp = bitmap.BytesPerPixel();
  if (x_begin < x_end) {
    for (int y = y_begin; y < y_end; ++y) {
      std::memcpy(result.Row(y) + static_cast<std::size_t>(x_begin) * bpp,
                  bitmap.Row(y + dy) + static_cast<std::size_t>(x_begin + dx) * bpp,
                  static_cast<std::size_t>(x_end - x_begin) * bpp);
    }
  }
  bitmap = std::move(result);
}

Bitmap ToTrueColour(const Bitmap& picture) {
  if (picture.Format() == PixelFormat::Bits24) return picture;
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits24);
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    std::uint8_t* out = result.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor colour = picture.Format() == PixelFormat::Bits8
                                ? ToColor(picture.ColorTable()[in[x]])
                                : (in[x] ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0));
      out[3 * x] = BlueOf(colour);
      out[3 * x + 1] = GreenOf(colour);
      out[3 * x + 2] = RedOf(colour);
    }
  }
  return result;
}

}  // namespace celwright
