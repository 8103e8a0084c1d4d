#include "support/qm_tools.h"

#include <cmath>
#include <cstring>

namespace celwright {

namespace {

// Maps one destination coordinate pair back into the source. Coordinates are doubled so the
// centre of every pixel is an odd integer and a rotation by a quarter turn lands exactly on
// another pixel centre; the halving truncates toward zero.
struct SourceMapper {
  long double sin_a;
  long double cos_a;
  int centre_x;
  int centre_y;

  void Map(int i, int j, int& source_x, int& source_y) const {
    const long double di = 2.0L * (i - centre_x) + 1;
    const long double dj = 2.0L * (j - centre_y) + 1;
    const long long ir = std::llrint(di * cos_a - dj * sin_a);
    const long long jr = std::llrint(di * sin_a + dj * cos_a);
    source_x = static_cast<int>((ir - 1) / 2 + centre_x);
    source_y = static_cast<int>((jr - 1) / 2 + centre_y);
  }
};

}  // namespace

Bitmap RotateBitmap(const Bitmap& bitmap, int centre_x, int centre_y, TColor fill, double angle) {
  Bitmap result(bitmap.Width(), bitmap.Height(), bitmap.Format());
  result.ColorTable() = bitmap.ColorTable();
  result.transparent_color = bitmap.transparent_color;

  const long double a = angle;
  const SourceMapper mapper{std::sin(a), std::cos(a), centre_x, centre_y};
  const int bytes = bitmap.BytesPerPixel();
  std::uint8_t fill_bytes[3];
  switch (bitmap.Format()) {
    case PixelFormat::Bits24:
      fill_bytes[0] = BlueOf(fill), fill_bytes[1] = GreenOf(fill), fill_bytes[2] = RedOf(fill);
      break;
    case PixelFormat::Bits8:
      fill_bytes[0] = static_cast<std::uint8_t>(fill & 0xFF);
      break;
    case PixelFormat::Bits1:
      fill_bytes[0] = (fill & 0xFFFFFF) == 0 ? 0 : 1;
      break;
  }

  for (int j = 0; j < bitmap.Height(); ++j) {
    std::uint8_t* out = result.Row(j);
    for (int i = 0; i < bitmap.Width(); ++i) {
      int sx, sy;
      mapper.Map(i, j, sx, sy);
      const std::uint8_t* from = bitmap.Contains(sx, sy)
                                     ? bitmap.Row(sy) + static_cast<std::size_t>(sx) * bytes
                                     : fill_bytes;
      std::memcpy(out + static_cast<std::size_t>(i) * bytes, from, static_cast<std::size_t>(bytes));
    }
  }
  return result;
}

}  // namespace celwright
