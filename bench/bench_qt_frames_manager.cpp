// The frames manager's list with its thumbnails made: a refill (as after every command) and a
// paint of the rows in sight, the cost a user waits for after Delete or Duplicate. Handing the
// thumbnails over is done once, outside the timing.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QApplication>
#include <QLayout>
#include <QListView>

#include "app/frames_manager.h"
#include "app/scripted_prompts.h"
#include "document/bam_form.h"

namespace celwright {
namespace {

// `frames` copies of one frame, `side` x `side` pixels of a few colours (0: the new frame as is).
void MakeFrames(TBAMForm& form, int frames, int side) {
  form.BAM.NewBAM("bench.bam", true);
  form.BAM.InsertFrame(-1, -1, -1, false);
  if (side > 0) {
    TBAMFrame info = form.BAM.GetFrame(0);
    info.Width = info.Height = side;
    Bitmap indices(side, side, PixelFormat::Bits8);
    for (std::size_t p = 0; p < indices.Pixels().size(); ++p)
      indices.Pixels()[p] = static_cast<std::uint8_t>(p % 7 + 2);
    form.BAM.SetFrameBitmap(0, indices, info);
  }
  for (int i = 1; i < frames; ++i) form.BAM.InsertFrame(-1, -1, -1, true);
}

void BM_FillManagerList(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  DocumentOptions options;
  TBAMForm form(options);
  MakeFrames(form, frames, 0);
  std::vector<Thumbnail> thumbnails;
  for (int i = 0; i < frames; ++i) thumbnails.push_back(MakeThumbnail(form.BAM, i));
  ScriptedPrompts prompts;
  FramesManagerHost host;
  host.document = [&form] { return &form; };
  TManageFramesForm manager(prompts, host, nullptr);
  manager.layout()->activate();  // the list takes its size on screen without being shown
  manager.ShowThumbnails(std::move(thumbnails));
  for (auto _ : state) {
    manager.UpdateThumbs();
    benchmark::DoNotOptimize(manager.List_Frames->viewport()->grab());
  }
  state.counters["rows"] = manager.List_Frames->model()->rowCount();
}
BENCHMARK(BM_FillManagerList)->Arg(2000)->Arg(60000)->Unit(benchmark::kMillisecond);

// Opening the manager on a document of 32 x 32 frames until its thumbnails are ready: the whole
// cost a user waits for. Run one size per process for a meaningful peak memory figure.
void BM_OpenManager(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  DocumentOptions options;
  TBAMForm form(options);
  MakeFrames(form, frames, 32);
  ScriptedPrompts prompts;
  FramesManagerHost host;
  host.document = [&form] { return &form; };
  host.selected_sequence = [] { return -1; };
  host.lists_changed = [] {};
  TManageFramesForm manager(prompts, host, nullptr);
  for (auto _ : state) {
    manager.show();
    do {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    } while (manager.Building());
    benchmark::DoNotOptimize(manager.List_Frames->model()->rowCount());
    manager.reject();
    QApplication::processEvents();
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenManager)->Arg(2000)->Arg(60000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace celwright

#include "qt_benchmark_main.h"
