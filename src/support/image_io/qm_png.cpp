#include "support/image_io/qm_png.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/crc32.h"
#include "support/file_io.h"
#include "support/image_io/byte_order.h"
#include "support/image_io/colour_key.h"
#include "support/image_io/png_row_inflater.h"

namespace celwright {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint8_t kGrey = 0;
constexpr std::uint8_t kTrueColour = 2;
constexpr std::uint8_t kPaletted = 3;
constexpr std::uint8_t kGreyAlpha = 4;
constexpr std::uint8_t kTrueColourAlpha = 6;
// Alpha below this is see-through; our pictures know no partial transparency.
constexpr unsigned kOpaqueFrom = 128;
constexpr std::size_t kMostDeflateExpansion = 1032;

// Where the pixels of one pass sit in the picture: the whole picture, or one of Adam7's seven.
struct Pass {
  std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kWholePicture[1] = {{0, 0, 1, 1}};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

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

unsigned ChannelsOf(std::uint8_t color_type) {
  switch (color_type) {
    case kTrueColour:
      return 3;
    case kGreyAlpha:
      return 2;
    case kTrueColourAlpha:
      return 4;
    default:
      return 1;
  }
}

bool DepthAllowed(std::uint8_t color_type, unsigned depth) {
  switch (color_type) {
    case kGrey:
      return true;
    case kPaletted:
      return depth <= 8;
    default:
      return depth >= 8;
  }
}

class PngDecoder {
 public:
  PngDecoder(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name)
      : bytes_(bytes), file_name_(file_name) {}

  // Also fills `rgba` with the picture's exact colours and alpha, as stored (no threshold).
  void CaptureRgba(RgbaPicture* rgba) { rgba_ = rgba; }

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
        // Other colour types may carry a suggested palette, which says nothing about pixels.
        if (color_type_ == kPaletted) ReadPalette(data, length);
      } else if (name == "tRNS") {
        ReadTransparency(data, length);
      } else if (name == "IDAT") {
        if (color_type_ == kPaletted && !have_palette_) {
          Fail("Bad Data Section", "Data Section comes before Palette Section");
        }
        idat_.emplace_back(data, length);
        idat_bytes_ += length;
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
    if (depth_ != 16 && depth_ != 8 && depth_ != 4 && depth_ != 2 && depth_ != 1) {
      Fail("Unsupported Bit Depth", "Bit depth is " + std::to_string(depth_) +
                                        " bit. Only 16, 8, 4, 2 and 1 Bit images supported.");
    }
    if (color_type_ != kGrey && color_type_ != kTrueColour && color_type_ != kPaletted &&
        color_type_ != kGreyAlpha && color_type_ != kTrueColourAlpha) {
      Fail("Unsupported Color Format",
           "Type " + std::to_string(color_type_) + " is not a PNG colour type");
    }
    if (!DepthAllowed(color_type_, depth_)) {
      Fail("Unsupported Bit Depth", "Bit depth is " + std::to_string(depth_) +
                                        " bit, which colour type " + std::to_string(color_type_) +
                                        " does not allow");
    }
    if (data[10] != 0) Fail("Unsupported Compression Method");
    if (data[11] != 0) Fail("Unknown Filter Set");
    if (data[12] > 1) {
      Fail("Interlacing Unsupported",
           "Interlace method " + std::to_string(data[12]) + " is unknown");
    }
    interlaced_ = data[12] == 1;
    if (!PictureSizeAcceptable(width_, height_)) {
      Fail("Unsupported Image Size",
           "Image is " + std::to_string(width_) + " x " + std::to_string(height_) +
               " pixels; at most " + std::to_string(kMaxPicturePixels) + " pixels are supported.");
    }
    channels_ = ChannelsOf(color_type_);
    have_header_ = true;
  }

  void ReadPalette(const std::uint8_t* data, std::uint32_t length) {
    const unsigned max_index = (1u << depth_) - 1;
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
      palette_alpha_.fill(255);
      std::copy(data, data + length, palette_alpha_.begin());
      return;
    }
    if (color_type_ == kGreyAlpha || color_type_ == kTrueColourAlpha) return;  // alpha says it all
    if (length != 2 * channels_) {
      Fail("Bad Transparency Section", "Transparency Section is invalid size");
    }
    key_.emplace();
    for (unsigned c = 0; c < channels_; ++c) (*key_)[c] = LoadBE16(data + 2 * c);
  }

  static std::uint16_t LoadBE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
  }

  // Sample `index` of a row (pixel x channel), as stored.
  unsigned Sample(const std::uint8_t* row, std::size_t index) const {
    if (depth_ == 16) return LoadBE16(row + 2 * index);
    if (depth_ == 8) return row[index];
    const std::size_t bit = index * depth_;
    return (row[bit / 8] >> (8 - depth_ - bit % 8)) & ((1u << depth_) - 1);
  }

  // A sample as 8 bits: 16-bit samples keep their high byte, small grey levels spread to 255.
  std::uint8_t Level(unsigned sample) const {
    if (depth_ == 16) return static_cast<std::uint8_t>(sample >> 8);
    if (depth_ == 8) return static_cast<std::uint8_t>(sample);
    return static_cast<std::uint8_t>(sample * 255u / ((1u << depth_) - 1));
  }

  // width x height x 3 for the picture, and no row size can wrap: the header check bounds the
  // pixel count far below where any of these products could overflow, but it is cheap to be sure.
  std::size_t RowBytes(std::uint32_t pixels) const {
    const std::size_t bits = std::size_t{channels_} * depth_;
    if (pixels > SIZE_MAX / bits - 7) Fail("Unsupported Image Size", "Row size overflows");
    return (pixels * bits + 7) / 8;
  }

  std::size_t PassWidth(const Pass& pass) const {
    return width_ <= pass.x0 || height_ <= pass.y0 ? 0 : (width_ - pass.x0 + pass.dx - 1) / pass.dx;
  }
  std::size_t PassHeight(const Pass& pass) const {
    return width_ <= pass.x0 || height_ <= pass.y0 ? 0
                                                   : (height_ - pass.y0 + pass.dy - 1) / pass.dy;
  }
  std::span<const Pass> Passes() const {
    return interlaced_ ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWholePicture);
  }
  // The inflated size the picture needs: every pass's rows with their filter bytes.
  std::size_t FilteredSize() const {
    std::size_t total = 0;
    for (const Pass& pass : Passes()) {
      const std::size_t width = PassWidth(pass);
      if (width > 0) total += (RowBytes(static_cast<std::uint32_t>(width)) + 1) * PassHeight(pass);
    }
    return total;
  }

  Bitmap BuildBitmap() {
    if (!have_data_) Fail("Bad Data Section", "Data Section is missing");
    // Deflate expands at most about 1032 times, so data too small for the picture is known
    // before its pixels are reserved.
    if (FilteredSize() / kMostDeflateExpansion > idat_bytes_) {
      Fail("Bad Data Section", "Data Section has invalid size");
    }
    Bitmap bitmap(static_cast<int>(width_), static_cast<int>(height_),
                  color_type_ == kPaletted ? PixelFormat::Bits8 : PixelFormat::Bits24);
    if (color_type_ == kPaletted) bitmap.ColorTable() = palette_;
    const bool may_be_clear = color_type_ == kGreyAlpha || color_type_ == kTrueColourAlpha ||
                              (key_.has_value() && color_type_ != kPaletted);
    if (may_be_clear) clear_.assign(static_cast<std::size_t>(width_) * height_, false);
    if (rgba_) *rgba_ = RgbaPicture(static_cast<int>(width_), static_cast<int>(height_));

    PngRowInflater inflater(idat_, [this](const std::string& detail) {
      Fail("Bad Data Section", detail);
    });
    const std::size_t filter_bpp = std::max<std::size_t>(1, channels_ * depth_ / 8);
    for (const Pass& pass : Passes()) {
      const auto pass_width = static_cast<std::uint32_t>(PassWidth(pass));
      const auto pass_height = static_cast<std::uint32_t>(PassHeight(pass));
      if (pass_width == 0) continue;  // small pictures skip passes
      const std::size_t row_bytes = RowBytes(pass_width);
      // One filter byte ahead of each row; the row above starts as zeros, which is exactly
      // how the filters treat the missing row above the first.
      std::vector<std::uint8_t> current(row_bytes + 1), previous(row_bytes + 1, 0);
      for (std::uint32_t r = 0; r < pass_height; ++r) {
        inflater.Read(current);
        Unfilter(current[0], current.data() + 1, previous.data() + 1, row_bytes, filter_bpp);
        StoreRow(current.data() + 1, bitmap, pass, pass_width, pass.y0 + r * pass.dy);
        std::swap(current, previous);
      }
    }
    inflater.Finish();
    // Exact alpha needs no stand-in colour for see-through pixels.
    if (rgba_) return bitmap;
    if (color_type_ == kPaletted) return ResolvePaletteTransparency(std::move(bitmap));
    ResolveColourKey(bitmap);
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
        for (std::size_t i = 0; i < row_bytes; ++i) row[i] += above[i];
        return;
      case 3:
        for (std::size_t i = 0; i < row_bytes; ++i) {
          const unsigned left = i >= bpp ? row[i - bpp] : 0;
          row[i] = static_cast<std::uint8_t>(row[i] + (left + above[i]) / 2);
        }
        return;
      case 4:
        for (std::size_t i = 0; i < row_bytes; ++i) {
          const int left = i >= bpp ? row[i - bpp] : 0;
          const int upper_left = i >= bpp ? above[i - bpp] : 0;
          row[i] = static_cast<std::uint8_t>(row[i] + Paeth(left, above[i], upper_left));
        }
        return;
      default:
        Fail("Unknown Filter Method", "Filter method " + std::to_string(filter) + " is unknown");
    }
  }

  void StoreRow(const std::uint8_t* source, Bitmap& bitmap, const Pass& pass,
                std::uint32_t pass_width, std::uint32_t y) {
    std::uint8_t* target = bitmap.Row(static_cast<int>(y));
    for (std::uint32_t i = 0; i < pass_width; ++i) {
      const std::uint32_t x = pass.x0 + i * pass.dx;
      const std::size_t first = std::size_t{i} * channels_;
      if (color_type_ == kPaletted) {
        const auto index = static_cast<std::uint8_t>(Sample(source, first));
        target[x] = index;
        if (rgba_) {
          const RGBTriple entry = palette_[index];
          StoreRgba(x, y, entry.r, entry.g, entry.b, palette_alpha_[index]);
        }
        continue;
      }
      std::array<unsigned, 4> samples{};
      for (unsigned c = 0; c < channels_; ++c) samples[c] = Sample(source, first + c);
      const bool grey = channels_ <= 2;
      const std::uint8_t red = Level(samples[0]);
      const std::uint8_t green = grey ? red : Level(samples[1]);
      const std::uint8_t blue = grey ? red : Level(samples[2]);
      std::uint8_t* pixel = target + 3 * std::size_t{x};
      pixel[0] = blue;
      pixel[1] = green;
      pixel[2] = red;
      if (rgba_) {
        std::uint8_t alpha = 255;
        if (color_type_ == kGreyAlpha || color_type_ == kTrueColourAlpha) {
          alpha = Level(samples[channels_ - 1]);
        } else if (key_ && std::equal(key_->begin(), key_->begin() + channels_, samples.begin())) {
          alpha = 0;
        }
        StoreRgba(x, y, red, green, blue, alpha);
      }
      if (clear_.empty()) continue;
      bool clear = false;
      if (color_type_ == kGreyAlpha || color_type_ == kTrueColourAlpha) {
        clear = Level(samples[channels_ - 1]) < kOpaqueFrom;
      } else {
        clear = std::equal(key_->begin(), key_->begin() + channels_, samples.begin());
      }
      clear_[std::size_t{y} * width_ + x] = clear;
    }
  }

  void StoreRgba(std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                 std::uint8_t a) {
    std::uint8_t* pixel = rgba_->At(static_cast<int>(x), static_cast<int>(y));
    pixel[0] = r;
    pixel[1] = g;
    pixel[2] = b;
    pixel[3] = a;
  }

  // The colour the tRNS chunk names, as 8-bit samples.
  std::optional<TColor> KeyColour() const {
    if (!key_) return std::nullopt;
    const std::uint8_t red = Level((*key_)[0]);
    if (channels_ == 1) return MakeColor(red, red, red);
    return MakeColor(red, Level((*key_)[1]), Level((*key_)[2]));
  }

  void ResolveColourKey(Bitmap& bitmap) const {
    if (clear_.empty()) return;
    std::vector<TColor> preferred;
    if (const auto key = KeyColour()) preferred.push_back(*key);
    bitmap.transparent_color = ApplyColourKey(bitmap, clear_, preferred);
    const bool any_clear = std::find(clear_.begin(), clear_.end(), true) != clear_.end();
    if (any_clear && !bitmap.transparent_color) {
      Fail("Unsupported Color Format",
           "The picture uses every colour, leaving none to mark its transparent pixels");
    }
    // A key that no pixel matches still tells which colour the file meant to hide.
    if (!any_clear && key_ && depth_ != 16) bitmap.transparent_color = KeyColour();
  }

  // Paletted pictures keep their indices and palette, which modders rely on. Pixels of any
  // see-through entry take the first such entry, whose colour becomes the transparent one.
  // An opaque entry of that same colour keeps its own index, so readers of indices still tell
  // the two apart.
  Bitmap ResolvePaletteTransparency(Bitmap bitmap) const {
    int first_clear = -1;
    for (int i = 0; i < 256 && first_clear < 0; ++i) {
      if (palette_alpha_[i] < kOpaqueFrom) first_clear = i;
    }
    if (first_clear < 0) return bitmap;
    for (std::uint8_t& index : bitmap.Pixels()) {
      if (palette_alpha_[index] < kOpaqueFrom) index = static_cast<std::uint8_t>(first_clear);
    }
    bitmap.transparent_color = ToColor(palette_[first_clear]);
    return bitmap;
  }

  std::span<const std::uint8_t> bytes_;
  const std::filesystem::path& file_name_;
  bool have_header_ = false;
  bool have_palette_ = false;
  bool have_data_ = false;
  bool interlaced_ = false;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint8_t depth_ = 0;
  std::uint8_t color_type_ = 0;
  unsigned channels_ = 1;
  Palette256 palette_{};
  std::uint32_t palette_count_ = 0;
  std::array<std::uint8_t, 256> palette_alpha_ = FullyOpaque();
  std::optional<std::array<unsigned, 3>> key_;  // tRNS of grey and true colour, as stored
  std::vector<bool> clear_;                     // see-through pixels, when there can be any
  std::vector<std::span<const std::uint8_t>> idat_;  // in the file's bytes, in order
  std::size_t idat_bytes_ = 0;
  RgbaPicture* rgba_ = nullptr;

  static std::array<std::uint8_t, 256> FullyOpaque() {
    std::array<std::uint8_t, 256> alpha;
    alpha.fill(255);
    return alpha;
  }
};

}  // namespace

Bitmap DecodePNG(std::span<const std::uint8_t> bytes, Palette256& palette,
                 const std::filesystem::path& file_name) {
  return PngDecoder(bytes, file_name).Decode(palette);
}

RgbaPicture DecodePNGToRGBA(std::span<const std::uint8_t> bytes,
                            const std::filesystem::path& file_name) {
  RgbaPicture picture;
  PngDecoder decoder(bytes, file_name);
  decoder.CaptureRgba(&picture);
  Palette256 unused{};
  decoder.Decode(unused);
  return picture;
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
