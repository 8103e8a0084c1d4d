// libFuzzer target: any bytes, read as a JPEG, must decode (perhaps with warnings) or be refused
// with ImageFileError.
#include <cstdint>

#include "support/image_io/jpeg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  celwright::PictureWarnings warnings;
  try {
    celwright::DecodeJPEG({data, size}, "fuzz.jpg", &warnings);
  } catch (const celwright::ImageFileError&) {
  }
  return 0;
}
