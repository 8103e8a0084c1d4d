#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace celwright {

// `name` for a message of one line: newlines, carriage returns, tabs and other control
// characters a file name may hold are shown escaped ("\n", "\x1b"), so they can neither break
// the message nor act on a terminal.
std::string ShownName(const std::string& name);

// Throws std::runtime_error naming the file when it is missing or is not a regular file (a
// folder, FIFO or device): reading those would fail oddly, block forever or never end.
void RequireRegularFile(const std::filesystem::path& path);

// Whole-file helpers shared by every codec. Both throw std::runtime_error with a message that
// names the file and the reason.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// The same, reading in `steps` pieces and calling `on_step(step)` (1-based) after each.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, int steps,
                                        const std::function<void(int)>& on_step);

// The file a save of `path` really writes: `path` itself, or, when it is a symbolic link (or a
// chain of them), the file it points to, so a save keeps the link. Throws std::runtime_error
// when that file exists and is read-only (no write permission bit), saying so: a read-only file
// is never replaced.
std::filesystem::path SaveTarget(const std::filesystem::path& path);

// A fresh name beside `path` for a file that is written first and renamed into place later:
// "NAME.celwright-tmp-PID-RANDOM". Temporaries of `path` left by processes that no longer run
// (killed mid-save, for example by SIGXFSZ) are removed first.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path);

// Creates a temporary beside `target` exclusively (O_EXCL, never an existing file or link) with
// the permission bits the saved file will have; returns its descriptor and name.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary);

// Puts a finished temporary in place of `target`: flushes it to disk, gives it `target`'s
// permission bits when `target` exists, renames it over `target` and flushes the folder. Removes
// the temporary and throws std::runtime_error on failure, leaving `target` as it was.
void CommitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target);

// Writes through a temporary file beside the target and renames it into place, so a failed
// write never destroys the previous file. The saved file keeps its permission bits; a symbolic
// link keeps pointing at the file, which is written; a read-only file is refused; file and
// folder are flushed to disk.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The same, writing in `steps` pieces and calling `on_step(step)` (1-based) after each, so a
// progress display can follow large files.
void WriteFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                         int steps, const std::function<void(int)>& on_step);

// The same for a file made of several byte ranges written one after the other, so a file whose
// parts live in different buffers is written without first being copied into one.
void WriteFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts, int steps,
                         const std::function<void(int)>& on_step);

// What a file was like when it was read or written: enough to tell later whether another
// program has replaced or rewritten it since.
struct FileStamp {
  bool Known = false;
  std::uint64_t Size = 0;
  std::uint32_t Checksum = 0;  // CRC-32 of the whole content
};

// The stamp of `path` as it is now; not Known when it is missing or cannot be read.
FileStamp StampFile(const std::filesystem::path& path);

// True when `path` exists and no longer holds what `stamp` describes (another size or content;
// a new modification time alone is no change). A missing file, or an unknown stamp, is no
// change: nothing would be lost.
bool FileChangedSince(const std::filesystem::path& path, const FileStamp& stamp);

}  // namespace celwright
