#include "model/qm_BAM.h"

namespace celwright {

namespace {

constexpr std::uint8_t kStageConverting = 2;

// An opaque colour that must not read as transparent or shadow in an unpaletted animation is
// moved to its nearest neighbour.
TColor AvoidReserved(TColor colour, TColor transparent, TColor shadow) {
  while (colour == transparent || colour == shadow) {
    const std::uint8_t red = RedOf(colour);
    colour = MakeColor(red < 255 ? red + 1 : red - 1, GreenOf(colour), BlueOf(colour));
  }
  return colour;
}

}  // namespace

TColor ColourWithoutAlpha(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                          std::uint8_t alpha, TColor transparent, TColor shadow) {
  const bool black = red == 0 && green == 0 && blue == 0;
  if (black && alpha > 0 && alpha < 255) return shadow;
  if (alpha < 128) return transparent;
  return AvoidReserved(MakeColor(red, green, blue), transparent, shadow);
}

void TBAM::ConvertToTrueColour() {
  Progress(OnProgress, 0, 0, kStageLoadStart);
  const bool paletted = Paletted();
  const TColor transparent = GetTransCol(), shadow = GetShadowCol();
  std::vector<std::uint8_t> data;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    const std::vector<std::uint8_t> raw = DecodeFrame(i);
    const std::size_t pixels = paletted ? raw.size() : raw.size() / 3;
    const std::size_t start = data.size();
    data.resize(start + 4 * pixels);
    std::uint8_t* out = data.data() + start;
    for (std::size_t p = 0; p < pixels; ++p, out += 4) {
      TColor colour;
      bool see_through, shade;
      if (paletted) {
        const std::uint8_t index = raw[p];
        see_through = index == static_cast<std::uint8_t>(TranspInd);
        shade = index == static_cast<std::uint8_t>(ShadowInd);
        colour = ToColor(Palette[index]);
      } else {
        colour = MakeColor(raw[3 * p], raw[3 * p + 1], raw[3 * p + 2]);
        see_through = colour == transparent;
        shade = colour == shadow;
      }
      if (see_through) {
        out[0] = out[1] = out[2] = out[3] = 0;
      } else if (shade) {
        out[0] = out[1] = out[2] = 0;
        out[3] = kTrueColourShadowAlpha;
      } else {
        out[0] = RedOf(colour);
        out[1] = GreenOf(colour);
        out[2] = BlueOf(colour);
        out[3] = 255;
      }
    }
    Progress(OnProgress, i + 1, FrameCount(), kStageConverting);
  }
  // Transparent and shadow are alpha from now on; the display colours stay as they were shown.
  TransCol = transparent;
  ShadowCol = shadow;
  Textures.reset();
  StoreConvertedFrames(std::move(data), 4);
  Progress(OnProgress, 0, 0, kStageFinished);
  BAMType = kTrueColourBAM;
}

void TBAM::ConvertFromTrueColour(std::uint8_t new_type) {
  Progress(OnProgress, 0, 0, kStageLoadStart);
  const TColor transparent = GetTransCol(), shadow = GetShadowCol();
  std::vector<std::uint8_t> data;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    const std::vector<std::uint8_t> raw = DecodeFrame(i);
    for (std::size_t p = 0; p + 3 < raw.size(); p += 4) {
      const TColor colour =
          ColourWithoutAlpha(raw[p], raw[p + 1], raw[p + 2], raw[p + 3], transparent, shadow);
      data.push_back(RedOf(colour));
      data.push_back(GreenOf(colour));
      data.push_back(BlueOf(colour));
    }
    Progress(OnProgress, i + 1, FrameCount(), kStageConverting);
  }
  TransCol = transparent;
  ShadowCol = shadow;
  CompCol = transparent;
  Textures.reset();
  StoreConvertedFrames(std::move(data), 3);
  BAMType = kUnpalettedBAM;
  Progress(OnProgress, 0, 0, kStageFinished);
  if (new_type == kPalettedBAM) ConvertToPaletted();
}

}  // namespace celwright
