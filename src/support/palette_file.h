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
// A raw palette: 256 entries of red, green, blue and nothing else.
inline constexpr std::size_t kRawPaletteSize = 768;

struct PaletteFileResult {
  bool Ok = false;
  std::string Error;  // why nothing was loaded
  int EntriesRead = 0;
  std::string Note;   // what the user should know about a palette that was loaded
};

// Reads a palette file's entries into the first entries of `palette`; entries the file does not
// hold keep their values. Reads Microsoft RIFF palettes, JASC-PAL text palettes and raw 768-byte
// palettes. A file of none of these kinds, one stating no entries, or a malformed one changes
// nothing and says why. A RIFF or JASC count above 256 or beyond the entries present is cut to
// what is there, and `Note` says so.
PaletteFileResult ReadPaletteFile(std::span<const std::uint8_t> bytes, Palette256& palette);
PaletteFileResult LoadPaletteFile(const std::filesystem::path& path, Palette256& palette);

// The 1048-byte file of all 256 entries, flags 0.
std::vector<std::uint8_t> EncodePaletteFile(const Palette256& palette);
// Writes it through a temporary file; throws std::runtime_error naming the file on failure.
void SavePaletteFile(const std::filesystem::path& path, const Palette256& palette);

}  // namespace celwright
