// Load and save of a large generated animation, and run-length throughput with memcpy of the
// same bytes as the yardstick.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "model/qm_BAM.h"

namespace {

using namespace celwright;

constexpr int kFrames = 2000;
constexpr int kWidth = 64;
constexpr int kHeight = 96;

// Game-like content: a transparent surround with an opaque, noisy figure in the middle.
std::vector<std::uint8_t> FigurePixels(std::mt19937& random) {
  std::vector<std::uint8_t> pixels(kWidth * kHeight, 0);
  for (int y = 10; y < kHeight - 6; ++y) {
    const int half = 12 + static_cast<int>(random() % 6);
    for (int x = kWidth / 2 - half; x < kWidth / 2 + half; ++x) {
      pixels[y * kWidth + x] = static_cast<std::uint8_t>(2 + random() % 60);
    }
  }
  return pixels;
}

void BuildAnimation(TBAM& bam) {
  bam.NewBAM("bench.bam", true);
  bam.AddCycle(-1);
  std::mt19937 random(5);
  for (int i = 0; i < kFrames; ++i) {
    bam.InsertFrame(-1, 0, -1, false);
    const auto pixels = FigurePixels(random);
    TBAMFrame info = bam.GetFrame(i);
    info.Width = kWidth;
    info.Height = kHeight;
    std::vector<std::uint8_t> bytes;
    info.RLE = rle::EncodeIfSmaller(pixels.data(), pixels.size(), bam.CompressionKey(), bytes);
    bam.ReplaceFrameData(i, bytes, info);
  }
}

std::string BenchPath(bool compressed) {
  return (std::filesystem::temp_directory_path() /
          (compressed ? "celwright-bench-c.bam" : "celwright-bench-p.bam"))
      .string();
}

void BM_SaveAnimation(benchmark::State& state) {
  const bool compressed = state.range(0) != 0;
  TBAM bam;
  BuildAnimation(bam);
  for (auto _ : state) {
    bam.SaveToFile(BenchPath(compressed), kPalettedBAM, compressed, false);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bam.Data.size()));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(kFrames),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SaveAnimation)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

void BM_LoadAnimation(benchmark::State& state) {
  const bool compressed = state.range(0) != 0;
  {
    TBAM bam;
    BuildAnimation(bam);
    bam.SaveToFile(BenchPath(compressed), kPalettedBAM, compressed, false);
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    TBAM bam;
    if (!bam.LoadFromFile(BenchPath(compressed))) state.SkipWithError("load failed");
    bytes = bam.Data.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(kFrames),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadAnimation)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

std::vector<std::uint8_t> RawStrip() {
  std::mt19937 random(9);
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 200; ++i) {
    const auto pixels = FigurePixels(random);
    all.insert(all.end(), pixels.begin(), pixels.end());
  }
  return all;
}

// Throughput is counted in raw (decoded) bytes for all three, so the figures compare directly.
void BM_RleEncode(benchmark::State& state) {
  const auto raw = RawStrip();
  for (auto _ : state) {
    auto encoded = rle::Encode(raw.data(), raw.size(), rle::Key::Index(0));
    benchmark::DoNotOptimize(encoded.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_RleEncode);

void BM_RleDecode(benchmark::State& state) {
  const auto raw = RawStrip();
  const auto encoded = rle::Encode(raw.data(), raw.size(), rle::Key::Index(0));
  std::vector<std::uint8_t> out(raw.size());
  for (auto _ : state) {
    rle::Decode(encoded.data(), encoded.size(), out.data(), raw.size(), rle::Key::Index(0), true);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_RleDecode);

void BM_MemcpyReference(benchmark::State& state) {
  const auto raw = RawStrip();
  std::vector<std::uint8_t> out(raw.size());
  for (auto _ : state) {
    std::memcpy(out.data(), raw.data(), raw.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_MemcpyReference);

}  // namespace
