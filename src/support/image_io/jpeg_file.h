#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "support/bitmap.h"
#include "support/image_io/image_file_error.h"

namespace celwright {

// JPEG pictures through libjpeg-turbo. Colour, greyscale and CMYK files arrive as 24-bit
// bitmaps. A truncated, unsupported or implausible file (more pixels than its bytes can hold,
// hundreds of scans) throws ImageFileError naming `file_name`. Scan data the library had to
// patch up ("Corrupt JPEG data") loads with its texts added to `warnings`; without a list to
// receive them such a file is refused too.
Bitmap DecodeJPEG(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name,
                  PictureWarnings* warnings = nullptr);

// Writes with the library's default settings (quality 75). Any bitmap kind is accepted; 8-bit
// and mask pictures are written through their colours.
std::vector<std::uint8_t> EncodeJPEG(const Bitmap& bitmap);

}  // namespace celwright
