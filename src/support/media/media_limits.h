#pragma once

#include <cstdint>
#include <string>

namespace celwright {

// The most pixels an imported animation may hold over all its frames together. A few kilobytes
// of GIF or video can describe thousands of huge frames; past this the import is refused
// before it fills memory (an unpaletted document of this size takes about 200 MB).
inline constexpr std::int64_t kMaxImportedPixels = std::int64_t{1} << 26;

// The message for an animation that exceeds kMaxImportedPixels.
std::string TooManyPixelsMessage(std::int64_t frames, int width, int height);

}  // namespace celwright
