#include "document/view_composer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

namespace {

struct Pel {
  std::uint8_t b = 0, g = 0, r = 0;
};

constexpr Pel ToPel(TColor colour) { return {BlueOf(colour), GreenOf(colour), RedOf(colour)}; }

inline void Put(std::uint8_t* out, Pel p) {
  out[0] = p.b;
  out[1] = p.g;
  out[2] = p.r;
}

void FillPels(std::uint8_t* row, int begin, int end, Pel p) {
  for (int x = begin; x < end; ++x) Put(row + 3 * x, p);
}

// Mixed: a true-colour pixel of partial alpha, blended over each of the two checker tiles.
enum class Look : std::uint8_t { Opaque, Shadow, Transparent, Mixed };

// `p` at `alpha` over `under`, rounded.
Pel Over(Pel p, Pel under, int alpha) {
  const auto mix = [alpha](int top, int bottom) {
    return static_cast<std::uint8_t>((top * alpha + bottom * (255 - alpha) + 127) / 255);
  };
  return {mix(p.b, under.b), mix(p.g, under.g), mix(p.r, under.r)};
}

// What distinguishes one composed row from the next; equal keys give equal rows.
struct RowKey {
  int frame_row = -1;  // -1: the extra edge row below the frame
  bool grid_row = false;
  int checker_band = 0;
  bool operator==(const RowKey&) const = default;
};

class ViewRowComposer {
 public:
  explicit ViewRowComposer(const ViewSources& s)
      : s_(s),
        zoom_(std::max(1, s.Zoom)),
        grid_lines_(s.ShowGrid && zoom_ > 1),
        window_(ToPel(s.WindowColour)),
        alpha_(s.Colours && s.Colours->Format() == PixelFormat::Bits32),
        looks_(static_cast<std::size_t>(std::max(0, s.Width))),
        colours_(looks_.size()),
        mixed_(alpha_ ? looks_.size() : 0) {
    for (int band = 0; band < 2; ++band) {
      const TColor tile = band == 0 ? kCheckerSilver : kCheckerWhite;
      tile_[band] = ToPel(tile);
      shaded_tile_[band] = ToPel(TBAM::ShadowBlend(tile));
    }
  }

  int Zoom() const { return zoom_; }

  RowKey KeyOf(int vy) const {
    RowKey key;
    key.frame_row = vy >= s_.Height * zoom_ ? -1 : vy / zoom_;
    key.grid_row = grid_lines_ && key.frame_row >= 0 && vy % zoom_ == 0;
    key.checker_band = s_.Transparency ? (vy / kCheckerSquare) & 1 : 0;
    return key;
  }

  // Writes view columns [vx_begin, vx_end) of view row vy to `out`.
  void Compose(int vy, const RowKey& key, int vx_begin, int vx_end, std::uint8_t* out) {
    const int content_end = std::min(vx_end, s_.Width * zoom_);
    int vx = vx_begin;
    if (key.frame_row < 0) {
      for (; vx < content_end; ++vx, out += 3) Put(out, EdgePel(vx, vy, false));
    } else if (zoom_ == 1 && !grid_lines_ && UnmagnifiedRow(key.frame_row, vy, vx, content_end, out)) {
      out += 3 * static_cast<std::size_t>(content_end - vx);
      vx = content_end;
    } else {
      ClassifyFrameRow(key.frame_row);
      // One division per row: blocks are then walked by addition.
      std::size_t fx = static_cast<std::size_t>(vx / zoom_);
      int block_start = static_cast<int>(fx) * zoom_;
      const Pel grid = ToPel(kGridColour);
      const int checker_row = vy / kCheckerSquare;
      while (vx < content_end) {
        const int span_end = std::min(block_start + zoom_, content_end);
        const Look look = looks_[fx];
        const Pel colour = colours_[fx];
        if (grid_lines_ && (key.grid_row || vx == block_start)) {
          const int line_end = key.grid_row ? span_end : vx + 1;
          for (; vx < line_end; ++vx, out += 3) Put(out, grid);
        }
        if (look == Look::Opaque) {
          for (; vx < span_end; ++vx, out += 3) Put(out, colour);
        } else {
          const Pel* tiles = look == Look::Shadow ? shaded_tile_
                             : look == Look::Mixed ? mixed_[fx].data()
                                                   : tile_;
          for (; vx < span_end; ++vx, out += 3) {
            Put(out, tiles[((vx / kCheckerSquare) ^ checker_row) & 1]);
          }
        }
        ++fx;
        block_start += zoom_;
      }
    }
    if (vx < vx_end) Put(out, EdgePel(vx, vy, key.frame_row < 0));
  }

 private:
  static int Band(int vx, int vy) { return ((vx / kCheckerSquare) ^ (vy / kCheckerSquare)) & 1; }

  // The extra column and row beyond the last block: grid lines when the grid shows, the window
  // colour when it is off; the corner is never a line.
  Pel EdgePel(int vx, int vy, bool corner) const {
    if (!corner && grid_lines_) return ToPel(kGridColour);
    if (!corner && !s_.ShowGrid) return window_;
    return s_.Transparency ? tile_[Band(vx, vy)] : window_;
  }

  // At 100 % each view pixel is one frame pixel: composed straight from the source rows, with
  // a table from index to look, when the sources cover the whole frame row.
  bool UnmagnifiedRow(int fy, int vy, int vx, int vx_end, std::uint8_t* out) const {
    const Bitmap& colours = *s_.Colours;
    if (alpha_ || fy >= colours.Height() || colours.Width() < s_.Width) return false;
    const std::uint8_t* in = colours.Row(fy);
    if (!s_.Transparency) {
      std::memcpy(out, in + 3 * static_cast<std::size_t>(vx), 3 * static_cast<std::size_t>(vx_end - vx));
      return true;
    }
    const int checker_row = vy / kCheckerSquare;
    if (s_.Paletted) {
      if (!s_.Indices || fy >= s_.Indices->Height() || s_.Indices->Width() < s_.Width) return false;
      const std::uint8_t* indices = s_.Indices->Row(fy);
      std::uint8_t looks[256];
      std::memset(looks, static_cast<int>(Look::Opaque), sizeof looks);
      looks[static_cast<std::uint8_t>(s_.TranspInd)] = static_cast<std::uint8_t>(Look::Transparent);
      looks[static_cast<std::uint8_t>(s_.ShadowInd)] = static_cast<std::uint8_t>(Look::Shadow);
      for (int x = vx; x < vx_end; ++x, out += 3) {
        const Look look = static_cast<Look>(looks[indices[x]]);
        if (look == Look::Opaque) {
          const std::uint8_t* p = in + 3 * static_cast<std::size_t>(x);
          out[0] = p[0];
          out[1] = p[1];
          out[2] = p[2];
        } else {
          const int band = ((x / kCheckerSquare) ^ checker_row) & 1;
          Put(out, look == Look::Shadow ? shaded_tile_[band] : tile_[band]);
        }
      }
      return true;
    }
    for (int x = vx; x < vx_end; ++x, out += 3) {
      const std::uint8_t* p = in + 3 * static_cast<std::size_t>(x);
      const TColor colour = MakeColor(p[2], p[1], p[0]);
      if (colour == s_.ShadowCol || colour == s_.TransCol) {
        const int band = ((x / kCheckerSquare) ^ checker_row) & 1;
        Put(out, colour == s_.ShadowCol ? shaded_tile_[band] : tile_[band]);
      } else {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      }
    }
    return true;
  }

  void ClassifyFrameRow(int fy) {
    if (fy == classified_row_) return;
    classified_row_ = fy;
    const Bitmap& colours = *s_.Colours;
    const bool has_colour_row = fy < colours.Height();
    const bool has_index_row = s_.Indices && fy < s_.Indices->Height();
    if (alpha_) {
      ClassifyAlphaRow(fy, has_colour_row);
      return;
    }
    for (int fx = 0; fx < s_.Width; ++fx) {
      Pel p;
      if (has_colour_row && fx < colours.Width()) {
        const std::uint8_t* in = colours.Row(fy) + 3 * static_cast<std::size_t>(fx);
        p = {in[0], in[1], in[2]};
      }
      colours_[static_cast<std::size_t>(fx)] = p;
      looks_[static_cast<std::size_t>(fx)] = s_.Transparency ? LookOf(p, fx, fy, has_index_row)
                                                             : Look::Opaque;
    }
  }

  // Colours with alpha always lie over the checkerboard: there is no colour that stands for
  // see-through.
  void ClassifyAlphaRow(int fy, bool has_colour_row) {
    const Bitmap& colours = *s_.Colours;
    for (int fx = 0; fx < s_.Width; ++fx) {
      const auto at = static_cast<std::size_t>(fx);
      if (!has_colour_row || fx >= colours.Width()) {
        looks_[at] = Look::Transparent;
        continue;
      }
      const std::uint8_t* in = colours.Row(fy) + 4 * at;
      const Pel p{in[0], in[1], in[2]};
      colours_[at] = p;
      if (in[3] == 255) {
        looks_[at] = Look::Opaque;
      } else if (in[3] == 0) {
        looks_[at] = Look::Transparent;
      } else {
        looks_[at] = Look::Mixed;
        mixed_[at] = {Over(p, tile_[0], in[3]), Over(p, tile_[1], in[3])};
      }
    }
  }

  Look LookOf(Pel p, int fx, int fy, bool has_index_row) const {
    if (s_.Paletted) {
      int index = s_.TranspInd;
      if (has_index_row && fx < s_.Indices->Width()) {
        index = s_.Indices->Row(fy)[fx];
      }
      if (index == s_.ShadowInd) return Look::Shadow;
      return index == s_.TranspInd ? Look::Transparent : Look::Opaque;
    }
    const TColor colour = MakeColor(p.r, p.g, p.b);
    if (colour == s_.ShadowCol) return Look::Shadow;
    return colour == s_.TransCol ? Look::Transparent : Look::Opaque;
  }

  const ViewSources& s_;
  const int zoom_;
  const bool grid_lines_;
  const Pel window_;
  Pel tile_[2];
  Pel shaded_tile_[2];
  const bool alpha_;
  std::vector<Look> looks_;
  std::vector<Pel> colours_;
  std::vector<std::array<Pel, 2>> mixed_;
  int classified_row_ = -1;
};

}  // namespace

void ComposeView(const ViewSources& sources, ViewPoint origin, Bitmap& client) {
  ComposeViewArea(sources, origin, client, ViewRect{0, 0, client.Width(), client.Height()});
}

void ComposeViewArea(const ViewSources& sources, ViewPoint origin, Bitmap& client,
                     const ViewRect& area) {
  const int left = std::max(area.Left, 0), right = std::min(area.Right, client.Width());
  const int top = std::max(area.Top, 0), bottom = std::min(area.Bottom, client.Height());
  if (left >= right || top >= bottom) return;
  const Pel window = ToPel(sources.WindowColour);
  if (!sources.Colours || sources.Width <= 0 || sources.Height <= 0) {
    for (int y = top; y < bottom; ++y) FillPels(client.Row(y), left, right, window);
    return;
  }
  ViewRowComposer composer(sources);
  const int zoom = composer.Zoom();
  const int view_w = sources.Width * zoom + 1, view_h = sources.Height * zoom + 1;
  const int x_begin = std::clamp(origin.X, left, right);
  const int x_end = std::clamp(origin.X + view_w, x_begin, right);
  const std::size_t area_offset = 3 * static_cast<std::size_t>(left);
  const std::size_t area_bytes = 3 * static_cast<std::size_t>(right - left);

  bool previous_composed = false;
  RowKey previous;
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* row = client.Row(y);
    const int vy = y - origin.Y;
    if (vy < 0 || vy >= view_h || x_begin >= x_end) {
      FillPels(row, left, right, window);
      previous_composed = false;
      continue;
    }
    const RowKey key = composer.KeyOf(vy);
    if (previous_composed && key == previous) {
      std::memcpy(row + area_offset, client.Row(y - 1) + area_offset, area_bytes);
      continue;
    }
    FillPels(row, left, x_begin, window);
    FillPels(row, x_end, right, window);
    composer.Compose(vy, key, x_begin - origin.X, x_end - origin.X, row + 3 * x_begin);
    previous = key;
    previous_composed = true;
  }
}

void FillClientRect(Bitmap& client, const ViewRect& rect, TColor colour) {
  const int left = std::max(rect.Left, 0), right = std::min(rect.Right, client.Width());
  const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, client.Height());
  for (int y = top; y < bottom; ++y) FillPels(client.Row(y), left, right, ToPel(colour));
}

}  // namespace celwright
