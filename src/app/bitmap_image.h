#pragma once

#include <QImage>

#include "support/bitmap.h"

namespace celwright {

// A 24-bit bitmap as Qt sees it, sharing the bitmap's rows (valid while the bitmap is unchanged):
// our rows are blue, green, red in memory without padding, exactly Qt's BGR888. Anything but a
// non-empty 24-bit bitmap gives a null image.
inline QImage WrapBitmap(const Bitmap& bitmap) {
  if (bitmap.Empty() || bitmap.Format() != PixelFormat::Bits24) return QImage();
  return QImage(bitmap.Pixels().data(), bitmap.Width(), bitmap.Height(),
                static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888);
}

}  // namespace celwright
