#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace celwright {

// Throws std::runtime_error naming the file when it is missing or is not a regular file (a
// folder, FIFO or device): reading those would fail oddly, block forever or never end.
void RequireRegularFile(const std::filesystem::path& path);

// Whole-file helpers shared by every codec. Both throw std::runtime_error with a message that
// names the file and the reason.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// The same, reading in `steps` pieces and calling `on_step(step)` (1-based) after each.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, int steps,
                                        const std::function<void(int)>& on_step);

// A fresh name beside `path` for a file that is written first and renamed into place later.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path);

// Writes through a temporary file beside the target and renames it into place, so a failed
// write never destroys the previous file.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The same, writing in `steps` pieces and calling `on_step(step)` (1-based) after each, so a
// progress display can follow large files.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                         int steps, const std::function<void(int)>& on_step);

}  // namespace celwright
