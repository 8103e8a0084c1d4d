// libFuzzer target: any bytes, read as a PNG, must decode or be refused with ImageFileError.
#include <cstdint>

#include "support/image_io/qm_png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  celwright::Palette256 palette{};
  try {
    celwright::DecodePNG({data, size}, palette, "fuzz.png");
  } catch (const celwright::ImageFileError&) {
  }
  return 0;
}
