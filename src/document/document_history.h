#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

// Everything saved with the animation besides frames and cycles.
struct DocumentProperties {
  std::uint8_t BAMType = kNoBAM;
  std::uint8_t DocType = 0;  // the kind of file the window saves to
  TColor CompCol = 0;
  std::uint8_t CompColIndex = 0;
  std::int32_t TranspInd = 0;
  std::int32_t ShadowInd = 1;
  bool Compressed = false;
  TColor TransCol = 0;
  TColor ShadowCol = 0;
  Palette256 Palette{};
  std::array<std::uint8_t, 256> PaletteFourthBytes{};  // newer engines read them as alpha
  friend bool operator==(const DocumentProperties&, const DocumentProperties&) = default;

  static DocumentProperties Of(const TBAM& bam, std::uint8_t doc_type);
  void ApplyTo(TBAM& bam) const;
};

// The frames a change may replace: `Count` frames from `First`; a negative count means any.
struct FrameSpan {
  std::int32_t First = 0;
  std::int32_t Count = -1;
  static FrameSpan All() { return {}; }
  static FrameSpan One(std::int32_t frame) { return {frame, 1}; }
  static FrameSpan Before(std::int32_t frame) { return {frame, 0}; }
};

// Encoded frame bytes as a step keeps them.
struct PackedBytes {
  std::vector<std::uint8_t> Bytes;
  bool Raw = false;  // kept as they were: deflating them ran out of memory
};

// A run of frames as a step keeps it: the records, and their encoded bytes deflated. A large
// run is deflated beside the editor (a whole large frame takes tens of milliseconds), and the
// side after the newest change is not copied at all until that change is undone: until then
// the animation itself holds those bytes.
struct StoredFrames {
  std::vector<TBAMFrame> Records;
  std::size_t RawSize = 0;
  PackedBytes Packed;
  std::future<PackedBytes> Packing;  // valid while the bytes are being deflated
  bool InAnimation = false;
  std::size_t Bytes() const;
};

struct HistoryStep {
  std::string Name;
  std::int32_t First = 0;  // the frames Before held from here are After's in the other state
  StoredFrames Before;
  StoredFrames After;
  // Only when the step changed them (most steps change neither, and a palette is 768 bytes).
  std::unique_ptr<const std::pair<std::vector<TCycleItem>, std::vector<TCycleItem>>> Cycles;
  std::unique_ptr<const std::pair<DocumentProperties, DocumentProperties>> Properties;
  std::int32_t FrameBefore = -1;  // the frame on show before and after the change
  std::int32_t FrameAfter = -1;
  std::size_t Bytes() const;
};

// What an undo or redo put back, so the window can show it.
struct HistoryMove {
  std::int32_t Frame = -1;  // the frame the step changed (or showed)
  bool Properties = false;  // the palette or file properties changed
};

// The document's history of changes: each step keeps only what it changed (a run of frames'
// encoded bytes, the cycle table, the properties) on both sides, so undo and redo are splices.
// Steps are kept within a memory budget, oldest dropped first. The history follows the
// animation only through Begin/End: a change made without them is folded into the next step
// where it can be (cycles, properties), and a frame count that no longer matches makes the
// history start afresh rather than splice the wrong frames.
class DocumentHistory {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

  // Forgets every step; the state given is the one last saved.
  void Reset(const TBAM& bam, const DocumentProperties& properties);
  bool Started() const { return started_; }

  void SetBudget(std::size_t bytes);
  std::size_t Budget() const { return budget_; }
  std::size_t MemoryUsed() const { return used_; }

  // Opens a step that may replace the frames of `span`. False, with nothing kept, when what the
  // step must keep cannot fit the budget or memory: the caller then leaves the change unmade.
  bool Begin(const TBAM& bam, std::string name, FrameSpan span, std::int32_t shown_frame);
  bool Open() const { return open_.has_value(); }
  // Closes the open step; a step that changed nothing is dropped. True when a step was added.
  bool End(const TBAM& bam, const DocumentProperties& properties, std::int32_t shown_frame);
  void Cancel() { open_.reset(); }

  // Puts the step before (or after) the current state back into `bam`, and the properties into
  // `properties`. Nothing when there is no step that way.
  std::optional<HistoryMove> Undo(TBAM& bam, DocumentProperties& properties);
  std::optional<HistoryMove> Redo(TBAM& bam, DocumentProperties& properties);

  // The state on disk: marked at each save; undoing or redoing back to it reads as unmodified.
  // A save may change properties (compression, the kind of file) without being a step.
  void MarkSaved(const DocumentProperties& properties) {
    saved_ = static_cast<std::ptrdiff_t>(position_);
    properties_ = properties;
  }
  bool AtSavedState() const { return saved_ == static_cast<std::ptrdiff_t>(position_); }

  int Position() const { return static_cast<int>(position_); }  // steps done
  int StepCount() const { return static_cast<int>(steps_.size()); }
  int UndoCount() const { return Position(); }
  int RedoCount() const { return StepCount() - Position(); }
  const std::string& StepName(int index) const {
    return steps_.at(static_cast<std::size_t>(index)).Name;
  }

 private:
  struct OpenStep {
    std::string Name;
    std::int32_t First = 0;
    std::int32_t Count = 0;
    std::int32_t FrameCount = 0;
    std::vector<TBAMFrame> Records;
    std::vector<std::uint8_t> Bytes;
    std::int32_t Shown = -1;
  };
  // Takes in the deflated bytes of every run that is ready (all of them when `wait`).
  void SettlePacking(bool wait);
  // Keeps the animation's frames of `side` (from `first`), which it held until now.
  void TakeFromAnimation(const TBAM& bam, std::int32_t first, StoredFrames& side);
  void Settle(StoredFrames& side, bool wait);
  void DropRedoBranch();
  std::optional<HistoryMove> Move(TBAM& bam, DocumentProperties& properties, bool back);
  void TrimToBudget();
  bool InStep(const TBAM& bam) const;

  std::deque<HistoryStep> steps_;
  std::size_t position_ = 0;
  // -1: the saved state is no longer reachable (dropped, or on a discarded redo branch).
  std::ptrdiff_t saved_ = 0;
  std::size_t budget_ = kDefaultBudget;
  std::size_t used_ = 0;
  bool started_ = false;
  std::int32_t frame_count_ = 0;
  std::vector<TCycleItem> cycles_;
  DocumentProperties properties_;
  std::optional<OpenStep> open_;
};

}  // namespace celwright
