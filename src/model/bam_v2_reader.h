#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/byte_view.h"
#include "model/qm_BAM.h"

namespace celwright {

// Reads a BAM V2 file image ("BAM V2  ") and the texture pages it names into a true-colour TBAM.
// Pages are looked for beside the file (any case), then in `TBAM::PageFolders`. A page that is
// missing or cannot be read leaves its blocks transparent and is reported in `Warnings`, as are
// blocks reaching past their page or frame (clipped) and table entries past the end of their
// table (dropped). What the header asks for is bounded before any of it is done.
class BAMV2Reader {
 public:
  explicit BAMV2Reader(TBAM& bam) : bam_(bam) {}

  // Memory and work stay within about 512 MiB and a few seconds whatever the file says: the
  // pixels all frames may hold together (4 bytes each: 256 MiB), the block pixels decoded beyond
  // one per frame pixel (overlapping blocks), one page file held at a time, the page blocks
  // unpacked in all, and the data blocks a frame entry can reach (16-bit first index and count).
  static constexpr std::uint64_t kMaxFramePixels = std::uint64_t{64} << 20;
  static constexpr std::uint64_t kExtraBlockPixels = std::uint64_t{16} << 20;
  static constexpr std::uint64_t kMaxPageFile = std::uint64_t{96} << 20;
  static constexpr std::uint64_t kMaxPageBlocksTotal = std::uint64_t{256} << 20;
  static constexpr std::uint32_t kMaxReachableBlocks = 2 * 65535;
  // Frame entries may share blocks, so the blocks all frames name together are bounded apart:
  // 65535 frames each naming the same 65535 empty blocks would be billions of block uses.
  static constexpr std::uint64_t kMaxBlockUses = std::uint64_t{1} << 20;

  static bool IsBAMV2(const ByteView& image) { return image.Tag(0, "BAM ") && image.Tag(4, "V2  "); }

  // Returns false with `error` set when the file cannot be read at all.
  bool Read(const ByteView& image, const std::string& file_name, std::string& error);

 private:
  TBAM& bam_;
};

}  // namespace celwright
