#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright::cli {

// What `info` reports about one animation, gathered once and printed as text or JSON.
struct FrameSummary {
  int width = 0;
  int height = 0;
  int centre_x = 0;
  int centre_y = 0;
  bool rle = false;
  int encoded_size = 0;
  std::uint32_t pixel_crc = 0;  // CRC-32 of the decoded pixels (1, 3 or 4 bytes a pixel)
};

struct AnimationSummary {
  std::string file;
  bool paletted = true;
  bool true_colour = false;  // BAM V2: colours with alpha on texture pages
  std::vector<std::uint32_t> pages;  // the texture pages a BAM V2 file draws from
  bool compressed = false;
  int comp_col_index = 0;
  TColor comp_col = 0;
  std::vector<FrameSummary> frames;
  std::vector<std::vector<int>> cycles;
  Palette256 palette{};
};

// Frames with more pixel bytes than this are refused by `info` (FrameTooLargeError naming the
// frame and its size) instead of taking seconds to checksum; 32768 x 32768 paletted still fits.
inline constexpr std::uint64_t kMaxChecksummedFrameBytes = std::uint64_t{1} << 30;

AnimationSummary Summarize(const TBAM& bam, const std::string& file);
std::string FormatText(const AnimationSummary& summary);
std::string FormatJson(const AnimationSummary& summary);

}  // namespace celwright::cli
