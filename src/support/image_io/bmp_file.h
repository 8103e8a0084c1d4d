#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

// Windows bitmap files. Reads 1, 4, 8, 16, 24 and 32 bits per pixel, top-down and bottom-up,
// uncompressed, RLE8, RLE4 and bit fields; pictures of up to 8 bits arrive as 8-bit bitmaps with
// the file's colour table, deeper ones as 24-bit bitmaps. Throws ImageFileError naming
// `file_name` on a damaged or unsupported file.
Bitmap DecodeBMP(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name);

// An 8-bit bitmap becomes an 8-bit file with its 256-entry colour table, a mask an 8-bit file
// with a black and white table, and a 24-bit bitmap a 24-bit file. Rows are stored bottom-up.
std::vector<std::uint8_t> EncodeBMP(const Bitmap& bitmap);

}  // namespace celwright
