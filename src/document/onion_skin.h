#pragma once

#include <cstdint>
#include <vector>

#include "document/document_options.h"
#include "document/view_composer.h"
#include "model/qm_BAM.h"
#include "support/bitmap.h"

namespace celwright {

// What the onion skin is drawn from: the document, the frame on screen and its sequence entry.
struct OnionSkinSubject {
  const TBAM* Bam = nullptr;
  std::int32_t Frame = -1;
  TBAMFrame Record;  // the frame on screen as shown (size and centre may be edited)
  std::int32_t Cycle = -1;
  std::int32_t Entry = -1;  // the current frame's entry in the cycle; -1: its first entry
};

// The neighbours' pixels in the current frame's coordinates, each neighbour placed by its own
// centre point (frames of one cycle differ in size), tinted and faded with distance. The
// underlay covers the neighbours wherever they reach, beyond the current frame's box too: a
// larger or shifted neighbour shows whole. Rebuilt only when what it is made of changes, so
// repaints while drawing cost just the blend.
class OnionUnderlay {
 public:
  void Update(const OnionSkinSubject& subject, const OnionSkinOptions& options);
  bool Empty() const { return empty_; }
  // Blends the underlay into the composed client area: inside the current frame where it is
  // transparent (by `sources`' transparency rules), leaving grid lines alone; around the frame
  // wherever a neighbour reaches.
  void Apply(const ViewSources& sources, ViewPoint origin, Bitmap& client) const;

 private:
  void Rebuild(const OnionSkinSubject& subject, const OnionSkinOptions& options,
               const std::vector<std::int32_t>& before, const std::vector<std::int32_t>& after);
  void Place(const TBAM& bam, std::int32_t frame, const TBAMFrame& current, TColor tint,
             std::uint8_t alpha);

  int frame_width_ = 0;  // the current frame the underlay was built for
  int frame_height_ = 0;
  int left_ = 0;  // the underlay's top-left in frame pixels (0 or less)
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> colours_;  // blue, green, red per pixel
  std::vector<std::uint8_t> alpha_;    // 0: nothing under this pixel
  std::vector<std::int64_t> key_;
  bool empty_ = true;
};

}  // namespace celwright
