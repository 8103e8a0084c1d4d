// Repainting the document view: the picture is recomposed on every paint, so one repaint must
// stay well inside a 60 Hz frame (16 ms) even for a large frame at the largest magnification.
#include <benchmark/benchmark.h>

#include "bench_frame.h"

namespace celwright {
namespace {

// A 256 x 256 frame with transparent, shadow and coloured pixels in a busy pattern.
void MakeBusyFrame(TBAMForm& form) {
  MakeBenchFrame(form, 256, [](int x, int y) { return (x ^ y) % 7; });
}

void BM_RedrawLargestMagnification(benchmark::State& state) {
  DocumentOptions options;
  options.MagnificationIndex = 3;  // 16 times
  options.ShowGrid = state.range(1) != 0;
  TBAMForm form(options);
  MakeBusyFrame(form);
  form.ViewTransparency = state.range(0) != 0;
  form.FormResize({1920, 1080, 1920, 1080});
  form.ShowFrame(0);
  for (auto _ : state) {
    form.RedrawImage(false);
    benchmark::DoNotOptimize(form.ViewImage.Pixels().data());
  }
  state.SetLabel(std::string(state.range(0) ? "transparency" : "plain") +
                 (state.range(1) ? "+grid" : ""));
}
BENCHMARK(BM_RedrawLargestMagnification)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

// At 100% every client row is a different frame row, so no row can be copied from the one above.
void BM_RedrawUnmagnifiedLargeFrame(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options);
  TBAM& bam = form.BAM;
  bam.NewBAM("bench.bam", true);
  bam.AddCycle(-1);
  bam.InsertFrame(-1, 0, -1, false);
  TBAMFrame info = bam.GetFrame(0);
  info.Width = 2048;
  info.Height = 1536;
  info.CentreX = 1024;
  info.CentreY = 768;
  Bitmap indices(info.Width, info.Height);
  for (int y = 0; y < info.Height; ++y) {
    std::uint8_t* row = indices.Row(y);
    for (int x = 0; x < info.Width; ++x) row[3 * x + 2] = static_cast<std::uint8_t>((x + y) % 5);
  }
  bam.SetFrameBitmap(0, indices, info);
  form.ViewTransparency = true;
  form.FormResize({1920, 1080, 1920, 1080});
  form.ShowFrame(0);
  for (auto _ : state) {
    form.RedrawImage(false);
    benchmark::DoNotOptimize(form.ViewImage.Pixels().data());
  }
}
BENCHMARK(BM_RedrawUnmagnifiedLargeFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
