// BAM V2: opening the real animation (46 frames of 256 x 256 on six BC3 pages: page inflate and
// block decoding), and saving it with every frame changed (packing and BC1/BC3 encoding).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "model/qm_BAM.h"

namespace {

using namespace celwright;

const std::string kSwirl = CELWRIGHT_TESTDATA_DIR "/v2/swirl.bam";

void BM_LoadBamV2(benchmark::State& state) {
  for (auto _ : state) {
    TBAM bam;
    bam.OpenTrueColour = true;
    if (!bam.LoadFromFile(kSwirl) || !bam.Warnings.empty()) {
      state.SkipWithError("testdata/v2/swirl.bam does not open cleanly");
      return;
    }
    benchmark::DoNotOptimize(bam.Data.data());
  }
  state.SetItemsProcessed(state.iterations() * 46);
}
BENCHMARK(BM_LoadBamV2)->Unit(benchmark::kMillisecond);

void BM_SaveBamV2AllFramesChanged(benchmark::State& state) {
  TBAM source;
  source.OpenTrueColour = true;
  if (!source.LoadFromFile(kSwirl)) {
    state.SkipWithError("testdata/v2/swirl.bam does not open");
    return;
  }
  const auto folder = std::filesystem::temp_directory_path() /
                      ("celwright-bench-v2-" + std::to_string(::getpid()));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::unique_ptr<TBAM> copy = source.CloneContent();
    copy->Textures.reset();  // every frame counts as changed
    state.ResumeTiming();
    copy->SaveToFile((folder / "swirl.bam").string(), kTrueColourBAM, false, false);
  }
  std::filesystem::remove_all(folder);
  state.SetItemsProcessed(state.iterations() * 46);
}
BENCHMARK(BM_SaveBamV2AllFramesChanged)->Unit(benchmark::kMillisecond);

}  // namespace
