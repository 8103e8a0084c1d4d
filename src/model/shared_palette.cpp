#include "model/shared_palette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "support/media/palette_mapper.h"

namespace celwright {

EntryRange ParseEntryRange(const std::string& text) {
  auto entry = [&](const std::string& part) {
    std::size_t used = 0;
    int value = -1;
    try {
      value = std::stoi(part, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (part.empty() || used != part.size() || value < 0 || value > 255) {
      throw std::invalid_argument("entries are given as A-B, whole numbers from 0 to 255");
    }
    return value;
  };
  const std::size_t dash = text.find('-');
  EntryRange range;
  range.first = entry(text.substr(0, dash));
  range.last = dash == std::string::npos ? range.first : entry(text.substr(dash + 1));
  if (range.first > range.last) {
    throw std::invalid_argument("entries are given as A-B with A no larger than B");
  }
  return range;
}

SharedPaletteBuilder::SharedPaletteBuilder(TColor transparent, TColor shadow)
    : transparent_(transparent), shadow_(shadow) {}

void SharedPaletteBuilder::AddAnimation(const TBAM& bam, EntryRange kept) {
  if (bam.BAMType == kPalettedBAM) {
    // By index: an opaque entry may hold the very colour transparency is shown in.
    std::array<std::uint64_t, 256> counts{};
    for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
      for (std::uint8_t index : bam.DecodeFrame(i)) ++counts[index];
    }
    for (int i = 0; i < 256; ++i) {
      if (i != bam.TranspInd && i != bam.ShadowInd && !kept.Contains(i)) quantizer_.AddColor(ToColor(bam.Palette[i]), counts[i]);
    }
    return;
  }
  const TColor transparent = bam.GetTransCol(), shadow = bam.GetShadowCol();
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    Bitmap picture;
    bam.GetFrameBitmap(i, picture, nullptr);
    AddDocumentColours(quantizer_, picture, transparent, shadow);
  }
}

void SharedPaletteBuilder::AddPicture(const Bitmap& picture) {
  AddDocumentColours(quantizer_, picture, transparent_, shadow_);
}

Palette256 SharedPaletteBuilder::Build(const Palette256& base, EntryRange keep) {
  int free_entries = 0;
  for (int i = 2; i < 256; ++i) free_entries += keep.Contains(i) ? 0 : 1;
  Palette256 palette{};
  palette[0] = keep.Contains(0) ? base[0] : ToTriple(transparent_);
  palette[1] = keep.Contains(1) ? base[1] : ToTriple(shadow_);
  if (free_entries == 0) return base;
  const ReducedPalette reduced = quantizer_.BuildPalette(free_entries);
  int next = 0;
  for (int i = 2; i < 256; ++i) {
    if (keep.Contains(i)) {
      palette[i] = base[i];
    } else if (next < reduced.count) {
      palette[i] = reduced.colors[next++];
    }
  }
  return palette;
}

namespace {

// Never equal to a colour read from a picture: stands for "no colour is special".
constexpr TColor kNoColour = 0xFF000000u;

// A frame as colours, with a mask of the pixels that are drawn. Paletted frames say by index which
// pixels are transparent or shadow (an opaque entry may hold the colour transparency is shown in);
// unpaletted ones by colour.
struct FramePicture {
  Bitmap colours;
  std::vector<std::uint8_t> opaque;
  std::vector<std::uint8_t> shadow;
};

FramePicture DrawForMapping(const TBAM& bam, std::int32_t index) {
  FramePicture frame;
  bam.GetFrameBitmap(index, frame.colours, nullptr);
  const std::size_t pixels = frame.colours.Pixels().size() / 3;
  frame.opaque.assign(pixels, 1);
  frame.shadow.assign(pixels, 0);
  if (bam.BAMType == kPalettedBAM) {
    const std::vector<std::uint8_t> raw = bam.DecodeFrame(index);
    for (std::size_t p = 0; p < pixels; ++p) {
      frame.shadow[p] = raw[p] == bam.ShadowInd;
      frame.opaque[p] = raw[p] != bam.TranspInd && !frame.shadow[p];
      if (frame.opaque[p]) {
        const RGBTriple& c = bam.Palette[raw[p]];
        std::uint8_t* bgr = frame.colours.Pixels().data() + 3 * p;
        bgr[0] = c.b;
        bgr[1] = c.g;
        bgr[2] = c.r;
      }
    }
  } else {
    const TColor transparent = bam.GetTransCol(), shadow = bam.GetShadowCol();
    for (std::size_t p = 0; p < pixels; ++p) {
      const std::uint8_t* bgr = frame.colours.Pixels().data() + 3 * p;
      const TColor colour = MakeColor(bgr[2], bgr[1], bgr[0]);
      frame.shadow[p] = colour == shadow;
      frame.opaque[p] = colour != transparent && !frame.shadow[p];
    }
  }
  return frame;
}

}  // namespace

MappingError MapOntoPalette(TBAM& bam, const Palette256& palette, Dithering dithering,
                            EntryRange pinned) {
  // All frames are drawn before the document changes kind, as drawing reads the old kind.
  std::vector<FramePicture> frames;
  std::vector<std::vector<std::uint8_t>> sources(static_cast<std::size_t>(bam.FrameCount()));
  const bool pinning = bam.BAMType == kPalettedBAM && !pinned.Empty();
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    frames.push_back(DrawForMapping(bam, i));
    if (pinning) sources[static_cast<std::size_t>(i)] = bam.DecodeFrame(i);
  }
  ReservedEntryMapper mapper(palette, kNoColour, kNoColour);
  std::vector<Bitmap> mapped;
  MappingError error;
  double total = 0, counted = 0;
  for (std::size_t f = 0; f < frames.size(); ++f) {
    const FramePicture& frame = frames[f];
    mapped.push_back(mapper.MapDithered(frame.colours, dithering, frame.opaque.data()));
    std::uint8_t* indices = mapped.back().Pixels().data();
    for (std::size_t p = 0; p < frame.opaque.size(); ++p) {
      if (frame.shadow[p]) indices[p] = 1;
      if (!frame.opaque[p]) continue;
      if (pinning && sources[f][p] >= 2 && pinned.Contains(sources[f][p])) indices[p] = sources[f][p];
      const std::uint8_t* bgr = frame.colours.Pixels().data() + 3 * p;
      const RGBTriple& entry = palette[indices[p]];
      const double dr = bgr[2] - entry.r, dg = bgr[1] - entry.g, db = bgr[0] - entry.b;
      const double distance = std::sqrt(dr * dr + dg * dg + db * db);
      total += distance;
      counted += 1;
      error.largest = std::max(error.largest, distance);
    }
  }
  error.mean = counted > 0 ? total / counted : 0.0;
  bam.BAMType = kPalettedBAM;
  bam.Palette = palette;
  bam.TranspInd = 0;
  bam.ShadowInd = 1;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    bam.SetFrameBitmap(i, mapped[static_cast<std::size_t>(i)], bam.GetFrame(i));
  }
  return error;
}

void RemapFrames(TBAM& bam, const Palette256& old_palette, const Palette256& new_palette,
                 EntryRange kept) {
  if (bam.BAMType != kPalettedBAM) return;
  ReservedEntryMapper mapper(new_palette, kNoColour, kNoColour);
  std::array<std::uint8_t, 256> translation{};
  for (int i = 0; i < 256; ++i) {
    translation[i] = i == bam.TranspInd || i == bam.ShadowInd || kept.Contains(i)
                         ? static_cast<std::uint8_t>(i)
                         : mapper.IndexOf(ToColor(old_palette[i]));
  }
  for (std::int32_t f = 0; f < bam.FrameCount(); ++f) {
    const TBAMFrame frame = bam.GetFrame(f);
    Bitmap indices(frame.Width, frame.Height, PixelFormat::Bits8);
    std::vector<std::uint8_t> raw = bam.DecodeFrame(f);
    std::transform(raw.begin(), raw.end(), indices.Pixels().begin(),
                   [&](std::uint8_t index) { return translation[index]; });
    bam.SetFrameBitmap(f, indices, frame);
  }
}

}  // namespace celwright
