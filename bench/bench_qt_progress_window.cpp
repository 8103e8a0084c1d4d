// Opening a 60,000-frame file with the progress window following it, against the same load with
// no one listening: the window is to cost little beside the load however many frames report.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "app/progress_window.h"
#include "model/qm_BAM.h"

namespace celwright {
namespace {

const std::string& ManyFramesFile() {
  static const std::string path = [] {
    const std::string name =
        (std::filesystem::temp_directory_path() / "celwright-bench-60000.bam").string();
    TBAM bam;
    bam.NewBAM(name, true);
    for (int i = 1; i < 60000; ++i) bam.InsertFrame(-1, -1, -1, true);
    bam.SaveToFile(name, kPalettedBAM, false, false);
    return name;
  }();
  return path;
}

template <bool kWindow>
void BM_Open60000Frames(benchmark::State& state) {
  const std::string& path = ManyFramesFile();
  TProgForm form(nullptr);
  const TProgressEvent progress = [&form](std::int32_t position, std::int32_t max,
                                          std::uint8_t stage) {
    form.LoadSaveProgress(position, max, stage, "celwright-bench-60000.bam");
  };
  for (auto _ : state) {
    TBAM bam;
    if (!bam.LoadFromFile(path, kWindow ? progress : TProgressEvent{})) {
      return state.SkipWithError("load failed");
    }
    benchmark::DoNotOptimize(bam.FrameCount());
  }
}
BENCHMARK(BM_Open60000Frames<true>)->Name("BM_Open60000FramesWithProgressWindow")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Open60000Frames<false>)->Name("BM_Open60000FramesAlone")
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace celwright

#include "qt_benchmark_main.h"
