#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

class TBAMForm;

// What a recovery copy says about the work it holds.
struct RecoveryDetails {
  std::string OriginalFile;  // the document's file name ("Untitled BAM" for a new one)
  int DocType = 0;           // the kind of file it came from
  std::int64_t SavedAt = 0;  // seconds since 1970
};

// A private copy of the document as it stands, pending edits of the frame on screen included,
// which a worker thread can write while editing goes on.
std::unique_ptr<TBAM> MakeRecoverySnapshot(const TBAMForm& form);

// The recovery copy of one editing session: "<id>.bam" written through the atomic writer, a
// small "<id>.info" beside it, and "<id>.lock", held while this session runs so that another
// instance of the program does not take a living session's copy for a crashed one.
class RecoveryStore {
 public:
  explicit RecoveryStore(std::filesystem::path folder);
  ~RecoveryStore();  // waits for a running write; the copy stays (Discard removes it)
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  // Writes the snapshot on a worker thread; false (and nothing done) while the previous write
  // is still running, or when the folder cannot be made private (LastError says why).
  bool WriteAsync(std::unique_ptr<TBAM> snapshot, RecoveryDetails details);
  // Creates the folder (private to the user) and this session's lock, once; false with the
  // reason when there is no private place for copies. Writes call it first.
  bool PrepareFolder(std::string& why);
  // Waits for a running write.
  void Wait();
  // Waits up to `limit` for a running write to end, from any thread (the worker is not joined);
  // false when it is still running.
  bool WaitIdle(std::chrono::milliseconds limit);
  // The work was saved or deliberately closed: waits, then removes the copy.
  void Discard();
  bool HasCopy() const;
  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path CopyPath() const { return folder_ / (id_ + ".bam"); }
  // Why the last write failed; empty when it succeeded.
  std::string LastError() const;

 private:
  void Write(TBAM& snapshot, const RecoveryDetails& details);

  std::filesystem::path folder_;
  std::string id_;
  int lock_fd_ = -1;
  std::thread worker_;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  bool running_ = false;
  bool written_ = false;
  std::string error_;
};

// A copy left by a session that ended without saving or closing.
struct FoundRecovery {
  std::filesystem::path Copy;
  RecoveryDetails Details;
};
// The copies in `folder` whose session no longer runs, oldest first.
std::vector<FoundRecovery> FindOrphanedRecoveries(const std::filesystem::path& folder);
void RemoveRecovery(const FoundRecovery& found);
// The per-user folder the program keeps its recovery copies in; empty when the user has none
// (then no copy is written).
std::filesystem::path DefaultRecoveryFolder();

}  // namespace celwright
