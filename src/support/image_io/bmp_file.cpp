#include "support/image_io/bmp_file.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string>

#include "support/image_io/byte_order.h"
#include "support/image_io/image_file_error.h"

namespace celwright {

namespace {

constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::size_t kFileHeaderSize = 14;

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::min(std::popcount(m >> shift), 32 - shift);
  }
  std::uint8_t Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
    return static_cast<std::uint8_t>(value * 255u / ((1u << bits) - 1));
  }
};

class BmpDecoder {
 public:
  BmpDecoder(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name)
      : bytes_(bytes), file_name_(file_name) {}

  Bitmap Decode() {
    ReadHeaders();
    if (pixel_offset_ > bytes_.size()) Fail("the pixel data starts beyond the end of the file");
    if (pixel_offset_ < table_offset_) {
      Fail("its pixel data would start at byte " + std::to_string(pixel_offset_) +
           ", inside its headers");
    }
    const bool compressed = compression_ == kRle8 || compression_ == kRle4;
    // Checked before the picture is allocated, so a short file cannot claim a huge one.
    if (!compressed &&
        RowStride() * static_cast<std::size_t>(height_) > bytes_.size() - pixel_offset_) {
      Fail("the pixel data ends early");
    }
    Bitmap bitmap(width_, height_, bits_ <= 8 ? PixelFormat::Bits8 : PixelFormat::Bits24);
    if (bits_ <= 8) bitmap.ColorTable() = ReadColorTable();
    if (compressed) {
      DecodeRle(bitmap);
    } else {
      DecodeRows(bitmap);
    }
    return bitmap;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw ImageFileError(file_name_, "Invalid Bitmap File",
                         "\"" + file_name_.string() + "\": " + what);
  }

  void Need(std::size_t offset, std::size_t count, const char* what) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
      Fail(std::string("the file ends inside the ") + what);
    }
  }

  void ReadHeaders() {
    Need(0, kFileHeaderSize + 4, "file header");
    if (bytes_[0] != 'B' || bytes_[1] != 'M') Fail("this is not a bitmap file (no \"BM\" mark)");
    pixel_offset_ = LoadLE32(&bytes_[10]);
    const std::uint32_t header_size = LoadLE32(&bytes_[kFileHeaderSize]);
    const std::uint8_t* h = &bytes_[kFileHeaderSize];
    std::uint32_t planes = 1;
    long long width = 0, height = 0;
    if (header_size == 12) {
      Need(kFileHeaderSize, 12, "picture header");
      width = LoadLE16(h + 4);
      height = LoadLE16(h + 6);
      planes = LoadLE16(h + 8);
      bits_ = LoadLE16(h + 10);
      table_entry_size_ = 3;
    } else if (header_size >= 40 && header_size <= 1024) {
      Need(kFileHeaderSize, header_size, "picture header");
      width = static_cast<std::int32_t>(LoadLE32(h + 4));
      height = static_cast<std::int32_t>(LoadLE32(h + 8));
      planes = LoadLE16(h + 12);
      bits_ = LoadLE16(h + 14);
      compression_ = LoadLE32(h + 16);
      colors_used_ = LoadLE32(h + 32);
    } else {
      Fail("its picture header of " + std::to_string(header_size) + " bytes is unknown");
    }
    table_offset_ = kFileHeaderSize + header_size;
    if (planes != 1) Fail("it has " + std::to_string(planes) + " colour planes instead of 1");
    top_down_ = height < 0;
    height = std::llabs(height);
    if (!PictureSizeAcceptable(width, height)) {
      Fail("its size of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is not supported");
    }
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    if (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 16 && bits_ != 24 && bits_ != 32) {
      Fail(std::to_string(bits_) + " bits per pixel are not supported");
    }
    const bool compression_fits = compression_ == kUncompressed ||
                                  (compression_ == kRle8 && bits_ == 8) ||
                                  (compression_ == kRle4 && bits_ == 4) ||
                                  (compression_ == kBitFields && (bits_ == 16 || bits_ == 32));
    if (!compression_fits) {
      Fail("compression method " + std::to_string(compression_) + " with " + std::to_string(bits_) +
           " bits per pixel is not supported");
    }
    if (compression_ == kRle8 || compression_ == kRle4) {
      if (top_down_) Fail("a compressed bitmap cannot be stored top-down");
    }
    ReadMasks(header_size);
  }

  void ReadMasks(std::uint32_t header_size) {
    if (compression_ == kBitFields) {
      // Version 1 headers keep the masks after the header, later versions inside it.
      const std::size_t at = kFileHeaderSize + 40;
      Need(at, 12, "colour masks");
      masks_ = {LoadLE32(&bytes_[at]), LoadLE32(&bytes_[at + 4]), LoadLE32(&bytes_[at + 8])};
      if (masks_[0] == 0 && masks_[1] == 0 && masks_[2] == 0) {
        Fail("its colour masks are all zero, so it holds no colour");
      }
      if (header_size == 40) table_offset_ += 12;
    } else if (bits_ == 16) {
      masks_ = {0x7C00, 0x03E0, 0x001F};
    } else {
      masks_ = {0xFF0000, 0x00FF00, 0x0000FF};
    }
  }

  Palette256 ReadColorTable() const {
    const std::uint32_t full = 1u << bits_;
    // Some writers state a larger count than the depth allows; those entries are never used.
    std::uint32_t count = colors_used_ == 0 ? full : std::min(colors_used_, full);
    // Writers that leave out unused entries put the pixels right after the ones they wrote.
    count = static_cast<std::uint32_t>(
        std::min<std::size_t>(count, (pixel_offset_ - table_offset_) / table_entry_size_));
    Need(table_offset_, static_cast<std::size_t>(count) * table_entry_size_, "colour table");
    Palette256 table{};
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = &bytes_[table_offset_ + i * table_entry_size_];
      table[i] = {entry[2], entry[1], entry[0]};
    }
    return table;
  }

  std::uint8_t* TargetRow(Bitmap& bitmap, int file_row) const {
    return bitmap.Row(top_down_ ? file_row : height_ - 1 - file_row);
  }

  std::size_t RowStride() const {
    return (static_cast<std::size_t>(width_) * static_cast<std::size_t>(bits_) + 31) / 32 * 4;
  }

  void DecodeRows(Bitmap& bitmap) const {
    const std::size_t stride = RowStride();
    const Channel red(masks_[0]), green(masks_[1]), blue(masks_[2]);
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* in = &bytes_[pixel_offset_ + static_cast<std::size_t>(y) * stride];
      std::uint8_t* out = TargetRow(bitmap, y);
      switch (bits_) {
        case 1:
        case 4: {
          const int per_byte = 8 / bits_;
          const unsigned mask = (1u << bits_) - 1;
          for (int x = 0; x < width_; ++x) {
            const int shift = 8 - bits_ * (x % per_byte + 1);
            out[x] = static_cast<std::uint8_t>((in[x / per_byte] >> shift) & mask);
          }
          break;
        }
        case 8:
          std::copy(in, in + width_, out);
          break;
        case 24:
          std::copy(in, in + 3 * static_cast<std::size_t>(width_), out);
          break;
        default:
          for (int x = 0; x < width_; ++x, out += 3) {
            const std::uint32_t pixel =
                bits_ == 16 ? LoadLE16(in + 2 * x) : LoadLE32(in + 4 * static_cast<std::size_t>(x));
            out[0] = blue.Extract(pixel);
            out[1] = green.Extract(pixel);
            out[2] = red.Extract(pixel);
          }
      }
    }
  }

  // Runs and escapes as Windows writes them. Pixels pushed past the right or top edge are
  // dropped rather than trusted; running out of data before the picture is complete is an error.
  void DecodeRle(Bitmap& bitmap) const {
    const bool four_bits = compression_ == kRle4;
    std::size_t pos = pixel_offset_;
    long long x = 0, y = 0;
    auto put = [&](std::uint8_t index) {
      if (x < width_ && y < height_) TargetRow(bitmap, static_cast<int>(y))[x] = index;
      ++x;
    };
    while (y < height_) {
      if (bytes_.size() - pos < 2) Fail("the compressed pixel data ends early");
      const std::uint8_t count = bytes_[pos], value = bytes_[pos + 1];
      pos += 2;
      if (count > 0) {
        for (int i = 0; i < count; ++i) {
          put(four_bits ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F)
                        : value);
        }
        continue;
      }
      if (value == 0) {
        x = 0;
        ++y;
      } else if (value == 1) {
        return;
      } else if (value == 2) {
        if (bytes_.size() - pos < 2) Fail("the compressed pixel data ends early");
        x += bytes_[pos];
        y += bytes_[pos + 1];
        pos += 2;
      } else {
        const std::size_t data_bytes = four_bits ? (value + 1u) / 2 : value;
        const std::size_t padded = (data_bytes + 1) & ~std::size_t{1};
        if (bytes_.size() - pos < padded) Fail("the compressed pixel data ends early");
        for (int i = 0; i < value; ++i) {
          const std::uint8_t byte = bytes_[pos + (four_bits ? i / 2 : i)];
          put(four_bits ? static_cast<std::uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
        }
        pos += padded;
      }
    }
  }

  std::span<const std::uint8_t> bytes_;
  const std::filesystem::path& file_name_;
  std::size_t pixel_offset_ = 0;
  std::size_t table_offset_ = 0;
  std::size_t table_entry_size_ = 4;
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  bool top_down_ = false;
  std::uint32_t compression_ = kUncompressed;
  std::uint32_t colors_used_ = 0;
  std::array<std::uint32_t, 3> masks_{};
};

}  // namespace

Bitmap DecodeBMP(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name) {
  return BmpDecoder(bytes, file_name).Decode();
}

std::vector<std::uint8_t> EncodeBMP(const Bitmap& bitmap) {
  const bool paletted = bitmap.Format() != PixelFormat::Bits24;
  const std::uint32_t bits = paletted ? 8 : 24;
  const std::size_t stride = (static_cast<std::size_t>(bitmap.Width()) * bits + 31) / 32 * 4;
  const std::uint32_t table_size = paletted ? 256 * 4 : 0;
  const std::uint32_t offset = static_cast<std::uint32_t>(kFileHeaderSize) + 40 + table_size;
  const std::size_t image_size = stride * static_cast<std::size_t>(bitmap.Height());

  std::vector<std::uint8_t> out;
  out.reserve(offset + image_size);
  out.insert(out.end(), {'B', 'M'});
  AppendLE32(out, static_cast<std::uint32_t>(offset + image_size));
  AppendLE32(out, 0);
  AppendLE32(out, offset);
  AppendLE32(out, 40);
  AppendLE32(out, static_cast<std::uint32_t>(bitmap.Width()));
  AppendLE32(out, static_cast<std::uint32_t>(bitmap.Height()));
  AppendLE16(out, 1);
  AppendLE16(out, bits);
  AppendLE32(out, kUncompressed);
  AppendLE32(out, static_cast<std::uint32_t>(image_size));
  AppendLE32(out, 2835);  // 72 dots per inch
  AppendLE32(out, 2835);
  AppendLE32(out, paletted ? 256 : 0);
  AppendLE32(out, 0);
  if (paletted) {
    Palette256 table = bitmap.ColorTable();
    if (bitmap.Format() == PixelFormat::Bits1) {
      table = Palette256{};
      table[1] = {255, 255, 255};
    }
    for (const RGBTriple& entry : table) out.insert(out.end(), {entry.b, entry.g, entry.r, 0});
  }
  const std::size_t row_bytes = static_cast<std::size_t>(bitmap.Width()) * (bits / 8);
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    const std::uint8_t* row = bitmap.Row(y);
    out.insert(out.end(), row, row + row_bytes);
    out.insert(out.end(), stride - row_bytes, 0);
  }
  return out;
}

}  // namespace celwright
