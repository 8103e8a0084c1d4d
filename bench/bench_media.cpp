#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "../tests/media/synthetic_pictures.h"
#include "support/media/avi_reader.h"
#include "support/media/avi_writer.h"
#include "support/media/gif_codec.h"
#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {
namespace {

constexpr int kSide = 96;

const Bitmap& TrueColourStrip() {
  static const Bitmap strip = testing::PhotographicStrip(kSide, kSide, 500);
  return strip;
}

// 100 indexed frames of 96 x 96 and a palette, made once from the photographic strip.
struct IndexedSequence {
  Palette256 palette{};
  std::vector<Bitmap> frames;
};

const IndexedSequence& Sequence() {
  static const IndexedSequence sequence = [] {
    IndexedSequence result;
    const Bitmap strip = testing::PhotographicStrip(kSide, kSide, 100);
    const ReducedPalette reduced = ReducePicture(strip);
    result.palette = reduced.colors;
    NearestColorMapper mapper(reduced.colors, reduced.count);
    for (int f = 0; f < 100; ++f) {
      Bitmap frame(kSide, kSide, PixelFormat::Bits8);
      for (int y = 0; y < kSide; ++y) {
        mapper.MapRow(strip.Row(y) + static_cast<std::size_t>(f) * kSide * 3, kSide, frame.Row(y));
      }
      result.frames.push_back(std::move(frame));
    }
    return result;
  }();
  return sequence;
}

std::filesystem::path BenchFile(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("celwright_bench_" + name);
}

void BM_QuantiseStrip(benchmark::State& state) {
  const Bitmap& strip = TrueColourStrip();
  double error = 0;
  for (auto _ : state) {
    const ReducedPalette palette = ReducePicture(strip);
    benchmark::DoNotOptimize(palette.colors.data());
    state.PauseTiming();
    error = MeanColorError(strip, MapToPalette(strip, palette.colors, palette.count));
    state.ResumeTiming();
  }
  state.counters["mean_color_error"] = error;
  state.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(strip.Pixels().size() / 3) * state.iterations(),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QuantiseStrip)->Unit(benchmark::kMillisecond);

void BM_MapStripToPalette(benchmark::State& state) {
  const Bitmap& strip = TrueColourStrip();
  const ReducedPalette palette = ReducePicture(strip);
  for (auto _ : state) {
    const Bitmap mapped = MapToPalette(strip, palette.colors, palette.count);
    benchmark::DoNotOptimize(mapped.Pixels().data());
  }
  state.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(strip.Pixels().size() / 3) * state.iterations(),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MapStripToPalette)->Unit(benchmark::kMillisecond);

void BM_WriteAvi100(benchmark::State& state) {
  const IndexedSequence& sequence = Sequence();
  const auto path = BenchFile("write.avi");
  for (auto _ : state) WriteAvi(path, sequence.palette, sequence.frames, true);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteAvi100)->Unit(benchmark::kMillisecond);

void BM_ReadAvi100(benchmark::State& state) {
  const IndexedSequence& sequence = Sequence();
  const auto path = BenchFile("read.avi");
  WriteAvi(path, sequence.palette, sequence.frames, true);
  for (auto _ : state) {
    const std::vector<AviFrame> frames = ReadAviFrames(path);
    benchmark::DoNotOptimize(frames.data());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadAvi100)->Unit(benchmark::kMillisecond);

void BM_WriteGif100(benchmark::State& state) {
  const IndexedSequence& sequence = Sequence();
  const auto path = BenchFile("write.gif");
  for (auto _ : state) WriteAnimatedGif(path, sequence.palette, sequence.frames);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteGif100)->Unit(benchmark::kMillisecond);

void BM_ReadGif100(benchmark::State& state) {
  const IndexedSequence& sequence = Sequence();
  const auto path = BenchFile("read.gif");
  WriteAnimatedGif(path, sequence.palette, sequence.frames);
  for (auto _ : state) {
    const std::vector<std::uint8_t> bytes = ReadGifBytes(path);
    AnimatedGifReader reader(bytes);
    while (const GifFrame* frame = reader.ReadFrame()) benchmark::DoNotOptimize(frame);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadGif100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
