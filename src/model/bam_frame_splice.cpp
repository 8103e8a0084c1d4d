#include <stdexcept>

#include "model/qm_BAM.h"

namespace celwright {

void TBAM::SpliceFrames(std::int32_t first, std::int32_t count,
                        const std::vector<TBAMFrame>& frames,
                        const std::vector<std::uint8_t>& bytes) {
  if (first < 0 || count < 0 || first > FrameCount() || count > FrameCount() - first) {
    throw EFrameNotExists(FrameNotExistsMessage(first + count, 7));
  }
  std::size_t total = 0;
  for (const TBAMFrame& frame : frames) total += static_cast<std::size_t>(frame.DataSize);
  if (total != bytes.size()) throw std::invalid_argument("Frame records and bytes disagree");

  const std::size_t position = FrameDataPosition(first);
  const std::size_t old_size = FrameDataPosition(first + count) - position;
  SpliceData(position, old_size, bytes);
  const auto at = frames_.begin() + first;
  frames_.erase(at, at + count);
  frames_.insert(frames_.begin() + first, frames.begin(), frames.end());
  RebuildFramePositions();
}

}  // namespace celwright
