// The fast run-length codec gives exactly what the plain one gave: the same encoded bytes, the
// same decoded pixels and the same account of damage, on random frames and on every frame of the
// real game files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "model/bam_test_util.h"
#include "model/qm_BAM.h"
#include "model/rle.h"
#include "model/rle_fast_path.h"
#include "model/rle_reference.h"

namespace celwright {
namespace {

using Bytes = std::vector<std::uint8_t>;

void ExpectSameDecode(const Bytes& data, std::size_t pixels, rle::Key key, bool encoded) {
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  Bytes fast(pixels * bpp, 0xEE), slow(pixels * bpp, 0xEE);
  const auto a = rle::Decode(data.data(), data.size(), fast.data(), pixels, key, encoded);
  const auto b =
      rle::reference::Decode(data.data(), data.size(), slow.data(), pixels, key, encoded);
  ASSERT_EQ(a.consumed, b.consumed);
  ASSERT_EQ(a.produced, b.produced);
  ASSERT_EQ(a.truncated, b.truncated);
  ASSERT_EQ(a.overshoot, b.overshoot);
  ASSERT_TRUE(std::equal(fast.begin(), fast.begin() + static_cast<std::ptrdiff_t>(a.produced * bpp),
                         slow.begin()));
  const auto measured = rle::Decode(data.data(), data.size(), nullptr, pixels, key, encoded);
  ASSERT_EQ(measured.consumed, a.consumed);
  ASSERT_EQ(measured.produced, a.produced);
  ASSERT_EQ(measured.truncated, a.truncated);
  ASSERT_EQ(measured.overshoot, a.overshoot);
}

void ExpectSameEncode(const Bytes& raw, rle::Key key) {
  const std::size_t pixels = raw.size() / static_cast<std::size_t>(key.bytes_per_pixel);
  const Bytes fast = rle::Encode(raw.data(), pixels, key);
  ASSERT_EQ(fast, rle::reference::Encode(raw.data(), pixels, key));
  Bytes a, b;
  ASSERT_EQ(rle::EncodeIfSmaller(raw.data(), pixels, key, a),
            rle::reference::EncodeIfSmaller(raw.data(), pixels, key, b));
  ASSERT_EQ(a, b);
  ExpectSameDecode(fast, pixels, key, true);
  // And the encoding decodes back to the pixels, using all of it, with no damage reported.
  Bytes back(raw.size());
  const auto result = rle::Decode(fast.data(), fast.size(), back.data(), pixels, key, true);
  ASSERT_EQ(back, raw);
  ASSERT_TRUE(result.consumed == fast.size() && !result.truncated && !result.overshoot);
}

// Runs `check` with every build of the fast paths this processor runs, then leaves the widest.
template <typename Check>
void WithEveryFastPath(Check check) {
  const auto paths = rle::RunnableFastPaths();
  for (const rle::FastPath path : paths) {
    SCOPED_TRACE("fast path " + std::to_string(static_cast<int>(path)));
    rle::SelectFastPath(path);
    check();
    if (::testing::Test::HasFatalFailure()) break;
  }
  rle::SelectFastPath(paths.back());
}

TEST(RleIdentity, RandomFramesOfEveryShape) {
  WithEveryFastPath([] {
    std::mt19937 random(2024);
    for (int trial = 0; trial < 3000; ++trial) {
      const bool colour = trial % 3 == 0;
      const rle::Key key = colour ? rle::Key::Colour(0, 255, 0)
                                  : rle::Key::Index(static_cast<std::uint8_t>(random() % 3));
      const std::size_t bpp = colour ? 3 : 1;
      // A few frames of a megabyte and more, which are encoded through memory of their own.
      const std::size_t pixels = trial % 1000 == 1 ? (std::size_t{1} << 20) + random() % 5000
                                                   : random() % (trial % 10 == 0 ? 5000 : 200);
      // Key runs of every length (short, exactly 256, long) between literal stretches.
      const unsigned key_share = random() % 101;
      const unsigned max_run = 1 + random() % 600;
      Bytes raw;
      while (raw.size() < pixels * bpp) {
        const bool key_run = random() % 100 < key_share;
        const std::size_t run = 1 + random() % max_run;
        for (std::size_t i = 0; i < run && raw.size() < pixels * bpp; ++i) {
          for (std::size_t b = 0; b < bpp; ++b) {
            raw.push_back(
                key_run ? key.value[b]
                        : static_cast<std::uint8_t>(random() % 4 == 0 ? key.value[b] : random()));
          }
        }
      }
      ExpectSameEncode(raw, key);
      if (::testing::Test::HasFatalFailure()) return;
    }
  });
}

TEST(RleIdentity, DamagedAndArbitraryDataDecodeAlike) {
  WithEveryFastPath([] {
    std::mt19937 random(77);
    for (int trial = 0; trial < 5000; ++trial) {
      const bool colour = trial % 2 == 0;
      const rle::Key key = colour ? rle::Key::Colour(1, 2, 3) : rle::Key::Index(0);
      // One in ten (one-byte pixels) is long enough for the bulk path, across more than one of
      // its chunks.
      const bool large = trial % 10 == 1;
      Bytes data(random() % (large ? 9000 : 300));
      for (auto& byte : data) byte = random() % 3 == 0 ? (colour ? 1 + random() % 3 : 0) : random();
      ExpectSameDecode(data, random() % (large ? 20000 : 700), key, trial % 7 != 0);
      if (::testing::Test::HasFatalFailure()) return;
    }
  });
}

TEST(RleIdentity, EveryFrameOfTheRealFiles) {
  WithEveryFastPath([] {
    int frames = 0;
    const std::string folder = testing::RealFilesDir();
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << testing::MissingTestData(folder);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      TBAM bam;
      if (!bam.LoadFromFile(entry.path().string())) continue;
      const rle::Key key = bam.CompressionKey();
      for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
        const TBAMFrame frame = bam.GetFrame(i);
        const Bytes stored(bam.Data.begin() + frame.DataOffset,
                           bam.Data.begin() + frame.DataOffset + frame.DataSize);
        const std::size_t pixels = static_cast<std::size_t>(frame.Width) * frame.Height;
        ExpectSameDecode(stored, pixels, key, frame.RLE);
        ExpectSameEncode(bam.DecodeFrame(i), key);
        if (::testing::Test::HasFatalFailure()) return;
        ++frames;
      }
    }
    EXPECT_GT(frames, 100);
  });
}

}  // namespace
}  // namespace celwright
