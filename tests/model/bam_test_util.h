#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "model/byte_view.h"
#include "model/qm_BAM.h"
#include "real_files.h"

namespace celwright::testing {

// Stores raw pixels (1 or 3 bytes each) as frame `index` with the given size and centre.
inline void SetPixels(TBAM& bam, std::int32_t index, int width, int height, int cx, int cy,
                      const std::vector<std::uint8_t>& raw) {
  TBAMFrame info = bam.GetFrame(index);
  info.Width = width;
  info.Height = height;
  info.CentreX = cx;
  info.CentreY = cy;
  std::vector<std::uint8_t> bytes;
  info.RLE = rle::EncodeIfSmaller(raw.data(), static_cast<std::size_t>(width) * height,
                                  bam.CompressionKey(), bytes);
  bam.ReplaceFrameData(index, bytes, info);
}

// Stores `picture` as frame `index`, taking its size and keeping the frame's centre.
inline void SetPicture(TBAM& bam, std::int32_t index, const Bitmap& picture) {
  TBAMFrame info = bam.GetFrame(index);
  info.Width = picture.Width();
  info.Height = picture.Height();
  bam.SetFrameBitmap(index, picture, info);
}

// An empty unpaletted document with the given transparent and key colours and a black shadow.
inline void NewUnpaletted(TBAM& bam, TColor transparent, TColor key) {
  bam.NewBAM(kUntitledBAM, true);
  bam.BAMType = kUnpalettedBAM;
  bam.TransCol = transparent;
  bam.ShadowCol = MakeColor(0, 0, 0);
  bam.CompCol = key;
}

// A document of the given kind with `frames` frames of varied sizes and content (runs of the
// key and noise), three cycles (one repeating frames, one empty) and a distinctive palette.
inline void MakeSample(TBAM& bam, std::uint8_t kind, int frames, std::uint32_t seed = 7) {
  bam.NewBAM("sample.bam", true);
  bam.BAMType = kind;
  bam.CompColIndex = 3;
  bam.CompCol = MakeColor(0, 255, 0);
  bam.TransCol = MakeColor(0, 255, 0);
  bam.ShadowCol = MakeColor(0, 0, 0);
  for (int i = 0; i < 256; ++i) {
    bam.Palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i * 7)};
  }
  std::mt19937 random(seed);
  bam.AddCycle(-1);
  bam.AddCycle(-1);
  bam.AddCycle(-1);
  const int bpp = kind == kUnpalettedBAM ? 3 : 1;
  for (int f = 0; f < frames; ++f) {
    bam.InsertFrame(-1, 0, -1, false);
    const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 30);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(w) * h * bpp);
    for (std::size_t p = 0; p < raw.size() / bpp; ++p) {
      const bool key = (p / 17) % 2 == 0;
      for (int b = 0; b < bpp; ++b) {
        const std::uint8_t key_byte = bpp == 1 ? 3 : (b == 1 ? 255 : 0);
        raw[p * bpp + b] = key ? key_byte : static_cast<std::uint8_t>(random() % 256);
      }
    }
    SetPixels(bam, f, w, h, static_cast<int>(random() % 50) - 25, -static_cast<int>(random() % 9),
              raw);
  }
  for (int f = frames - 1; f >= 0; f -= 2) bam.AddFrameToCycle(f, 2);
  if (frames > 0) bam.AddFrameToCycle(0, 2);
}

inline std::filesystem::path TempPath(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / "celwright-tests";
  std::filesystem::create_directories(dir);
  return dir / (std::to_string(::getpid()) + "-" + name);
}

// A compressed BAM file around an already packed zlib stream, stating `stated` unpacked bytes.
inline std::vector<std::uint8_t> BamcFile(const std::vector<std::uint8_t>& packed,
                                          std::uint32_t stated) {
  std::vector<std::uint8_t> file;
  PutTag(file, "BAMC");
  PutTag(file, "V1  ");
  PutU32(file, stated);
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

// A paletted BAM V1 laid out by hand: header, frames, cycles, palette, lookup, data. Frame
// offsets are relative to the data block unless `absolute`.
struct HandFrame {
  std::uint16_t width = 0, height = 0;
  std::uint32_t offset = 0;
  bool encoded = false;
  bool absolute = false;
};

struct HandBam {
  std::uint8_t key = 0;
  std::array<std::array<std::uint8_t, 4>, 256> palette{};  // red, green, blue, 4th byte
  std::vector<HandFrame> frames;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> cycles;  // count, first
  std::vector<std::uint16_t> lookup;
  std::vector<std::uint8_t> data;

  HandBam() {
    for (int i = 0; i < 256; ++i) palette[i] = {std::uint8_t(i), std::uint8_t(i / 2), 9, 0};
  }
  std::uint32_t DataStart() const {
    return static_cast<std::uint32_t>(24 + 12 * frames.size() + 4 * cycles.size() + 1024 +
                                      2 * lookup.size());
  }
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> out;
    const auto f = static_cast<std::uint32_t>(frames.size());
    const auto c = static_cast<std::uint32_t>(cycles.size());
    PutTag(out, "BAM ");
    PutTag(out, "V1  ");
    PutU16(out, f);
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(key);
    PutU32(out, 24);
    PutU32(out, 24 + 12 * f + 4 * c);
    PutU32(out, 24 + 12 * f + 4 * c + 1024);
    for (const HandFrame& frame : frames) {
      PutU16(out, frame.width);
      PutU16(out, frame.height);
      PutU16(out, 0);
      PutU16(out, 0);
      PutU32(out, (frame.absolute ? frame.offset : DataStart() + frame.offset) |
                      (frame.encoded ? 0u : 0x80000000u));
    }
    for (const auto& [count, first] : cycles) {
      PutU16(out, count);
      PutU16(out, first);
    }
    for (const auto& entry : palette) out.insert(out.end(), {entry[2], entry[1], entry[0], entry[3]});
    for (std::uint16_t entry : lookup) PutU16(out, entry);
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }
};

inline std::string TestFile(const std::string& name) {
  const std::string path = RealFile(name);
  if (!IsRegularFile(path)) ADD_FAILURE() << MissingTestData(path);
  return path;
}

}  // namespace celwright::testing
