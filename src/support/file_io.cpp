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

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path) {
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += ".tmp" + std::to_string(random() % 1000000);
  return temporary;
}

void RequireRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) {
    throw std::runtime_error("The file \"" + path.string() + "\" does not exist");
  }
  if (std::filesystem::is_directory(status)) {
    throw std::runtime_error("\"" + path.string() + "\" is a folder, not a file");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw std::runtime_error("\"" + path.string() + "\" is not a regular file");
  }
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  return ReadWholeFile(path, 1, {});
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, int steps,
                                        const std::function<void(int)>& on_step) {
  if (steps < 1) steps = 1;
  RequireRegularFile(path);
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) throw std::runtime_error(Describe(path, "open"));
  // The size is only a first guess: the file may change while it is read.
  std::error_code error;
  const auto expected = std::filesystem::file_size(path, error);
  std::vector<std::uint8_t> bytes(error ? 0 : static_cast<std::size_t>(expected));
  const std::size_t step_size = bytes.size() / static_cast<std::size_t>(steps);
  std::size_t done = 0;
  for (int step = 1; step <= steps; ++step) {
    const std::size_t chunk = step < steps ? step_size : bytes.size() - done;
    const std::size_t got = chunk ? std::fread(bytes.data() + done, 1, chunk, file.get()) : 0;
    done += got;
    if (on_step) on_step(step);
    if (got < chunk) break;
  }
  bytes.resize(done);
  std::uint8_t tail[1 << 16];
  for (std::size_t got; (got = std::fread(tail, 1, sizeof tail, file.get())) > 0;) {
    bytes.insert(bytes.end(), tail, tail + got);
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
  const std::filesystem::path temporary = TemporaryPathBeside(path);
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
