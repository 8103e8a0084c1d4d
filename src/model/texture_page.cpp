#include "model/texture_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <squish.h>

#include "model/byte_view.h"
#include "model/zlib_codec.h"

namespace celwright {

namespace {

constexpr std::uint32_t kPvrVersion3 = 0x03525650;  // "PVR" 3, little-endian
constexpr std::size_t kPvrHeaderSize = 52;

int SquishFlags(PageFormat format) {
  return format == PageFormat::kBC1 ? squish::kDxt1 : squish::kDxt5;
}

std::uint64_t BlockBytesFor(std::uint64_t width, std::uint64_t height, PageFormat format) {
  return ((width + 3) / 4) * ((height + 3) / 4) * (format == PageFormat::kBC1 ? 8u : 16u);
}

}  // namespace

std::string PageFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "MOS%04d.PVRZ", number);
  return name;
}

void TexturePage::DecodeRect(int x, int y, int width, int height, std::uint8_t* rgba,
                             std::size_t stride) const {
  if (width <= 0 || height <= 0) return;
  const int blocks_across = (Width + 3) / 4;
  const int flags = SquishFlags(Format);
  const std::size_t block_bytes = static_cast<std::size_t>(BlockBytes());
  std::uint8_t decoded[64];
  for (int by = y / 4; by <= (y + height - 1) / 4; ++by) {
    for (int bx = x / 4; bx <= (x + width - 1) / 4; ++bx) {
      const std::size_t at =
          (static_cast<std::size_t>(by) * blocks_across + static_cast<std::size_t>(bx)) * block_bytes;
      if (at + block_bytes > Blocks.size()) continue;
      squish::Decompress(decoded, Blocks.data() + at, flags);
      const int top = std::max(by * 4, y), bottom = std::min(by * 4 + 4, y + height);
      const int left = std::max(bx * 4, x), right = std::min(bx * 4 + 4, x + width);
      for (int py = top; py < bottom; ++py) {
        std::memcpy(rgba + static_cast<std::size_t>(py - y) * stride +
                        4 * static_cast<std::size_t>(left - x),
                    decoded + 4 * ((py - by * 4) * 4 + (left - bx * 4)),
                    4 * static_cast<std::size_t>(right - left));
      }
    }
  }
}

TexturePage ReadTexturePage(const std::uint8_t* data, std::size_t size) {
  if (size < 4) throw TexturePageError("the page file is too short");
  // The stated length in front is not needed: the texture header says how much is read, and
  // nothing past that is unpacked.
  TexturePage page;
  try {
    ZlibStreamReader stream(data + 4, size - 4);
    std::vector<std::uint8_t> head(kPvrHeaderSize);
    head.resize(stream.Read(head.data(), head.size()));
    const ByteView header(head.data(), head.size());
    if (head.size() < kPvrHeaderSize || header.U32(0) != kPvrVersion3) {
      throw TexturePageError("the page is not a PVR version 3 texture");
    }
    const std::uint32_t format_low = header.U32(8), format_high = header.U32(12);
    if (format_high != 0 || (format_low != 7 && format_low != 11)) {
      throw TexturePageError("the page's pixel format (" + std::to_string(format_low) +
                             ") is neither BC1 (7) nor BC3 (11)");
    }
    page.Format = static_cast<PageFormat>(format_low);
    const std::uint32_t height = header.U32(24), width = header.U32(28);
    const std::uint32_t metadata = header.U32(48);
    if (width == 0 || height == 0 || width > kMaxPageSide || height > kMaxPageSide) {
      throw TexturePageError("the page is " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels; pages of 1 to " +
                             std::to_string(kMaxPageSide) + " pixels a side are read");
    }
    if (metadata > kMaxPageMetadata) {
      throw TexturePageError("the page's metadata (" + std::to_string(metadata) +
                             " bytes) is too large");
    }
    std::vector<std::uint8_t> skipped(metadata);
    if (stream.Read(skipped.data(), skipped.size()) < skipped.size()) {
      throw TexturePageError("the page ends inside its metadata");
    }
    const std::size_t blocks = static_cast<std::size_t>(BlockBytesFor(width, height, page.Format));
    // A header cannot make us allocate more than its stream could ever unpack to.
    if (kPvrHeaderSize + metadata + blocks > MaxInflatedSize(size - 4)) {
      throw TexturePageError("the page file is too short for a " + std::to_string(width) + " x " +
                             std::to_string(height) + " texture");
    }
    page.Blocks.resize(blocks);
    const std::size_t got = stream.Read(page.Blocks.data(), blocks);
    if (got < blocks) {
      throw TexturePageError("the page ends early: " + std::to_string(got) + " of " +
                             std::to_string(blocks) + " bytes of pixels");
    }
    page.Width = static_cast<int>(width);
    page.Height = static_cast<int>(height);
  } catch (const ZlibError& e) {
    throw TexturePageError(std::string("the page cannot be unpacked: ") + e.what());
  }
  return page;
}

std::vector<std::uint8_t> EncodeTexturePage(const std::uint8_t* rgba, int width, int height,
                                            PageFormat format) {
  std::vector<std::uint8_t> texture;
  PutU32(texture, kPvrVersion3);
  PutU32(texture, 0);  // flags
  PutU32(texture, static_cast<std::uint32_t>(format));
  PutU32(texture, 0);
  PutU32(texture, 0);  // colour space: linear
  PutU32(texture, 0);  // channel type
  PutU32(texture, static_cast<std::uint32_t>(height));
  PutU32(texture, static_cast<std::uint32_t>(width));
  PutU32(texture, 1);  // depth
  PutU32(texture, 1);  // surfaces
  PutU32(texture, 1);  // faces
  PutU32(texture, 1);  // mipmap levels
  PutU32(texture, 0);  // metadata size
  const std::size_t start = texture.size();
  texture.resize(start + static_cast<std::size_t>(BlockBytesFor(
                             static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), format)));
  squish::CompressImage(rgba, width, height, texture.data() + start, SquishFlags(format));
  std::vector<std::uint8_t> file;
  PutU32(file, static_cast<std::uint32_t>(texture.size()));
  const std::vector<std::uint8_t> packed = ZlibDeflate(texture.data(), texture.size());
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

}  // namespace celwright
