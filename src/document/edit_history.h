#pragma once

#include <array>

#include "model/bam_types.h"
#include "support/bitmap.h"
#include "support/color_types.h"

namespace celwright {

// The whole state of the frame being edited, so that undo is a plain restore.
struct HistoryEntry {
  std::array<Bitmap, 2> Image;  // true-colour image, index image
  TBAMFrame Frame;
  Palette256 Palette{};
};

// Eleven snapshots of one frame, newest first. The state on screen is Entry(RedoCount()); the
// valid snapshots are 0 .. RedoCount() + UndoCount(). Recording drops the redo branch and, once
// ten steps are stored, the oldest one.
class EditHistory {
 public:
  static constexpr int kEntries = 11;
  static constexpr int kMaxUndo = kEntries - 1;

  // A fresh history for a newly shown frame: `state` is the only snapshot.
  void Start(const Bitmap& colours, const Bitmap& indices, const TBAMFrame& frame,
             const Palette256& palette);
  void Record(const Bitmap& colours, const Bitmap& indices, const TBAMFrame& frame,
              const Palette256& palette);
  // Moves one step back or forward and returns the snapshot to restore; nullptr when there is
  // no step in that direction.
  const HistoryEntry* StepBack();
  const HistoryEntry* StepForward();

  int UndoCount() const { return undo_count_; }
  int RedoCount() const { return redo_count_; }
  int ValidCount() const { return undo_count_ + redo_count_ + 1; }
  const HistoryEntry& Entry(int index) const {
    return entries_.at(static_cast<std::size_t>(index));
  }

 private:
  static void Store(HistoryEntry& entry, const Bitmap& colours, const Bitmap& indices,
                    const TBAMFrame& frame, const Palette256& palette);

  std::array<HistoryEntry, kEntries> entries_;
  int undo_count_ = 0;
  int redo_count_ = 0;
};

}  // namespace celwright
