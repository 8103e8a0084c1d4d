#include "model/bam_rle_key.h"

#include <vector>

namespace celwright {

namespace {

bool SameKey(const rle::Key& a, const rle::Key& b) {
  if (a.bytes_per_pixel != b.bytes_per_pixel) return false;
  for (int i = 0; i < a.bytes_per_pixel; ++i)
    if (a.value[i] != b.value[i]) return false;
  return true;
}

}  // namespace

void SetCompressionKey(TBAM& bam, std::uint8_t comp_col_index, TColor comp_col) {
  const std::uint8_t old_index = bam.CompColIndex;
  const TColor old_colour = bam.CompCol;
  const rle::Key old_key = bam.CompressionKey();
  bam.CompColIndex = comp_col_index;
  bam.CompCol = comp_col & 0x00FFFFFF;
  const rle::Key new_key = bam.CompressionKey();
  if (SameKey(old_key, new_key)) return;

  // Frames are decoded under the old key, so it stays in force until every frame is re-encoded.
  bam.CompColIndex = old_index;
  bam.CompCol = old_colour;
  std::vector<std::uint8_t> bytes;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const std::vector<std::uint8_t> raw = bam.DecodeFrame(i);
    TBAMFrame info = bam.GetFrame(i);
    const std::size_t pixels =
        static_cast<std::size_t>(info.Width) * static_cast<std::size_t>(info.Height);
    bytes.clear();
    info.RLE = rle::EncodeIfSmaller(raw.data(), pixels, new_key, bytes);
    bam.ReplaceFrameData(i, bytes, info);
  }
  bam.CompColIndex = comp_col_index;
  bam.CompCol = comp_col & 0x00FFFFFF;
}

}  // namespace celwright
