// Load and save of a large generated animation, and run-length throughput with memcpy of the
// same bytes as the yardstick.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

#include <zlib.h>

#include "model/qm_BAM.h"
#include "model/rle_reference.h"
#include "model/zlib_codec.h"
#include "rle_at_filing.h"
#include "support/crc32.h"
#include "support/file_io.h"

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

// The floor for the above: the same number of bytes written to a file the same way.
void BM_WriteFileReference(benchmark::State& state) {
  TBAM bam;
  BuildAnimation(bam);
  bam.SaveToFile(BenchPath(false), kPalettedBAM, false, false);
  const std::vector<std::uint8_t> image = bam.Data;
  for (auto _ : state) WriteFileAtomically(BenchPath(false), image);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_WriteFileReference)->Unit(benchmark::kMillisecond);

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

// What saving does: EncodeIfSmaller into a buffer kept from frame to frame.
void BM_RleEncodeIfSmaller(benchmark::State& state) {
  const auto raw = RawStrip();
  std::vector<std::uint8_t> encoded;
  for (auto _ : state) {
    rle::EncodeIfSmaller(raw.data(), raw.size(), rle::Key::Index(0), encoded);
    benchmark::DoNotOptimize(encoded.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_RleEncodeIfSmaller);

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

// --- The same on the frames of the real creature files (short runs) -------------------------

struct RealFrames {
  std::vector<std::uint8_t> raw;      // every paletted frame's pixels, back to back
  std::vector<std::uint8_t> encoded;  // the same frames run-length encoded, back to back
  std::vector<std::pair<std::size_t, std::size_t>> sizes;  // (pixels, encoded bytes) per frame
};

const RealFrames& CreatureFrames() {
  static const RealFrames frames = [] {
    RealFrames result;
    const std::filesystem::path folder = std::filesystem::path(CELWRIGHT_TESTDATA_DIR) / "bam";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      TBAM bam;
      if (!bam.LoadFromFile(entry.path().string()) || bam.BAMType != kPalettedBAM) continue;
      for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
        const auto raw = bam.DecodeFrame(i);
        const auto encoded = rle::Encode(raw.data(), raw.size(), bam.CompressionKey());
        if (bam.CompColIndex != 0 || raw.empty()) continue;
        result.raw.insert(result.raw.end(), raw.begin(), raw.end());
        result.encoded.insert(result.encoded.end(), encoded.begin(), encoded.end());
        result.sizes.emplace_back(raw.size(), encoded.size());
      }
    }
    return result;
  }();
  return frames;
}

// Today's codec, the naive reference coder, and the codec as it was when faster coding of the
// real frames was asked for.
enum class Codec { kNow, kReference, kAtFiling };

// One pass of a codec over every real frame.
template <Codec kCodec>
void DecodeAll(const RealFrames& frames, std::vector<std::uint8_t>& out) {
  const rle::Key key = rle::Key::Index(0);
  std::size_t in = 0, at = 0;
  for (const auto& [pixels, bytes] : frames.sizes) {
    const std::uint8_t* src = frames.encoded.data() + in;
    if (kCodec == Codec::kReference) {
      rle::reference::Decode(src, bytes, out.data() + at, pixels, key, true);
    } else if (kCodec == Codec::kAtFiling) {
      rle::at_filing::Decode(src, bytes, out.data() + at, pixels, key, true);
    } else {
      rle::Decode(src, bytes, out.data() + at, pixels, key, true);
    }
    in += bytes;
    at += pixels;
  }
  benchmark::DoNotOptimize(out.data());
}

template <Codec kCodec>
void EncodeAll(const RealFrames& frames, std::vector<std::uint8_t>& out) {
  const rle::Key key = rle::Key::Index(0);
  std::size_t at = 0;
  for (const auto& [pixels, bytes] : frames.sizes) {
    const std::uint8_t* raw = frames.raw.data() + at;
    if (kCodec == Codec::kReference) {
      rle::reference::EncodeIfSmaller(raw, pixels, key, out);
    } else if (kCodec == Codec::kAtFiling) {
      rle::at_filing::EncodeIfSmaller(raw, pixels, key, out);
    } else {
      rle::EncodeIfSmaller(raw, pixels, key, out);
    }
    benchmark::DoNotOptimize(out.data());
    at += pixels;
  }
}

template <Codec kCodec>
void BM_RealFramesDecode(benchmark::State& state) {
  const RealFrames& frames = CreatureFrames();
  if (frames.raw.empty()) return state.SkipWithError("no real frames found");
  std::vector<std::uint8_t> out(frames.raw.size());
  for (auto _ : state) DecodeAll<kCodec>(frames, out);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames.raw.size()));
}
BENCHMARK(BM_RealFramesDecode<Codec::kNow>)->Name("BM_RealFramesDecode");
BENCHMARK(BM_RealFramesDecode<Codec::kAtFiling>)->Name("BM_RealFramesDecode_atFiling");
BENCHMARK(BM_RealFramesDecode<Codec::kReference>)->Name("BM_RealFramesDecode_before");

template <Codec kCodec>
void BM_RealFramesEncode(benchmark::State& state) {
  const RealFrames& frames = CreatureFrames();
  if (frames.raw.empty()) return state.SkipWithError("no real frames found");
  std::vector<std::uint8_t> out;
  for (auto _ : state) EncodeAll<kCodec>(frames, out);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames.raw.size()));
}
BENCHMARK(BM_RealFramesEncode<Codec::kNow>)->Name("BM_RealFramesEncode");
BENCHMARK(BM_RealFramesEncode<Codec::kAtFiling>)->Name("BM_RealFramesEncode_atFiling");
BENCHMARK(BM_RealFramesEncode<Codec::kReference>)->Name("BM_RealFramesEncode_before");

// Today's codec against the one at filing, pass for pass in turn, so that the processor's
// changing pace on a shared machine falls on both alike: "decode x" and "encode x" are how many
// times faster today's is.
void BM_RealFramesSpeedupOverFiling(benchmark::State& state) {
  const RealFrames& frames = CreatureFrames();
  if (frames.raw.empty()) return state.SkipWithError("no real frames found");
  std::vector<std::uint8_t> decoded(frames.raw.size()), encoded;
  using Clock = std::chrono::steady_clock;
  Clock::duration now_decode{}, old_decode{}, now_encode{}, old_encode{};
  const auto timed = [](Clock::duration& total, auto&& pass) {
    const Clock::time_point start = Clock::now();
    pass();
    total += Clock::now() - start;
  };
  for (auto _ : state) {
    timed(now_decode, [&] { DecodeAll<Codec::kNow>(frames, decoded); });
    timed(old_decode, [&] { DecodeAll<Codec::kAtFiling>(frames, decoded); });
    timed(now_encode, [&] { EncodeAll<Codec::kNow>(frames, encoded); });
    timed(old_encode, [&] { EncodeAll<Codec::kAtFiling>(frames, encoded); });
  }
  const auto ratio = [](Clock::duration old_time, Clock::duration now_time) {
    return now_time.count() > 0 ? static_cast<double>(old_time.count()) / static_cast<double>(now_time.count()) : 0.0;
  };
  state.counters["decode x"] = ratio(old_decode, now_decode);
  state.counters["encode x"] = ratio(old_encode, now_encode);
}
BENCHMARK(BM_RealFramesSpeedupOverFiling)->Unit(benchmark::kMillisecond);

// memcpy of the real frames' pixels, frame by frame, as the yardstick for the two above.
void BM_RealFramesMemcpy(benchmark::State& state) {
  const RealFrames& frames = CreatureFrames();
  std::vector<std::uint8_t> out(frames.raw.size());
  for (auto _ : state) {
    std::size_t at = 0;
    for (const auto& size : frames.sizes) {
      std::memcpy(out.data() + at, frames.raw.data() + at, size.first);
      at += size.first;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames.raw.size()));
}
BENCHMARK(BM_RealFramesMemcpy);

// The strip through the codec as it was, for the ratio against today's.
void BM_RleEncodeBefore(benchmark::State& state) {
  const auto raw = RawStrip();
  for (auto _ : state) {
    auto encoded = rle::reference::Encode(raw.data(), raw.size(), rle::Key::Index(0));
    benchmark::DoNotOptimize(encoded.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_RleEncodeBefore);

void BM_RleDecodeBefore(benchmark::State& state) {
  const auto raw = RawStrip();
  const auto encoded = rle::Encode(raw.data(), raw.size(), rle::Key::Index(0));
  std::vector<std::uint8_t> out(raw.size());
  for (auto _ : state) {
    rle::reference::Decode(encoded.data(), encoded.size(), out.data(), raw.size(), rle::Key::Index(0), true);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_RleDecodeBefore);

// --- CRC-32: ours (libdeflate's) against zlib's crc32 and the byte-at-a-time table before it ---

void BM_Crc32(benchmark::State& state) {
  const auto raw = RawStrip();
  for (auto _ : state) benchmark::DoNotOptimize(CRC32(raw.data(), raw.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_Crc32);

void BM_Crc32ZlibBefore(benchmark::State& state) {
  const auto raw = RawStrip();
  for (auto _ : state) {
    benchmark::DoNotOptimize(crc32_z(0, raw.data(), static_cast<z_size_t>(raw.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_Crc32ZlibBefore);

void BM_Crc32ByteTableBefore(benchmark::State& state) {
  const auto raw = RawStrip();
  std::uint32_t table[256];
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  for (auto _ : state) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t byte : raw) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    benchmark::DoNotOptimize(c ^ 0xFFFFFFFFu);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_Crc32ByteTableBefore);

// --- Compressed BAM: libdeflate (what we write) against zlib level 9 (what we wrote) ---------

std::vector<std::uint8_t> SavedImage(TBAM& bam, const char* name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  bam.SaveToFile(path, kPalettedBAM, false, false);
  std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file) {
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) bytes.clear();
    std::fclose(file);
  }
  return bytes;
}

// The generated strip: its figures are per-pixel noise, far harder to deflate than real art.
const std::vector<std::uint8_t>& AnimationImage() {
  static const std::vector<std::uint8_t> image = [] {
    TBAM bam;
    BuildAnimation(bam);
    return SavedImage(bam, "celwright-bench-p.bam");
  }();
  return image;
}

// What users save: the frames of the real paletted files, repeated into a 500-frame animation.
const std::vector<std::uint8_t>& RealAnimationImage() {
  static const std::vector<std::uint8_t> image = [] {
    constexpr std::int32_t kRealFrames = 500;
    TBAM sources[2];
    const std::filesystem::path folder = std::filesystem::path(CELWRIGHT_TESTDATA_DIR) / "bam";
    if (!sources[0].LoadFromFile((folder / "CHMB1G11.BAM").string()) ||
        !sources[1].LoadFromFile((folder / "rabbG11.bam").string())) {
      return std::vector<std::uint8_t>{};
    }
    TBAM bam;
    bam.NewBAM("real.bam", true);
    bam.AddCycle(-1);
    for (std::int32_t i = 0; i < kRealFrames; ++i) {
      const TBAM& source = sources[(i / 50) % 2];
      const std::int32_t from = i % source.FrameCount();
      const auto pixels = source.DecodeFrame(from);
      TBAMFrame info = source.GetFrame(from);
      std::vector<std::uint8_t> bytes;
      info.RLE = rle::EncodeIfSmaller(pixels.data(), pixels.size(), bam.CompressionKey(), bytes);
      bam.InsertFrame(-1, 0, -1, false);
      bam.ReplaceFrameData(i, bytes, info);
    }
    return SavedImage(bam, "celwright-bench-real.bam");
  }();
  return image;
}

// range(0): 0 = the generated strip, 1 = the real frames.
const std::vector<std::uint8_t>& DeflateInput(const benchmark::State& state) {
  return state.range(0) != 0 ? RealAnimationImage() : AnimationImage();
}

void BM_DeflateLibdeflate(benchmark::State& state) {
  const auto& image = DeflateInput(state);
  if (image.empty()) return state.SkipWithError("the real test files are missing");
  std::size_t size = 0;
  for (auto _ : state) {
    size = ZlibDeflate(image.data(), image.size(), static_cast<int>(state.range(1))).size();
  }
  state.counters["out_bytes"] = static_cast<double>(size);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_DeflateLibdeflate)
    ->ArgsProduct({{0, 1}, {1, 3, 6, 7, 9}})
    ->ArgNames({"real", "level"})
    ->Unit(benchmark::kMillisecond);

void BM_DeflateZlibLevel9Before(benchmark::State& state) {
  const auto& image = DeflateInput(state);
  if (image.empty()) return state.SkipWithError("the real test files are missing");
  std::size_t size = 0;
  for (auto _ : state) size = ZlibDeflateClassic(image.data(), image.size(), 9).size();
  state.counters["out_bytes"] = static_cast<double>(size);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_DeflateZlibLevel9Before)->Arg(0)->Arg(1)->ArgName("real")->Unit(benchmark::kMillisecond);

void BM_InflateLibdeflate(benchmark::State& state) {
  const auto& image = AnimationImage();
  const auto packed = ZlibDeflate(image.data(), image.size());
  for (auto _ : state) {
    auto out = ZlibInflate(packed.data(), packed.size(), image.size(), std::size_t{1} << 30);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_InflateLibdeflate)->Unit(benchmark::kMillisecond);

void BM_InflateZlibStreamBefore(benchmark::State& state) {
  const auto& image = AnimationImage();
  const auto packed = ZlibDeflate(image.data(), image.size());
  std::vector<std::uint8_t> out(image.size());
  for (auto _ : state) {
    ZlibStreamReader reader(packed.data(), packed.size());
    benchmark::DoNotOptimize(reader.Read(out.data(), out.size()));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_InflateZlibStreamBefore)->Unit(benchmark::kMillisecond);
