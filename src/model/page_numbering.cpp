#include "model/page_numbering.h"

#include <algorithm>
#include <filesystem>

#include "model/page_folder.h"
#include "model/texture_origin.h"

namespace celwright {

bool NeedsNewPages(const TBAM& bam) {
  const TextureOrigin* origin = bam.Textures.get();
  if (!origin) return bam.FrameCount() > 0;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    const std::vector<std::uint8_t> pixels = bam.DecodeFrame(i);
    if (!origin->Find(frame.Width, frame.Height, PixelHash(pixels.data(), pixels.size()))) {
      return true;
    }
  }
  return false;
}

int ProposedFirstPage(const TBAM& bam, const std::string& file_name) {
  const std::filesystem::path folder = std::filesystem::path(file_name).parent_path();
  int highest = PageFolder(folder.empty() ? std::filesystem::path(".") : folder).Highest();
  if (const TextureOrigin* origin = bam.Textures.get()) {
    for (const auto& [hash, frame] : origin->Frames) {
      for (const TextureBlock& block : frame.Blocks) {
        if (block.Page <= 9999) highest = std::max(highest, static_cast<int>(block.Page));
      }
    }
  }
  return std::min(highest + 1, 9999);
}

}  // namespace celwright
