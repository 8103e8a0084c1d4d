#include "app/plugin_properties.h"

#include <cctype>
#include <charconv>

#include "model/bam_rle_key.h"

namespace celwright {

namespace {

constexpr std::string_view kPalettePrefix = "palette:";

std::string Lower(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The entry a "palette:N" name addresses. A number that does not parse counts as entry 0, as it
// always has; one outside the palette is nothing.
std::optional<int> PaletteEntryOf(const std::string& name, bool& is_palette_name) {
  is_palette_name = name.compare(0, kPalettePrefix.size(), kPalettePrefix) == 0;
  if (!is_palette_name) return std::nullopt;
  const char* first = name.data() + kPalettePrefix.size();
  const char* last = name.data() + name.size();
  long long entry = 0;
  const auto [end, error] = std::from_chars(first, last, entry);
  if (error != std::errc() || end != last) {
    if (error == std::errc::result_out_of_range) return std::nullopt;
    entry = 0;
  }
  if (entry < 0 || entry > 255) return std::nullopt;
  return static_cast<int>(entry);
}

PropertyWrite Stored() { return {PropertyWrite::kStored, {}}; }
PropertyWrite Refused(std::string reason) { return {PropertyWrite::kRefused, std::move(reason)}; }

PropertyWrite ReadOnly(const std::string& name) { return Refused(name + " is read-only"); }

}  // namespace

std::optional<bool> ReadBoolProperty(const TBAM& bam, std::string_view given) {
  const std::string name = Lower(given);
  if (name == "isopen") return bam.IsOpen;
  if (name == "compressed") return bam.Compressed;
  if (name == "overridetranscol") return bam.OverrideTransCol;
  if (name == "overrideshadowcol") return bam.OverrideShadowCol;
  return std::nullopt;
}

std::optional<std::int32_t> ReadIntProperty(const TBAM& bam, std::string_view given) {
  const std::string name = Lower(given);
  if (name == "compcol") return static_cast<std::int32_t>(bam.CompCol);
  if (name == "compcolindex") return bam.CompColIndex;
  if (name == "frames") return bam.FrameCount();
  if (name == "cycles") return bam.CycleCount();
  if (name == "transpind") return bam.TranspInd;
  if (name == "shadowind") return bam.ShadowInd;
  if (name == "transcol") return static_cast<std::int32_t>(bam.TransCol);
  if (name == "shadowcol") return static_cast<std::int32_t>(bam.ShadowCol);
  bool is_palette_name = false;
  if (const auto entry = PaletteEntryOf(name, is_palette_name))
    return static_cast<std::int32_t>(ToColor(bam.Palette[static_cast<std::size_t>(*entry)]));
  return std::nullopt;
}

const std::string* ReadStrProperty(const TBAM& bam, std::string_view given) {
  return Lower(given) == "filename" ? &bam.FileName : nullptr;
}

PropertyWrite WriteBoolProperty(TBAM& bam, std::string_view given, bool value) {
  const std::string name = Lower(given);
  if (name == "isopen") return ReadOnly(name);
  if (name == "compressed") {
    bam.Compressed = value;
  } else if (name == "overridetranscol") {
    bam.OverrideTransCol = value;
  } else if (name == "overrideshadowcol") {
    bam.OverrideShadowCol = value;
  } else {
    return {};
  }
  return Stored();
}

PropertyWrite WriteIntProperty(TBAM& bam, std::string_view given, std::int32_t value) {
  const std::string name = Lower(given);
  // Colours keep only their red, green and blue bytes, as every colour in the program does.
  const TColor colour = static_cast<TColor>(value) & 0x00FFFFFF;
  const bool is_index = value >= 0 && value <= 255;
  if (name == "frames" || name == "cycles") return ReadOnly(name);
  if (name == "compcolindex") {
    SetCompressionKey(bam, static_cast<std::uint8_t>(value & 0xFF), bam.CompCol);
  } else if (name == "compcol") {
    SetCompressionKey(bam, bam.CompColIndex, colour);
  } else if (name == "transpind" || name == "shadowind") {
    if (!is_index) return Refused(name + " " + std::to_string(value) + " is not in 0..255");
    (name == "transpind" ? bam.TranspInd : bam.ShadowInd) = value;
  } else if (name == "transcol") {
    bam.TransCol = colour;
  } else if (name == "shadowcol") {
    bam.ShadowCol = colour;
  } else {
    bool is_palette_name = false;
    const auto entry = PaletteEntryOf(name, is_palette_name);
    if (!is_palette_name) return {};
    if (!entry) return Refused(name + " is not an entry of the palette (0..255)");
    bam.Palette[static_cast<std::size_t>(*entry)] = ToTriple(colour);
  }
  return Stored();
}

PropertyWrite WriteStrProperty(TBAM& bam, std::string_view given, std::string_view value) {
  if (Lower(given) != "filename") return {};
  bam.FileName = std::string(value);
  return Stored();
}

}  // namespace celwright
