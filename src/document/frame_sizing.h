#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/tool_state.h"
#include "model/bam_types.h"
#include "support/bitmap.h"

namespace celwright {

class TBAMForm;

// Sizing zone bits besides the handle edges of tool_state.h: both edges of a dimension move
// (the centre is scaled), and the size comes typed rather than from the pointer.
inline constexpr std::uint8_t kSizerCentredX = 2;
inline constexpr std::uint8_t kSizerCentredY = 16;
inline constexpr std::uint8_t kSizerTyped = 0x40;

// The frame `start` becomes when the edges named in `zone` move to give it `width` x `height`.
// A moving left or top edge shifts the centre by the amount cut; centred sizing scales it. A
// negative size, or a dimension with no bit in `zone`, stays as it was.
TBAMFrame SizedFrame(const TBAMFrame& start, std::uint8_t zone, int width, int height);

// Empty when a frame of this geometry can be made; otherwise the message that says why not.
std::string FrameSizeRefusal(const TBAMFrame& frame);

// Empty when a picture of width x height can become a frame; otherwise the message that names
// `what` and its size and says that nothing was `done` ("The turned frame", "turned").
std::string PictureSizeRefusal(const std::string& what, long long width, long long height,
                               const std::string& done);

// A frame-size change in progress, worked out from the state at its start: the handle drag and
// the resize dialog both run one. Each step starts again from the saved buffers, so shrinking
// and growing again loses nothing, and cancelling puts back every buffer byte for byte. The
// picture stays on its centre: the content moves by the change of the centre point, whichever
// edges moved.
class FrameSizing {
 public:
  // Saves the frame and its buffers. New area takes the background colour the palette panel
  // shows.
  void Begin(TBAMForm& form);
  bool Active() const { return form_ != nullptr; }
  const TBAMFrame& Start() const { return start_; }
  const TBAMFrame& Applied() const { return applied_; }

  // Shows the frame with the geometry `next`. Returns false, keeping the last geometry that
  // could be made, when this one cannot (Refusal() says why).
  bool Apply(const TBAMFrame& next);
  // Puts the frame and every buffer back as they were at Begin, and ends the change.
  void Restore();
  // Keeps the applied geometry and ends the change; returns whether the size or centre
  // changed. The caller records the history step.
  bool Finish();
  // The message of the last refusal, cleared by reading it.
  std::string TakeRefusal();

 private:
  void PutBackStart();

  TBAMForm* form_ = nullptr;
  TBAMFrame start_;
  TBAMFrame applied_;
  bool changed_before_ = false;
  std::array<Bitmap, 2> work_;
  std::array<Bitmap, 2> selection_;
  Bitmap mask_;
  Bitmap overlay_;
  std::string refusal_;
};

}  // namespace celwright
