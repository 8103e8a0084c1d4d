#include "support/file_set_writer.h"

#include <cerrno>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "support/file_io.h"

namespace celwright {

FileSetWriter::~FileSetWriter() {
  for (const auto& [temporary, target] : pending_) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  }
}

void FileSetWriter::Add(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path target = SaveTarget(path);
  std::filesystem::path temporary;
  const int descriptor = CreateTemporaryBeside(target, temporary);
  std::size_t put = 0;
  while (put < bytes.size()) {
    const ssize_t result = ::write(descriptor, bytes.data() + put, bytes.size() - put);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) break;
    put += static_cast<std::size_t>(result);
  }
  const bool closed = ::close(descriptor) == 0;
  if (put < bytes.size() || !closed) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw std::runtime_error("Cannot write \"" + ShownName(path.string()) +
                             "\" (the disk may be full)");
  }
  pending_.emplace_back(temporary, target);
}

void FileSetWriter::Commit() {
  while (!pending_.empty()) {
    const auto [temporary, target] = pending_.front();
    pending_.erase(pending_.begin());
    CommitTemporary(temporary, target);
  }
}

}  // namespace celwright
