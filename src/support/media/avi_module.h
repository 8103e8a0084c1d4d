#pragma once

// The boundary between the core and the shared module that decodes AVI files through FFmpeg.
// Only AVI import needs FFmpeg, and loading its libraries costs every process more than the
// rest of its start-up, so the module is opened with dlopen at the first AVI import instead of
// being linked. Both sides are built from this tree with one compiler, so C++ types may cross;
// failures cross as std::exception with the user's message.

#include <array>
#include <cstdint>
#include <vector>

namespace celwright {

// One decoded picture, tight rows top-down: blue, green, red for true colour, indices with the
// stream's palette (red, green, blue a colour) for paletted streams.
struct AviModuleFrame {
  std::int64_t sample = 0;
  bool is_placeholder = false;  // the empty sample 0 our own writer leaves; no pixels
  int width = 0;
  int height = 0;
  bool paletted = false;
  std::vector<std::uint8_t> pixels;
  std::array<std::uint8_t, 768> palette{};
};

class AviModuleDecoder {
 public:
  virtual ~AviModuleDecoder() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual std::int64_t DeclaredFrameCount() const = 0;
  // False once the stream is exhausted.
  virtual bool ReadFrame(AviModuleFrame& frame) = 0;
};

// The module's one entry point, looked up by this name.
inline constexpr char kAviModuleEntry[] = "celwright_open_avi";
using AviModuleOpen = AviModuleDecoder* (*)(const char* path);

}  // namespace celwright
