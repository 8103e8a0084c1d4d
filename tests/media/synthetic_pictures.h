#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "support/bitmap.h"

namespace celwright::testing {

// Every entry distinct, so a wrong index shows as a wrong colour.
inline Palette256 DistinctPalette() {
  Palette256 palette{};
  for (int i = 0; i < 256; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>((i * 37) & 0xFF)};
  }
  return palette;
}

// 8-bit frames whose indices differ from pixel to pixel and from frame to frame.
inline std::vector<Bitmap> PatternFrames(int count, int width, int height) {
  std::vector<Bitmap> frames;
  for (int f = 0; f < count; ++f) {
    Bitmap frame(width, height, PixelFormat::Bits8);
    for (std::size_t i = 0; i < frame.Pixels().size(); ++i) {
      frame.Pixels()[i] = static_cast<std::uint8_t>(i * 7 + f * 29);
    }
    frames.push_back(frame);
  }
  return frames;
}

// Stands in for photographic material: smooth two-dimensional gradients with a different hue
// sweep in every frame, plus mild per-pixel noise, so the picture has far more than 256 colours
// but the structure a real photograph has. Frames sit side by side in one strip.
inline Bitmap PhotographicStrip(int frame_width, int frame_height, int frames,
                                std::uint32_t seed = 7) {
  Bitmap strip(frame_width * frames, frame_height, PixelFormat::Bits24);
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 4.0);
  auto channel = [](double v) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
  };
  for (int f = 0; f < frames; ++f) {
    const double phase = 0.37 * f;
    for (int y = 0; y < frame_height; ++y) {
      std::uint8_t* p = strip.Row(y) + static_cast<std::size_t>(f) * frame_width * 3;
      for (int x = 0; x < frame_width; ++x, p += 3) {
        const double u = static_cast<double>(x) / frame_width;
        const double v = static_cast<double>(y) / frame_height;
        const double r = 128 + 110 * std::sin(3.0 * u + phase) * std::cos(2.0 * v);
        const double g = 40 + 180 * v * (0.6 + 0.4 * std::cos(phase + 4.0 * u));
        const double b = 200 - 150 * u * v + 30 * std::sin(5.0 * v + phase);
        p[0] = channel(b + noise(random));
        p[1] = channel(g + noise(random));
        p[2] = channel(r + noise(random));
      }
    }
  }
  return strip;
}

}  // namespace celwright::testing
