#include "document/recovery_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#include "document/bam_form.h"
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

std::string EncodeDetails(const RecoveryDetails& details) {
  return "original=" + details.OriginalFile + "\ntype=" + std::to_string(details.DocType) +
         "\ntime=" + std::to_string(details.SavedAt) + "\n";
}

bool DecodeDetails(const fs::path& info, RecoveryDetails& details) {
  std::ifstream in(info);
  if (!in) return false;
  std::string line;
  bool has_original = false;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    try {
      if (key == "original") {
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
    const bool paletted = copy->GetBAMType() != kUnpalettedBAM;
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
  if (lock_fd_ < 0) {
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    lock_fd_ = ::open((folder_ / (id_ + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd_ >= 0) ::flock(lock_fd_, LOCK_EX | LOCK_NB);
  }
  worker_ = std::thread(
      [this, bam = std::move(snapshot), details = std::move(details)] { Write(*bam, details); });
  return true;
}

void RecoveryStore::Write(TBAM& snapshot, const RecoveryDetails& details) {
  std::string error;
  try {
    // Written under the copy's own name, never the document's: the user's file changes only
    // when the user saves.
    snapshot.SaveToFile(CopyPath().string(),
                        snapshot.GetBAMType() == kUnpalettedBAM ? kUnpalettedBAM : kPalettedBAM,
                        false, false);
    const std::string text = EncodeDetails(details);
    WriteFileAtomically(folder_ / (id_ + ".info"),
                        std::vector<std::uint8_t>(text.begin(), text.end()));
  } catch (const std::exception& e) {
    error = e.what();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = error;
  written_ = written_ || error.empty();
  running_ = false;
}

void RecoveryStore::Wait() {
  if (worker_.joinable()) worker_.join();
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
  const fs::path state = UserStateFolder();
  return state.empty() ? fs::temp_directory_path() / "celwright-ii-recovery" : state / "recovery";
}

}  // namespace celwright
