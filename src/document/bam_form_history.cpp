#include "document/bam_form.h"

namespace celwright {

void TBAMForm::AddHistoryItem() {
  if (!HistoryPending) return;
  log_.Line("HIST: Add Entry");
  HistoryPending = false;
  history_.Record(WorkImage[0], WorkImage[1], FrameRec, BAM.Palette);
  log_.Append(" [OK]");
  NotifyCommandsChanged();
}

// Undo and redo put back a snapshot of the baked frame: pending text and a floating selection
// land first (each its own step, so this undo takes exactly it away) and the selection is
// dropped, so no buffer of it can bring undone pixels back later.
void TBAMForm::Undo() {
  SelectionClear();
  DrawSizerBlocks(false);
  if (const HistoryEntry* entry = history_.StepBack()) {
    ClearOuter(FrameRec, entry->Frame);
    log_.Line("HIST: Undo");
    RestoreSnapshot(*entry);
  }
}

void TBAMForm::Redo() {
  SelectionClear();
  DrawSizerBlocks(false);
  if (const HistoryEntry* entry = history_.StepForward()) {
    ClearOuter(FrameRec, entry->Frame);
    log_.Line("HIST: Redo");
    RestoreSnapshot(*entry);
  }
}

void TBAMForm::RestoreSnapshot(const HistoryEntry& entry) {
  FrameRec = entry.Frame;
  // Brings every frame-sized buffer (selection, overlay) to the snapshot's size.
  FixFrameSize(0, 0, entry.Frame.CentreX, entry.Frame.CentreY, entry.Frame.Width,
               entry.Frame.Height, true, false);
  WorkImage[0] = entry.Image[0];
  WorkImage[1] = entry.Image[1];
  BAM.Palette = entry.Palette;
  log_.Append(" [OK]");
  NotifyPaletteChanged();
  ImageChanged = true;
  RedrawImage(false);
  NotifyCommandsChanged();
}

std::vector<HistoryViewItem> TBAMForm::HistoryViewItems() const {
  std::vector<HistoryViewItem> items;
  for (int i = 0; i < history_.ValidCount(); ++i) {
    const HistoryEntry& entry = history_.Entry(i);
    items.push_back({std::to_string(i), i == history_.RedoCount(), entry.Image[0],
                     entry.Image[1]});
  }
  return items;
}

}  // namespace celwright
