#pragma once

#include <filesystem>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// An animated GIF as the editor exchanges it: the global colour map and the sub-images, each at
// its own size as an 8-bit picture whose colour table is its own map (local, else global).
struct AnimatedGif {
  int screen_width = 0;
  int screen_height = 0;
  Palette256 global_colors{};  // padded with black past the file's map
  std::vector<Bitmap> frames;
};

// Writes `frames` (8-bit pictures, all of one size) with `colors` as the global colour map, a
// Netscape loop-for-ever extension before the first image and, before every image, a graphic
// control extension with a delay of 1/100 s and no transparent colour. The file is written
// under a temporary name and renamed into place, so a failure leaves no partial file and keeps
// any previous one. Throws MediaError("Failed to write GIF file: <reason>").
void WriteAnimatedGif(const std::filesystem::path& path, const Palette256& colors,
                      const std::vector<Bitmap>& frames);

// Throws MediaError("Failed to read GIF file: <reason>") for a missing, damaged, truncated or
// image-less file; nothing outside the file's bytes is ever read.
AnimatedGif ReadAnimatedGif(const std::filesystem::path& path);
// Same, for bytes already in memory.
AnimatedGif ReadAnimatedGif(const std::vector<std::uint8_t>& bytes);

}  // namespace celwright
