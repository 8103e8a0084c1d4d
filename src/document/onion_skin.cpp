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
  width_ = std::max(0, subject.Record.Width);
  height_ = std::max(0, subject.Record.Height);
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
  const bool paletted = bam.GetBAMType() != kUnpalettedBAM;
  const TColor transparent = bam.GetTransCol(), shadow = bam.GetShadowCol();
  // Top-left of the neighbour in the current frame: the two centre points coincide.
  const int left = current.CentreX - info.CentreX, top = current.CentreY - info.CentreY;
  const int x0 = std::max(0, -left), x1 = std::min(info.Width, width_ - left);
  const int y0 = std::max(0, -top), y1 = std::min(info.Height, height_ - top);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::size_t source = static_cast<std::size_t>(y) * info.Width + x;
      TColor colour;
      if (paletted) {
        const std::uint8_t index = raw[source];
        if (index == bam.TranspInd || index == bam.ShadowInd) continue;
        colour = ToColor(bam.Palette[index]);
      } else {
        colour = MakeColor(raw[3 * source + 2], raw[3 * source + 1], raw[3 * source]);
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
  if (empty_ || sources.Width != width_ || sources.Height != height_ || !sources.Colours) return;
  const bool by_index = sources.Paletted && sources.Indices;
  // Working images not (yet) at the frame's size: nothing reliable to test transparency on.
  if (sources.Colours->Width() < width_ || sources.Colours->Height() < height_) return;
  if (by_index && (sources.Indices->Width() < width_ || sources.Indices->Height() < height_)) return;
  const int zoom = std::max(1, sources.Zoom);
  const bool grid = sources.ShowGrid && zoom > 1;
  const int client_w = client.Width(), client_h = client.Height();
  const int x_begin = std::clamp(origin.X, 0, client_w);
  const int x_end = std::clamp(origin.X + width_ * zoom, 0, client_w);
  const int y_begin = std::clamp(origin.Y, 0, client_h);
  const int y_end = std::clamp(origin.Y + height_ * zoom, 0, client_h);
  if (x_begin >= x_end) return;
  const int fx_begin = (x_begin - origin.X) / zoom, fx_end = (x_end - 1 - origin.X) / zoom + 1;
  // Per frame column of the row being drawn: the blend weight (0: leave the pixel alone).
  std::vector<std::uint8_t> weight(static_cast<std::size_t>(fx_end - fx_begin));
  const Bitmap& colours = *sources.Colours;
  int prepared_row = -1;
  // A client row already blended for the same frame row; it can be copied while the rows under
  // it were equal too (the checkerboard changes band every few rows).
  int copy_from = -1;
  auto band = [&](int vy) { return sources.Transparency ? vy / kCheckerSquare : 0; };
  for (int y = y_begin; y < y_end; ++y) {
    const int vy = y - origin.Y;
    const int fy = vy / zoom;
    if (grid && vy % zoom == 0) continue;
    std::uint8_t* out = client.Row(y);
    const std::size_t span = 3 * static_cast<std::size_t>(x_end - x_begin);
    if (fy == prepared_row && copy_from >= 0 && band(copy_from - origin.Y) == band(vy)) {
      std::memcpy(out + 3 * x_begin, client.Row(copy_from) + 3 * x_begin, span);
      continue;
    }
    if (fy != prepared_row) {
      prepared_row = fy;
      copy_from = -1;
      const std::uint8_t* alpha_row = alpha_.data() + static_cast<std::size_t>(fy) * width_;
      for (int fx = fx_begin; fx < fx_end; ++fx) {
        std::uint8_t w = alpha_row[fx];
        if (w != 0) {
          bool transparent;
          if (by_index) {
            transparent = sources.Indices->Row(fy)[3 * fx + 2] == sources.TranspInd;
          } else {
            const std::uint8_t* p = colours.Row(fy) + 3 * fx;
            transparent = MakeColor(p[2], p[1], p[0]) == sources.TransCol;
          }
          if (!transparent) w = 0;
        }
        weight[static_cast<std::size_t>(fx - fx_begin)] = w;
      }
    }
    const std::uint8_t* under = colours_.data() + 3 * static_cast<std::size_t>(fy) * width_;
    for (int x = x_begin; x < x_end; ++x) {
      const int vx = x - origin.X;
      const int fx = vx / zoom;
      const std::uint8_t w = weight[static_cast<std::size_t>(fx - fx_begin)];
      if (w == 0 || (grid && vx % zoom == 0)) continue;
      std::uint8_t* p = out + 3 * x;
      const std::uint8_t* u = under + 3 * fx;
      for (int c = 0; c < 3; ++c)
        p[c] = static_cast<std::uint8_t>((p[c] * (256 - w) + u[c] * w) >> 8);
    }
    copy_from = y;
  }
}

}  // namespace celwright
