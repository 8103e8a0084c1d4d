#include "support/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

#include "support/crc32.h"

namespace celwright {

std::string ShownName(const std::string& name) {
  static const char* const kHex = "0123456789abcdef";
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return shown;
}

namespace {

std::string Describe(const std::filesystem::path& path, const std::string& what) {
  const std::string reason = std::strerror(errno);
  return "Cannot " + what + " \"" + ShownName(path.string()) + "\": " + reason;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

namespace {

constexpr const char* kTemporaryMark = ".celwright-tmp-";

// Removes "NAME.celwright-tmp-PID-..." files beside `path` whose process no longer runs.
void RemoveStaleTemporaries(const std::filesystem::path& path) {
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  const std::string prefix = path.filename().string() + kTemporaryMark;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return;
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || !end || *end != '-') continue;
    if (pid == static_cast<long>(::getpid())) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::filesystem::remove(entry.path(), error);
  }
}

mode_t CreationMode(const std::filesystem::path& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  return 0666;  // narrowed by the umask, as for any new file
}

void SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

// A file with other hard links keeps its inode, so every name still shows the saved content:
// the complete, synced temporary is copied into it. Space is reserved first, so a full disk
// fails before the old content is touched; should writing still fail, the message says where
// the complete new content was kept.
void CopyIntoLinkedFile(const std::filesystem::path& temporary,
                        const std::filesystem::path& target) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(temporary);
  } catch (const std::exception&) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
  const int descriptor = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  auto fail = [&](bool touched) {
    const std::string reason = std::strerror(errno);
    if (descriptor >= 0) ::close(descriptor);
    if (!touched) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw std::runtime_error("Cannot write \"" + ShownName(target.string()) + "\": " + reason);
    }
    throw std::runtime_error("Cannot write \"" + ShownName(target.string()) +
                             "\" (a file with other hard links, written in place): " + reason +
                             "; it may be damaged, the saved content is kept in \"" +
                             ShownName(temporary.string()) + "\"");
  };
  if (descriptor < 0) fail(false);
  if (!bytes.empty()) {
    const int reserved = ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0,
                                     static_cast<off_t>(bytes.size()));
    if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) fail(false);
  }
  std::size_t put = 0;
  while (put < bytes.size()) {
    const ssize_t result = ::pwrite(descriptor, bytes.data() + put, bytes.size() - put,
                                    static_cast<off_t>(put));
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) fail(true);
    put += static_cast<std::size_t>(result);
  }
  if (::ftruncate(descriptor, static_cast<off_t>(bytes.size())) != 0) fail(true);
  if (::fsync(descriptor) != 0) fail(true);
  ::close(descriptor);
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  SyncFolderOf(temporary);
}

}  // namespace

std::filesystem::path SaveTarget(const std::filesystem::path& path) {
  std::filesystem::path target = path;
  std::error_code error;
  for (int depth = 0; depth < 40 && std::filesystem::is_symlink(target, error); ++depth) {
    const std::filesystem::path link = std::filesystem::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  // Renaming a new file over a device or pipe would replace the node itself (as root, even one
  // under /dev); a folder gets the same refusal before anything is written.
  if (exists && S_ISDIR(info.st_mode)) {
    throw std::runtime_error("Cannot save \"" + ShownName(path.string()) +
                             "\": it is a folder, not a file; save under another name");
  }
  if (exists && !S_ISREG(info.st_mode)) {
    throw std::runtime_error("Cannot save \"" + ShownName(path.string()) +
                             "\": it is a device or pipe, not a regular file; save under another "
                             "name");
  }
  if (exists && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    throw std::runtime_error("Cannot save \"" + ShownName(path.string()) +
                             "\": the file is read-only; save under another name or make it "
                             "writable first");
  }
  return target;
}

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path) {
  RemoveStaleTemporaries(path);
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000000);
  return temporary;
}

int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
  const mode_t mode = CreationMode(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryPathBeside(target);
    const int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (descriptor >= 0) {
      // The umask may have narrowed an existing file's bits; the saved file keeps them exactly.
      struct stat info {};
      if (::stat(target.c_str(), &info) == 0) ::fchmod(descriptor, mode);
      return descriptor;
    }
    if (errno != EEXIST) break;
  }
  throw std::runtime_error(Describe(target, "create a temporary file beside"));
}

void CommitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target) {
  auto fail = [&](const std::string& message) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw std::runtime_error(message);
  };
  const int descriptor = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) fail(Describe(target, "write"));
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) ::fchmod(descriptor, info.st_mode & 07777);
  const bool synced = ::fsync(descriptor) == 0;
  ::close(descriptor);
  if (!synced) fail(Describe(target, "write"));
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1) {
    CopyIntoLinkedFile(temporary, target);
    return;
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) fail("Cannot replace \"" + ShownName(target.string()) + "\": " + error.message());
  SyncFolderOf(target);
}

void RequireRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) {
    throw std::runtime_error("The file \"" + ShownName(path.string()) + "\" does not exist");
  }
  if (std::filesystem::is_directory(status)) {
    throw std::runtime_error("\"" + ShownName(path.string()) + "\" is a folder, not a file");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw std::runtime_error("\"" + ShownName(path.string()) + "\" is not a regular file");
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
  WriteFileAtomically(path, {std::span<const std::uint8_t>(bytes)}, steps, on_step);
}

namespace {

// Writes all of `bytes`, retrying after interruptions; false when the file takes no more.
bool WriteAll(int descriptor, const std::uint8_t* bytes, std::size_t size) {
  std::size_t put = 0;
  while (put < size) {
    const ssize_t result = ::write(descriptor, bytes + put, size - put);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) return false;
    put += static_cast<std::size_t>(result);
  }
  return true;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts, int steps,
                         const std::function<void(int)>& on_step) {
  if (steps < 1) steps = 1;
  const std::filesystem::path target = SaveTarget(path);
  std::filesystem::path temporary;
  const int descriptor = CreateTemporaryBeside(target, temporary);
  std::size_t total = 0;
  for (const auto& part : parts) total += part.size();
  // Steps cut the whole file into equal pieces wherever the parts begin and end.
  const std::size_t step_size = total / static_cast<std::size_t>(steps);
  const auto* part = parts.begin();
  std::size_t in_part = 0;
  bool written = true;
  std::size_t done = 0;
  for (int step = 1; step <= steps && written; ++step) {
    std::size_t chunk = step < steps ? step_size : total - done;
    done += chunk;
    while (chunk > 0 && written) {
      while (in_part == part->size()) {
        ++part;
        in_part = 0;
      }
      const std::size_t piece = std::min(chunk, part->size() - in_part);
      written = WriteAll(descriptor, part->data() + in_part, piece);
      in_part += piece;
      chunk -= piece;
    }
    if (written && on_step) on_step(step);
  }
  const std::string message = written ? std::string() : Describe(path, "write");
  const bool closed = ::close(descriptor) == 0;
  if (!written || !closed) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw std::runtime_error(written ? Describe(path, "write") : message);
  }
  CommitTemporary(temporary, target);
}

namespace {

bool StatOf(const std::filesystem::path& path, FileStamp& stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  stamp.Size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

}  // namespace

FileStamp StampFile(const std::filesystem::path& path) {
  FileStamp stamp;
  // Read in pieces: a stamp is taken after every open and save, and a copy of a large file
  // only to checksum it cost more than the open's own reading.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return stamp;
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return stamp;
  }
  std::vector<std::uint8_t> piece(std::size_t{256} << 10);
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  for (;;) {
    const ssize_t got = ::read(descriptor, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(descriptor);
      return stamp;
    }
    if (got == 0) break;
    crc = CRC32(piece.data(), static_cast<std::size_t>(got), crc);
    size += static_cast<std::uint64_t>(got);
  }
  ::close(descriptor);
  stamp.Checksum = crc;
  stamp.Size = size;
  stamp.Known = true;
  return stamp;
}

bool FileChangedSince(const std::filesystem::path& path, const FileStamp& stamp) {
  if (!stamp.Known) return false;
  FileStamp now;
  if (!StatOf(path, now)) return false;
  if (now.Size != stamp.Size) return true;
  // A new time with the same content (a touch, a copy back) loses nothing; the same time can
  // still hide a rewrite within the clock's resolution. The content decides both.
  const FileStamp read = StampFile(path);
  return read.Known && read.Checksum != stamp.Checksum;
}

}  // namespace celwright
