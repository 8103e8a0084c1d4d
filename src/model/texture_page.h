#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace celwright {

// One texture page of a BAM V2 animation ("MOSNNNN.PVRZ"): a 4-byte length, then a zlib stream
// of a PVR version 3 texture whose pixels are BC1 (DXT1) or BC3 (DXT5) blocks of 4 x 4 pixels.
// The blocks are kept encoded; only the rectangles a frame uses are ever decoded.
enum class PageFormat : std::uint8_t { kBC1 = 7, kBC3 = 11 };

// A page that cannot be read: the message says why.
class TexturePageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TexturePage {
  int Width = 0;
  int Height = 0;
  PageFormat Format = PageFormat::kBC3;
  std::vector<std::uint8_t> Blocks;  // rows of 4 x 4 blocks, top to bottom, left to right

  int BlockBytes() const { return Format == PageFormat::kBC1 ? 8 : 16; }
  // Decodes the part of the page at (x, y), `width` x `height`, which must lie on the page, into
  // rows of red, green, blue, alpha bytes `stride` bytes apart.
  void DecodeRect(int x, int y, int width, int height, std::uint8_t* rgba, std::size_t stride) const;
};

// The sides a page may have at most: the games use 1024, larger ones are still read.
inline constexpr int kMaxPageSide = 8192;
// A page's texture metadata is skipped; more than this is taken as damage.
inline constexpr std::uint32_t kMaxPageMetadata = 1u << 20;

// The name of page `number`: "MOS" and four digits, ".PVRZ".
std::string PageFileName(int number);

// Reads a page file's bytes. Throws TexturePageError naming what is wrong (not a PVR texture,
// another pixel format, sizes over kMaxPageSide, blocks missing, a damaged zlib stream).
TexturePage ReadTexturePage(const std::uint8_t* data, std::size_t size);

// Encodes `width` x `height` pixels of red, green, blue, alpha (rows `width` * 4 bytes apart) as
// a page file in `format`. The sides should be multiples of 4.
std::vector<std::uint8_t> EncodeTexturePage(const std::uint8_t* rgba, int width, int height,
                                            PageFormat format);

}  // namespace celwright
