#include <zlib.h>

#include <array>
#include <stdexcept>
#include <string>

#include "support/crc32.h"
#include "support/file_io.h"
#include "support/image_io/byte_order.h"
#include "support/image_io/indexed_picture.h"
#include "support/image_io/png_chunks.h"
#include "support/image_io/qm_png.h"

namespace celwright {

void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type,
                    const std::vector<std::uint8_t>& data) {
  AppendBE32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  AppendBE32(out, CRC32(out.data() + type_at, 4 + data.size()));
}

std::vector<std::uint8_t> DeflatePngData(const std::vector<std::uint8_t>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(size);
  if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
    throw std::runtime_error("PNG compression failed");
  }
  packed.resize(size);
  return packed;
}

namespace {

std::vector<std::uint8_t> Header(const Bitmap& bitmap, std::uint8_t color_type) {
  std::vector<std::uint8_t> data;
  AppendBE32(data, static_cast<std::uint32_t>(bitmap.Width()));
  AppendBE32(data, static_cast<std::uint32_t>(bitmap.Height()));
  data.insert(data.end(), {8, color_type, 0, 0, 0});
  return data;
}

}  // namespace

std::vector<std::uint8_t> EncodePNG(const Bitmap& bitmap, std::optional<TColor> transparent,
                                    bool paletted) {
  if (bitmap.Empty()) throw std::invalid_argument("An empty picture cannot be written as PNG");
  const std::size_t width = static_cast<std::size_t>(bitmap.Width());
  const std::size_t height = static_cast<std::size_t>(bitmap.Height());
  std::vector<std::uint8_t> out(kPngSignature, kPngSignature + sizeof kPngSignature);
  std::vector<std::uint8_t> raw;

  if (paletted) {
    const IndexedPicture picture = ToIndexed(bitmap, transparent);
    AppendPngChunk(out, "IHDR", Header(bitmap, 3));
    std::vector<std::uint8_t> plte;
    for (int i = 0; i < picture.count; ++i) {
      const RGBTriple& entry = picture.table[i];
      plte.insert(plte.end(), {entry.r, entry.g, entry.b});
    }
    AppendPngChunk(out, "PLTE", plte);
    if (transparent) {
      // Only the first matching entry turns see-through, the one a reader picks back up.
      for (int i = 0; i < picture.count; ++i) {
        if (ToColor(picture.table[i]) == (*transparent & 0xFFFFFF)) {
          std::vector<std::uint8_t> alpha(static_cast<std::size_t>(i) + 1, 255);
          alpha[i] = 0;
          AppendPngChunk(out, "tRNS", alpha);
          break;
        }
      }
    }
    raw.reserve(height * (width + 1));
    for (std::size_t y = 0; y < height; ++y) {
      raw.push_back(0);
      const std::uint8_t* row = picture.indices.data() + y * width;
      raw.insert(raw.end(), row, row + width);
    }
  } else {
    AppendPngChunk(out, "IHDR", Header(bitmap, 2));
    if (transparent) {
      std::vector<std::uint8_t> trns;
      for (std::uint8_t sample :
           {RedOf(*transparent), GreenOf(*transparent), BlueOf(*transparent)}) {
        trns.insert(trns.end(), {0, sample});
      }
      AppendPngChunk(out, "tRNS", trns);
    }
    raw.reserve(height * (3 * width + 1));
    for (int y = 0; y < bitmap.Height(); ++y) {
      raw.push_back(0);
      if (bitmap.Format() == PixelFormat::Bits24) {
        const std::uint8_t* row = bitmap.Row(y);
        for (std::size_t x = 0; x < width; ++x, row += 3)
          raw.insert(raw.end(), {row[2], row[1], row[0]});
      } else {
        for (int x = 0; x < bitmap.Width(); ++x) {
          const TColor color = bitmap.GetPixel(x, y);
          raw.insert(raw.end(), {RedOf(color), GreenOf(color), BlueOf(color)});
        }
      }
    }
  }
  AppendPngChunk(out, "IDAT", DeflatePngData(raw));
  AppendPngChunk(out, "IEND", {});
  return out;
}

std::vector<std::uint8_t> RgbaHeaderData(const RgbaPicture& picture) {
  std::vector<std::uint8_t> header;
  AppendBE32(header, static_cast<std::uint32_t>(picture.width));
  AppendBE32(header, static_cast<std::uint32_t>(picture.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  return header;
}

std::vector<std::uint8_t> UnfilteredRgbaRows(const RgbaPicture& picture) {
  const std::size_t row_bytes = static_cast<std::size_t>(picture.width) * 4;
  std::vector<std::uint8_t> raw;
  raw.reserve(static_cast<std::size_t>(picture.height) * (row_bytes + 1));
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), picture.At(0, y), picture.At(0, y) + row_bytes);
  }
  return raw;
}

std::vector<std::uint8_t> EncodeRGBAPNG(const RgbaPicture& picture) {
  if (picture.Empty()) throw std::invalid_argument("An empty picture cannot be written as PNG");
  std::vector<std::uint8_t> out(kPngSignature, kPngSignature + sizeof kPngSignature);
  AppendPngChunk(out, "IHDR", RgbaHeaderData(picture));
  AppendPngChunk(out, "IDAT", DeflatePngData(UnfilteredRgbaRows(picture)));
  AppendPngChunk(out, "IEND", {});
  return out;
}

void WritePNG(const Bitmap& bitmap, const std::filesystem::path& file_name,
              std::optional<TColor> transparent, bool paletted) {
  if (bitmap.Empty()) throw PngError(file_name, "Cannot Write PNG File", "The picture is empty");
  try {
    WriteFileAtomically(file_name, EncodePNG(bitmap, transparent, paletted));
  } catch (const std::exception& e) {
    throw PngError(file_name, "Cannot Write PNG File", e.what());
  }
}

}  // namespace celwright
