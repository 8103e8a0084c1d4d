#include "document/onion_skin.h"

#include <algorithm>
#include <cstring>

namespace celwright {

namespace {

// The nearest neighbour shows at about 40 %, each step further away at half the one before.
std::uint8_t AlphaForDistance(int distance) {
  int alpha = 104;
  for (int d = 1; d < distance; ++d) alpha /= 2;
  return static_cast<std::uint8_t>(std::max(alpha, 8));
}

std::int64_t PaletteHash(const Palette256& palette) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const RGBTriple& entry : palette) {
    hash = (hash ^ ToColor(entry)) * 1099511628211ull;
  }
  return static_cast<std::int64_t>(hash);
}

// A frame edited in place keeps its size and position, so its bytes go into the key too.
std::int64_t BytesHash(const std::uint8_t* bytes, std::size_t size) {
  std::uint64_t hash = 1469598103934665603ull;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    hash = (hash ^ word) * 1099511628211ull;
  }
  for (; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return static_cast<std::int64_t>(hash);
}

void AppendFrameKey(std::vector<std::int64_t>& key, const TBAM& bam, std::int32_t frame) {
  const TBAMFrame info = bam.GetFrame(frame);
  const std::size_t at = bam.FrameDataPosition(frame);
  const std::size_t size =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(info.DataSize, 0)),
                            bam.Data.size() > at ? bam.Data.size() - at : 0);
  key.insert(key.end(), {frame, info.Width, info.Height, info.CentreX, info.CentreY, info.DataSize,
                         static_cast<std::int64_t>(at), BytesHash(bam.Data.data() + at, size)});
}

}  // namespace

void OnionUnderlay::Update(const OnionSkinSubject& subject, const OnionSkinOptions& options) {
  std::vector<std::int32_t> before, after;
  const TBAM* bam = subject.Bam;
  if (options.Enabled && bam && subject.Frame >= 0 && subject.Cycle >= 0 &&
      subject.Cycle < bam->CycleCount()) {
    const TSmallLookup& entries = bam->GetCycle(subject.Cycle).Frames;
    int entry = subject.Entry;
    if (entry < 0 || entry >= static_cast<int>(entries.size()) ||
        entries[static_cast<std::size_t>(entry)] != subject.Frame) {
      const auto found = std::find(entries.begin(), entries.end(), subject.Frame);
      entry = found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    }
    auto usable = [&](int e) {
      return e >= 0 && e < static_cast<int>(entries.size()) &&
             entries[static_cast<std::size_t>(e)] != subject.Frame &&
             entries[static_cast<std::size_t>(e)] < bam->FrameCount() &&
             entries[static_cast<std::size_t>(e)] >= 0;
    };
    if (entry >= 0) {
      for (int d = 1; d <= options.Before; ++d)
        before.push_back(usable(entry - d) ? entries[static_cast<std::size_t>(entry - d)] : -1);
      for (int d = 1; d <= options.After; ++d)
        after.push_back(usable(entry + d) ? entries[static_cast<std::size_t>(entry + d)] : -1);
    }
  }
  const bool any = std::any_of(before.begin(), before.end(), [](int f) { return f >= 0; }) ||
                   std::any_of(after.begin(), after.end(), [](int f) { return f >= 0; });
  if (!any) {
    empty_ = true;
    key_.clear();
    return;
  }
  std::vector<std::int64_t> key{subject.Frame,
                                subject.Record.Width,
                                subject.Record.Height,
                                subject.Record.CentreX,
                                subject.Record.CentreY,
                                options.BeforeTint,
                                options.AfterTint,
                                bam->TranspInd,
                                bam->ShadowInd,
                                bam->GetBAMType(),
                                bam->GetTransCol(),
                                bam->GetShadowCol(),
                                PaletteHash(bam->Palette)};
  for (const auto* list : {&before, &after}) {
    key.push_back(-2);
    for (const std::int32_t f : *list) {
      if (f >= 0) {
        AppendFrameKey(key, *bam, f);
      } else {
        key.push_back(-1);
      }
    }
  }
  if (!empty_ && key == key_) return;
  key_ = std::move(key);
  Rebuild(subject, options, before, after);
}

void OnionUnderlay::Rebuild(const OnionSkinSubject& subject, const OnionSkinOptions& options,
                            const std::vector<std::int32_t>& before,
                            const std::vector<std::int32_t>& after) {
  frame_width_ = std::max(0, subject.Record.Width);
  frame_height_ = std::max(0, subject.Record.Height);
  // The box that holds the current frame and every neighbour placed by its centre.
  int left = 0, top = 0, right = frame_width_, bottom = frame_height_;
  for (const auto* list : {&before, &after}) {
    for (const std::int32_t f : *list) {
      if (f < 0) continue;
      const TBAMFrame info = subject.Bam->GetFrame(f);
      const int x = subject.Record.CentreX - info.CentreX,
                y = subject.Record.CentreY - info.CentreY;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x + info.Width);
      bottom = std::max(bottom, y + info.Height);
    }
  }
  left_ = left;
  top_ = top;
  width_ = right - left;
  height_ = bottom - top;
  const std::size_t pixels = static_cast<std::size_t>(width_) * height_;
  colours_.assign(3 * pixels, 0);
  alpha_.assign(pixels, 0);
  // The farthest first, so nearer neighbours cover them.
  const int farthest = static_cast<int>(std::max(before.size(), after.size()));
  for (int d = farthest; d >= 1; --d) {
    const std::size_t at = static_cast<std::size_t>(d - 1);
    if (at < before.size() && before[at] >= 0)
      Place(*subject.Bam, before[at], subject.Record, options.BeforeTint, AlphaForDistance(d));
    if (at < after.size() && after[at] >= 0)
      Place(*subject.Bam, after[at], subject.Record, options.AfterTint, AlphaForDistance(d));
  }
  empty_ = std::none_of(alpha_.begin(), alpha_.end(), [](std::uint8_t a) { return a != 0; });
}

void OnionUnderlay::Place(const TBAM& bam, std::int32_t frame, const TBAMFrame& current,
                          TColor tint, std::uint8_t alpha) {
  const TBAMFrame info = bam.GetFrame(frame);
  const std::vector<std::uint8_t> raw = bam.DecodeFrame(frame);
  const bool paletted = bam.Paletted();
  const bool true_colour = bam.GetBAMType() == kTrueColourBAM;
  const TColor transparent = bam.GetTransCol(), shadow = bam.GetShadowCol();
  // Top-left of the neighbour in the underlay: the two centre points coincide.
  const int left = current.CentreX - info.CentreX - left_;
  const int top = current.CentreY - info.CentreY - top_;
  const int x0 = std::max(0, -left), x1 = std::min(info.Width, width_ - left);
  const int y0 = std::max(0, -top), y1 = std::min(info.Height, height_ - top);
  const std::size_t needed = static_cast<std::size_t>(std::max(info.Width, 0)) *
                             static_cast<std::size_t>(std::max(info.Height, 0)) *
                             (paletted ? 1u : true_colour ? 4u : 3u);
  if (raw.size() < needed) return;  // a frame that does not decode to its size shows nothing
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::size_t source = static_cast<std::size_t>(y) * info.Width + x;
      TColor colour;
      if (paletted) {
        const std::uint8_t index = raw[source];
        if (index == bam.TranspInd || index == bam.ShadowInd) continue;
        colour = ToColor(bam.Palette[index]);
      } else if (true_colour) {
        const std::uint8_t* rgba = raw.data() + 4 * source;
        if (rgba[3] == 0) continue;
        colour = MakeColor(rgba[0], rgba[1], rgba[2]);
      } else {
        // Decoded unpaletted pixels are red, green, blue.
        colour = MakeColor(raw[3 * source], raw[3 * source + 1], raw[3 * source + 2]);
        if (colour == transparent || colour == shadow) continue;
      }
      const std::size_t target = static_cast<std::size_t>(y + top) * width_ + (x + left);
      // Half the pixel's own colour, half the tint: the neighbours read as ghosts, told apart.
      colours_[3 * target] = static_cast<std::uint8_t>((BlueOf(colour) + BlueOf(tint)) / 2);
      colours_[3 * target + 1] = static_cast<std::uint8_t>((GreenOf(colour) + GreenOf(tint)) / 2);
      colours_[3 * target + 2] = static_cast<std::uint8_t>((RedOf(colour) + RedOf(tint)) / 2);
      alpha_[target] = alpha;
    }
  }
}

void OnionUnderlay::Apply(const ViewSources& sources, ViewPoint origin, Bitmap& client) const {
  if (empty_ || sources.Width != frame_width_ || sources.Height != frame_height_ ||
      !sources.Colours)
    return;
  const bool by_index = sources.Paletted && sources.Indices;
  // Working images not (yet) at the frame's size: nothing reliable to test transparency on.
  if (sources.Colours->Width() < frame_width_ || sources.Colours->Height() < frame_height_) return;
  if (by_index &&
      (sources.Indices->Width() < frame_width_ || sources.Indices->Height() < frame_height_))
    return;
  const int zoom = std::max(1, sources.Zoom);
  const bool grid = sources.ShowGrid && zoom > 1;
  const int client_w = client.Width(), client_h = client.Height();
  // The underlay's top-left in the client.
  const int under_x = origin.X + left_ * zoom, under_y = origin.Y + top_ * zoom;
  const int x_begin = std::clamp(under_x, 0, client_w);
  const int x_end = std::clamp(under_x + width_ * zoom, 0, client_w);
  const int y_begin = std::clamp(under_y, 0, client_h);
  const int y_end = std::clamp(under_y + height_ * zoom, 0, client_h);
  if (x_begin >= x_end) return;
  // Underlay columns of the visible part.
  const int ux_begin = (x_begin - under_x) / zoom, ux_end = (x_end - 1 - under_x) / zoom + 1;
  // The frame's picture in client pixels, its closing grid line included.
  const int frame_right = frame_width_ * zoom, frame_bottom = frame_height_ * zoom;
  // Per underlay column of the row being drawn: the blend weight (0: leave the pixel alone).
  std::vector<std::uint8_t> weight(static_cast<std::size_t>(ux_end - ux_begin));
  const Bitmap& colours = *sources.Colours;
  int prepared_row = -1;
  // A client row already blended for the same underlay row; it can be copied while the rows
  // under it were equal too (the checkerboard changes band every few rows).
  int copy_from = -1;
  auto band = [&](int vy) {
    if (!sources.Transparency) return 0;
    return vy >= 0 ? vy / kCheckerSquare : (vy + 1) / kCheckerSquare - 1;
  };
  for (int y = y_begin; y < y_end; ++y) {
    const int uy = (y - under_y) / zoom;
    const int fy = uy + top_;
    const int vy = y - origin.Y;
    const bool frame_row = vy >= 0 && vy <= frame_bottom;
    const bool grid_row = grid && frame_row && vy % zoom == 0;
    std::uint8_t* out = client.Row(y);
    const std::size_t span = 3 * static_cast<std::size_t>(x_end - x_begin);
    if (!grid_row && uy == prepared_row && copy_from >= 0 &&
        band(copy_from - origin.Y) == band(vy)) {
      std::memcpy(out + 3 * x_begin, client.Row(copy_from) + 3 * x_begin, span);
      continue;
    }
    if (uy != prepared_row) {
      prepared_row = uy;
      copy_from = -1;
      const std::uint8_t* alpha_row = alpha_.data() + static_cast<std::size_t>(uy) * width_;
      const bool inside_rows = fy >= 0 && fy < frame_height_;
      for (int ux = ux_begin; ux < ux_end; ++ux) {
        std::uint8_t w = alpha_row[ux];
        const int fx = ux + left_;
        if (w != 0 && inside_rows && fx >= 0 && fx < frame_width_) {
          // Inside the frame the ghost shows only where the frame itself is transparent.
          bool transparent;
          if (by_index) {
            transparent = sources.Indices->Row(fy)[fx] == sources.TranspInd;
          } else if (colours.Format() == PixelFormat::Bits32) {
            transparent = colours.Row(fy)[4 * fx + 3] == 0;
          } else {
            const std::uint8_t* p = colours.Row(fy) + 3 * fx;
            transparent = MakeColor(p[2], p[1], p[0]) == sources.TransCol;
          }
          if (!transparent) w = 0;
        }
        weight[static_cast<std::size_t>(ux - ux_begin)] = w;
      }
    }
    const std::uint8_t* under = colours_.data() + 3 * static_cast<std::size_t>(uy) * width_;
    for (int x = x_begin; x < x_end; ++x) {
      const int ux = (x - under_x) / zoom;
      const std::uint8_t w = weight[static_cast<std::size_t>(ux - ux_begin)];
      if (w == 0) continue;
      if (grid && frame_row) {
        const int vx = x - origin.X;
        if (vx >= 0 && vx <= frame_right && (grid_row || vx % zoom == 0)) continue;
      }
      std::uint8_t* p = out + 3 * x;
      const std::uint8_t* u = under + 3 * ux;
      for (int c = 0; c < 3; ++c)
        p[c] = static_cast<std::uint8_t>((p[c] * (256 - w) + u[c] * w) >> 8);
    }
    copy_from = grid_row ? -1 : y;
  }
}

}  // namespace celwright
