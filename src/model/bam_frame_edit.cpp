#include "model/qm_BAM.h"

#include "model/engine_rules.h"

namespace celwright {

void TBAM::InsertFrameNode(std::int32_t index, std::int32_t cycle, std::int32_t position,
                           const TBAMFrame& node, const std::vector<std::uint8_t>& bytes) {
  // Refused before anything changes, so the animation stays as it was.
  engine::RequireFrameCount(std::int64_t{FrameCount()} + 1);
  if (cycle >= 0 && cycle < CycleCount()) engine::RequireLookupEntryCount(LookupEntryCount() + 1);
  // Later frames move up one number; every cycle entry that named them follows. Appending
  // renumbers nothing, so building an animation frame by frame stays linear.
  if (index < FrameCount()) {
    for (TCycleItem& item : cycles_) {
      for (std::int32_t& entry : item.Frames) {
        if (entry >= index) ++entry;
      }
    }
  }
  if (cycle >= 0 && cycle < CycleCount()) {
    TCycleItem& item = cycles_[cycle];
    const std::int32_t at = (position < 0 || position > item.Count) ? item.Count : position;
    item.Frames.insert(item.Frames.begin() + at, index);
    ++item.Count;
    for (std::int32_t later = cycle + 1; later < CycleCount(); ++later) ++cycles_[later].FirstIndex;
  }
  SpliceData(FrameDataPosition(index), 0, bytes);
  const std::size_t before = index == 0 ? 0 : frame_ends_[static_cast<std::size_t>(index) - 1];
  frames_.insert(frames_.begin() + index, node);
  frame_ends_.insert(frame_ends_.begin() + index, before + bytes.size());
  ShiftFramePositions(static_cast<std::size_t>(index) + 1, static_cast<std::int64_t>(bytes.size()));
}

void TBAM::InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position,
                       bool duplicate) {
  if (CycleCount() == 0) cycle = -1;
  if (FrameCount() == 0) index = -1;
  if (index == -1) index = FrameCount();
  if (index < 0 || index > FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 4));

  TBAMFrame node;
  node.Width = 32;
  node.Height = 32;
  node.CentreX = 16;
  node.CentreY = 16;
  const std::int32_t neighbour = index == FrameCount() ? FrameCount() - 1 : index;
  std::vector<std::uint8_t> bytes;
  if (neighbour >= 0) {
    const TBAMFrame& source = frames_[neighbour];
    node.Width = source.Width;
    node.Height = source.Height;
    node.CentreX = source.CentreX;
    node.CentreY = source.CentreY;
    if (duplicate) {
      const std::size_t at = FrameDataPosition(neighbour);
      bytes.assign(Data.begin() + static_cast<std::ptrdiff_t>(at),
                   Data.begin() + static_cast<std::ptrdiff_t>(at + source.DataSize));
      node.RLE = source.RLE;
    }
  }
  if (!duplicate || neighbour < 0) bytes = TransparentFrameBytes(node.Width, node.Height, node.RLE);
  node.DataSize = static_cast<std::int32_t>(bytes.size());
  InsertFrameNode(index, cycle, position, node, bytes);
}

void TBAM::InsertFrameData(std::int32_t index, std::int32_t cycle, std::int32_t position,
                           const std::vector<std::uint8_t>& source, const TBAMFrame& info) {
  if (CycleCount() == 0) cycle = -1;
  if (FrameCount() == 0) index = -1;
  if (index == -1) index = FrameCount();
  if (index < 0 || index > FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 5));
  TBAMFrame node;
  node.Height = info.Height;
  node.Width = info.Width;
  node.CentreX = info.CentreX;
  node.CentreY = info.CentreY;
  node.RLE = info.RLE;
  node.DataSize = static_cast<std::int32_t>(source.size());
  InsertFrameNode(index, cycle, position, node, source);
}

void TBAM::DeleteFrame(std::int32_t index) {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 3));
  for (TCycleItem& item : cycles_) {
    TSmallLookup kept;
    kept.reserve(item.Frames.size());
    for (std::int32_t entry : item.Frames) {
      if (entry == index) continue;
      kept.push_back(entry > index ? entry - 1 : entry);
    }
    item.Frames = std::move(kept);
    item.Count = static_cast<std::int32_t>(item.Frames.size());
  }
  const std::size_t size = static_cast<std::size_t>(frames_[index].DataSize);
  SpliceData(FrameDataPosition(index), size, {});
  frames_.erase(frames_.begin() + index);
  frame_ends_.erase(frame_ends_.begin() + index);
  ShiftFramePositions(static_cast<std::size_t>(index), -static_cast<std::int64_t>(size));
}

}  // namespace celwright
