// Whole-animation work: drawing every frame, converting kinds, exporting and importing a cycle,
// and building thumbnails.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "model/qm_BAM.h"

namespace {

using namespace celwright;

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("celwright-bench-" + name)).string();
}

// `frames` true-colour frames of a soft moving gradient with noise, a transparent surround and
// a shadow, like rendered game art.
void BuildUnpaletted(TBAM& bam, int frames, int size) {
  bam.NewBAM("bench.bam", true);
  bam.BAMType = kUnpalettedBAM;
  bam.TransCol = bam.CompCol = MakeColor(0, 151, 151);
  bam.ShadowCol = MakeColor(0, 0, 0);
  bam.AddCycle(-1);
  std::mt19937 random(3);
  for (int f = 0; f < frames; ++f) {
    bam.InsertFrame(-1, 0, -1, false);
    Bitmap picture(size, size);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const int dx = x - size / 2, dy = y - size / 2;
        TColor colour = bam.TransCol;
        if (dx * dx + dy * dy < size * size / 6) {
          const int n = static_cast<int>(random() % 16);
          colour = MakeColor(static_cast<std::uint8_t>((x * 2 + f) % 200 + n),
                             static_cast<std::uint8_t>((y * 2) % 200 + n),
                             static_cast<std::uint8_t>((x + y + f * 3) % 200 + n));
        } else if (y > size - 8 && std::abs(dx) < size / 3) {
          colour = bam.ShadowCol;
        }
        picture.SetPixel(x, y, colour);
      }
    }
    TBAMFrame info = bam.GetFrame(f);
    info.Width = info.Height = size;
    info.CentreX = info.CentreY = size / 2;
    bam.SetFrameBitmap(f, picture, info);
  }
}

void BM_ConvertToPaletted(benchmark::State& state) {
  TBAM source;
  BuildUnpaletted(source, 500, 96);
  for (auto _ : state) {
    state.PauseTiming();
    auto bam = source.CloneContent();
    state.ResumeTiming();
    bam->SetBAMType(kPalettedBAM);
    benchmark::DoNotOptimize(bam->Data.data());
  }
  state.counters["frames/s"] = benchmark::Counter(500, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertToPaletted)->Unit(benchmark::kMillisecond);

void BM_DrawEveryFrame(benchmark::State& state) {
  TBAM bam;
  BuildUnpaletted(bam, 500, 96);
  bam.SetBAMType(kPalettedBAM);
  std::int64_t pixels = 0;
  for (auto _ : state) {
    for (int i = 0; i < bam.FrameCount(); ++i) {
      Bitmap picture;
      bam.GetFrameBitmap(i, picture, nullptr);
      pixels += static_cast<std::int64_t>(picture.Width()) * picture.Height();
      benchmark::DoNotOptimize(picture.Pixels().data());
    }
  }
  state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(pixels) / 1e6,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawEveryFrame)->Unit(benchmark::kMillisecond);

class CycleFiles : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    if (bam_.FrameCount() == 0) {
      BuildUnpaletted(bam_, 100, 96);
      bam_.SetBAMType(kPalettedBAM);
    }
  }
  TBAM bam_;
};

BENCHMARK_F(CycleFiles, ExportGif)(benchmark::State& state) {
  for (auto _ : state) bam_.ExportGIF(TempFile("cycle.gif"), 0);
}
BENCHMARK_F(CycleFiles, ExportAvi)(benchmark::State& state) {
  for (auto _ : state) bam_.ExportAVI(TempFile("cycle.avi"), 0);
}
BENCHMARK_F(CycleFiles, ImportGif)(benchmark::State& state) {
  bam_.ExportGIF(TempFile("cycle.gif"), 0);
  for (auto _ : state) {
    TBAM target;
    target.NewBAM("x", true);
    target.ImportGIF(TempFile("cycle.gif"));
  }
}
BENCHMARK_F(CycleFiles, ImportAvi)(benchmark::State& state) {
  bam_.ExportAVI(TempFile("cycle.avi"), 0);
  for (auto _ : state) {
    TBAM target;
    target.NewBAM("x", true);
    target.Palette = bam_.Palette;
    target.ImportAVI(TempFile("cycle.avi"));
  }
}

void BM_Thumbnails2000Frames(benchmark::State& state) {
  TBAM bam;
  BuildUnpaletted(bam, 100, 64);
  bam.SetBAMType(kPalettedBAM);
  while (bam.FrameCount() < 2000) bam.InsertFrame(-1, 0, -1, true);
  for (auto _ : state) {
    int made = 0;
    bam.MakePreviews({nullptr, [&](int, Thumbnail) { ++made; }, nullptr, nullptr});
    bam.PreviewThread->Wait();
    benchmark::DoNotOptimize(made);
  }
  state.counters["frames/s"] = benchmark::Counter(2000, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Thumbnails2000Frames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
