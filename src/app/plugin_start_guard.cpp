#include "app/plugin_start_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "support/escaped_bytes.h"

namespace celwright {

namespace fs = std::filesystem;

namespace {

constexpr char kMarkerPrefix[] = "plugin-loading-";
constexpr char kSkipListName[] = "skipped-plugins";
// Both files hold a few short lines; a larger one is not ours, and is not read.
constexpr std::uintmax_t kMaxStateFileBytes = 256 * 1024;

// Which file a skip-list line means: its name and, so that a replaced file is tried again, its
// size and modification time.
std::string Identity(const fs::path& plugin) {
  struct stat status = {};
  if (::stat(plugin.c_str(), &status) != 0) return {};
  return std::to_string(status.st_size) + " " + std::to_string(status.st_mtim.tv_sec) + "." +
         std::to_string(status.st_mtim.tv_nsec) + " " + EscapeControlBytes(plugin.string());
}

std::string ReadSmallFile(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > kMaxStateFileBytes || error)
    return {};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

PluginStartGuard::PluginStartGuard(fs::path state_folder) : folder_(std::move(state_folder)) {
  if (folder_.empty()) return;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const fs::path& marker = it->path();
    if (marker.filename().string().rfind(kMarkerPrefix, 0) != 0) continue;
    const int fd = ::open(marker.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    // A start that still runs holds its marker's lock; only a dead start's marker is read.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      std::string plugin;
      const std::string escaped = ReadSmallFile(marker);
      if (!escaped.empty() && UnescapeControlBytes(escaped, plugin)) {
        AddToSkipList(plugin);
        newly_skipped_.push_back(plugin);
      }
      ::unlink(marker.c_str());
    }
    ::close(fd);
  }
}

PluginStartGuard::~PluginStartGuard() {
  if (marker_fd_ < 0) return;
  ::unlink(marker_.c_str());
  ::close(marker_fd_);
}

fs::path PluginStartGuard::SkipListPath() const { return folder_ / kSkipListName; }

void PluginStartGuard::AddToSkipList(const fs::path& plugin) {
  const std::string identity = Identity(plugin);
  if (identity.empty() || Skipped(plugin)) return;
  std::ofstream(SkipListPath(), std::ios::app) << identity << "\n";
}

std::vector<fs::path> PluginStartGuard::TakeNewlySkipped() { return std::move(newly_skipped_); }

bool PluginStartGuard::Skipped(const fs::path& plugin) const {
  if (folder_.empty()) return false;
  const std::string identity = Identity(plugin);
  std::istringstream lines(ReadSmallFile(SkipListPath()));
  for (std::string line; std::getline(lines, line);)
    if (!identity.empty() && line == identity) return true;
  return false;
}

void PluginStartGuard::Loading(const fs::path& plugin) {
  if (folder_.empty()) return;
  if (marker_fd_ < 0) {
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    marker_ = folder_ / (kMarkerPrefix + std::to_string(::getpid()));
    marker_fd_ = ::open(marker_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (marker_fd_ < 0) return;
    ::flock(marker_fd_, LOCK_EX | LOCK_NB);
  }
  // Only the process has to end for the marker to count, not the machine: no flush to disk.
  const std::string escaped = EscapeControlBytes(plugin.string());
  [[maybe_unused]] const int truncated = ::ftruncate(marker_fd_, 0);
  [[maybe_unused]] const ssize_t written = ::pwrite(marker_fd_, escaped.data(), escaped.size(), 0);
}

void PluginStartGuard::Loaded() {
  if (marker_fd_ < 0) return;
  [[maybe_unused]] const int truncated = ::ftruncate(marker_fd_, 0);
}

}  // namespace celwright
