// Painting: every pointer move runs the edit cycle and repaints, so a move must stay well inside
// a 60 Hz frame; a hover with the brush preview rebuilds the overlay and the view.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>

#include "canvas/tool_controller.h"
#include "bench_frame.h"
#include "support/qm_log.h"

namespace celwright {
namespace {

struct PaintBench {
  PaintBench(int size, int magnification, ViewportSize viewport, ToolKind tool,
             DocumentLog log = {})
      : form(Options(magnification, tool), {}, std::move(log)), tools(form) {
    MakeBenchFrame(form, size, BusyIndex);
    form.FormResize(viewport);
    form.ShowFrame(0);
  }
  DocumentOptions& Options(int magnification, ToolKind tool) {
    options.MagnificationIndex = magnification;
    options.Tool = tool;
    return options;
  }
  int X(int fx) const { return form.ImageOrigin.X + fx * form.Zoom; }
  int Y(int fy) const { return form.ImageOrigin.Y + fy * form.Zoom; }

  DocumentOptions options;
  TBAMForm form;
  ToolController tools;
};

void BM_BrushHoverAt16x(benchmark::State& state) {
  PaintBench bench(256, 3, {1920, 1080, 1920, 1080}, ToolKind::Brush);
  int step = 0;
  for (auto _ : state) {
    // Points in the shown part of the view (about 120 x 67 frame pixels at this zoom): a hover
    // outside it redraws nothing.
    const int f = 10 + (step++ % 50);
    bench.tools.FormMouseMove({}, bench.X(f), bench.Y(f));
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
}
BENCHMARK(BM_BrushHoverAt16x)->Unit(benchmark::kMillisecond);

void BM_EllipseBrush64Move200(benchmark::State& state) {
  PaintBench bench(512, 0, {1024, 768, 1024, 768}, ToolKind::Brush);
  bench.options.BrushWidth = bench.options.BrushHeight = 64;
  std::uint8_t colour = 20;
  for (auto _ : state) {
    state.PauseTiming();
    bench.options.ForegroundIndex = colour++;
    bench.tools.FormMouseDown(kLeftButton, {}, bench.X(150), bench.Y(256));
    state.ResumeTiming();
    bench.tools.FormMouseMove({}, bench.X(350), bench.Y(256));
    state.PauseTiming();
    bench.tools.FormMouseUp(kLeftButton, {}, bench.X(350), bench.Y(256));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EllipseBrush64Move200)->Unit(benchmark::kMillisecond);

// Dragging a thickness-50 unfilled ellipse over the whole frame: each move rebuilds the overlay
// with the preview and the view. Goal: under 8 ms a move.
void BM_ThickEllipsePreview512(benchmark::State& state) {
  PaintBench bench(512, 0, {1024, 768, 1024, 768}, ToolKind::Ellipse);
  bench.options.PenWidth = 50;
  bench.tools.FormMouseDown(kLeftButton, {}, bench.X(4), bench.Y(4));
  int step = 0;
  for (auto _ : state) {
    const int f = 500 + (step++ % 8);
    bench.tools.FormMouseMove({}, bench.X(f), bench.Y(f));
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
  bench.tools.CancelDrawAction();
}
BENCHMARK(BM_ThickEllipsePreview512)->Unit(benchmark::kMillisecond);

// With the program's own log: every move writes its line to Log.txt and the in-memory list.
void BM_PencilMovesWithLogging(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "celwright-bench-log";
  std::filesystem::create_directories(folder);
  SetLogFolder(folder);
  LogDisabled = false;
  // A window barely larger than the frame: the repaint is not what is measured here.
  PaintBench bench(256, 0, {260, 260, 260, 260}, ToolKind::Pencil, DefaultDocumentLog());
  bench.tools.FormMouseDown(kLeftButton, {}, bench.X(10), bench.Y(10));
  int step = 0;
  for (auto _ : state) {
    const int i = step++ % 200;
    bench.tools.FormMouseMove({}, bench.X(10 + i), bench.Y(10 + (i % 2)));
  }
  bench.tools.FormMouseUp(kLeftButton, {}, bench.X(10), bench.Y(10));
  state.counters["log lines"] = static_cast<double>(LogLines().size());
  CloseLog();
}
BENCHMARK(BM_PencilMovesWithLogging)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// Playback logs a line a frame: a line a millisecond for a minute and a half. The list keeps its
// latest lines ("kept lines"), Log.txt every one.
void BM_LogAtPlaybackRate(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "celwright-bench-log";
  std::filesystem::create_directories(folder);
  SetLogFolder(folder);
  LogDisabled = false;
  ClearLogLines();
  for (auto _ : state) {
    AddLogLine("DRAW: Frame 12 of sequence 3");
    AppendToLog(" [OK]");
  }
  state.counters["kept lines"] = static_cast<double>(LogLines().size());
  CloseLog();
}
BENCHMARK(BM_LogAtPlaybackRate)->Iterations(90000)->Unit(benchmark::kMicrosecond);

void BM_FillOneColour1024(benchmark::State& state) {
  PaintBench bench(1024, 0, {800, 600, 800, 600}, ToolKind::Fill);
  // One colour over the whole frame.
  bench.form.WorkImage[1] = Bitmap(1024, 1024);
  std::uint8_t colour = 20;
  for (auto _ : state) {
    bench.options.ForegroundIndex = colour++;
    bench.tools.ModifyBAM(5, 5, kLeftButton);
  }
}
BENCHMARK(BM_FillOneColour1024)->Unit(benchmark::kMillisecond);

// A fill click as the user makes it, press and release, so the step the history keeps is
// counted: a 4096 x 4096 frame against a 1024 x 1024 one. Goal: under 100 ms on the large one.
void BM_FillClickOnFrame(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  PaintBench bench(size, 0, {1920, 1080, 1920, 1080}, ToolKind::Fill);
  // A diagonal line of another entry: the fill covers the half of the frame below it.
  bench.form.BAM.SetFrameBitmap(0, [&] {
    Bitmap indices(size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) indices.Row(y)[3 * x + 2] = x == y ? 9 : 2;
    return indices;
  }(), bench.form.BAM.GetFrame(0));
  bench.form.ShowFrame(0);
  std::uint8_t colour = 20;
  for (auto _ : state) {
    bench.options.ForegroundIndex = colour;
    colour = colour == 20 ? 21 : 20;
    bench.tools.FormMouseDown(kLeftButton, {}, bench.X(1), bench.Y(size - 2));
    bench.tools.FormMouseUp(kLeftButton, {}, bench.X(1), bench.Y(size - 2));
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
}
BENCHMARK(BM_FillClickOnFrame)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

// The peak memory of the whole process through a fill, a brush stroke and an undo on one frame
// of the given size ("peak MB"): run one size alone (--benchmark_filter=PeakMemory/4096), as the
// peak is the process's since it started. Goal: under 200 MB at 4096 x 4096.
void BM_PeakMemory(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  for (auto _ : state) {
    PaintBench bench(size, 0, {1920, 1080, 1920, 1080}, ToolKind::Fill);
    bench.options.ForegroundIndex = 20;
    bench.tools.FormMouseDown(kLeftButton, {}, bench.X(1), bench.Y(1));
    bench.tools.FormMouseUp(kLeftButton, {}, bench.X(1), bench.Y(1));
    bench.options.Tool = ToolKind::Brush;
    bench.options.BrushWidth = bench.options.BrushHeight = 8;
    const int mid = size / 2;
    bench.tools.FormMouseDown(kLeftButton, {}, bench.X(mid), bench.Y(mid));
    for (int i = 0; i < 100; ++i) bench.tools.FormMouseMove({}, bench.X(mid + i), bench.Y(mid));
    bench.tools.FormMouseUp(kLeftButton, {}, bench.X(mid + 100), bench.Y(mid));
    bench.form.Undo();
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_PeakMemory)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);

// A brush move should cost what the brush touches: the same 1920 x 1080 view and 8 x 8 brush on
// a 4096 x 4096 frame as on a 1024 x 1024 one. Goal: the large case at most 1.5x the small one
// and under 4 ms a move.
void BM_BrushMoveOnFrame(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  PaintBench bench(size, 0, {1920, 1080, 1920, 1080}, ToolKind::Brush);
  bench.options.BrushWidth = bench.options.BrushHeight = 8;
  const int mid = size / 2;
  bench.tools.FormMouseDown(kLeftButton, {}, bench.X(mid), bench.Y(mid));
  int step = 0;
  for (auto _ : state) {
    const int i = step++ % 200;
    bench.tools.FormMouseMove({}, bench.X(mid - 100 + i), bench.Y(mid + (i % 3)));
    benchmark::DoNotOptimize(bench.form.ViewImage.Pixels().data());
  }
  bench.tools.FormMouseUp(kLeftButton, {}, bench.X(mid), bench.Y(mid));
}
BENCHMARK(BM_BrushMoveOnFrame)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
