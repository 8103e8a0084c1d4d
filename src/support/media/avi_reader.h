#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

struct AviFrame {
  // 24 bits, or 8 bits with the stream's palette as colour table for paletted streams; empty
  // for the placeholder.
  Bitmap picture;
  std::int64_t sample = 0;
  // Set on the one pseudo-frame that stands for an empty sample 0, the slot AviWriter leaves
  // before the first picture. It carries no picture: callers skip it and keep everything else,
  // so files from other programs, whose sample 0 is a real picture, lose nothing.
  bool is_placeholder = false;
};

// Reads the first video stream of an AVI file through FFmpeg and hands out its frames in order,
// decoded to 24-bit pictures (paletted streams to 8-bit ones), whatever codec the file uses.
// Only the AVI demuxer and local files are used, so a crafted file cannot make the reader open
// anything else. Failures throw
// MediaError with a message naming the step ("Failed to open AVI file", "Failed to open AVI
// stream", "Failed to get AVI stream format", "Failed to start AVI decompression", "Failed to
// decompress AVI frame").
class AviReader {
 public:
  explicit AviReader(const std::filesystem::path& path);
  ~AviReader();
  AviReader(const AviReader&) = delete;
  AviReader& operator=(const AviReader&) = delete;

  int Width() const;
  int Height() const;
  // The sample count the file declares; damaged files may deliver fewer.
  std::int64_t DeclaredFrameCount() const;

  // False once the stream is exhausted.
  bool ReadFrame(AviFrame& frame);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

std::vector<AviFrame> ReadAviFrames(const std::filesystem::path& path);

}  // namespace celwright
