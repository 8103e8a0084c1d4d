#include "support/palette_adjust.h"

#include <algorithm>

#include "support/qm_tools.h"

namespace celwright {

namespace {

// numerator / 100 for a non-negative numerator, halves to the even neighbour.
std::uint8_t RoundHundredths(int numerator) {
  int quotient = numerator / 100;
  const int remainder = numerator % 100;
  if (remainder > 50 || (remainder == 50 && (quotient & 1) != 0)) ++quotient;
  return static_cast<std::uint8_t>(std::clamp(quotient, 0, 255));
}

std::uint8_t Balance(std::uint8_t value, int setting) {
  setting = std::clamp(setting, -100, 100);
  if (setting > 0) return RoundHundredths(setting * (255 - value) + 100 * value);
  if (setting < 0) return RoundHundredths((setting + 100) * value);
  return value;
}

}  // namespace

Palette256 ColorizePalette(const Palette256& source, int red, int green, int blue) {
  Palette256 result = source;
  for (RGBTriple& entry : result) {
    entry = {Balance(entry.r, red), Balance(entry.g, green), Balance(entry.b, blue)};
  }
  return result;
}

Palette256 ContrastizePalette(const Palette256& source, int contrast) {
  return ColorizePalette(source, contrast, contrast, contrast);
}

Palette256 NegativePalette(const Palette256& source) {
  Palette256 result = source;
  for (RGBTriple& entry : result) {
    entry = {static_cast<std::uint8_t>(255 - entry.r), static_cast<std::uint8_t>(255 - entry.g),
             static_cast<std::uint8_t>(255 - entry.b)};
  }
  return result;
}

Palette256 GrayScalePalette(const Palette256& source) {
  Palette256 result = source;
  for (RGBTriple& entry : result) {
    int hue = 0, saturation = 0, luminance = 0;
    ColorToHSL(ToColor(entry), hue, saturation, luminance);
    entry = ToTriple(HSLToColor(hue, 0, luminance));
  }
  return result;
}

}  // namespace celwright
