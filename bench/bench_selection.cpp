// Selections: a drag of the selected pixels recomposes the frame on every pointer move and the
// wand fills a region in one press, so both must stay inside a 60 Hz frame; the marker of a
// large selection is rebuilt on every change and is walked by rows.
#include <benchmark/benchmark.h>

#include "canvas/tool_controller.h"
#include "bench_frame.h"

namespace celwright {
namespace {

// A paletted document of one size x size frame; `noisy` gives every pixel one of three entries,
// so the wand's region is small and ragged.
void MakeFrame(TBAMForm& form, int size, bool noisy) {
  std::uint32_t seed = 12345;
  MakeBenchFrame(form, size, [&](int x, int y) {
    seed = seed * 1664525u + 1013904223u;
    return noisy ? static_cast<int>((seed >> 24) % 3 + 2) : (x / 64 + y / 64) % 7 + 2;
  });
}

struct SelectionBench {
  SelectionBench(int size, ToolKind tool, bool noisy) : form(Options(tool)), tools(form) {
    MakeFrame(form, size, noisy);
    form.FormResize({1920, 1080, 1920, 1080});
    form.ShowFrame(0);
  }
  DocumentOptions& Options(ToolKind tool) {
    options.Tool = tool;
    return options;
  }
  int X(int fx) const { return form.ImageOrigin.X + fx * form.Zoom; }
  int Y(int fy) const { return form.ImageOrigin.Y + fy * form.Zoom; }
  void Drag(int x0, int y0, int x1, int y1) {
    tools.FormMouseDown(kLeftButton, {}, X(x0), Y(y0));
    tools.FormMouseMove({}, X(x1), Y(y1));
    tools.FormMouseUp(kLeftButton, {}, X(x1), Y(y1));
  }

  DocumentOptions options;
  TBAMForm form;
  ToolController tools;
};

// Goal: under 16 ms a pointer move.
void BM_MoveSelection1024(benchmark::State& state) {
  SelectionBench bench(1024, ToolKind::SelRect, false);
  bench.Drag(100, 100, 700, 700);
  bench.tools.FormMouseDown(kLeftButton, {}, bench.X(400), bench.Y(400));
  int step = 0;
  for (auto _ : state) {
    const int d = step++ % 40;
    bench.tools.FormMouseMove({}, bench.X(400 + d), bench.Y(400 + d / 2));
    benchmark::DoNotOptimize(bench.form.WorkImage[0].Pixels().data());
  }
}
BENCHMARK(BM_MoveSelection1024)->Unit(benchmark::kMillisecond);

// Goal: under 20 ms a press.
void BM_WandNoisy1024(benchmark::State& state) {
  SelectionBench bench(1024, ToolKind::SelWand, true);
  int step = 0;
  for (auto _ : state) {
    const int p = 10 + step++ % 1000;
    bench.tools.FormMouseDown(kLeftButton, {}, bench.X(p), bench.Y(p));
    bench.tools.FormMouseUp(kLeftButton, {}, bench.X(p), bench.Y(p));
    benchmark::DoNotOptimize(bench.form.SelMask.Pixels().data());
  }
}
BENCHMARK(BM_WandNoisy1024)->Unit(benchmark::kMillisecond);

// Goal: under 10 ms.
void BM_MarkerOfASelection2048(benchmark::State& state) {
  SelectionBench bench(2048, ToolKind::SelRect, false);
  bench.form.SelectionAll();
  for (auto _ : state) {
    bench.form.MakeSelMarkerMask();
    benchmark::DoNotOptimize(bench.form.MarkerMask.Pixels().data());
  }
}
BENCHMARK(BM_MarkerOfASelection2048)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
