#pragma once

#include <cstdint>
#include <functional>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/crc32.h"
#include "support/geometry.h"
#include "support/palette.h"

namespace celwright {

// ---- Colours -------------------------------------------------------------------------------

// Colours with the top bit set name a desktop colour (0x80000000 + colour number) rather than a
// value; they are resolved through the hook below before any arithmetic.
constexpr TColor kSystemColorFlag = 0x80000000u;
using SystemColorResolver = std::function<TColor(int color_number)>;
// The GUI installs the desktop's colours here; without it a fixed light theme answers.
void SetSystemColorResolver(SystemColorResolver resolver);
TColor ResolveColor(TColor color);

void ColorToRGBBytes(TColor color, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue);
TColor RGBToColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Hue 0..239, saturation and luminance 0..240, the scale of the classic colour dialog.
void ColorToHSL(TColor color, int& hue, int& saturation, int& luminance);
TColor HSLToColor(int hue, int saturation, int luminance);
// The same triple packed as hue + saturation * 256 + luminance * 65536.
std::uint32_t ColorToPackedHSL(TColor color);
TColor PackedHSLToColor(std::uint32_t packed_hsl);

// True on the border too, whatever the order of the rectangle's corners.
bool PointInRect(Point point, Rect rect);

// ---- Palettes ------------------------------------------------------------------------------

IndexedPalette CreatePaletteFromRGB(const Palette256& rgb);
void GetPaletteRGB(const IndexedPalette& palette, Palette256& rgb);
// Replaces the colour table of an 8-bit picture; other kinds have none and are left alone
// (the result says whether anything was set).
bool SetBitmapPaletteRGB(Bitmap& bitmap, const Palette256& rgb);
// Turns any picture into a mask: white stays white (1), every other colour becomes black (0).
void MakeMonochrome(Bitmap& bitmap);

// ---- Rotation ------------------------------------------------------------------------------

// Rotates about (centre_x, centre_y) by `angle` radians, counter-clockwise on screen. Every
// destination pixel is mapped back into the source in half-pixel steps, so pixels are moved,
// never blended, and no holes appear. Positions that come from outside the source take `fill`.
// The result has the size, kind and colour table of the source.
Bitmap RotateBitmap(const Bitmap& bitmap, int centre_x, int centre_y, TColor fill, double angle);

}  // namespace celwright
