#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace celwright {

class ZlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The compression level of saved compressed BAM files (libdeflate's scale, 1 to 12). On real
// animations level 7 is over 5x faster than zlib's level 9 and about 2 % smaller; level 6 is
// faster still but leaves the larger real creature file 1 % larger than zlib made it, and
// levels up to 5 leave both creature files larger. On per-pixel noise no level reaches 4x: every
// level spends most of its time on Huffman coding, which zlib's level 9 does as quickly
// (bench_bam, BM_Deflate*).
inline constexpr int kBamDeflateLevel = 7;

// One-call deflate of a whole buffer (zlib format) through libdeflate. Every zlib reader inflates
// the result. `level` is libdeflate's (1 to 12).
std::vector<std::uint8_t> ZlibDeflate(const std::uint8_t* data, std::size_t size,
                                      int level = kBamDeflateLevel);

// The same through zlib's own compress2 (level 0 to 9); kept for comparison in the benchmarks.
std::vector<std::uint8_t> ZlibDeflateClassic(const std::uint8_t* data, std::size_t size,
                                             int level = 9);

// The most a zlib stream of `compressed` bytes can inflate to (deflate's best ratio is 1032:1).
std::size_t MaxInflatedSize(std::size_t compressed);

// Inflates a whole zlib stream. `size_hint` is only a hint (a stated length read from a file):
// the first buffer is at most min(size_hint, MaxInflatedSize(size), max_output). When the hint
// proves too small, the stream is measured and inflated again into one buffer of the exact
// size, so two large buffers are never held at once. Output beyond `max_output` is refused, so
// a damaged or hostile file cannot exhaust memory.
std::vector<std::uint8_t> ZlibInflate(const std::uint8_t* data, std::size_t size,
                                      std::size_t size_hint, std::size_t max_output);

// Inflates a zlib stream a piece at a time (zlib's streaming inflate), for readers that must look
// at the start of the data before deciding how much of it they will accept.
class ZlibStreamReader {
 public:
  ZlibStreamReader(const std::uint8_t* data, std::size_t size);
  ~ZlibStreamReader();
  ZlibStreamReader(const ZlibStreamReader&) = delete;
  ZlibStreamReader& operator=(const ZlibStreamReader&) = delete;

  // Writes up to `room` further bytes to `out`; returns how many. Throws ZlibError when the
  // stream is damaged or ends before its end marker.
  std::size_t Read(std::uint8_t* out, std::size_t room);
  // Counts (and drops) up to `limit` further bytes; returns how many there were.
  std::size_t Skip(std::size_t limit);
  bool Finished() const { return finished_; }
  // Bytes produced so far.
  std::size_t Produced() const { return produced_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::size_t in_left_;
  std::size_t produced_ = 0;
  bool finished_ = false;
};

// Inflates a whole zlib stream with libdeflate into exactly `expected` bytes' room. Returns false
// when the stream holds more than that; throws ZlibError when it is damaged. `out` is resized to
// what the stream held.
bool InflateInto(const std::uint8_t* data, std::size_t size, std::size_t expected,
                 std::vector<std::uint8_t>& out);

}  // namespace celwright
