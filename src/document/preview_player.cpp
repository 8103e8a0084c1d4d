#include "document/preview_player.h"

#include <algorithm>
#include <cstring>

namespace celwright {

void PreviewPlayer::Start(const TSmallLookup& cycle) {
  cycle_ = cycle;
  position_ = -1;
}

void PaintBackground(const Bitmap& background, Bitmap& area) {
  if (area.Width() != kPreviewAreaWidth || area.Height() != kPreviewAreaHeight ||
      area.Format() != PixelFormat::Bits24) {
    area.Reset(kPreviewAreaWidth, kPreviewAreaHeight, PixelFormat::Bits24);
  }
  const bool fits = background.Format() == PixelFormat::Bits24 &&
                    background.Width() >= area.Width() && background.Height() >= area.Height();
  if (!fits) std::fill(area.Pixels().begin(), area.Pixels().end(), std::uint8_t{0});
  const int width = std::min(background.Width(), area.Width());
  const int height = std::min(background.Height(), area.Height());
  if (background.Format() == PixelFormat::Bits24) {
    for (int y = 0; y < height; ++y)
      std::memcpy(area.Row(y), background.Row(y), 3 * static_cast<std::size_t>(width));
    return;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) area.SetPixel(x, y, background.GetPixel(x, y));
}

std::int32_t PreviewPlayer::Tick(const TBAM& bam, const Bitmap& background, BackgroundAnchor anchor,
                                 Bitmap& composition) {
  PaintBackground(background, composition);
  if (cycle_.empty()) return -1;
  position_ = position_ + 1 >= static_cast<std::int32_t>(cycle_.size()) ? 0 : position_ + 1;
  const std::int32_t frame = cycle_[static_cast<std::size_t>(position_)];
  if (frame < 0 || frame >= bam.FrameCount()) return -1;
  const TBAMFrame info = bam.GetFrame(frame);
  // Any anchor and centre, even both at the ends of their range, give a place: one far off the
  // area draws nothing.
  const auto place = [](std::int64_t at) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(at, -(1 << 24), 1 << 24));
  };
  bam.DrawFrame(frame, composition, place(std::int64_t{anchor.X} - info.CentreX),
                place(std::int64_t{anchor.Y} - info.CentreY), nullptr, true);
  return frame;
}

}  // namespace celwright
