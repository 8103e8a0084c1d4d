// The preview's tick, the frames manager's bulk delete and thumbnails, and the view with the
// onion skin on. Goals: a tick under 1 ms, 500 deletions under 2 s, 2,000 thumbnails under
// 100 ms, a 256 x 256 frame at 16 times with two onion-skin neighbours repainted in under 8 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <numeric>

#include "document/bam_form.h"
#include "document/frames_manager_ops.h"
#include "document/preview_player.h"
#include "model/preview_thread.h"

namespace celwright {
namespace {

// `frames` paletted frames of `size` x `size` with transparent, shadow and coloured pixels, all
// in cycle 0, centred.
void MakeFrames(TBAM& bam, int frames, int size) {
  bam.NewBAM("bench.bam", true);
  for (int i = 0; i < 256; ++i)
    bam.Palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3), 90};
  bam.AddCycle(-1);
  for (int f = 0; f < frames; ++f) {
    bam.InsertFrame(-1, 0, -1, false);
    TBAMFrame info = bam.GetFrame(f);
    info.Width = info.Height = size;
    info.CentreX = info.CentreY = size / 2 + f % 3;
    Bitmap indices(size, size, PixelFormat::Bits8);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        indices.SetIndex(x, y, static_cast<std::uint8_t>((x ^ y ^ f) % 7));
    bam.SetFrameBitmap(f, indices, info);
  }
}

void BM_PreviewTick(benchmark::State& state) {
  TBAM bam;
  MakeFrames(bam, 8, 96);
  const Bitmap background = MakeBuiltInBackground(0);
  PreviewPlayer player;
  player.Start(bam.GetCycle(0).Frames);
  Bitmap area;
  for (auto _ : state) {
    benchmark::DoNotOptimize(player.Tick(bam, background, {256, 270}, area));
  }
}
BENCHMARK(BM_PreviewTick)->Unit(benchmark::kMicrosecond);

void BM_DeleteSelectedFrames(benchmark::State& state) {
  const int selected = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    DocumentOptions options;
    TBAMForm form(options);
    MakeFrames(form.BAM, 2 * selected, 32);
    form.ShowFrame(0);
    std::vector<int> frames(static_cast<std::size_t>(selected));
    std::iota(frames.begin(), frames.end(), 0);
    for (int& f : frames) f *= 2;
    ThumbnailSlots thumbnails(static_cast<std::size_t>(2 * selected));
    state.ResumeTiming();
    DeleteFrames(form, frames, thumbnails);
    benchmark::DoNotOptimize(form.BAM.FrameCount());
  }
}
BENCHMARK(BM_DeleteSelectedFrames)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(3);

// 2,000 thumbnails of the frames of a real creature file, taken in turn; the reference is
// decoding the same frames, which every thumbnail needs first.
template <bool kReference>
void BM_Thumbnails(benchmark::State& state) {
  TBAM bam;
  const auto path = std::filesystem::path(CELWRIGHT_TESTDATA_DIR) / "bam" / "CHMB1G11.BAM";
  if (!bam.LoadFromFile(path.string())) return state.SkipWithError("the real test file is missing");
  constexpr int kThumbnails = 2000;
  for (auto _ : state) {
    for (int i = 0; i < kThumbnails; ++i) {
      if (kReference) {
        benchmark::DoNotOptimize(bam.DecodeFrame(i % bam.FrameCount()).data());
      } else {
        benchmark::DoNotOptimize(MakeThumbnail(bam, i % bam.FrameCount()).image.Row(0));
      }
    }
  }
}
BENCHMARK(BM_Thumbnails<false>)->Name("BM_Thumbnails2000")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thumbnails<true>)->Name("BM_DecodeSameFrames")->Unit(benchmark::kMillisecond);

void BM_RedrawWithOnionSkin(benchmark::State& state) {
  DocumentOptions options;
  options.MagnificationIndex = 3;  // 16 times
  options.SelectedSequence = 0;
  options.OnionSkin.Enabled = state.range(0) != 0;
  TBAMForm form(options);
  MakeFrames(form.BAM, 3, 256);
  form.ViewTransparency = true;
  form.FormResize({1920, 1080, 1920, 1080});
  form.ShowFrame(1);
  for (auto _ : state) {
    form.RedrawImage(false);
    benchmark::DoNotOptimize(form.ViewImage.Pixels().data());
  }
  state.SetLabel(state.range(0) ? "onion skin, two neighbours" : "plain");
}
BENCHMARK(BM_RedrawWithOnionSkin)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
