// Draws the bundled sample animation: a ball that bounces over its shadow, squashes when it
// lands and spins a striped pattern, in three sequences. Run as
//   make-sample-bam resources/sample.bam
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>
#include <vector>

#include "model/qm_BAM.h"

namespace {

using celwright::TBAM;

constexpr int kWidth = 48;
constexpr int kHeight = 64;
constexpr int kCentreX = 24;   // the point under the ball where it touches the ground
constexpr int kCentreY = 58;
constexpr std::uint8_t kTransparent = 0;
constexpr std::uint8_t kShadow = 1;
constexpr std::uint8_t kFirstShade = 2;  // 2..65: the ball's red shades, dark to light
constexpr std::uint8_t kFirstStripe = 66;  // 66..129: the stripes' yellow shades
constexpr int kShades = 64;

void MakePalette(TBAM& bam) {
  bam.Palette[kTransparent] = {0, 255, 0};
  bam.Palette[kShadow] = {0, 0, 0};
  for (int i = 0; i < kShades; ++i) {
    const int light = 60 + i * 195 / (kShades - 1);
    bam.Palette[kFirstShade + i] = {static_cast<std::uint8_t>(light),
                                    static_cast<std::uint8_t>(light / 5),
                                    static_cast<std::uint8_t>(light / 6)};
    bam.Palette[kFirstStripe + i] = {static_cast<std::uint8_t>(light),
                                     static_cast<std::uint8_t>(light * 9 / 10),
                                     static_cast<std::uint8_t>(light / 4)};
  }
}

// One frame: the shadow ellipse on the ground, then the ball with simple lighting from the
// upper left, squashed by `squash` (1 = round) and lifted by `lift` pixels.
std::vector<std::uint8_t> DrawFrame(double lift, double squash, double spin) {
  std::vector<std::uint8_t> pixels(kWidth * kHeight, kTransparent);
  const double radius = 14.0;
  const double shadow_rx = radius * (1.1 - lift / 60.0), shadow_ry = 3.5 * (1.0 - lift / 80.0);
  const double rx = radius * squash, ry = radius / squash;
  const double cx = kCentreX, cy = kCentreY - ry - lift;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double sx = (x + 0.5 - kCentreX) / shadow_rx, sy = (y + 0.5 - kCentreY) / shadow_ry;
      std::uint8_t& p = pixels[y * kWidth + x];
      if (sx * sx + sy * sy <= 1.0) p = kShadow;
      const double bx = (x + 0.5 - cx) / rx, by = (y + 0.5 - cy) / ry;
      const double d2 = bx * bx + by * by;
      if (d2 > 1.0) continue;
      const double bz = std::sqrt(1.0 - d2);
      const double light = std::clamp((-0.5 * bx - 0.6 * by + 0.62 * bz + 0.3) / 1.3, 0.0, 1.0);
      const int shade = static_cast<int>(light * (kShades - 1));
      const double angle = std::atan2(by, bx) + spin;
      const bool stripe = std::sin(3.0 * angle) > 0.55 && d2 < 0.8;
      p = static_cast<std::uint8_t>((stripe ? kFirstStripe : kFirstShade) + shade);
    }
  }
  return pixels;
}

void AppendFrame(TBAM& bam, std::int32_t cycle, const std::vector<std::uint8_t>& pixels) {
  bam.InsertFrame(-1, cycle, -1, false);
  const std::int32_t index = bam.FrameCount() - 1;
  celwright::TBAMFrame info = bam.GetFrame(index);
  info.Width = kWidth;
  info.Height = kHeight;
  info.CentreX = kCentreX;
  info.CentreY = kCentreY;
  std::vector<std::uint8_t> bytes;
  info.RLE = celwright::rle::EncodeIfSmaller(pixels.data(), pixels.size(), bam.CompressionKey(),
                                             bytes);
  bam.ReplaceFrameData(index, bytes, info);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-sample-bam OUTPUT.bam\n";
    return 2;
  }
  TBAM bam;
  bam.NewBAM(argv[1], true);
  MakePalette(bam);
  bam.OverrideTransCol = false;
  bam.OverrideShadowCol = false;

  // Sequence 0: resting, the stripes turning slowly.
  bam.AddCycle(-1);
  for (int i = 0; i < 8; ++i) AppendFrame(bam, 0, DrawFrame(0, 1.0, i * std::numbers::pi / 12));
  // Sequence 1: a bounce, squashing on landing.
  bam.AddCycle(-1);
  for (int i = 0; i < 12; ++i) {
    const double t = i / 12.0;
    const double lift = 26.0 * 4.0 * t * (1.0 - t);
    const double squash = i == 0 ? 1.25 : (i == 1 || i == 11 ? 1.1 : 1.0);
    AppendFrame(bam, 1, DrawFrame(lift, squash, t * std::numbers::pi));
  }
  // Sequence 2: the resting frames played back and forth, sharing frames with sequence 0.
  bam.AddCycle(-1);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1}) bam.AddFrameToCycle(i, 2);

  try {
    bam.SaveToFile(argv[1], celwright::kPalettedBAM, true, false);
  } catch (const std::exception& e) {
    std::cerr << "make-sample-bam: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
