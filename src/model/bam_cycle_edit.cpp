#include "model/qm_BAM.h"

#include "model/engine_rules.h"

namespace celwright {

bool TBAM::AddCycle(std::int32_t copy_of) {
  TCycleItem item;
  if (copy_of != -1) {
    if (copy_of < 0 || copy_of >= CycleCount()) return false;
    engine::RequireLookupEntryCount(LookupEntryCount() + cycles_[copy_of].Count);
    item.Frames = cycles_[copy_of].Frames;
    item.Count = cycles_[copy_of].Count;
  }
  if (!cycles_.empty()) item.FirstIndex = cycles_.back().FirstIndex + cycles_.back().Count;
  cycles_.push_back(std::move(item));
  return true;
}

bool TBAM::DeleteCycle(std::int32_t index) {
  if (index < 0 || index >= CycleCount()) return false;
  cycles_.erase(cycles_.begin() + index);
  return true;
}

void TBAM::AddFrameToCycle(std::int32_t frame, std::int32_t cycle) {
  if (cycle < 0 || cycle >= CycleCount()) {
    throw EFrameNotExists("Requested cycle (" + std::to_string(cycle) + ") does not exist! (2)");
  }
  // A cycle must only ever name existing frames; a bad number would surface much later as a
  // frame that cannot be drawn.
  if (frame < 0 || frame >= FrameCount()) {
    throw EFrameNotExists("Requested frame (" + std::to_string(frame) + ") does not exist! (2)");
  }
  engine::RequireLookupEntryCount(LookupEntryCount() + 1);
  cycles_[cycle].Frames.push_back(frame);
  ++cycles_[cycle].Count;
}

bool TBAM::DeleteFrameFromCycle(std::int32_t cycle, std::int32_t position) {
  if (cycle < 0 || cycle >= CycleCount()) return false;
  TCycleItem& item = cycles_[cycle];
  if (position < 0 || position >= item.Count) return false;
  item.Frames.erase(item.Frames.begin() + position);
  --item.Count;
  return true;
}

bool TBAM::MoveFrameInCycle(std::int32_t cycle, std::int32_t from_pos, std::int32_t to_pos) {
  if (cycle < 0 || cycle >= CycleCount()) return false;
  TCycleItem& item = cycles_[cycle];
  if (from_pos < 0 || from_pos >= item.Count || to_pos < 0 || to_pos >= item.Count) return false;
  const std::int32_t moved = item.Frames[from_pos];
  item.Frames.erase(item.Frames.begin() + from_pos);
  item.Frames.insert(item.Frames.begin() + to_pos, moved);
  return true;
}

}  // namespace celwright

namespace celwright {

std::int64_t TBAM::LookupEntryCount() const {
  std::int64_t entries = 0;
  for (const TCycleItem& cycle : cycles_) entries += cycle.Count;
  return entries;
}

}  // namespace celwright
