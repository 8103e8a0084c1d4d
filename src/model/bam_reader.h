#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/byte_view.h"
#include "model/qm_BAM.h"

namespace celwright {

// Parses a BAM file image into a TBAM. Every offset, count and size from the file is checked
// against the image before use. What cannot be read refuses the load with a message; what can
// be repaired (short palettes, damaged frame data, bad lookup entries) is repaired and reported
// as a warning. Frame data is taken from each frame's own offset, wherever it lies, and laid out
// contiguously in frame order.
class BAMReader {
 public:
  BAMReader(TBAM& bam, const TProgressEvent& on_progress) : bam_(bam), progress_(on_progress) {}

  bool Load(const std::string& file_name);

  // The most any compressed BAM image is unpacked to.
  static constexpr std::uint64_t kMaxInflatedImage = std::uint64_t{1} << 30;
  // The header and tables of a compressed BAM are unpacked first, up to this size, to learn how
  // far the data it describes can reach.
  static constexpr std::uint64_t kMaxPrefix = std::uint64_t{4} << 20;
  // The end of the furthest byte the header and frame table of a BAM image can point the reader
  // at (tables, and every frame's data at its offset at the largest size its pixels can take);
  // kMaxInflatedImage when the tables are not within `image`.
  static std::uint64_t DescribedImageSize(const ByteView& image);

 private:
  bool Refuse(std::int32_t bits, std::string message);
  bool ReadImage(const std::string& file_name, std::vector<std::uint8_t>& image);
  bool Parse(std::vector<std::uint8_t>& image);
  bool ParseHeader(const ByteView& image, std::uint16_t& frame_count, std::uint8_t& cycle_count);
  void ParsePalette(const ByteView& image);
  void ParseLookup(const ByteView& image, const std::vector<std::uint32_t>& first_indices,
                   const std::vector<std::uint32_t>& counts, std::int32_t frame_count);
  // Fills `Data` with the frames back to back after the first `tables_end` bytes of the image;
  // may take over `bytes` (the image) when it already has that layout.
  bool ReadFrameData(const ByteView& image, const std::vector<std::uint32_t>& offsets,
                     std::size_t tables_end, std::vector<std::uint8_t>& bytes);
  // The same for the usual layout only (every frame clean, each right after the one before,
  // the first right after the tables); false, having taken nothing, for anything else.
  bool TakeFramesInPlace(const ByteView& image, const std::vector<std::uint32_t>& offsets,
                         std::size_t tables_end, std::vector<std::uint8_t>& bytes);
  void Report(std::int32_t position, std::int32_t max, std::uint8_t stage) const {
    if (progress_) progress_(position, max, stage);
  }
  // Item `index` of `count` in a per-item stage: told a few hundred times over the stage, as a
  // report per frame of a large file cost more than reading the frame.
  void ReportItem(std::uint32_t index, std::uint32_t count, std::uint8_t stage) const {
    const std::uint32_t step = count / 256 + 1;
    if (index % step == 0 || index + 1 == count)
      Report(static_cast<std::int32_t>(index), static_cast<std::int32_t>(count), stage);
  }

  TBAM& bam_;
  const TProgressEvent& progress_;
};

}  // namespace celwright
