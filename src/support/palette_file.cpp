#include "support/palette_file.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

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

PaletteFileResult Refused(std::string why) { return {false, std::move(why), 0, {}}; }

// The note for a file whose stated count differs from the entries read.
std::string CountNote(int stated, int read) {
  if (stated == read) return {};
  const std::string holds =
      stated > read && read == 256 ? "a palette has 256" : "it holds " + std::to_string(read);
  const std::string kept =
      read < 256 ? "; entries " + std::to_string(read) + " to 255 were left as they were" : "";
  return "The palette file states " + std::to_string(stated) + " colours but " + holds + "; " +
         std::to_string(read) + " were loaded" + kept + ".";
}

PaletteFileResult ReadRiffPalette(std::span<const std::uint8_t> bytes, Palette256& palette) {
  if (bytes.size() < 12 || !TagAt(bytes, 8, "PAL ")) {
    return Refused("This is not a RIFF palette file (no \"RIFF\" / \"PAL \" header).");
  }
  if (bytes.size() < kHeaderSize || !TagAt(bytes, 12, "data")) {
    return Refused("The palette file has no \"data\" chunk: it is damaged or cut short.");
  }
  const int stated = bytes[22] | (bytes[23] << 8);
  if (stated == 0) return Refused("The palette file states that it holds no colours.");
  const std::size_t present = (bytes.size() - kHeaderSize) / 4;
  if (present == 0) return Refused("The palette file holds no colours: it is cut short.");
  const int count = static_cast<int>(
      std::min<std::size_t>({static_cast<std::size_t>(stated), present, palette.size()}));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = bytes.data() + kHeaderSize + 4 * static_cast<std::size_t>(i);
    palette[static_cast<std::size_t>(i)] = {entry[0], entry[1], entry[2]};
  }
  return {true, {}, count, CountNote(stated, count)};
}

// Reads a whole number of at most `high` after blanks; the position after it, or null.
const char* ReadNumber(const char* at, int high, int& value) {
  while (*at == ' ' || *at == '\t') ++at;
  if (*at < '0' || *at > '9') return nullptr;
  long parsed = 0;
  while (*at >= '0' && *at <= '9') {
    parsed = parsed * 10 + (*at++ - '0');
    if (parsed > high) return nullptr;
  }
  value = static_cast<int>(parsed);
  return at;
}

bool OnlyBlanksFrom(const char* at) {
  while (*at == ' ' || *at == '\t') ++at;
  return *at == '\0';
}

// "JASC-PAL", "0100", the count, then one "red green blue" line per entry (0 to 255 each).
PaletteFileResult ReadJascPalette(std::span<const std::uint8_t> bytes, Palette256& palette) {
  std::vector<std::string> lines(1);
  for (const std::uint8_t byte : bytes) {
    if (byte == '\n') {
      lines.emplace_back();
    } else if (byte == '\0') {
      return Refused("The JASC palette file is malformed: it holds a zero byte.");
    } else if (byte != '\r') {
      lines.back() += static_cast<char>(byte);
    }
  }
  while (!lines.empty() && OnlyBlanksFrom(lines.back().c_str())) lines.pop_back();
  const auto bad_line = [](std::size_t index, const std::string& what) {
    return Refused("The JASC palette file is malformed: line " + std::to_string(index + 1) +
                   " should hold " + what + ".");
  };
  if (lines.size() < 2 || lines[1].rfind("0100", 0) != 0) {
    return bad_line(1, "the version, 0100");
  }
  int stated = 0;
  const char* end = lines.size() > 2 ? ReadNumber(lines[2].c_str(), 65535, stated) : nullptr;
  if (!end || !OnlyBlanksFrom(end)) return bad_line(2, "the number of colours");
  if (stated == 0) return Refused("The palette file states that it holds no colours.");
  const std::size_t present = lines.size() - 3;
  if (present == 0) return Refused("The palette file holds no colours: it is cut short.");
  const int count = static_cast<int>(
      std::min<std::size_t>({static_cast<std::size_t>(stated), present, palette.size()}));
  Palette256 read = palette;
  for (int i = 0; i < count; ++i) {
    const std::size_t index = 3 + static_cast<std::size_t>(i);
    int rgb[3] = {};
    const char* at = lines[index].c_str();
    for (int& channel : rgb) at = at ? ReadNumber(at, 255, channel) : nullptr;
    if (!at || !OnlyBlanksFrom(at)) return bad_line(index, "red, green and blue from 0 to 255");
    read[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(rgb[0]),
                                         static_cast<std::uint8_t>(rgb[1]),
                                         static_cast<std::uint8_t>(rgb[2])};
  }
  palette = read;
  return {true, {}, count, CountNote(stated, count)};
}

}  // namespace

PaletteFileResult ReadPaletteFile(std::span<const std::uint8_t> bytes, Palette256& palette) {
  const auto starts_with = [&](const char* text) {
    const std::size_t size = std::strlen(text);
    return bytes.size() >= size && std::memcmp(bytes.data(), text, size) == 0;
  };
  if (starts_with("RIFF")) return ReadRiffPalette(bytes, palette);
  if (starts_with("JASC-PAL")) return ReadJascPalette(bytes, palette);
  if (bytes.size() == kRawPaletteSize) {
    for (std::size_t i = 0; i < palette.size(); ++i) {
      palette[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    }
    return {true, {}, 256, {}};
  }
  return Refused("This is not a palette file this program reads: a Microsoft RIFF palette, a "
                 "JASC-PAL text palette or a raw palette of 768 bytes.");
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
