// PNG encode and decode of a 1024 x 1024 picture, true colour and paletted, in megapixels per
// second. The picture mixes smooth gradients with noise so the compressor does real work.
#include <benchmark/benchmark.h>

#include <random>

#include "support/image_io/qm_png.h"

namespace {

using celwright::Bitmap;
using celwright::PixelFormat;

constexpr int kSide = 1024;

Bitmap MakePicture(PixelFormat format) {
  Bitmap bitmap(kSide, kSide, format);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(0, 15);
  for (int i = 0; i < 256; ++i) {
    bitmap.ColorTable()[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 2),
                              static_cast<std::uint8_t>(255 - i)};
  }
  for (int y = 0; y < kSide; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (std::size_t i = 0; i < bitmap.Stride(); ++i) {
      row[i] = static_cast<std::uint8_t>((i / 3 + static_cast<std::size_t>(y)) / 8 + noise(random));
    }
  }
  return bitmap;
}

void ReportMegapixels(benchmark::State& state) {
  state.counters["MP/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kSide * kSide / 1e6, benchmark::Counter::kIsRate);
}

void BM_WritePng(benchmark::State& state, PixelFormat format) {
  const Bitmap picture = MakePicture(format);
  const bool paletted = format == PixelFormat::Bits8;
  for (auto _ : state) {
    benchmark::DoNotOptimize(celwright::EncodePNG(picture, std::nullopt, paletted));
  }
  ReportMegapixels(state);
}

void BM_ReadPng(benchmark::State& state, PixelFormat format) {
  const Bitmap picture = MakePicture(format);
  const auto bytes = celwright::EncodePNG(picture, std::nullopt, format == PixelFormat::Bits8);
  celwright::Palette256 palette{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(celwright::DecodePNG(bytes, palette));
  }
  ReportMegapixels(state);
}

BENCHMARK_CAPTURE(BM_WritePng, TrueColour, PixelFormat::Bits24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WritePng, Paletted, PixelFormat::Bits8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPng, TrueColour, PixelFormat::Bits24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPng, Paletted, PixelFormat::Bits8)->Unit(benchmark::kMillisecond);

}  // namespace
