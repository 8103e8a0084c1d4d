#include "support/media/media_limits.h"

namespace celwright {

std::string TooManyPixelsMessage(std::int64_t frames, int width, int height) {
  return "The animation is too large to import: " + std::to_string(frames) + " frames of " +
         std::to_string(width) + " x " + std::to_string(height) + " pixels exceed the limit of " +
         std::to_string(kMaxImportedPixels) + " pixels in all frames together";
}

}  // namespace celwright
