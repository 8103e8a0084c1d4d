#include "support/media/palette_mapper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>

namespace celwright {

namespace {

// An 8-bit picture through a translation of its indices, with `colour_table` as its table.
Bitmap Translated(const Bitmap& picture, const std::array<std::uint8_t, 256>& translation,
                  const Palette256& colour_table) {
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits8);
  result.ColorTable() = colour_table;
  std::transform(picture.Pixels().begin(), picture.Pixels().end(), result.Pixels().begin(),
                 [&](std::uint8_t index) { return translation[index]; });
  return result;
}

// Entries past `entry_count` become copies of entry 0: a copy never beats the original, as ties
// go to the lowest index, so they can never be chosen.
Palette256 CandidatesOnly(const Palette256& palette, int entry_count) {
  if (entry_count < 1 || entry_count > 256) {
    throw std::invalid_argument("A palette mapping needs 1 to 256 entries");
  }
  Palette256 candidates = palette;
  for (int i = entry_count; i < 256; ++i) candidates[i] = palette[0];
  return candidates;
}

}  // namespace

NearestColorMapper::NearestColorMapper(const Palette256& palette, int entry_count)
    : palette_(palette), map_(CandidatesOnly(palette, entry_count)) {}

std::uint8_t NearestColorMapper::IndexOf(TColor color) {
  return map_.Lookup(RedOf(color), GreenOf(color), BlueOf(color));
}

void NearestColorMapper::MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices) {
  for (int x = 0; x < width; ++x) indices[x] = map_.Lookup(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]);
}

Bitmap NearestColorMapper::Map(const Bitmap& picture) {
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits8);
  result.ColorTable() = palette_;
  switch (picture.Format()) {
    case PixelFormat::Bits24:
      for (int y = 0; y < picture.Height(); ++y)
        MapRow(picture.Row(y), picture.Width(), result.Row(y));
      return result;
    case PixelFormat::Bits8: {
      std::array<std::uint8_t, 256> translation{};
      for (int i = 0; i < 256; ++i) translation[i] = IndexOf(ToColor(picture.ColorTable()[i]));
      return Translated(picture, translation, palette_);
    }
    case PixelFormat::Bits1:
    case PixelFormat::Index8:  // indices without colours
    case PixelFormat::Bits32:  // alpha must be settled by the caller first
      break;
  }
  throw std::invalid_argument("Palette mapping needs a colour picture");
}

Bitmap MapToPalette(const Bitmap& picture, const Palette256& palette, int entry_count) {
  NearestColorMapper mapper(palette, entry_count);
  return mapper.Map(picture);
}

namespace {

constexpr int kReservedEntries = 2;

Palette256 WithoutReservedEntries(const Palette256& palette) {
  Palette256 shifted{};
  for (int i = kReservedEntries; i < 256; ++i) shifted[i - kReservedEntries] = palette[i];
  return shifted;
}

int OtherEntryCount(int entry_count) {
  if (entry_count <= kReservedEntries || entry_count > 256) {
    throw std::invalid_argument("A document palette needs 3 to 256 entries");
  }
  return entry_count - kReservedEntries;
}

}  // namespace

ReservedEntryMapper::ReservedEntryMapper(const Palette256& palette, TColor transparent,
                                         TColor shadow, int entry_count)
    : palette_(palette),
      transparent_(transparent),
      shadow_(shadow),
      others_(WithoutReservedEntries(palette), OtherEntryCount(entry_count)) {}

std::uint8_t ReservedEntryMapper::IndexOf(TColor color) {
  if (color == transparent_) return 0;
  if (color == shadow_) return 1;
  return static_cast<std::uint8_t>(others_.IndexOf(color) + kReservedEntries);
}

void ReservedEntryMapper::MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices) {
  for (int x = 0; x < width; ++x) {
    indices[x] = IndexOf(MakeColor(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]));
  }
}

std::array<std::uint8_t, 256> ReservedEntryMapper::TranslationOf(const Palette256& table,
                                                                 int transparent_entry) {
  std::array<std::uint8_t, 256> translation{};
  for (int i = 0; i < 256; ++i) {
    const TColor colour = ToColor(table[i]);
    if (i == transparent_entry) {
      translation[i] = 0;
    } else if (i >= kReservedEntries && table[i] == palette_[i] && colour != transparent_ &&
               colour != shadow_) {
      translation[i] = static_cast<std::uint8_t>(i);
    } else {
      translation[i] = IndexOf(colour);
    }
  }
  return translation;
}

Bitmap ReservedEntryMapper::Map(const Bitmap& picture) {
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits8);
  result.ColorTable() = palette_;
  const std::optional<TColor> see_through = picture.transparent_color;
  switch (picture.Format()) {
    case PixelFormat::Bits24:
      for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* in = picture.Row(y);
        std::uint8_t* out = result.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
          const TColor colour = MakeColor(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
          out[x] = see_through == colour ? 0 : IndexOf(colour);
        }
      }
      return result;
    case PixelFormat::Bits8: {
      std::array<std::uint8_t, 256> translation = TranslationOf(picture.ColorTable(), -1);
      if (see_through) {
        for (int i = 0; i < 256; ++i) {
          if (ToColor(picture.ColorTable()[i]) == *see_through) translation[i] = 0;
        }
      }
      return Translated(picture, translation, palette_);
    }
    case PixelFormat::Bits1:
    case PixelFormat::Index8:  // indices without colours
    case PixelFormat::Bits32:  // alpha must be settled by the caller first
      break;
  }
  throw std::invalid_argument("Palette mapping needs a colour picture");
}

namespace {

// A 4 x 4 Bayer matrix and how far its thresholds push a colour: about half the distance between
// neighbouring entries of a palette spread evenly over colour space.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr float kOrderedSpread = 32.0f;

std::uint8_t Channel(float value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

Bitmap ReservedEntryMapper::MapDithered(const Bitmap& picture, Dithering dithering,
                                        const std::uint8_t* opaque) {
  if (dithering == Dithering::kNone) {
    Bitmap result = Map(picture);
    if (opaque) {
      for (std::size_t p = 0; p < result.Pixels().size(); ++p) {
        if (!opaque[p]) result.Pixels()[p] = 0;
      }
    }
    return result;
  }
  if (picture.Format() == PixelFormat::Bits1) {
    throw std::invalid_argument("Palette mapping needs a colour picture");
  }
  const int width = picture.Width();
  Bitmap result(width, picture.Height(), PixelFormat::Bits8);
  result.ColorTable() = palette_;
  const std::optional<TColor> see_through = picture.transparent_color;
  auto is_hole = [&](int x, int y) {
    if (x < 0 || x >= width || y >= picture.Height()) return true;
    if (opaque && !opaque[static_cast<std::size_t>(y) * width + x]) return true;
    const TColor colour = picture.GetPixel(x, y);
    return see_through == colour || colour == transparent_ || colour == shadow_;
  };
  // Floyd-Steinberg error of this row and the next, one slot of margin on either side; rows are
  // walked in alternating directions so the error does not drift one way.
  std::vector<float> here(3 * static_cast<std::size_t>(width + 2), 0.0f);
  std::vector<float> below(here.size(), 0.0f);
  for (int y = 0; y < picture.Height(); ++y) {
    const bool forward = y % 2 == 0;
    std::uint8_t* out = result.Row(y);
    for (int step = 0; step < width; ++step) {
      const int x = forward ? step : width - 1 - step;
      const std::size_t p = static_cast<std::size_t>(y) * width + x;
      const TColor colour = picture.GetPixel(x, y);
      if (is_hole(x, y)) {
        out[x] = (opaque && !opaque[p]) || see_through == colour ? 0 : IndexOf(colour);
        continue;
      }
      float wanted[3] = {static_cast<float>(RedOf(colour)), static_cast<float>(GreenOf(colour)),
                         static_cast<float>(BlueOf(colour))};
      float* error = &here[3 * static_cast<std::size_t>(x + 1)];
      for (int c = 0; c < 3; ++c) {
        wanted[c] += dithering == Dithering::kOrdered
                         ? ((static_cast<float>(kBayer[y % 4][x % 4]) + 0.5f) / 16.0f - 0.5f) *
                               kOrderedSpread
                         : error[c];
        wanted[c] = std::clamp(wanted[c], 0.0f, 255.0f);
      }
      const std::uint8_t index = static_cast<std::uint8_t>(
          others_.IndexOf(MakeColor(Channel(wanted[0]), Channel(wanted[1]), Channel(wanted[2]))) +
          kReservedEntries);
      out[x] = index;
      if (dithering != Dithering::kFloydSteinberg) continue;
      const RGBTriple& chosen = palette_[index];
      const float left[3] = {wanted[0] - chosen.r, wanted[1] - chosen.g, wanted[2] - chosen.b};
      // Shares that land on holes are never used. A diagonal share is dropped too where both
      // pixels beside its path are holes: it would cross a diagonal line of them.
      const int ahead = forward ? 1 : -1;
      const bool under_is_hole = is_hole(x, y + 1);
      const float behind = under_is_hole && is_hole(x - ahead, y) ? 0.0f : 3.0f / 16.0f;
      const float beyond = under_is_hole && is_hole(x + ahead, y) ? 0.0f : 1.0f / 16.0f;
      for (int c = 0; c < 3; ++c) {
        here[3 * static_cast<std::size_t>(x + 1 + ahead) + c] += left[c] * 7.0f / 16.0f;
        below[3 * static_cast<std::size_t>(x + 1 - ahead) + c] += left[c] * behind;
        below[3 * static_cast<std::size_t>(x + 1) + c] += left[c] * 5.0f / 16.0f;
        below[3 * static_cast<std::size_t>(x + 1 + ahead) + c] += left[c] * beyond;
      }
    }
    here.swap(below);
    std::fill(below.begin(), below.end(), 0.0f);
  }
  return result;
}

void AddDocumentColours(OctreeQuantizer& quantizer, const Bitmap& picture, TColor transparent,
                        TColor shadow, const std::uint8_t* opaque) {
  const std::optional<TColor> see_through = picture.transparent_color;
  // Runs of one colour are counted before they go into the tree: sprites are mostly runs.
  TColor run_colour = 0;
  std::uint64_t run_length = 0;
  const bool true_colour = picture.Format() == PixelFormat::Bits24;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      if (opaque && !opaque[static_cast<std::size_t>(y) * picture.Width() + x]) continue;
      const TColor colour = true_colour ? MakeColor(row[3 * x + 2], row[3 * x + 1], row[3 * x])
                                        : picture.GetPixel(x, y);
      if (colour == transparent || colour == shadow || see_through == colour) continue;
      if (run_length > 0 && colour != run_colour) {
        quantizer.AddColor(run_colour, run_length);
        run_length = 0;
      }
      run_colour = colour;
      ++run_length;
    }
  }
  if (run_length > 0) quantizer.AddColor(run_colour, run_length);
}

Palette256 BuildDocumentPalette(OctreeQuantizer& quantizer, TColor transparent, TColor shadow) {
  const ReducedPalette reduced = quantizer.BuildPalette(256 - kReservedEntries);
  Palette256 palette{};
  palette[0] = ToTriple(transparent);
  palette[1] = ToTriple(shadow);
  for (int i = 0; i < reduced.count && i + kReservedEntries < 256; ++i) {
    palette[i + kReservedEntries] = reduced.colors[i];
  }
  return palette;
}

bool HasGameLayout(const Bitmap& picture) {
  if (picture.Format() != PixelFormat::Bits8) return false;
  const TColor first = ToColor(picture.ColorTable()[0]);
  return first == MakeColor(0, 255, 0) || picture.transparent_color == first;
}

Bitmap TrueColourForDocument(const Bitmap& picture, TColor transparent) {
  Bitmap result(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor colour = picture.GetPixel(x, y);
      result.SetPixel(x, y, picture.transparent_color == colour ? transparent : colour);
    }
  }
  return result;
}

Bitmap AlphaPictureForDocument(const Bitmap& picture) {
  if (picture.Format() == PixelFormat::Bits32) return picture;
  Bitmap result(picture.Width(), picture.Height(), PixelFormat::Bits32);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor colour = picture.GetPixel(x, y);
      if (picture.transparent_color != colour) result.SetPixel(x, y, colour);
    }
  }
  return result;
}

double MeanColorError(const Bitmap& reference, const Bitmap& approximation) {
  if (reference.Width() != approximation.Width() || reference.Height() != approximation.Height()) {
    throw std::invalid_argument("Pictures to compare differ in size");
  }
  if (reference.Empty()) return 0.0;
  double total = 0;
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      const TColor a = reference.GetPixel(x, y), b = approximation.GetPixel(x, y);
      const double dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b),
                   db = BlueOf(a) - BlueOf(b);
      total += std::sqrt(dr * dr + dg * dg + db * db);
    }
  }
  return total / (static_cast<double>(reference.Width()) * reference.Height());
}

}  // namespace celwright
