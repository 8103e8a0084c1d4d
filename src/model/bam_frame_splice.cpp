#include <stdexcept>

#include "model/qm_BAM.h"

namespace celwright {

namespace {

std::size_t DataSizeOf(const std::vector<TBAMFrame>& frames) {
  std::size_t total = 0;
  for (const TBAMFrame& frame : frames) total += static_cast<std::size_t>(frame.DataSize);
  return total;
}

}  // namespace

void TBAM::SpliceFrames(std::int32_t first, std::int32_t count,
                        const std::vector<TBAMFrame>& frames,
                        const std::vector<std::uint8_t>& bytes) {
  if (first < 0 || count < 0 || first > FrameCount() || count > FrameCount() - first) {
    throw EFrameNotExists(FrameNotExistsMessage(first + count, 7));
  }
  if (DataSizeOf(frames) != bytes.size()) throw std::invalid_argument("Frame records and bytes disagree");

  const std::size_t position = FrameDataPosition(first);
  const std::size_t old_size = FrameDataPosition(first + count) - position;
  SpliceData(position, old_size, bytes);
  ReplaceFrameRecords(first, count, frames);
}

void TBAM::SpliceFrameRecords(std::int32_t first, std::int32_t count,
                              const std::vector<TBAMFrame>& frames) {
  if (first < 0 || count < 0 || first > FrameCount() || count > FrameCount() - first) {
    throw EFrameNotExists(FrameNotExistsMessage(first + count, 7));
  }
  if (DataSizeOf(frames) != FrameDataPosition(first + count) - FrameDataPosition(first))
    throw std::invalid_argument("Frame records and bytes disagree");
  ReplaceFrameRecords(first, count, frames);
}

void TBAM::ReplaceFrameRecords(std::int32_t first, std::int32_t count,
                               const std::vector<TBAMFrame>& frames) {
  const auto at = frames_.begin() + first;
  frames_.erase(at, at + count);
  frames_.insert(frames_.begin() + first, frames.begin(), frames.end());
  RebuildFramePositions();
}

}  // namespace celwright
