#include "document/recovery_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "document/bam_form.h"
#include "model/true_colour_copy.h"
#include "support/escaped_bytes.h"
#include "support/file_io.h"
#include "support/qm_log.h"

namespace celwright {

namespace fs = std::filesystem;

namespace {

std::string NewSessionId() {
  static std::atomic<int> counter{0};
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::to_string(::getpid()) + "-" +
         std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) + "-" +
         std::to_string(counter++);
}

// The original name, escaped: a newline in it must not end it early.
constexpr char kEscapedNameKey[] = "name";
// Descriptions written before names were escaped carry the name as it is.
constexpr char kRawNameKey[] = "original";
// A description is a few short lines; anything larger is damaged or planted, and is not read.
constexpr std::uintmax_t kMaxDetailsBytes = 64 * 1024;

std::string EncodeDetails(const RecoveryDetails& details) {
  return std::string(kEscapedNameKey) + "=" + EscapeControlBytes(details.OriginalFile) +
         "\ntype=" + std::to_string(details.DocType) + "\ntime=" + std::to_string(details.SavedAt) +
         "\n";
}

bool DecodeDetails(const fs::path& info, RecoveryDetails& details) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(info, error);
  if (error || size > kMaxDetailsBytes) return false;
  std::ifstream in(info);
  if (!in) return false;
  std::string line;
  bool has_original = false, has_escaped = false;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    try {
      if (key == kEscapedNameKey) {
        if (!UnescapeControlBytes(value, details.OriginalFile)) return false;
        has_original = has_escaped = true;
      } else if (key == kRawNameKey && !has_escaped) {
        details.OriginalFile = value;
        has_original = true;
      } else if (key == "type") {
        details.DocType = std::stoi(value);
      } else if (key == "time") {
        details.SavedAt = std::stoll(value);
      }
    } catch (const std::exception&) {
      return false;
    }
  }
  return has_original;
}

// Copies hold unsaved work, which may be private: the folder is the user's own, mode 0700,
// and never a link someone else could have pointed elsewhere. An existing folder of ours that
// is open to others is closed; one that is not ours is refused.
bool MakePrivateFolder(const fs::path& folder, std::string& why) {
  if (folder.empty()) {
    why =
        "there is no private folder for them (HOME, XDG_STATE_HOME and XDG_RUNTIME_DIR are unset)";
    return false;
  }
  std::error_code ignored;
  fs::create_directories(folder.parent_path(), ignored);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = "cannot create " + folder.string() + " (" + std::strerror(errno) + ")";
    return false;
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat status = {};
  const bool ours = fd >= 0 && ::fstat(fd, &status) == 0 && status.st_uid == ::geteuid();
  const bool is_private =
      ours && ((status.st_mode & 077) == 0 || ::fchmod(fd, status.st_mode & 0700) == 0);
  if (fd >= 0) ::close(fd);
  if (!is_private) why = folder.string() + " is not a private folder of this user";
  return is_private;
}

// True when no running session holds the copy's lock.
bool Orphaned(const fs::path& lock_path) {
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return true;  // no lock file: nothing holds it
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

}  // namespace

std::unique_ptr<TBAM> MakeRecoverySnapshot(const TBAMForm& form) {
  std::unique_ptr<TBAM> copy = form.BAM.CloneContent();
  if (form.ImageChanged && form.CurrentFrame >= 0 && form.CurrentFrame < copy->FrameCount()) {
    const bool paletted = copy->Paletted();
    copy->SetFrameBitmap(form.CurrentFrame, paletted ? form.WorkImage[1] : form.WorkImage[0],
                         form.FrameRec);
  }
  return copy;
}

RecoveryStore::RecoveryStore(fs::path folder) : folder_(std::move(folder)), id_(NewSessionId()) {}

RecoveryStore::~RecoveryStore() {
  Wait();
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

bool RecoveryStore::WriteAsync(std::unique_ptr<TBAM> snapshot, RecoveryDetails details) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return false;
    running_ = true;
  }
  if (worker_.joinable()) worker_.join();
  std::string why;
  if (!PrepareFolder(why)) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = why;
    running_ = false;
    return false;
  }
  worker_ = std::thread(
      [this, bam = std::move(snapshot), details = std::move(details)] { Write(*bam, details); });
  return true;
}

bool RecoveryStore::PrepareFolder(std::string& why) {
  if (lock_fd_ >= 0) return true;
  if (!MakePrivateFolder(folder_, why)) return false;
  lock_fd_ = ::open((folder_ / (id_ + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock_fd_ >= 0) ::flock(lock_fd_, LOCK_EX | LOCK_NB);
  return true;
}

void RecoveryStore::Write(TBAM& snapshot, const RecoveryDetails& details) {
  std::string error;
  try {
    // Written under the copy's own name, never the document's: the user's file changes only
    // when the user saves.
    if (snapshot.GetBAMType() == kTrueColourBAM) {
      TrueColourCopy::Write(snapshot, CopyPath());
    } else {
      snapshot.SaveToFile(CopyPath().string(),
                          snapshot.GetBAMType() == kUnpalettedBAM ? kUnpalettedBAM : kPalettedBAM,
                          false, false);
    }
    const std::string text = EncodeDetails(details);
    WriteFileAtomically(folder_ / (id_ + ".info"),
                        std::vector<std::uint8_t>(text.begin(), text.end()));
  } catch (const std::exception& e) {
    error = e.what();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = error;
    written_ = written_ || error.empty();
    running_ = false;
  }
  idle_.notify_all();
}

void RecoveryStore::Wait() {
  if (worker_.joinable()) worker_.join();
}

bool RecoveryStore::WaitIdle(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, limit, [this] { return !running_; });
}

void RecoveryStore::Discard() {
  Wait();
  std::error_code ignored;
  for (const char* extension : {".bam", ".info", ".lock"})
    fs::remove(folder_ / (id_ + extension), ignored);
  if (lock_fd_ >= 0) ::close(lock_fd_);
  lock_fd_ = -1;
  std::lock_guard<std::mutex> lock(mutex_);
  written_ = false;
}

bool RecoveryStore::HasCopy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

std::string RecoveryStore::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

std::vector<FoundRecovery> FindOrphanedRecoveries(const fs::path& folder) {
  std::vector<FoundRecovery> found;
  // What another user's folder holds is not this user's work, and is never offered.
  struct stat status = {};
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != ::geteuid())
    return found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const fs::path& info = entry.path();
    if (info.extension() != ".info") continue;
    fs::path copy = info;
    copy.replace_extension(".bam");
    fs::path lock = info;
    lock.replace_extension(".lock");
    FoundRecovery item{copy, {}};
    if (!fs::is_regular_file(copy, error) || !DecodeDetails(info, item.Details)) continue;
    if (Orphaned(lock)) found.push_back(std::move(item));
  }
  std::sort(found.begin(), found.end(), [](const FoundRecovery& a, const FoundRecovery& b) {
    return a.Details.SavedAt < b.Details.SavedAt;
  });
  return found;
}

void RemoveRecovery(const FoundRecovery& found) {
  std::error_code ignored;
  for (const char* extension : {".bam", ".info", ".lock"}) {
    fs::path path = found.Copy;
    fs::remove(path.replace_extension(extension), ignored);
  }
}

fs::path DefaultRecoveryFolder() {
  // Kept across a restart in the state folder; the runtime folder (private to the user, but
  // emptied at log-out) is the fallback. Never a fixed name in a shared folder.
  if (const fs::path state = UserStateFolder(); !state.empty()) return state / "recovery";
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
    return fs::path(runtime) / "celwright-ii-recovery";
  return {};
}

}  // namespace celwright
