// Filling the frames manager's list once the thumbnails are made: 2,000 frames under 200 ms. Only
// the thumbnails on screen become pictures; at 60,000 frames most of the figure is the copy of
// the thumbnails handed over.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>

#include "app/frames_manager.h"
#include "app/scripted_prompts.h"
#include "document/bam_form.h"

namespace celwright {
namespace {

void BM_FillManagerList(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  DocumentOptions options;
  TBAMForm form(options);
  form.BAM.NewBAM("bench.bam", true);
  form.BAM.InsertFrame(-1, -1, -1, false);
  for (int i = 1; i < frames; ++i) form.BAM.InsertFrame(-1, -1, -1, true);
  std::vector<Thumbnail> thumbnails;
  for (int i = 0; i < frames; ++i) thumbnails.push_back(MakeThumbnail(form.BAM, i));
  ScriptedPrompts prompts;
  FramesManagerHost host;
  host.document = [&form] { return &form; };
  TManageFramesForm manager(prompts, host, nullptr);
  for (auto _ : state) {
    manager.ShowThumbnails(thumbnails);
    benchmark::DoNotOptimize(manager.List_Frames->count());
  }
}
BENCHMARK(BM_FillManagerList)->Arg(2000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
