#pragma once

#include <stdexcept>
#include <string>

namespace celwright {

// Raised by the video and animated-picture codecs. The text is the message the user sees, so it
// names the step that failed rather than a library error code.
class MediaError : public std::runtime_error {
 public:
  explicit MediaError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace celwright
