#include "support/qm_tools.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace celwright {

namespace {

// The classic light desktop theme, used until the GUI supplies the real colours.
constexpr std::array<TColor, 31> kDefaultSystemColors = {
    MakeColor(0xC8, 0xC8, 0xC8), MakeColor(0x00, 0x00, 0x00), MakeColor(0x99, 0xB4, 0xD1),
    MakeColor(0xBF, 0xCD, 0xDB), MakeColor(0xF0, 0xF0, 0xF0), MakeColor(0xFF, 0xFF, 0xFF),
    MakeColor(0x64, 0x64, 0x64), MakeColor(0x00, 0x00, 0x00), MakeColor(0x00, 0x00, 0x00),
    MakeColor(0x00, 0x00, 0x00), MakeColor(0xB4, 0xB4, 0xB4), MakeColor(0xF4, 0xF7, 0xFC),
    MakeColor(0xAB, 0xAB, 0xAB), MakeColor(0x33, 0x99, 0xFF), MakeColor(0xFF, 0xFF, 0xFF),
    MakeColor(0xF0, 0xF0, 0xF0), MakeColor(0xA0, 0xA0, 0xA0), MakeColor(0x6D, 0x6D, 0x6D),
    MakeColor(0x00, 0x00, 0x00), MakeColor(0x43, 0x4E, 0x54), MakeColor(0xFF, 0xFF, 0xFF),
    MakeColor(0x69, 0x69, 0x69), MakeColor(0xE3, 0xE3, 0xE3), MakeColor(0x00, 0x00, 0x00),
    MakeColor(0xFF, 0xFF, 0xE1), MakeColor(0x00, 0x00, 0x00), MakeColor(0x00, 0x66, 0xCC),
    MakeColor(0xB9, 0xD1, 0xEA), MakeColor(0xD7, 0xE4, 0xF2), MakeColor(0x33, 0x99, 0xFF),
    MakeColor(0xF0, 0xF0, 0xF0),
};

SystemColorResolver& Resolver() {
  static SystemColorResolver resolver;
  return resolver;
}

// Rounds to the nearest integer with halves going to the even neighbour; the arithmetic runs in
// extended precision so ties land exactly where the colour dialog's own arithmetic puts them.
long RoundHalfEven(long double value) { return std::lrint(value); }

std::uint8_t ClampToByte(long value) {
  return static_cast<std::uint8_t>(std::clamp<long>(value, 0, 255));
}

}  // namespace

void SetSystemColorResolver(SystemColorResolver resolver) { Resolver() = std::move(resolver); }

TColor ResolveColor(TColor color) {
  if ((color & kSystemColorFlag) == 0) return color & 0xFFFFFFu;
  const int number = static_cast<int>(color & 0xFFu);
  if (Resolver()) return Resolver()(number) & 0xFFFFFFu;
  return number < static_cast<int>(kDefaultSystemColors.size()) ? kDefaultSystemColors[number] : 0u;
}

void ColorToRGBBytes(TColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
  const TColor value = ResolveColor(color);
  red = RedOf(value);
  green = GreenOf(value);
  blue = BlueOf(value);
}

TColor RGBToColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return MakeColor(red, green, blue);
}

void ColorToHSL(TColor color, int& hue, int& saturation, int& luminance) {
  std::uint8_t r8, g8, b8;
  ColorToRGBBytes(color, r8, g8, b8);
  const long double r = r8 / 255.0L, g = g8 / 255.0L, b = b8 / 255.0L;
  const long double max = std::max({r, g, b});
  const long double min = std::min({r, g, b});
  const long double d = max - min;
  const long double l = (max + min) / 2;
  long double h = 0, s = 0;
  if (d != 0) {
    s = l <= 0.5L ? d / (max + min) : d / (2 - max - min);
    if (r == max) {
      h = (g - b) / d;
    } else if (g == max) {
      h = 2 + (b - r) / d;
    } else {
      h = 4 + (r - g) / d;
    }
    h /= 6;
    if (h < 0) h += 1;
  }
  hue = static_cast<int>(RoundHalfEven(h * 240));
  saturation = static_cast<int>(RoundHalfEven(s * 240));
  luminance = static_cast<int>(RoundHalfEven(l * 240));
  // A hue a hair under a full turn rounds up to 240, which is red again.
  if (hue >= 240) hue -= 240;
}

TColor HSLToColor(int hue, int saturation, int luminance) {
  // Out-of-range input wraps the hue round the wheel and clamps the other two.
  const int h = ((hue % 240) + 240) % 240;
  const int s = std::clamp(saturation, 0, 240);
  const int l = std::clamp(luminance, 0, 240);
  constexpr long double kSlope = 6.375L;  // 255 per 40 hue units
  long double rgb[3];
  const long double rise = (h % 40) * kSlope;
  const long double fall = 255 - rise;
  switch (h / 40) {
    case 0:
      rgb[0] = 255, rgb[1] = rise, rgb[2] = 0;
      break;
    case 1:
      rgb[0] = fall, rgb[1] = 255, rgb[2] = 0;
      break;
    case 2:
      rgb[0] = 0, rgb[1] = 255, rgb[2] = rise;
      break;
    case 3:
      rgb[0] = 0, rgb[1] = fall, rgb[2] = 255;
      break;
    case 4:
      rgb[0] = rise, rgb[1] = 0, rgb[2] = 255;
      break;
    default:
      rgb[0] = 255, rgb[1] = 0, rgb[2] = fall;
      break;
  }
  std::uint8_t out[3];
  for (int c = 0; c < 3; ++c) {
    long double v = rgb[c];
    v = (127 - v) * (240 - s) / 240 + v;
    if (l < 120) {
      v = v * l / 120;
    } else if (l > 120) {
      v = v + (l - 120) / 120.0L * (255 - v);
    }
    out[c] = ClampToByte(RoundHalfEven(v));
  }
  return MakeColor(out[0], out[1], out[2]);
}

std::uint32_t ColorToPackedHSL(TColor color) {
  int h, s, l;
  ColorToHSL(color, h, s, l);
  return static_cast<std::uint32_t>(h) | (static_cast<std::uint32_t>(s) << 8) |
         (static_cast<std::uint32_t>(l) << 16);
}

TColor PackedHSLToColor(std::uint32_t packed_hsl) {
  return HSLToColor(static_cast<int>(packed_hsl & 0xFF), static_cast<int>((packed_hsl >> 8) & 0xFF),
                    static_cast<int>((packed_hsl >> 16) & 0xFF));
}

bool PointInRect(Point point, Rect rect) {
  const Rect r = rect.Normalized();
  return point.x >= r.left && point.x <= r.right && point.y >= r.top && point.y <= r.bottom;
}

IndexedPalette CreatePaletteFromRGB(const Palette256& rgb) { return IndexedPalette(rgb); }

void GetPaletteRGB(const IndexedPalette& palette, Palette256& rgb) {
  rgb.fill(RGBTriple{});
  rgb = palette.Entries();
}

bool SetBitmapPaletteRGB(Bitmap& bitmap, const Palette256& rgb) {
  if (bitmap.Format() != PixelFormat::Bits8) return false;
  bitmap.ColorTable() = rgb;
  return true;
}

void MakeMonochrome(Bitmap& bitmap) {
  if (bitmap.Format() == PixelFormat::Bits1) return;
  Bitmap mask(bitmap.Width(), bitmap.Height(), PixelFormat::Bits1);
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* out = mask.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      out[x] = bitmap.GetPixel(x, y) == 0xFFFFFFu ? 1 : 0;
    }
  }
  mask.transparent_color = bitmap.transparent_color;
  bitmap = std::move(mask);
}

}  // namespace celwright
