#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// One frame of an animated GIF as a viewer shows it: the logical screen after this image is
// drawn over what the earlier images and their disposal methods left.
struct GifFrame {
  Bitmap colours;                    // 24 bits, the screen's size; see-through pixels black
  std::vector<std::uint8_t> opaque;  // one per pixel: 1 drawn, 0 see-through
  // The same screen as indices into the global colour map, see-through pixels 0. Empty once an
  // image with a local colour map has been drawn, as its pixels then have no global index.
  Bitmap indices;
  int transparent_index = -1;  // this image's transparent global index, -1 for none
};

// Reads an animated GIF image by image, compositing each onto the logical screen (all four
// disposal methods, transparent indices, local colour maps), so callers convert each frame as
// it arrives instead of holding them all (or even a copy of one). The screen times the frame count is bounded by
// kMaxImportedPixels; a file that asks for more is refused. Failures throw
// MediaError("Failed to read GIF file: <reason>"); nothing outside `bytes` is ever read.
class AnimatedGifReader {
 public:
  // `bytes` must outlive the reader.
  explicit AnimatedGifReader(const std::vector<std::uint8_t>& bytes);
  ~AnimatedGifReader();
  AnimatedGifReader(const AnimatedGifReader&) = delete;
  AnimatedGifReader& operator=(const AnimatedGifReader&) = delete;

  // Known once the first frame has been read (a broken screen size falls back to the first
  // image's extent).
  int ScreenWidth() const;
  int ScreenHeight() const;
  bool HasGlobalColors() const;
  const Palette256& GlobalColors() const;  // padded with black past the file's map

  // The screen after the next image, valid until the next call; null after the last image. A
  // file without any image is refused.
  const GifFrame* ReadFrame();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The file's bytes, refusing folders, devices and FIFOs; throws MediaError.
std::vector<std::uint8_t> ReadGifBytes(const std::filesystem::path& path);

// Writes `frames` (8-bit pictures, all of one size) with `colors` as the global colour map, a
// Netscape loop-for-ever extension before the first image and, before every image, a graphic
// control extension with a delay of 7/100 s (15 frames per second), entry 0 marked transparent
// and each frame cleared before the next (so see-through pixels never show older frames). The
// file is written under a temporary name and renamed into place, so a failure leaves no partial
// file and keeps any previous one. Throws MediaError("Failed to write GIF file: <reason>").
void WriteAnimatedGif(const std::filesystem::path& path, const Palette256& colors,
                      const std::vector<Bitmap>& frames);

}  // namespace celwright
