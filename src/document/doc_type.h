#pragma once

#include <cstdint>

namespace celwright {

// The kind of file a document came from or was last saved as. The values are stored with the
// recent files, so their order is fixed.
enum TDocType : std::uint8_t {
  dtBAM = 0,
  dtBitmap = 1,
  dtGIF = 2,
  dtJPEG = 3,
  dtPNG = 4,
  dtAVI = 5,
};

constexpr const char* DocTypeName(TDocType type) {
  switch (type) {
    case dtBAM: return "BAM";
    case dtBitmap: return "Bitmap";
    case dtGIF: return "GIF";
    case dtJPEG: return "JPG";
    case dtPNG: return "PNG";
    case dtAVI: return "AVI";
  }
  return "BAM";
}

}  // namespace celwright
