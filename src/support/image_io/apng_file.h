#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "support/image_io/rgba_picture.h"

namespace celwright {

// Most frames an animated PNG may have; with the pixel limit over all frames this keeps a few
// bytes of file from asking for endless work.
inline constexpr std::uint32_t kMaxApngFrames = 10000;

// An animated PNG as a browser plays it: every frame is the whole canvas after that frame's
// dispose and blend operations. `note` is the text of a "Celwright frames" tEXt chunk, if any.
struct ApngAnimation {
  int width = 0;
  int height = 0;
  std::vector<RgbaPicture> frames;
  std::vector<int> delays_ms;  // one per frame
  std::string note;
};

// True when the bytes are a PNG with an animation control chunk before its image data.
bool IsAnimatedPng(std::span<const std::uint8_t> bytes);

// Decodes an animated PNG through the project's PNG reader (a plain PNG gives one frame). The
// default image is skipped when it is not part of the animation. The canvas, every frame
// rectangle, the frame count (kMaxApngFrames) and the pixels of all frames together
// (kMaxImportedPixels) are bounded; anything wrong throws
// MediaError("Failed to read animated PNG file: <reason>").
ApngAnimation DecodeApng(std::span<const std::uint8_t> bytes,
                         const std::filesystem::path& file_name = {});

// An animated PNG that loops for ever, every frame the whole canvas (replacing the one before),
// with the given delays; `note`, when not empty, goes into a "Celwright frames" tEXt chunk. The
// frames must all be one non-empty size.
std::vector<std::uint8_t> EncodeApng(const std::vector<RgbaPicture>& frames,
                                     const std::vector<int>& delays_ms, const std::string& note);

}  // namespace celwright
