#include "support/image_io/qm_png.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/crc32.h"
#include "support/file_io.h"
#include "support/image_io/byte_order.h"

namespace celwright {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint8_t kPaletted = 3;
constexpr std::uint8_t kTrueColour = 2;

std::string Hex(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Chunk types come from the file; anything unprintable is masked so the message stays readable.
std::string ChunkName(const std::uint8_t* type) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(type[i]);
    name += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return name;
}

int Paeth(int left, int above, int upper_left) {
  const int estimate = left + above - upper_left;
  const int to_left = std::abs(estimate - left);
  const int to_above = std::abs(estimate - above);
  const int to_upper_left = std::abs(estimate - upper_left);
  if (to_left <= to_above && to_left <= to_upper_left) return left;
  if (to_above <= to_upper_left) return above;
  return upper_left;
}

class PngDecoder {
 public:
  PngDecoder(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name)
      : bytes_(bytes), file_name_(file_name) {}

  Bitmap Decode(Palette256& palette_out) {
    if (bytes_.size() < sizeof kSignature ||
        CRC32(bytes_.data(), sizeof kSignature) != CRC32(kSignature, sizeof kSignature)) {
      Fail("Invalid PNG File");
    }
    std::size_t pos = sizeof kSignature;
    for (;;) {
      if (bytes_.size() - pos < 8) Fail("Invalid PNG File", "File ends before the End Section");
      const std::uint32_t length = LoadBE32(&bytes_[pos]);
      const std::uint8_t* type = &bytes_[pos + 4];
      const std::string name = ChunkName(type);
      if (length > 0x7FFFFFFFu || length > bytes_.size() - pos - 8 ||
          bytes_.size() - pos - 8 - length < 4) {
        Fail("Invalid PNG File", "File ends inside the " + name + " section");
      }
      const std::uint8_t* data = type + 4;
      const std::uint32_t computed = CRC32(type, 4u + length);
      const std::uint32_t stored = LoadBE32(data + length);
      if (computed != stored) {
        Fail("Checksum Failed", name + " section: " + Hex(computed) + "<>" + Hex(stored));
      }
      pos += 12u + length;

      if (name == "IHDR") {
        ReadHeader(data, length);
        continue;
      }
      if (!have_header_) Fail("Bad Header Section", "Header Section is missing");
      if (name == "PLTE") {
        ReadPalette(data, length);
      } else if (name == "tRNS") {
        ReadTransparency(data, length);
      } else if (name == "IDAT") {
        if (color_type_ == kPaletted && !have_palette_) {
          Fail("Bad Data Section", "Data Section comes before Palette Section");
        }
        compressed_.insert(compressed_.end(), data, data + length);
        have_data_ = true;
      } else if (name == "IEND") {
        Bitmap result = BuildBitmap();
        palette_out = palette_;
        return result;
      }
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& title, const std::string& detail = {}) const {
    throw PngError(file_name_, title, detail);
  }

  void ReadHeader(const std::uint8_t* data, std::uint32_t length) {
    if (have_header_) Fail("Bad Header Section", "Header Section appears more than once");
    if (length != 13) Fail("Bad Header Section", "Header Section has invalid size");
    width_ = LoadBE32(data);
    height_ = LoadBE32(data + 4);
    depth_ = data[8];
    color_type_ = data[9];
    if (depth_ != 8 && depth_ != 4 && depth_ != 2 && depth_ != 1) {
      Fail("Unsupported Bit Depth", "Bit depth is " + std::to_string(depth_) +
                                        " bit. Only 8, 4, 2 and 1 Bit images supported.");
    }
    if (color_type_ != kPaletted && color_type_ != kTrueColour) {
      Fail("Unsupported Color Format", "Only Paletted or True Colour images supported (Type " +
                                           std::to_string(color_type_) + " is neither)");
    }
    if (data[10] != 0) Fail("Unsupported Compression Method");
    if (data[11] != 0) Fail("Unknown Filter Set");
    if (data[12] != 0) Fail("Interlacing Unsupported");
    if (color_type_ == kTrueColour && depth_ != 8) {
      Fail("Unsupported Bit Depth", "True Colour images need 8 bits per sample (this one has " +
                                        std::to_string(depth_) + ")");
    }
    if (!PictureSizeAcceptable(width_, height_)) {
      Fail("Unsupported Image Size",
           "Image is " + std::to_string(width_) + " x " + std::to_string(height_) +
               " pixels; at most " + std::to_string(kMaxPicturePixels) + " pixels are supported.");
    }
    have_header_ = true;
  }

  void ReadPalette(const std::uint8_t* data, std::uint32_t length) {
    const unsigned max_index = (1u << depth_) - 1;
    if (max_index > 255)
      Fail("Bad Palette Section", "Too many colors: " + std::to_string(max_index));
    if (length % 3 != 0) Fail("Bad Palette Section", "Extra Bits: " + std::to_string(length % 3));
    // A short PLTE fills only the entries it has; the rest stay black.
    palette_count_ = std::min<std::uint32_t>(length / 3, max_index + 1);
    palette_ = Palette256{};
    for (std::uint32_t i = 0; i < palette_count_; ++i) {
      palette_[i] = {data[3 * i], data[3 * i + 1], data[3 * i + 2]};
    }
    have_palette_ = true;
  }

  void ReadTransparency(const std::uint8_t* data, std::uint32_t length) {
    if (color_type_ == kPaletted) {
      if (!have_palette_) {
        Fail("Bad Transparency Section", "Transparency Section is before Palette Section");
      }
      if (length > palette_count_) {
        Fail("Bad Transparency Section", "Transparency Section is invalid size");
      }
      for (std::uint32_t i = 0; i < length; ++i) {
        if (data[i] == 0) {
          transparent_ = ToColor(palette_[i]);
          return;
        }
      }
      return;
    }
    if (length != 6) Fail("Bad Transparency Section", "Transparency Section is invalid size");
    // 16-bit samples; for 8-bit pictures only the low byte can be meaningful.
    transparent_ = MakeColor(data[1], data[3], data[5]);
  }

  // Inflates into a buffer that grows with the output, so a tiny file that claims a huge
  // picture costs memory only in proportion to what its data really expands to. One byte more
  // than expected is allowed to arrive so that excess data is noticed.
  std::vector<std::uint8_t> Inflate(std::size_t expected) const {
    const std::size_t limit = expected + 1;
    std::vector<std::uint8_t> out(std::min<std::size_t>(limit, std::size_t{1} << 20));
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) Fail("Bad Data Section", "Decompression failed to start");
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    std::size_t fed = 0;
    int status = Z_OK;
    while (status == Z_OK) {
      if (stream.avail_out == 0 && out.size() < limit) {
        const std::size_t produced = out.size();
        out.resize(std::min(limit, 2 * produced));
        stream.next_out = out.data() + produced;
        stream.avail_out = static_cast<uInt>(out.size() - produced);
      }
      if (stream.avail_in == 0 && fed < compressed_.size()) {
        const std::size_t piece = std::min<std::size_t>(compressed_.size() - fed, UINT_MAX);
        stream.next_in = const_cast<Bytef*>(compressed_.data() + fed);
        stream.avail_in = static_cast<uInt>(piece);
        fed += piece;
      }
      status = inflate(&stream, Z_NO_FLUSH);
      if (status == Z_BUF_ERROR && stream.avail_in == 0 && fed < compressed_.size()) {
        status = Z_OK;
      }
    }
    const std::size_t produced = stream.total_out;
    const std::string reason = stream.msg ? stream.msg : "";
    inflateEnd(&stream);
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
      Fail("Bad Data Section", "Data Section is damaged (" +
                                   (reason.empty() ? std::string("invalid data") : reason) + ")");
    }
    if (status == Z_MEM_ERROR) Fail("Bad Data Section", "Not enough memory to decompress");
    if (status != Z_STREAM_END || produced != expected) {
      Fail("Bad Data Section", "Data Section has invalid size");
    }
    out.resize(expected);
    return out;
  }

  Bitmap BuildBitmap() const {
    if (!have_data_) Fail("Bad Data Section", "Data Section is missing");
    const unsigned bits_per_pixel = color_type_ == kTrueColour ? 24u : depth_;
    const std::size_t bytes_per_pixel = std::max(1u, bits_per_pixel / 8);
    // The header check bounds width x height, so none of these products can overflow.
    const std::size_t row_bytes = (static_cast<std::size_t>(width_) * bits_per_pixel + 7) / 8;
    const std::size_t stride = row_bytes + 1;
    std::vector<std::uint8_t> raw = Inflate(stride * height_);

    Bitmap bitmap(static_cast<int>(width_), static_cast<int>(height_),
                  color_type_ == kTrueColour ? PixelFormat::Bits24 : PixelFormat::Bits8);
    if (color_type_ == kPaletted) bitmap.ColorTable() = palette_;
    bitmap.transparent_color = transparent_;

    const std::uint8_t* previous = nullptr;
    for (std::uint32_t y = 0; y < height_; ++y) {
      std::uint8_t* row = raw.data() + y * stride;
      Unfilter(row[0], row + 1, previous, row_bytes, bytes_per_pixel);
      previous = row + 1;
      StoreRow(previous, bitmap.Row(static_cast<int>(y)));
    }
    return bitmap;
  }

  void Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                std::size_t row_bytes, std::size_t bpp) const {
    switch (filter) {
      case 0:
        return;
      case 1:
        for (std::size_t i = bpp; i < row_bytes; ++i) row[i] += row[i - bpp];
        return;
      case 2:
        if (above) {
          for (std::size_t i = 0; i < row_bytes; ++i) row[i] += above[i];
        }
        return;
      case 4:
        for (std::size_t i = 0; i < row_bytes; ++i) {
          const int left = i >= bpp ? row[i - bpp] : 0;
          const int up = above ? above[i] : 0;
          const int upper_left = (above && i >= bpp) ? above[i - bpp] : 0;
          row[i] = static_cast<std::uint8_t>(row[i] + Paeth(left, up, upper_left));
        }
        return;
      default:
        Fail("Unknown Filter Method", "Filter method " + std::to_string(filter) + " is unknown");
    }
  }

  void StoreRow(const std::uint8_t* source, std::uint8_t* target) const {
    if (color_type_ == kTrueColour) {
      for (std::uint32_t x = 0; x < width_; ++x, source += 3, target += 3) {
        target[0] = source[2];
        target[1] = source[1];
        target[2] = source[0];
      }
      return;
    }
    if (depth_ == 8) {
      std::copy(source, source + width_, target);
      return;
    }
    const unsigned per_byte = 8u / depth_;
    const unsigned mask = (1u << depth_) - 1;
    for (std::uint32_t x = 0; x < width_; ++x) {
      const unsigned shift = 8u - depth_ * (x % per_byte + 1);
      target[x] = static_cast<std::uint8_t>((source[x / per_byte] >> shift) & mask);
    }
  }

  std::span<const std::uint8_t> bytes_;
  const std::filesystem::path& file_name_;
  bool have_header_ = false;
  bool have_palette_ = false;
  bool have_data_ = false;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint8_t depth_ = 0;
  std::uint8_t color_type_ = 0;
  Palette256 palette_{};
  std::uint32_t palette_count_ = 0;
  std::optional<TColor> transparent_;
  std::vector<std::uint8_t> compressed_;
};

}  // namespace

Bitmap DecodePNG(std::span<const std::uint8_t> bytes, Palette256& palette,
                 const std::filesystem::path& file_name) {
  return PngDecoder(bytes, file_name).Decode(palette);
}

bool ReadPNG(Bitmap& bitmap, const std::filesystem::path& file_name, Palette256& palette) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(file_name);
  } catch (const std::exception& e) {
    throw PngError(file_name, "Cannot Read PNG File", e.what());
  }
  Palette256 read_palette{};
  Bitmap read = DecodePNG(bytes, read_palette, file_name);
  bitmap = std::move(read);
  palette = read_palette;
  return true;
}

}  // namespace celwright
