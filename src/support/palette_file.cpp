#include "support/palette_file.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "support/file_io.h"

namespace celwright {

namespace {

constexpr std::size_t kHeaderSize = 24;  // through the entry count
constexpr std::uint16_t kPaletteVersion = 0x0300;

bool TagAt(std::span<const std::uint8_t> bytes, std::size_t offset, const char* tag) {
  return std::memcmp(bytes.data() + offset, tag, 4) == 0;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

PaletteFileResult Refused(std::string why) { return {false, std::move(why), 0}; }

}  // namespace

PaletteFileResult ReadPaletteFile(std::span<const std::uint8_t> bytes, Palette256& palette) {
  if (bytes.size() < 12 || !TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "PAL ")) {
    return Refused("This is not a RIFF palette file (no \"RIFF\" / \"PAL \" header).");
  }
  if (bytes.size() < kHeaderSize || !TagAt(bytes, 12, "data")) {
    return Refused("The palette file has no \"data\" chunk: it is damaged or cut short.");
  }
  const int stated = bytes[22] | (bytes[23] << 8);
  const std::size_t present = (bytes.size() - kHeaderSize) / 4;
  const int count = static_cast<int>(
      std::min<std::size_t>({static_cast<std::size_t>(stated), present, palette.size()}));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = bytes.data() + kHeaderSize + 4 * static_cast<std::size_t>(i);
    palette[static_cast<std::size_t>(i)] = {entry[0], entry[1], entry[2]};
  }
  return {true, {}, count};
}

PaletteFileResult LoadPaletteFile(const std::filesystem::path& path, Palette256& palette) {
  std::vector<std::uint8_t> bytes;
  try {
    RequireRegularFile(path);
    // A palette file is about a kilobyte; anything far larger is not one, so do not read it all.
    std::error_code error;
    if (std::filesystem::file_size(path, error) > (1u << 20)) {
      return Refused("The file is far too large to be a palette file.");
    }
    bytes = ReadWholeFile(path);
  } catch (const std::exception& e) {
    return Refused(e.what());
  }
  return ReadPaletteFile(bytes, palette);
}

std::vector<std::uint8_t> EncodePaletteFile(const Palette256& palette) {
  std::vector<std::uint8_t> out;
  out.reserve(kPaletteFileSize);
  PutTag(out, "RIFF");
  PutU32(out, kPaletteFileSize - 8);
  PutTag(out, "PAL ");
  PutTag(out, "data");
  PutU32(out, 4 + 4 * 256);
  out.push_back(kPaletteVersion & 0xFF);
  out.push_back(kPaletteVersion >> 8);
  out.push_back(0x00);  // 256 entries, little-endian
  out.push_back(0x01);
  for (const RGBTriple& entry : palette) {
    out.insert(out.end(), {entry.r, entry.g, entry.b, 0});
  }
  return out;
}

void SavePaletteFile(const std::filesystem::path& path, const Palette256& palette) {
  WriteFileAtomically(path, EncodePaletteFile(palette));
}

}  // namespace celwright
