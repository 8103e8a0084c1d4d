#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

// The first picture of a GIF file, placed on the file's logical screen, as an 8-bit bitmap with
// that picture's colour table (its own or the global one). A transparent index becomes the
// bitmap's transparent colour. Throws ImageFileError naming `file_name` on a damaged file.
Bitmap DecodeGIF(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name);

// One picture. 8-bit bitmaps keep their indices and table; 24-bit pictures of up to 256 colours
// keep them exactly, richer ones get an octree palette of 256 colours.
std::vector<std::uint8_t> EncodeGIF(const Bitmap& bitmap);

}  // namespace celwright
