#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "media/scratch_folder.h"
#include "media/synthetic_pictures.h"
#include "support/bitmap.h"
#include "support/crc32.h"
#include "support/file_io.h"
#include "support/image_io/byte_order.h"

namespace celwright::test {

inline std::filesystem::path Fixture(const std::string& name) {
  return std::filesystem::path(CELWRIGHT_SOURCE_DIR "/tests/image_io/data") / name;
}

inline std::vector<std::uint8_t> FixtureBytes(const std::string& name) {
  return ReadWholeFile(Fixture(name));
}

// Binary PPM (P6, maxval 255) as a 24-bit bitmap: the reference decodings beside the fixtures.
inline Bitmap LoadPpm(const std::string& name) {
  const std::vector<std::uint8_t> bytes = FixtureBytes(name);
  std::istringstream header(std::string(bytes.begin(), bytes.end()));
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  header >> magic >> width >> height >> maxval;
  const std::size_t data_at = static_cast<std::size_t>(header.tellg()) + 1;
  Bitmap bitmap(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &bytes[data_at + 3 * (static_cast<std::size_t>(y) * width + x)];
      bitmap.SetPixel(x, y, MakeColor(p[0], p[1], p[2]));
    }
  }
  return bitmap;
}

// A PAM file of 8-bit RGB_ALPHA tuples: the RGBA decodings other tools made of a fixture.
struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  TColor Colour(int x, int y) const {
    const std::uint8_t* p = &rgba[4 * (static_cast<std::size_t>(y) * width + x)];
    return MakeColor(p[0], p[1], p[2]);
  }
  std::uint8_t Alpha(int x, int y) const {
    return rgba[4 * (static_cast<std::size_t>(y) * width + x) + 3];
  }
};

inline RgbaPicture LoadPam(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  RgbaPicture picture;
  std::string word;
  while (in >> word && word != "ENDHDR") {
    if (word == "WIDTH") in >> picture.width;
    if (word == "HEIGHT") in >> picture.height;
  }
  in.get();  // the newline after ENDHDR
  picture.rgba.resize(4 * static_cast<std::size_t>(picture.width) * picture.height);
  in.read(reinterpret_cast<char*>(picture.rgba.data()),
          static_cast<std::streamsize>(picture.rgba.size()));
  return picture;
}

// The largest difference of any channel of any pixel (pictures of equal size).
inline int LargestChannelDifference(const Bitmap& a, const Bitmap& b) {
  int largest = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const TColor p = a.GetPixel(x, y), q = b.GetPixel(x, y);
      for (int shift : {0, 8, 16}) {
        const int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
        largest = std::max(largest, d < 0 ? -d : d);
      }
    }
  }
  return largest;
}

// Assembles PNG files chunk by chunk, for the cases no encoder writes on purpose.
class PngBuilder {
 public:
  PngBuilder() : bytes_{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A} {}

  PngBuilder& Chunk(const std::string& type, const std::vector<std::uint8_t>& data) {
    AppendBE32(bytes_, static_cast<std::uint32_t>(data.size()));
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), type.begin(), type.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    AppendBE32(bytes_, CRC32(bytes_.data() + at, 4 + data.size()));
    return *this;
  }
  PngBuilder& Header(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                     std::uint8_t color_type, std::uint8_t interlace = 0) {
    std::vector<std::uint8_t> data;
    AppendBE32(data, width);
    AppendBE32(data, height);
    data.insert(data.end(), {depth, color_type, 0, 0, interlace});
    return Chunk("IHDR", data);
  }
  PngBuilder& Data(const std::vector<std::uint8_t>& raw_rows) {
    uLongf size = compressBound(static_cast<uLong>(raw_rows.size()));
    std::vector<std::uint8_t> packed(size);
    compress2(packed.data(), &size, raw_rows.data(), static_cast<uLong>(raw_rows.size()), 9);
    packed.resize(size);
    return Chunk("IDAT", packed);
  }
  PngBuilder& End() { return Chunk("IEND", {}); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A folder of its own under the system's temporary folder, removed with the object.
using TempFolder = testing::ScratchFolder;

// A small 8-bit picture with a distinct palette and every index pattern the codecs pack.
inline Bitmap PalettedSample(int width = 19, int height = 7) {
  Bitmap bitmap(width, height, PixelFormat::Bits8);
  bitmap.ColorTable() = testing::DistinctPalette();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      bitmap.SetIndex(x, y, static_cast<std::uint8_t>(x * 13 + y * 31));
  }
  return bitmap;
}

inline Bitmap TrueColourSample(int width = 21, int height = 9) {
  Bitmap bitmap(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bitmap.SetPixel(
          x, y,
          MakeColor(static_cast<std::uint8_t>(x * 12), static_cast<std::uint8_t>(y * 28),
                    static_cast<std::uint8_t>(x * y + 5)));
    }
  }
  return bitmap;
}

}  // namespace celwright::test
