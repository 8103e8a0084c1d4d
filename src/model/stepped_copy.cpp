#include "model/stepped_copy.h"

namespace celwright {

void SteppedAppend(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size,
                   const TProgressEvent& on_progress, std::uint8_t stage) {
  constexpr int kSteps = 80;
  const std::size_t step_size = size / kSteps;
  out.reserve(out.size() + size);
  std::size_t copied = 0;
  for (int step = 1; step <= kSteps; ++step) {
    const std::size_t chunk = step < kSteps ? step_size : size - copied;
    out.insert(out.end(), data + copied, data + copied + chunk);
    copied += chunk;
    if (on_progress) on_progress(step, kSteps, stage);
  }
}

}  // namespace celwright
