#include "support/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

namespace celwright {

namespace {

std::string Describe(const std::filesystem::path& path, const std::string& what) {
  return "Cannot " + what + " \"" + path.string() + "\": " + std::strerror(errno);
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) throw std::runtime_error(Describe(path, "open"));
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) throw std::runtime_error(Describe(path, "read"));
  return bytes;
}

void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteFileAtomically(path, bytes, 1, {});
}

void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                         int steps, const std::function<void(int)>& on_step) {
  if (steps < 1) steps = 1;
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(random() % 1000000);
  {
    FilePtr file(std::fopen(temporary.c_str(), "wb"));
    if (!file) throw std::runtime_error(Describe(path, "create"));
    bool written = true;
    const std::size_t step_size = bytes.size() / static_cast<std::size_t>(steps);
    std::size_t done = 0;
    for (int step = 1; step <= steps && written; ++step) {
      const std::size_t chunk = step < steps ? step_size : bytes.size() - done;
      written = chunk == 0 || std::fwrite(bytes.data() + done, 1, chunk, file.get()) == chunk;
      done += chunk;
      if (written && on_step) on_step(step);
    }
    const bool flushed = std::fflush(file.get()) == 0;
    if (!written || !flushed) {
      const std::string message = Describe(path, "write");
      file.reset();
      std::remove(temporary.c_str());
      throw std::runtime_error(message);
    }
    if (std::fclose(file.release()) != 0) {
      const std::string message = Describe(path, "write");
      std::remove(temporary.c_str());
      throw std::runtime_error(message);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary);
    throw std::runtime_error("Cannot replace \"" + path.string() + "\": " + error.message());
  }
}

}  // namespace celwright
