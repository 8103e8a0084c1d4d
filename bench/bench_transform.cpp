// Reflect and rotation: a rotation maps every pixel of the turned canvas back into the frame,
// so a diagonal turn of a 512 x 512 frame touches 724 x 724 pixels of three pictures.
#include <benchmark/benchmark.h>

#include <numbers>

#include "document/bam_form.h"
#include "support/bitmap_mirror.h"
#include "support/rotate_bitmap.h"

namespace celwright {
namespace {

constexpr double kDiagonal = std::numbers::pi / 4;

Bitmap BusyPicture(int size, PixelFormat format) {
  Bitmap picture(size, size, format);
  for (int y = 0; y < size; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (std::size_t i = 0; i < picture.Stride(); ++i)
      row[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(y) * 13) % 251);
  }
  return picture;
}

void BM_RotatePicture512(benchmark::State& state) {
  const auto format = static_cast<PixelFormat>(state.range(0));
  const Bitmap picture = BusyPicture(512, format);
  const Size turned = TurnedSize(512, 512, kDiagonal);
  for (auto _ : state) {
    Bitmap result = RotateBitmapToSize(picture, turned.width, turned.height, 0, kDiagonal);
    benchmark::DoNotOptimize(result.Pixels().data());
  }
}
BENCHMARK(BM_RotatePicture512)
    ->Arg(static_cast<int>(PixelFormat::Bits24))
    ->Arg(static_cast<int>(PixelFormat::Bits1))
    ->Unit(benchmark::kMillisecond);

void BM_ReflectPicture512(benchmark::State& state) {
  Bitmap picture = BusyPicture(512, PixelFormat::Bits24);
  for (auto _ : state) {
    ReflectBitmap(picture);
    benchmark::DoNotOptimize(picture.Pixels().data());
  }
}
BENCHMARK(BM_ReflectPicture512)->Unit(benchmark::kMillisecond);

// The document command as the user runs it: a paletted 512 x 512 frame, turned 45 degrees as a
// whole frame (arg 0) or as a selection of all of it (arg 1), including the history step or the
// composition and marker. Undo between runs is not timed.
void BM_FreeRotationOfFrame512(benchmark::State& state) {
  DocumentOptions options;
  TBAMForm form(options, {}, {});
  form.BAM.NewBAM("bench.bam", true);
  form.BAM.AddCycle(-1);
  form.BAM.InsertFrame(-1, 0, -1, false);
  TBAMFrame info = form.BAM.GetFrame(0);
  info.Width = info.Height = 512;
  info.CentreX = info.CentreY = 256;
  form.BAM.SetFrameBitmap(0, BusyPicture(512, PixelFormat::Bits24), info);
  form.FormResize({1024, 768, 1024, 768});
  form.ShowFrame(0);
  const bool selection = state.range(0) == 1;
  for (auto _ : state) {
    if (selection) {
      state.PauseTiming();
      form.SelectionAll();
      state.ResumeTiming();
    }
    form.SelectionRotateFree(std::numbers::pi_v<long double> / 4);
    state.PauseTiming();
    if (selection) {
      form.SelectionClear();
    }
    form.Undo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FreeRotationOfFrame512)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright
