#include "support/rotate_bitmap.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "support/qm_tools.h"

namespace celwright {

namespace {

// Maps destination pixels back into the source in doubled coordinates, where the centre of
// every pixel is an odd number and a quarter turn lands exactly on another pixel centre. The
// two centres are given doubled too, so a picture's exact centre (its width) is expressible
// even for odd sizes. The products of each column and row are computed once; every pixel then
// costs two subtractions and two roundings, with results identical to computing it afresh.
class SourceMapper {
 public:
  SourceMapper(int width, int dest_centre_x2, int dest_centre_y2, int source_centre_x2,
               int source_centre_y2, double angle)
      : dest_centre_y2_(dest_centre_y2),
        source_centre_x2_(source_centre_x2),
        source_centre_y2_(source_centre_y2),
        sin_(std::sin(static_cast<long double>(angle))),
        cos_(std::cos(static_cast<long double>(angle))) {
    column_cos_.resize(static_cast<std::size_t>(width));
    column_sin_.resize(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i) {
      const long double di = 2.0L * i + 1 - dest_centre_x2;
      column_cos_[static_cast<std::size_t>(i)] = di * cos_;
      column_sin_[static_cast<std::size_t>(i)] = di * sin_;
    }
  }

  void StartRow(int j) {
    const long double dj = 2.0L * j + 1 - dest_centre_y2_;
    row_sin_ = dj * sin_;
    row_cos_ = dj * cos_;
  }

  void Map(int i, int& source_x, int& source_y) const {
    const std::size_t at = static_cast<std::size_t>(i);
    const long long ir = std::llrint(column_cos_[at] - row_sin_);
    const long long jr = std::llrint(column_sin_[at] + row_cos_);
    source_x = Halve(ir, source_centre_x2_);
    source_y = Halve(jr, source_centre_y2_);
  }

 private:
  // The source pixel at doubled offset `offset` from the doubled centre. A point on the edge
  // between two pixels goes to the one nearer the centre, and a point on the centre itself to
  // the pixel after it: the halving toward zero the mapping has always used about a
  // whole-pixel centre.
  static int Halve(long long offset, int centre2) {
    const long long at = offset + centre2;
    if (at & 1) return static_cast<int>((at - 1) / 2);  // a pixel centre: exact division
    const long long edge = at / 2;                      // pixels edge - 1 and edge meet here
    return static_cast<int>(offset > 0 ? edge - 1 : edge);
  }

  int dest_centre_y2_;
  int source_centre_x2_;
  int source_centre_y2_;
  long double sin_;
  long double cos_;
  long double row_sin_ = 0;
  long double row_cos_ = 0;
  std::vector<long double> column_cos_;
  std::vector<long double> column_sin_;
};

Bitmap Rotate(const Bitmap& bitmap, int width, int height, int dest_centre_x2, int dest_centre_y2,
              int source_centre_x2, int source_centre_y2, TColor fill, double angle) {
  Bitmap result(width, height, bitmap.Format());
  result.ColorTable() = bitmap.ColorTable();
  result.transparent_color = bitmap.transparent_color;

  SourceMapper mapper(width, dest_centre_x2, dest_centre_y2, source_centre_x2, source_centre_y2,
                      angle);
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

  for (int j = 0; j < height; ++j) {
    mapper.StartRow(j);
    std::uint8_t* out = result.Row(j);
    for (int i = 0; i < width; ++i) {
      int sx, sy;
      mapper.Map(i, sx, sy);
      const std::uint8_t* from = bitmap.Contains(sx, sy)
                                     ? bitmap.Row(sy) + static_cast<std::size_t>(sx) * bytes
                                     : fill_bytes;
      std::memcpy(out + static_cast<std::size_t>(i) * bytes, from, static_cast<std::size_t>(bytes));
    }
  }
  return result;
}

// Delphi-style rounding of the size rule: to nearest, halves to even.
long double Round4(long double value) { return std::nearbyint(value * 10000.0L) / 10000.0L; }

}  // namespace

Bitmap RotateBitmap(const Bitmap& bitmap, int centre_x, int centre_y, TColor fill, double angle) {
  return Rotate(bitmap, bitmap.Width(), bitmap.Height(), 2 * centre_x, 2 * centre_y, 2 * centre_x,
                2 * centre_y, fill, angle);
}

Bitmap RotateBitmapToSize(const Bitmap& picture, int width, int height, TColor fill, double angle) {
  return Rotate(picture, width, height, width, height, picture.Width(), picture.Height(), fill,
                angle);
}

Size TurnedSize(int width, int height, double angle) {
  const long double a = angle;
  const long double s = std::fabs(Round4(std::sin(a)));
  const long double c = std::fabs(Round4(std::cos(a)));
  return {static_cast<int>(std::llrint(width * c + height * s)),
          static_cast<int>(std::llrint(height * c + width * s))};
}

}  // namespace celwright
