#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// Writes an uncompressed AVI: one video stream of 8-bit paletted frames (bottom-up DIB rows
// padded to four bytes) at 15 frames per second, every frame a key frame, with an idx1 index.
//
// The stream may start at sample 1 (its header's start field), leaving sample 0 without a
// picture; AviReader reports that slot as the placeholder. The headers count only the frames
// written, so every reader agrees on how many there are.
//
// The file is written under a temporary name beside the target and renamed into place by
// Finish(); a failure, or destruction before Finish(), removes it, so an existing file of the
// same name is never left half overwritten. Failures throw MediaError.
class AviWriter {
 public:
  static constexpr int kFramesPerSecond = 15;

  // Throws "Failed to create AVI file" when the file cannot be made or the size is unusable.
  AviWriter(const std::filesystem::path& path, int width, int height, const Palette256& palette);
  ~AviWriter();
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  // Only before the first frame: the frames become samples 1, 2, ...
  void StartAtSampleOne();
  // `indices` is an 8-bit picture of the stream's size; its colour table is ignored, as the
  // stream has one palette. Throws "Failed to add frame to AVI".
  void AddFrame(const Bitmap& indices);
  // Writes the index and the final sizes and moves the file into place.
  // Throws "Failed to finish AVI file".
  void Finish();

  int SampleCount() const { return static_cast<int>(index_.size()); }

 private:
  struct IndexEntry {
    std::uint32_t offset;
    std::uint32_t size;
  };

  std::vector<std::uint8_t> Headers() const;
  void WriteChunk(const std::uint8_t* data, std::uint32_t size, const char* failure);
  void Discard();

  std::filesystem::path path_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  int width_;
  int height_;
  std::uint32_t row_bytes_;
  std::uint32_t frame_bytes_;
  Palette256 palette_;
  std::vector<IndexEntry> index_;
  std::uint32_t first_sample_ = 0;
  std::uint64_t movi_bytes_ = 4;  // the 'movi' list type
  std::vector<std::uint8_t> frame_buffer_;
};

// Convenience for whole sequences: the frames, from sample 1 when `empty_first_sample`.
void WriteAvi(const std::filesystem::path& path, const Palette256& palette,
              const std::vector<Bitmap>& frames, bool empty_first_sample);

}  // namespace celwright
