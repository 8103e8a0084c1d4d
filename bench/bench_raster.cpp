// Throughput of the raster operations the editor runs on every edit and repaint, in megapixels
// per second of output.
#include <benchmark/benchmark.h>

#include <random>

#include "support/blit.h"
#include "support/canvas.h"
#include "support/flood_fill.h"
#include "support/palette.h"
#include "support/palette_convert.h"

namespace celwright {
namespace {

void ReportPixels(benchmark::State& state, double pixels_per_iteration) {
  state.counters["Mpix/s"] = benchmark::Counter(pixels_per_iteration * 1e-6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// A 512 x 512 frame divided by one-pixel walls into a serpentine corridor, so the fill winds
// through the whole frame in short runs.
Bitmap MazeFrame() {
  Bitmap frame(512, 512);
  Canvas canvas(frame);
  canvas.brush.color = 0xFFFFFF;
  canvas.FillRect({0, 0, 512, 512});
  for (int i = 8; i < 512; i += 8) {
    const bool gap_below = (i / 8) % 2 == 0;
    canvas.MoveTo(i, gap_below ? 0 : 6);
    canvas.LineTo(i, gap_below ? 506 : 512);
  }
  return frame;
}

void BM_FloodFill(benchmark::State& state) {
  const Bitmap maze = MazeFrame();
  long long filled = 0;
  for (auto _ : state) {
    filled = 0;
    FloodFillSpans(maze, {1, 1}, BoundsOf(maze), [&](int, int x0, int x1) { filled += x1 - x0; });
    benchmark::DoNotOptimize(filled);
  }
  ReportPixels(state, static_cast<double>(filled));
}
BENCHMARK(BM_FloodFill);

void BM_FloodFillCanvas(benchmark::State& state) {
  const Bitmap maze = MazeFrame();
  Bitmap frame = maze;
  Canvas canvas(frame);
  long long filled = 0;
  FloodFillSpans(maze, {1, 1}, BoundsOf(maze), [&](int, int x0, int x1) { filled += x1 - x0; });
  bool red = true;
  for (auto _ : state) {
    canvas.brush.color = red ? 0x0000FF : 0xFFFFFF;  // alternate so every pass refills the maze
    red = !red;
    canvas.FloodFill(1, 1);
  }
  ReportPixels(state, static_cast<double>(filled));
}
BENCHMARK(BM_FloodFillCanvas);

void BM_StretchBlt16x(benchmark::State& state) {
  Bitmap frame(128, 128);
  std::mt19937 random(3);
  for (auto& byte : frame.Pixels()) byte = static_cast<std::uint8_t>(random());
  Bitmap view(128 * 16, 128 * 16);
  for (auto _ : state) {
    StretchBlt(view, 0, 0, view.Width(), view.Height(), frame, 0, 0, 128, 128);
    benchmark::DoNotOptimize(view.Pixels().data());
  }
  ReportPixels(state, static_cast<double>(view.Width()) * view.Height());
}
BENCHMARK(BM_StretchBlt16x);

void BM_MaskBlt(benchmark::State& state) {
  const int size = 1024;
  Bitmap source(size, size), dest(size, size), mask(size, size, PixelFormat::Bits1);
  std::mt19937 random(5);
  for (auto& byte : source.Pixels()) byte = static_cast<std::uint8_t>(random());
  for (auto& bit : mask.Pixels()) bit = static_cast<std::uint8_t>(random() & 1);
  for (auto _ : state) {
    MaskBlt(dest, 0, 0, source, mask);
    benchmark::DoNotOptimize(dest.Pixels().data());
  }
  ReportPixels(state, static_cast<double>(size) * size);
}
BENCHMARK(BM_MaskBlt);

// A true-colour picture onto a 256-colour palette: random noise is the worst case for any cache;
// a sprite-like picture with few distinct colours is the usual one.
void BM_ConvertToPalette(benchmark::State& state) {
  const bool noise = state.range(0) == 1;
  const int size = 1024;
  std::mt19937 random(11);
  Palette256 palette{};
  for (auto& entry : palette) {
    entry = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
             static_cast<std::uint8_t>(random())};
  }
  Bitmap picture(size, size);
  if (noise) {
    for (auto& byte : picture.Pixels()) byte = static_cast<std::uint8_t>(random());
  } else {
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        picture.SetPixel(x, y,
                         MakeColor(static_cast<std::uint8_t>(x / 64 * 16),
                                   static_cast<std::uint8_t>(y / 64 * 16), 90));
      }
    }
  }
  for (auto _ : state) {
    Bitmap converted = ConvertToPalette(picture, palette);
    benchmark::DoNotOptimize(converted.Pixels().data());
  }
  state.SetLabel(noise ? "random noise" : "256 flat colours");
  ReportPixels(state, static_cast<double>(size) * size);
}
BENCHMARK(BM_ConvertToPalette)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The plain 256-way search per pixel, for comparison with the cached conversion above.
void BM_NearestIndexFullSearch(benchmark::State& state) {
  std::mt19937 random(11);
  Palette256 entries{};
  for (auto& entry : entries) {
    entry = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
             static_cast<std::uint8_t>(random())};
  }
  const IndexedPalette palette(entries);
  std::vector<TColor> colours(1 << 16);
  for (auto& colour : colours) colour = random() & 0xFFFFFF;
  for (auto _ : state) {
    unsigned sum = 0;
    for (const TColor colour : colours) sum += palette.NearestIndex(colour);
    benchmark::DoNotOptimize(sum);
  }
  state.SetLabel("random noise");
  ReportPixels(state, static_cast<double>(colours.size()));
}
BENCHMARK(BM_NearestIndexFullSearch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
