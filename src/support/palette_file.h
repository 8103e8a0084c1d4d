#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "support/color_types.h"

namespace celwright {

// Microsoft RIFF palette files (".pal"): "RIFF", size, "PAL ", "data", chunk size, version
// 0x0300, entry count, then red, green, blue, flags per entry.
inline constexpr std::size_t kPaletteFileSize = 1048;

struct PaletteFileResult {
  bool Ok = false;
  std::string Error;  // why nothing was loaded
  int EntriesRead = 0;
};

// Reads a palette file's entries into the first entries of `palette`; entries the file does not
// hold keep their values. A file that is not a RIFF palette, or too short to hold even its
// count, changes nothing and says why. A count above 256 or beyond the bytes present is cut to
// what is there.
PaletteFileResult ReadPaletteFile(std::span<const std::uint8_t> bytes, Palette256& palette);
PaletteFileResult LoadPaletteFile(const std::filesystem::path& path, Palette256& palette);

// The 1048-byte file of all 256 entries, flags 0.
std::vector<std::uint8_t> EncodePaletteFile(const Palette256& palette);
// Writes it through a temporary file; throws std::runtime_error naming the file on failure.
void SavePaletteFile(const std::filesystem::path& path, const Palette256& palette);

}  // namespace celwright
