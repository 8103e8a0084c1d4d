// Palette previews re-render the frame on screen on every Preview press and every display
// colour change; the start-up association check runs on every start; recovery copies are taken
// from the interface thread while the user edits.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "document/bam_form.h"
#include "document/recovery_store.h"
#include "document/work_image_render.h"
#include "support/desktop_association.h"

namespace celwright {
namespace {

void MakeFrames(TBAM& bam, int frames, int size) {
  bam.NewBAM("bench.bam", true);
  for (int i = 0; i < 256; ++i) bam.Palette[i] = {static_cast<std::uint8_t>(i), 40, 90};
  bam.AddCycle(-1);
  Bitmap indices(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) indices.Row(y)[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
  for (int f = 0; f < frames; ++f) {
    bam.InsertFrame(-1, 0, -1, false);
    TBAMFrame info = bam.GetFrame(f);
    info.Width = info.Height = size;
    bam.SetFrameBitmap(f, indices, info);
  }
}

void BM_PalettePreviewRerender1024(benchmark::State& state) {
  TBAM bam;
  MakeFrames(bam, 1, 1024);
  Bitmap colours, indices;
  bam.GetFrameBitmap(0, colours, &indices);
  for (auto _ : state) {
    bam.Palette[5].r ^= 1;
    RenderIndexImage(bam, indices, colours);
    benchmark::DoNotOptimize(colours.Row(0));
  }
}
BENCHMARK(BM_PalettePreviewRerender1024)->Unit(benchmark::kMillisecond);

void BM_AssociationCheckWhenCurrent(benchmark::State& state) {
  const auto home = std::filesystem::temp_directory_path() / "celwright_bench_xdg";
  const DesktopFolders folders{home / "data", home / "config"};
  int helpers_run = 0;
  const HelperRunner count = [&](const std::vector<std::string>&) { ++helpers_run; };
  EnsureAssociation("/usr/bin/celwright", folders, count);
  helpers_run = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EnsureAssociation("/usr/bin/celwright", folders, count));
  }
  state.counters["helpers_run"] = helpers_run;
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_AssociationCheckWhenCurrent)->Unit(benchmark::kMillisecond);

// The part of a recovery copy that runs on the interface thread: the snapshot.
void BM_RecoverySnapshot2000Frames(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options);
  MakeFrames(form.BAM, 2000, 64);
  form.ShowFrame(0);
  form.ImageChanged = true;
  for (auto _ : state) benchmark::DoNotOptimize(MakeRecoverySnapshot(form));
}
BENCHMARK(BM_RecoverySnapshot2000Frames)->Unit(benchmark::kMillisecond);

// The whole write, which runs on the worker.
void BM_RecoveryWrite2000Frames(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options);
  MakeFrames(form.BAM, 2000, 64);
  const auto folder = std::filesystem::temp_directory_path() / "celwright_bench_recovery";
  RecoveryStore store(folder);
  for (auto _ : state) {
    store.WriteAsync(MakeRecoverySnapshot(form), {"bench.bam", 0, 0});
    store.Wait();
  }
  store.Discard();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RecoveryWrite2000Frames)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
