#include "model/frame_compaction.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "support/crc32.h"

namespace celwright {

std::int64_t FrameDataBytes(const TBAM& bam) {
  std::int64_t total = 0;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) total += bam.GetFrame(i).DataSize;
  return total;
}

int MergeIdenticalFrames(TBAM& bam) {
  // Frames are compared by what they show: size, centre and decoded pixels. A checksum picks the
  // candidates, so only frames that likely match are decoded twice.
  using Key = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t>;
  std::map<Key, std::vector<std::int32_t>> candidates;
  std::vector<std::int32_t> kept_as(static_cast<std::size_t>(bam.FrameCount()));
  bool any = false;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    const std::vector<std::uint8_t> pixels = bam.DecodeFrame(i);
    std::vector<std::int32_t>& same_key = candidates[Key{
        frame.Width, frame.Height, frame.CentreX, frame.CentreY,
        CRC32(pixels.data(), pixels.size())}];
    const auto match = std::find_if(same_key.begin(), same_key.end(), [&](std::int32_t other) {
      return bam.DecodeFrame(other) == pixels;
    });
    kept_as[static_cast<std::size_t>(i)] = match == same_key.end() ? i : *match;
    if (match == same_key.end()) {
      same_key.push_back(i);
    } else {
      any = true;
    }
  }
  if (!any) return 0;
  for (std::int32_t c = 0; c < bam.CycleCount(); ++c) {
    const TSmallLookup frames = bam.GetCycle(c).Frames;
    while (bam.DeleteFrameFromCycle(c, 0)) {
    }
    for (std::int32_t frame : frames) {
      bam.AddFrameToCycle(kept_as[static_cast<std::size_t>(frame)], c);
    }
  }
  int removed = 0;
  for (std::int32_t i = bam.FrameCount() - 1; i >= 0; --i) {
    if (kept_as[static_cast<std::size_t>(i)] != i) {
      bam.DeleteFrame(i);
      ++removed;
    }
  }
  return removed;
}

int TrimFrames(TBAM& bam) {
  const bool paletted = bam.BAMType != kUnpalettedBAM;
  const int bytes = bam.BytesPerPixel();
  const TColor transparent = bam.GetTransCol();
  int trimmed = 0;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    const std::vector<std::uint8_t> raw = bam.DecodeFrame(i);
    auto shown = [&](int x, int y) {
      const std::uint8_t* p = raw.data() + (static_cast<std::size_t>(y) * frame.Width + x) * bytes;
      return paletted ? *p != bam.TranspInd : MakeColor(p[0], p[1], p[2]) != transparent;
    };
    int left = frame.Width, right = -1, top = frame.Height, bottom = -1;
    for (int y = 0; y < frame.Height; ++y) {
      for (int x = 0; x < frame.Width; ++x) {
        if (!shown(x, y)) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    if (right < 0) continue;  // nothing shown
    if (left == 0 && top == 0 && right == frame.Width - 1 && bottom == frame.Height - 1) continue;
    TBAMFrame info = frame;
    info.Width = right - left + 1;
    info.Height = bottom - top + 1;
    info.CentreX = frame.CentreX - left;
    info.CentreY = frame.CentreY - top;
    Bitmap cropped(info.Width, info.Height, paletted ? PixelFormat::Bits8 : PixelFormat::Bits24);
    for (int y = 0; y < info.Height; ++y) {
      for (int x = 0; x < info.Width; ++x) {
        const std::uint8_t* p =
            raw.data() + (static_cast<std::size_t>(y + top) * frame.Width + x + left) * bytes;
        if (paletted) {
          cropped.SetIndex(x, y, *p);
        } else {
          cropped.SetPixel(x, y, MakeColor(p[0], p[1], p[2]));
        }
      }
    }
    bam.SetFrameBitmap(i, cropped, info);
    ++trimmed;
  }
  return trimmed;
}

}  // namespace celwright
