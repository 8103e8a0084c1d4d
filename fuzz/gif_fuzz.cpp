// libFuzzer target: any bytes, read as a GIF picture, must decode or be refused with
// ImageFileError.
#include <cstdint>

#include "support/image_io/gif_file.h"
#include "support/image_io/image_file_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    celwright::DecodeGIF({data, size}, "fuzz.gif");
  } catch (const celwright::ImageFileError&) {
  }
  return 0;
}
