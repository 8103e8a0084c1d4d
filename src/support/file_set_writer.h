#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace celwright {

// Several files written as one save (an animation and its texture pages): each is written to a
// temporary beside its target first, and only when every one is written are they renamed into
// place, in the order they were added. A set destroyed before Commit removes its temporaries, so
// a failed save leaves every old file as it was.
class FileSetWriter {
 public:
  FileSetWriter() = default;
  ~FileSetWriter();
  FileSetWriter(const FileSetWriter&) = delete;
  FileSetWriter& operator=(const FileSetWriter&) = delete;

  // Writes `bytes` to a temporary for `path`; throws std::runtime_error naming the file.
  void Add(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
  // Renames every temporary over its target; throws std::runtime_error when one cannot be.
  void Commit();

 private:
  // (temporary, target)
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> pending_;
};

}  // namespace celwright
