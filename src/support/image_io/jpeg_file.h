#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "support/bitmap.h"

namespace celwright {

// JPEG pictures through libjpeg-turbo. Colour and greyscale files arrive as 24-bit bitmaps.
// A damaged, truncated or unsupported file throws ImageFileError naming `file_name`.
Bitmap DecodeJPEG(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name);

// Writes with the library's default settings (quality 75). Any bitmap kind is accepted; 8-bit
// and mask pictures are written through their colours.
std::vector<std::uint8_t> EncodeJPEG(const Bitmap& bitmap);

}  // namespace celwright
