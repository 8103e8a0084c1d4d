#pragma once

#include <array>
#include <cstdint>

namespace celwright {

// A colour as the whole program exchanges it: 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

struct RGBTriple {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const RGBTriple&, const RGBTriple&) = default;
};

// 256 entries of red, green, blue: the palette of an animation or of an 8-bit picture.
using Palette256 = std::array<RGBTriple, 256>;

constexpr TColor MakeColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr TColor ToColor(RGBTriple t) { return MakeColor(t.r, t.g, t.b); }
// Masks mark the pixels they hold in white.
inline constexpr TColor kWhite = MakeColor(255, 255, 255);
constexpr RGBTriple ToTriple(TColor c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

}  // namespace celwright
