#include "document/bam_form.h"

#include <algorithm>

namespace celwright {

bool TBAMForm::PlaySequence() {
  const int sequence = options_.SelectedSequence;
  if (sequence < 0 || sequence >= BAM.CycleCount()) return false;
  const TCycleItem cycle = BAM.GetCycle(sequence);
  const int count = std::min<int>(cycle.Count, static_cast<int>(cycle.Frames.size()));
  // An empty cycle has nothing to show; refusing it keeps the tick from indexing nothing.
  if (count <= 0) return false;
  PlayCycle.FirstIndex = cycle.FirstIndex;
  PlayCycle.Count = count;
  PlayCycle.Frames.assign(cycle.Frames.begin(), cycle.Frames.begin() + count);
  PlayCycle.Position = -1;
  playing_ = true;
  if (hosts_.Timer) {
    hosts_.Timer->StartTimer(PlayIntervalMs(options_.FrameSpeedMs));
  }
  NotifyCommandsChanged();  // Stop becomes possible
  return true;
}

void TBAMForm::Timer1Timer() {
  if (!playing_ || PlayCycle.Count <= 0) return;
  ++PlayCycle.Position;
  if (PlayCycle.Position >= PlayCycle.Count) PlayCycle.Position = 0;
  ShowFrame(PlayCycle.Frames[static_cast<std::size_t>(PlayCycle.Position)]);
}

void TBAMForm::StopSequence() {
  if (!playing_) return;
  playing_ = false;
  if (hosts_.Timer) hosts_.Timer->StopTimer();
  NotifyCommandsChanged();
}

}  // namespace celwright
