#include "model/animation_exchange.h"

#include <map>
#include <stdexcept>
#include <tuple>

namespace celwright {

namespace {

// The picture in the document's unpaletted terms: see-through pixels in the transparent colour.
Bitmap OpaquePicture(const RgbaPicture& picture, TColor transparent) {
  Bitmap bitmap(picture.width, picture.height, PixelFormat::Bits24);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* out = bitmap.Row(y);
    for (int x = 0; x < picture.width; ++x, out += 3) {
      const std::uint8_t* in = picture.At(x, y);
      const TColor colour =
          in[3] < kExchangeOpaqueFrom ? transparent : MakeColor(in[0], in[1], in[2]);
      out[0] = BlueOf(colour);
      out[1] = GreenOf(colour);
      out[2] = RedOf(colour);
    }
  }
  return bitmap;
}

// The picture as document pixels: its own indices for a kept palette, else 24-bit colours.
Bitmap DocumentPixels(const ExchangeFrame& frame, bool keep_indices, TColor transparent) {
  if (!keep_indices) return OpaquePicture(frame.picture, transparent);
  Bitmap indices(frame.picture.width, frame.picture.height, PixelFormat::Bits8);
  indices.Pixels() = frame.indices;
  return indices;
}

}  // namespace

void BuildExchangedDocument(TBAM& bam, const ExchangeAnimation& animation, bool paletted) {
  const bool keep_indices = paletted && animation.palette.has_value();
  if (keep_indices) {
    bam.BAMType = kPalettedBAM;
    bam.Palette = *animation.palette;
    bam.TranspInd = 0;
    bam.ShadowInd = 1;
  } else {
    bam.BAMType = kUnpalettedBAM;
    bam.CompCol = bam.TransCol;
  }
  const TColor transparent = bam.GetTransCol();
  using Key = std::tuple<int, int, int, int, std::vector<std::uint8_t>>;
  std::map<Key, std::int32_t> frame_of_picture;
  std::vector<std::int32_t> frame_numbers;
  for (const ExchangeFrame& frame : animation.frames) {
    Bitmap pixels = DocumentPixels(frame, keep_indices, transparent);
    Key key{pixels.Width(), pixels.Height(), frame.centre_x, frame.centre_y, pixels.Pixels()};
    const auto known = frame_of_picture.find(key);
    if (known != frame_of_picture.end()) {
      frame_numbers.push_back(known->second);
      continue;
    }
    bam.InsertFrame(-1, -1, -1, false);
    const std::int32_t index = bam.FrameCount() - 1;
    TBAMFrame info = bam.GetFrame(index);
    info.Width = pixels.Width();
    info.Height = pixels.Height();
    info.CentreX = frame.centre_x;
    info.CentreY = frame.centre_y;
    bam.SetFrameBitmap(index, pixels, info);
    frame_of_picture.emplace(std::move(key), index);
    frame_numbers.push_back(index);
  }
  for (const ExchangeSequence& sequence : animation.sequences) {
    bam.AddCycle(-1);
    for (const std::size_t entry : sequence.frames) {
      bam.AddFrameToCycle(frame_numbers.at(entry), bam.CycleCount() - 1);
    }
  }
  if (paletted && !keep_indices) bam.SetBAMType(kPalettedBAM);
}

RgbaPicture FrameAsRgba(const TBAM& bam, std::int32_t index) {
  Bitmap colours, indices;
  bam.GetFrameBitmap(index, colours, &indices);
  const bool paletted = bam.BAMType != kUnpalettedBAM;
  const TColor transparent = bam.GetTransCol();
  RgbaPicture picture(colours.Width(), colours.Height());
  for (int y = 0; y < colours.Height(); ++y) {
    for (int x = 0; x < colours.Width(); ++x) {
      const std::uint8_t* in = colours.Row(y) + 3 * static_cast<std::size_t>(x);
      const bool clear = paletted ? indices.Row(y)[x] == bam.TranspInd
                                  : MakeColor(in[2], in[1], in[0]) == transparent;
      if (clear) continue;  // stays transparent black
      std::uint8_t* out = picture.At(x, y);
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = 255;
    }
  }
  return picture;
}

std::vector<std::int32_t> ExportedCycles(const TBAM& bam, std::int32_t only) {
  if (bam.CycleCount() == 0) throw std::runtime_error("The animation has no sequences to export");
  if (only >= bam.CycleCount()) {
    throw std::runtime_error("The animation has " + std::to_string(bam.CycleCount()) +
                             " sequences; there is no sequence " + std::to_string(only));
  }
  std::vector<std::int32_t> cycles;
  for (std::int32_t c = only < 0 ? 0 : only; c < (only < 0 ? bam.CycleCount() : only + 1); ++c) {
    if (bam.GetCycle(c).Count > 0) cycles.push_back(c);
  }
  if (cycles.empty()) throw std::runtime_error("The sequence is empty; there is nothing to export");
  return cycles;
}

}  // namespace celwright
