// The undo history: an undo or redo of a step on a 2,000-frame animation (goal: under 16 ms),
// the cost of recording a 512 x 512 brush stroke, and the memory 1,000 brush strokes keep on a
// real 171-frame creature file.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_frame.h"

namespace celwright {
namespace {

// A disc of `index` of the given radius around (cx, cy), as a brush leaves it, waiting to be
// recorded.
void PaintDisc(TBAMForm& form, int cx, int cy, int radius, std::uint8_t index) {
  for (int y = cy - radius; y <= cy + radius; ++y) {
    for (int x = cx - radius; x <= cx + radius; ++x) {
      if (x < 0 || y < 0 || x >= form.FrameRec.Width || y >= form.FrameRec.Height) continue;
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
      form.WorkImage[1].Row(y)[3 * x + 2] = index;
    }
  }
  form.ImageChanged = form.HistoryPending = true;
}

// 2,000 frames of 96 x 96 in one cycle, frame 1000 shown.
void MakeLongAnimation(TBAMForm& form) {
  MakeBenchFrame(form, 96, BusyIndex);
  for (int i = 1; i < 2000; ++i) form.BAM.InsertFrame(-1, 0, -1, true);
  form.FormResize({1024, 768, 1024, 768});
  form.ResetHistory();
  form.ShowFrame(1000);
}

// Arg 0: a brush stroke on frame 1000; arg 1: deleting frame 1000. Each iteration is one undo
// and one redo, shown as one step each (the time per step is half the figure).
void BM_UndoRedoOn2000Frames(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options, {}, {});
  MakeLongAnimation(form);
  if (state.range(0) == 0) {
    PaintDisc(form, 48, 48, 20, 5);
    form.AddHistoryItem("Brush");
  } else {
    form.DeleteFrame(1000);
  }
  for (auto _ : state) {
    form.Undo();
    form.Redo();
  }
}
BENCHMARK(BM_UndoRedoOn2000Frames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Recording one stroke across a 512 x 512 frame: the write-back of the frame and its step. The
// painting itself is not timed.
void BM_RecordBrushStroke512(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options, {}, {});
  MakeBenchFrame(form, 512, BusyIndex);
  form.FormResize({1024, 768, 1024, 768});
  form.ShowFrame(0);
  std::uint8_t index = 2;
  for (auto _ : state) {
    state.PauseTiming();
    index = static_cast<std::uint8_t>(index == 2 ? 3 : 2);
    for (int x = 0; x < 512; x += 8) PaintDisc(form, x, x, 12, index);
    state.ResumeTiming();
    form.AddHistoryItem("Brush");
  }
  state.counters["history_MB"] =
      static_cast<double>(form.History().MemoryUsed()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_RecordBrushStroke512)->Unit(benchmark::kMillisecond);

// 1,000 short brush strokes spread over the frames of a real creature file: the history's
// memory, and how many of the strokes it keeps (all of them, within the 256 MB default).
void BM_MemoryOf1000StrokesOnCreature(benchmark::State& state) {
  for (auto _ : state) {
    DocumentOptions options;
    TBAMForm form(options, {}, {});
    if (!form.BAM.LoadFromFile(CELWRIGHT_TESTDATA_DIR "/bam/CHMB1G11.BAM")) {
      state.SkipWithError("testdata/bam/CHMB1G11.BAM cannot be read");
      return;
    }
    form.FormResize({1024, 768, 1024, 768});
    form.ResetHistory();
    const int frames = form.BAM.FrameCount();
    for (int i = 0; i < 1000; ++i) {
      form.ShowFrame(i % frames);
      const int w = form.FrameRec.Width, h = form.FrameRec.Height;
      PaintDisc(form, (i * 37) % std::max(w, 1), (i * 53) % std::max(h, 1), 4,
                static_cast<std::uint8_t>(2 + i % 200));
      form.AddHistoryItem("Brush");
    }
    state.counters["frames"] = frames;
    state.counters["steps_kept"] = form.UndoCount();
    state.counters["history_MB"] =
        static_cast<double>(form.History().MemoryUsed()) / (1024.0 * 1024.0);
  }
}
BENCHMARK(BM_MemoryOf1000StrokesOnCreature)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
