#include "support/rotate_bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
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

void FillBytes(PixelFormat format, TColor fill, std::uint8_t (&bytes)[4]) {
  switch (format) {
    case PixelFormat::Bits24:
      bytes[0] = BlueOf(fill), bytes[1] = GreenOf(fill), bytes[2] = RedOf(fill);
      break;
    case PixelFormat::Bits32:  // the high byte is the alpha, as Bitmap::Resize takes it
      bytes[0] = BlueOf(fill), bytes[1] = GreenOf(fill), bytes[2] = RedOf(fill);
      bytes[3] = static_cast<std::uint8_t>(fill >> 24);
      break;
    case PixelFormat::Bits8:
    case PixelFormat::Index8:
      bytes[0] = static_cast<std::uint8_t>(fill & 0xFF);
      break;
    case PixelFormat::Bits1:
      bytes[0] = (fill & 0xFFFFFF) == 0 ? 0 : 1;
      break;
  }
}

template <int kBytes>
void CopyRow(const Bitmap& source, const std::vector<std::ptrdiff_t>& from,
             const std::uint8_t* fill, std::uint8_t* out) {
  const std::uint8_t* pixels = source.Pixels().data();
  for (std::size_t i = 0; i < from.size(); ++i, out += kBytes) {
    const std::uint8_t* pixel = from[i] < 0 ? fill : pixels + from[i] * kBytes;
    for (int b = 0; b < kBytes; ++b) out[b] = pixel[b];
  }
}

// Turns every picture (all of one size) with one mapping: each destination row is mapped once
// into source pixel numbers (-1 for outside), then copied from each picture.
std::vector<Bitmap> Rotate(const std::vector<const Bitmap*>& pictures,
                           const std::vector<TColor>& fills, int width, int height,
                           int dest_centre_x2, int dest_centre_y2, int source_centre_x2,
                           int source_centre_y2, double angle) {
  std::vector<Bitmap> results;
  if (pictures.empty()) return results;
  const int source_w = pictures[0]->Width(), source_h = pictures[0]->Height();
  std::vector<std::array<std::uint8_t, 4>> fill_bytes(pictures.size());
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    const Bitmap& picture = *pictures[k];
    if (picture.Width() != source_w || picture.Height() != source_h)
      throw std::invalid_argument("Pictures turned together must share one size");
    Bitmap result(width, height, picture.Format());
    result.ColorTable() = picture.ColorTable();
    result.transparent_color = picture.transparent_color;
    results.push_back(std::move(result));
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    FillBytes(picture.Format(), k < fills.size() ? fills[k] : 0, bytes);
    fill_bytes[k] = {bytes[0], bytes[1], bytes[2], bytes[3]};
  }

  SourceMapper mapper(width, dest_centre_x2, dest_centre_y2, source_centre_x2, source_centre_y2,
                      angle);
  std::vector<std::ptrdiff_t> from(static_cast<std::size_t>(std::max(width, 0)));
  for (int j = 0; j < height; ++j) {
    mapper.StartRow(j);
    for (int i = 0; i < width; ++i) {
      int sx, sy;
      mapper.Map(i, sx, sy);
      const bool inside = sx >= 0 && sy >= 0 && sx < source_w && sy < source_h;
      from[static_cast<std::size_t>(i)] =
          inside ? static_cast<std::ptrdiff_t>(sy) * source_w + sx : -1;
    }
    for (std::size_t k = 0; k < pictures.size(); ++k) {
      std::uint8_t* out = results[k].Row(j);
      if (pictures[k]->BytesPerPixel() == 4) {
        CopyRow<4>(*pictures[k], from, fill_bytes[k].data(), out);
      } else if (pictures[k]->BytesPerPixel() == 3) {
        CopyRow<3>(*pictures[k], from, fill_bytes[k].data(), out);
      } else {
        CopyRow<1>(*pictures[k], from, fill_bytes[k].data(), out);
      }
    }
  }
  return results;
}

// Sine and cosine for the size rule, to four decimals (to nearest, halves to even): a quarter
// turn's cosine becomes exactly 0 rather than 6e-17, so its turned size is exactly the sides
// swapped, and every other angle gives a size the user can work out from the angle shown.
long double Round4(long double value) { return std::nearbyint(value * 10000.0L) / 10000.0L; }

}  // namespace

Bitmap RotateBitmap(const Bitmap& bitmap, int centre_x, int centre_y, TColor fill, double angle) {
  return std::move(Rotate({&bitmap}, {fill}, bitmap.Width(), bitmap.Height(), 2 * centre_x,
                          2 * centre_y, 2 * centre_x, 2 * centre_y, angle)[0]);
}

Bitmap RotateBitmapToSize(const Bitmap& picture, int width, int height, TColor fill, double angle) {
  return std::move(RotateBitmapsToSize({&picture}, {fill}, width, height, angle)[0]);
}

std::vector<Bitmap> RotateBitmapsToSize(const std::vector<const Bitmap*>& pictures,
                                        const std::vector<TColor>& fills, int width, int height,
                                        double angle) {
  if (pictures.empty()) return {};
  return Rotate(pictures, fills, width, height, width, height, pictures[0]->Width(),
                pictures[0]->Height(), angle);
}

Size TurnedSize(int width, int height, double angle) {
  const long double a = angle;
  const long double s = std::fabs(Round4(std::sin(a)));
  const long double c = std::fabs(Round4(std::cos(a)));
  return {static_cast<int>(std::llrint(width * c + height * s)),
          static_cast<int>(std::llrint(height * c + width * s))};
}

}  // namespace celwright
