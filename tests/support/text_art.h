#pragma once

#include <algorithm>
#include <map>
#include <string>

#include "support/bitmap.h"

namespace celwright::testing {

// Small pictures as text: one character per pixel, rows separated by '\n'. Colours missing from
// the legend show as '?', so an unexpected colour always fails the comparison visibly.
inline std::string ToArt(const Bitmap& bitmap, const std::map<TColor, char>& legend) {
  std::string art;
  for (int y = 0; y < bitmap.Height(); ++y) {
    if (y > 0) art += '\n';
    for (int x = 0; x < bitmap.Width(); ++x) {
      const auto found = legend.find(bitmap.GetPixel(x, y));
      art += found == legend.end() ? '?' : found->second;
    }
  }
  return art;
}

// The usual legend: white background, black pen, red brush.
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
inline std::string Art(const Bitmap& bitmap) {
  return ToArt(bitmap, {{kWhite, '.'}, {kBlack, '#'}, {kRed, 'o'}});
}

// The black (0) pixels of a text mask.
inline int InkCount(const Bitmap& mask) {
  return static_cast<int>(std::count(mask.Pixels().begin(), mask.Pixels().end(), 0));
}

inline Bitmap WhiteBitmap(int width, int height) {
  Bitmap bitmap(width, height, PixelFormat::Bits24);
  std::fill(bitmap.Pixels().begin(), bitmap.Pixels().end(), std::uint8_t{0xFF});
  return bitmap;
}

}  // namespace celwright::testing
