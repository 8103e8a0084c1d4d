#include "support/blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/palette_convert.h"
#include "support/pixel_spans.h"

namespace celwright {

namespace {

// The block a transfer may touch: the destination rectangle within the picture and the clip.
Rect TargetArea(const Bitmap& dest, int x, int y, int width, int height,
                const std::optional<Rect>& clip) {
  Rect area = Rect{x, y, x + width, y + height}.Intersect(BoundsOf(dest));
  if (clip) area = area.Intersect(*clip);
  return area;
}

// A copy of the source block at (x, y), in the destination's kind, when the source is the
// destination itself or of another kind; otherwise nothing needs copying.
struct SourceView {
  const Bitmap* bitmap = nullptr;
  int offset_x = 0;  // subtract from source coordinates to index `bitmap`
  int offset_y = 0;
  Bitmap owned;
};

SourceView PrepareSource(const Bitmap& dest, const Bitmap& source, Rect needed) {
  SourceView view;
  const bool same_kind = source.Format() == dest.Format();
  if (&source != &dest && same_kind) {
    view.bitmap = &source;
    return view;
  }
  needed = needed.Intersect(BoundsOf(source));
  if (needed.Empty()) needed = Rect{};
  Bitmap block(needed.Width(), needed.Height(), source.Format());
  block.ColorTable() = source.ColorTable();
  const auto bytes = static_cast<std::size_t>(source.BytesPerPixel());
  for (int y = 0; y < needed.Height(); ++y) {
    std::memcpy(block.Row(y), source.Row(needed.top + y) + needed.left * bytes,
                static_cast<std::size_t>(needed.Width()) * bytes);
  }
  view.owned =
      same_kind ? std::move(block) : ConvertPixelFormat(block, dest.Format(), dest.ColorTable());
  view.bitmap = &view.owned;
  view.offset_x = needed.left;
  view.offset_y = needed.top;
  return view;
}

void Combine(std::uint8_t* d, const std::uint8_t* s, std::size_t count, RasterOp op, bool mask) {
  switch (op) {
    case RasterOp::SrcCopy:
      std::memcpy(d, s, count);
      break;
    case RasterOp::DstInvert:
      for (std::size_t i = 0; i < count; ++i)
        d[i] = mask ? d[i] ^ 1 : static_cast<std::uint8_t>(~d[i]);
      break;
    case RasterOp::SrcInvert:
      for (std::size_t i = 0; i < count; ++i) d[i] ^= s[i];
      break;
    case RasterOp::SrcPaint:
      for (std::size_t i = 0; i < count; ++i) d[i] |= s[i];
      break;
    case RasterOp::SrcAnd:
      for (std::size_t i = 0; i < count; ++i) d[i] &= s[i];
      break;
  }
}

}  // namespace

void BitBlt(Bitmap& dest, int dest_x, int dest_y, int width, int height, const Bitmap& source,
            int source_x, int source_y, RasterOp op, std::optional<Rect> clip) {
  Rect area = TargetArea(dest, dest_x, dest_y, width, height, clip);
  if (area.Empty()) return;
  const auto bytes = static_cast<std::size_t>(dest.BytesPerPixel());
  const bool mask = dest.Format() == PixelFormat::Bits1;
  if (op == RasterOp::DstInvert) {
    for (int y = area.top; y < area.bottom; ++y) {
      std::uint8_t* d = dest.Row(y) + area.left * bytes;
      Combine(d, d, static_cast<std::size_t>(area.Width()) * bytes, op, mask);
    }
    return;
  }
  // Only destination pixels with a source pixel behind them change.
  const int shift_x = source_x - dest_x, shift_y = source_y - dest_y;
  area = area.Intersect({-shift_x, -shift_y, source.Width() - shift_x, source.Height() - shift_y});
  if (area.Empty()) return;
  const SourceView view = PrepareSource(
      dest, source,
      {area.left + shift_x, area.top + shift_y, area.right + shift_x, area.bottom + shift_y});
  for (int y = area.top; y < area.bottom; ++y) {
    const std::uint8_t* s = view.bitmap->Row(y + shift_y - view.offset_y) +
                            (area.left + shift_x - view.offset_x) * bytes;
    Combine(dest.Row(y) + area.left * bytes, s, static_cast<std::size_t>(area.Width()) * bytes, op,
            mask);
  }
}

void StretchBlt(Bitmap& dest, int dest_x, int dest_y, int dest_width, int dest_height,
                const Bitmap& source, int source_x, int source_y, int source_width,
                int source_height, std::optional<Rect> clip) {
  if (dest_width == 0 || dest_height == 0 || source_width == 0 || source_height == 0) return;
  // The destination block in ordinary orientation; k counts steps from dest_x (dest_y).
  const int left = dest_width > 0 ? dest_x : dest_x + dest_width + 1;
  const int top = dest_height > 0 ? dest_y : dest_y + dest_height + 1;
  const Rect area = TargetArea(dest, left, top, std::abs(dest_width), std::abs(dest_height), clip);
  if (area.Empty()) return;

  // Source coordinate for every destination column and row, or -1 where it falls outside.
  auto map_axis = [](int from, int to, int dest_origin, int dest_size, int src_origin, int src_size,
                     int src_limit) {
    std::vector<int> map;
    map.reserve(static_cast<std::size_t>(to - from));
    for (int d = from; d < to; ++d) {
      const long long k = dest_size > 0 ? d - dest_origin : dest_origin - d;
      const long long step = k * std::abs(static_cast<long long>(src_size)) /
                             std::abs(static_cast<long long>(dest_size));
      const long long s = src_size > 0 ? src_origin + step : src_origin - step;
      map.push_back(s >= 0 && s < src_limit ? static_cast<int>(s) : -1);
    }
    return map;
  };
  const std::vector<int> columns =
      map_axis(area.left, area.right, dest_x, dest_width, source_x, source_width, source.Width());
  const std::vector<int> rows = map_axis(area.top, area.bottom, dest_y, dest_height, source_y,
                                         source_height, source.Height());

  const SourceView view = PrepareSource(dest, source, BoundsOf(source));
  const auto bytes = static_cast<std::size_t>(dest.BytesPerPixel());
  for (int y = area.top; y < area.bottom; ++y) {
    const int sy = rows[static_cast<std::size_t>(y - area.top)];
    if (sy < 0) continue;
    const std::uint8_t* s = view.bitmap->Row(sy - view.offset_y);
    std::uint8_t* d = dest.Row(y) + area.left * bytes;
    for (std::size_t i = 0; i < columns.size(); ++i, d += bytes) {
      const int sx = columns[i];
      if (sx < 0) continue;
      std::memcpy(d, s + (sx - view.offset_x) * bytes, bytes);
    }
  }
}

void MaskBlt(Bitmap& dest, int dest_x, int dest_y, int width, int height, const Bitmap& source,
             int source_x, int source_y, const Bitmap& mask, int mask_x, int mask_y,
             std::optional<Rect> clip) {
  Rect area = TargetArea(dest, dest_x, dest_y, width, height, clip);
  const int shift_x = source_x - dest_x, shift_y = source_y - dest_y;
  const int mask_shift_x = mask_x - dest_x, mask_shift_y = mask_y - dest_y;
  area = area.Intersect({-shift_x, -shift_y, source.Width() - shift_x, source.Height() - shift_y});
  area = area.Intersect(
      {-mask_shift_x, -mask_shift_y, mask.Width() - mask_shift_x, mask.Height() - mask_shift_y});
  if (area.Empty()) return;
  const SourceView view = PrepareSource(
      dest, source,
      {area.left + shift_x, area.top + shift_y, area.right + shift_x, area.bottom + shift_y});
  const auto bytes = static_cast<std::size_t>(dest.BytesPerPixel());
  const bool mask_is_bits = mask.Format() == PixelFormat::Bits1;
  for (int y = area.top; y < area.bottom; ++y) {
    const std::uint8_t* s = view.bitmap->Row(y + shift_y - view.offset_y) +
                            (area.left + shift_x - view.offset_x) * bytes;
    std::uint8_t* d = dest.Row(y) + area.left * bytes;
    const int my = y + mask_shift_y;
    const std::uint8_t* m = mask.Row(my) + area.left + mask_shift_x;
    for (int x = area.left; x < area.right; ++x, s += bytes, d += bytes) {
      const bool black =
          mask_is_bits ? m[x - area.left] == 0 : mask.GetPixel(x + mask_shift_x, my) == 0;
      if (black) std::memcpy(d, s, bytes);
    }
  }
}

void MaskBlt(Bitmap& dest, int dest_x, int dest_y, const Bitmap& source, const Bitmap& mask,
             std::optional<Rect> clip) {
  MaskBlt(dest, dest_x, dest_y, mask.Width(), mask.Height(), source, 0, 0, mask, 0, 0, clip);
}

}  // namespace celwright
