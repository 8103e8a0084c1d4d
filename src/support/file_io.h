#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace celwright {

// Whole-file helpers shared by every codec. Both throw std::runtime_error with a message that
// names the file and the reason.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Writes through a temporary file beside the target and renames it into place, so a failed
// write never destroys the previous file.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace celwright
