#include "document/edit_history.h"

#include <algorithm>

namespace celwright {

void EditHistory::Store(HistoryEntry& entry, const Bitmap& colours, const Bitmap& indices,
                        const TBAMFrame& frame, const Palette256& palette) {
  // Assignment reuses the snapshot's pixel storage, so recording allocates only when a frame
  // grows.
  entry.Image[0] = colours;
  entry.Image[1] = indices;
  entry.Frame = frame;
  entry.Palette = palette;
}

void EditHistory::Start(const Bitmap& colours, const Bitmap& indices, const TBAMFrame& frame,
                        const Palette256& palette) {
  undo_count_ = 0;
  redo_count_ = 0;
  Store(entries_[0], colours, indices, frame, palette);
}

void EditHistory::Record(const Bitmap& colours, const Bitmap& indices, const TBAMFrame& frame,
                         const Palette256& palette) {
  const auto first = entries_.begin();
  if (redo_count_ > 0) {
    // The undone steps go: the state on screen becomes the newest snapshot again.
    std::rotate(first, first + redo_count_, first + redo_count_ + undo_count_ + 1);
    redo_count_ = 0;
  }
  if (undo_count_ < kMaxUndo) ++undo_count_;
  // Every snapshot moves one older; the slot that falls off the end is reused for the new one.
  std::rotate(first, first + undo_count_, first + undo_count_ + 1);
  Store(entries_[0], colours, indices, frame, palette);
}

const HistoryEntry* EditHistory::StepBack() {
  if (undo_count_ == 0) return nullptr;
  --undo_count_;
  ++redo_count_;
  return &entries_[static_cast<std::size_t>(redo_count_)];
}

const HistoryEntry* EditHistory::StepForward() {
  if (redo_count_ == 0) return nullptr;
  ++undo_count_;
  --redo_count_;
  return &entries_[static_cast<std::size_t>(redo_count_)];
}

}  // namespace celwright
