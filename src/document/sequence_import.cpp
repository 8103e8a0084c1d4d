#include "document/sequence_import.h"

#include <array>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

constexpr int kFirstOpaqueEntry = 2;

// Nearest-colour search over entries 2 to 255 of the target palette only.
class OpaqueEntryMapper {
 public:
  explicit OpaqueEntryMapper(const Palette256& palette)
      : mapper_(Shifted(palette), 256 - kFirstOpaqueEntry) {}
  std::uint8_t IndexOf(TColor colour) {
    return static_cast<std::uint8_t>(mapper_.IndexOf(colour) + kFirstOpaqueEntry);
  }

 private:
  static Palette256 Shifted(const Palette256& palette) {
    Palette256 shifted{};
    for (int i = kFirstOpaqueEntry; i < 256; ++i) shifted[i - kFirstOpaqueEntry] = palette[i];
    return shifted;
  }
  NearestColorMapper mapper_;
};

enum class PixelRole : std::uint8_t { Opaque, Transparent, Shadow };

// What one source pixel becomes in the target, decided once per source colour or index.
class PixelConverter {
 public:
  PixelConverter(const TBAM& source, TBAM& target) : source_(source), target_(target) {
    if (target.Paletted())
      mapper_ = std::make_unique<OpaqueEntryMapper>(target.Palette);
    if (source.GetBAMType() != kUnpalettedBAM) {
      for (int i = 0; i < 256; ++i) index_table_[i] = ConvertIndex(static_cast<std::uint8_t>(i));
    }
  }

  // A target frame picture: 8 bits of indices for a paletted target, 32 bits with alpha for a
  // true-colour one (transparent: alpha 0, shadow: black at half alpha), 24 bits otherwise.
  Bitmap Convert(std::int32_t frame) {
    const TBAMFrame info = source_.GetFrame(frame);
    const std::vector<std::uint8_t> raw = source_.DecodeFrame(frame);
    const bool paletted_target = target_.Paletted();
    const bool alpha_target = target_.GetBAMType() == kTrueColourBAM;
    Bitmap out(info.Width, info.Height,
               paletted_target ? PixelFormat::Bits8
               : alpha_target  ? PixelFormat::Bits32
                               : PixelFormat::Bits24);
    const std::size_t pixels = static_cast<std::size_t>(info.Width) * info.Height;
    for (std::size_t p = 0; p < pixels; ++p) {
      const Target t = source_.GetBAMType() != kUnpalettedBAM
                           ? index_table_[raw[p]]
                           : ConvertColour(MakeColor(raw[3 * p + 2], raw[3 * p + 1], raw[3 * p]));
      if (paletted_target) {
        out.Pixels()[p] = t.index;
      } else if (alpha_target) {
        const int x = static_cast<int>(p % static_cast<std::size_t>(info.Width));
        const int y = static_cast<int>(p / static_cast<std::size_t>(info.Width));
        if (t.role == PixelRole::Opaque) out.SetPixelAlpha(x, y, t.colour, 255);
        if (t.role == PixelRole::Shadow) out.SetPixelAlpha(x, y, 0, 128);
      } else {
        out.Pixels()[3 * p] = BlueOf(t.colour);
        out.Pixels()[3 * p + 1] = GreenOf(t.colour);
        out.Pixels()[3 * p + 2] = RedOf(t.colour);
      }
    }
    return out;
  }

 private:
  struct Target {
    std::uint8_t index = 0;
    TColor colour = 0;
    PixelRole role = PixelRole::Opaque;
  };

  Target ForRole(PixelRole role, TColor colour) {
    switch (role) {
      case PixelRole::Transparent:
        return {static_cast<std::uint8_t>(target_.TranspInd), target_.GetTransCol(), role};
      case PixelRole::Shadow:
        return {static_cast<std::uint8_t>(target_.ShadowInd), target_.GetShadowCol(), role};
      case PixelRole::Opaque:
        break;
    }
    if (!mapper_) return {0, colour};
    auto cached = colour_cache_.find(colour);
    if (cached != colour_cache_.end()) return {cached->second, colour};
    const std::uint8_t index = mapper_->IndexOf(colour);
    colour_cache_.emplace(colour, index);
    return {index, colour};
  }

  Target ConvertIndex(std::uint8_t index) {
    if (index == source_.TranspInd) return ForRole(PixelRole::Transparent, 0);
    if (index == source_.ShadowInd) return ForRole(PixelRole::Shadow, 0);
    return ForRole(PixelRole::Opaque, ToColor(source_.Palette[index]));
  }

  Target ConvertColour(TColor colour) {
    if (colour == source_.GetTransCol()) return ForRole(PixelRole::Transparent, colour);
    if (colour == source_.GetShadowCol()) return ForRole(PixelRole::Shadow, colour);
    return ForRole(PixelRole::Opaque, colour);
  }

  const TBAM& source_;
  TBAM& target_;
  std::unique_ptr<OpaqueEntryMapper> mapper_;
  std::array<Target, 256> index_table_{};
  std::map<TColor, std::uint8_t> colour_cache_;
};

}  // namespace

std::int32_t AppendCyclesOf(TBAM& target, const TBAM& source) {
  if (source.CycleCount() == 0) throw std::runtime_error("The file has no sequences to import");
  PixelConverter converter(source, target);
  // Source frame number -> its number in the target, given on first use.
  std::map<std::int32_t, std::int32_t> renumbered;
  for (std::int32_t c = 0; c < source.CycleCount(); ++c) {
    for (const std::int32_t frame : source.GetCycle(c).Frames) {
      if (renumbered.count(frame)) continue;
      const Bitmap picture = converter.Convert(frame);
      TBAMFrame info = source.GetFrame(frame);
      target.InsertFrame(-1, -1, -1, false);
      const std::int32_t added = target.FrameCount() - 1;
      target.SetFrameBitmap(added, picture, info);
      renumbered.emplace(frame, added);
    }
  }
  for (std::int32_t c = 0; c < source.CycleCount(); ++c) {
    target.AddCycle(-1);
    for (const std::int32_t frame : source.GetCycle(c).Frames)
      target.AddFrameToCycle(renumbered.at(frame), target.CycleCount() - 1);
  }
  return source.CycleCount();
}

std::int32_t ImportCyclesFromBAM(TBAM& target, const std::string& file_name) {
  TBAM source;
  if (!source.LoadFromFile(file_name)) {
    throw std::runtime_error(source.ErrorMessage.empty()
                                 ? "The file could not be read: " + file_name
                                 : source.ErrorMessage);
  }
  return AppendCyclesOf(target, source);
}

}  // namespace celwright
