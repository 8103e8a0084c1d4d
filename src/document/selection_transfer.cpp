#include "document/selection_transfer.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "document/palette_mapping.h"
#include "document/work_image_render.h"
#include "support/media/palette_mapper.h"
#include "support/palette_convert.h"

namespace celwright {

namespace {

constexpr char kMagic[8] = {'C', 'W', 'S', 'E', 'L', '0', '0', '1'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 4 + 4 + 1;
// Larger than any frame the editor makes; anything beyond is not a copy of ours.
constexpr std::uint32_t kMaxSide = 1u << 15;
constexpr std::uint64_t kMaxPixels = 1ull << 26;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t GetU32(const std::uint8_t* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

// Entries 2..255 only: a picture from elsewhere has no transparent or shadow pixels.
MappedPicture MapAboveReserved(const Bitmap& picture, const Palette256& display_palette) {
  Palette256 candidates{};
  std::copy(display_palette.begin() + 2, display_palette.end(), candidates.begin());
  NearestColorMapper mapper(candidates, 254);
  const Bitmap mapped = mapper.Map(picture);
  Bitmap indices(mapped.Width(), mapped.Height(), PixelFormat::Bits8);
  for (int y = 0; y < mapped.Height(); ++y) {
    const std::uint8_t* in = mapped.Row(y);
    std::uint8_t* out = indices.Row(y);
    for (int x = 0; x < mapped.Width(); ++x) out[x] = static_cast<std::uint8_t>(in[x] + 2);
  }
  return FromIndices(indices, display_palette);
}

// Our own paletted copy for a palette that may differ from the one it was copied in (another
// document's, or this one's after a palette change): what was seen is what is pasted. A pixel
// keeps its entry where this document shows that entry in the copied colour, and transparent
// and shadow pixels keep theirs; any other pixel takes the nearest colour from entry 2 up.
Bitmap IndicesKeepingColours(const Bitmap& colours, const Bitmap& indices, const TBAM& bam) {
  const Palette256 display_palette = bam.GetDisplayHPalette();
  // The colour each entry is shown in, as the working images render it.
  std::array<TColor, 256> shown{};
  for (std::size_t i = 0; i < 256; ++i) shown[i] = ToColor(display_palette[i]);
  const auto transparent = static_cast<std::uint8_t>(bam.TranspInd);
  const auto shadow = static_cast<std::uint8_t>(bam.ShadowInd);
  shown[transparent] = bam.GetTransCol();
  shown[shadow] = bam.GetShadowCol();
  Bitmap result = indices;
  std::optional<MappedPicture> nearest;  // made only when some entry disagrees
  for (int y = 0; y < indices.Height(); ++y) {
    std::uint8_t* out = result.Row(y);
    for (int x = 0; x < indices.Width(); ++x) {
      const std::uint8_t entry = out[x];
      if (entry < 2 || entry == transparent || entry == shadow ||
          shown[entry] == colours.GetPixel(x, y))
        continue;
      if (!nearest) nearest = MapAboveReserved(colours, display_palette);
      out[x] = nearest->Indices.Row(y)[x];
    }
  }
  return result;
}

}  // namespace

std::vector<std::uint8_t> EncodeSelectionCopy(const std::array<Bitmap, 3>& copied, bool paletted) {
  const int width = copied[2].Width(), height = copied[2].Height();
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));
  // Kind 2: colours with alpha, whose alpha plane follows the mask.
  const bool alpha = copied[0].Format() == PixelFormat::Bits32;
  out.push_back(alpha ? 2 : paletted ? 1 : 0);
  const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  out.reserve(out.size() + pixels * (alpha ? 6 : 5));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* colours = copied[0].Row(y);
    if (!alpha) {
      out.insert(out.end(), colours, colours + 3 * static_cast<std::size_t>(width));
      continue;
    }
    for (int x = 0; x < width; ++x) out.insert(out.end(), colours + 4 * x, colours + 4 * x + 3);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* indices = copied[1].Row(y);
    out.insert(out.end(), indices, indices + width);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* mask = copied[2].Row(y);
    for (int x = 0; x < width; ++x) out.push_back(mask[x] == 0 ? 0 : 1);
  }
  for (int y = 0; alpha && y < height; ++y) {
    const std::uint8_t* colours = copied[0].Row(y);
    for (int x = 0; x < width; ++x) out.push_back(colours[4 * x + 3]);
  }
  return out;
}

std::optional<ClipboardContent> DecodeSelectionCopy(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  const std::uint32_t width = GetU32(bytes.data() + 8), height = GetU32(bytes.data() + 12);
  const std::uint8_t kind = bytes[16];
  const bool alpha = kind == 2;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || kind > 2 ||
      static_cast<std::uint64_t>(width) * height > kMaxPixels)
    return std::nullopt;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (bytes.size() != kHeaderSize + pixels * (alpha ? 6 : 5)) return std::nullopt;

  ClipboardContent content;
  content.Own = true;
  content.Paletted = kind == 1;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  content.Copied = {Bitmap(w, h, alpha ? PixelFormat::Bits32 : PixelFormat::Bits24),
                    Bitmap(w, h, PixelFormat::Index8), Bitmap(w, h, PixelFormat::Bits1)};
  const std::uint8_t* in = bytes.data() + kHeaderSize;
  std::uint8_t* colours = content.Copied[0].Pixels().data();
  if (alpha) {
    const std::uint8_t* alphas = in + pixels * 5;
    for (std::size_t i = 0; i < pixels; ++i) {
      std::memcpy(colours + 4 * i, in + 3 * i, 3);
      colours[4 * i + 3] = alphas[i];
    }
  } else {
    std::memcpy(colours, in, pixels * 3);
  }
  in += pixels * 3;
  std::memcpy(content.Copied[1].Pixels().data(), in, pixels);
  in += pixels;
  std::uint8_t* mask = content.Copied[2].Pixels().data();
  for (std::size_t i = 0; i < pixels; ++i) mask[i] = in[i] == 0 ? 0 : 1;
  return content;
}

std::array<Bitmap, 3> PasteImagesFor(const ClipboardContent& content, const TBAM& bam) {
  const bool paletted = bam.Paletted();
  const bool true_colour = bam.GetBAMType() == kTrueColourBAM;
  std::array<Bitmap, 3> images;
  if (content.Own) {
    const int width = content.Copied[2].Width(), height = content.Copied[2].Height();
    for (std::size_t k = 0; k < 2; ++k) {
      const PixelFormat format = content.Copied[k].Format();
      const bool known = k == 1 ? format == PixelFormat::Index8
                                : format == PixelFormat::Bits24 || format == PixelFormat::Bits32;
      if (content.Copied[k].Width() != width || content.Copied[k].Height() != height || !known)
        return {};
    }
    images[2] = content.Copied[2];
    // Alpha only means something to a true-colour document; others take the colours.
    const Bitmap colours = true_colour || content.Copied[0].Format() == PixelFormat::Bits24
                               ? content.Copied[0]
                               : ConvertPixelFormat(content.Copied[0], PixelFormat::Bits24, {});
    if (true_colour) {
      images[0] = AlphaPictureForDocument(colours);
      images[1].Reset(width, height, PixelFormat::Index8);
    } else if (!paletted) {
      images[0] = colours;
      images[1].Reset(width, height, PixelFormat::Index8);
    } else if (content.Paletted) {
      images[1] = IndicesKeepingColours(colours, content.Copied[1], bam);
      RenderIndexImage(bam, images[1], images[0]);
    } else {
      MappedPicture mapped = MapToPalette(colours, bam.GetDisplayHPalette(),
                                          bam.GetTransCol(), bam.GetShadowCol());
      images[0] = std::move(mapped.Colours);
      images[1] = std::move(mapped.Indices);
    }
    return images;
  }
  const Bitmap& picture = content.Picture;
  if (picture.Empty()) return {};
  images[2].Reset(picture.Width(), picture.Height(), PixelFormat::Bits1);  // all selected
  if (true_colour) {
    images[0] = AlphaPictureForDocument(picture);
    images[1].Reset(picture.Width(), picture.Height(), PixelFormat::Index8);
  } else if (paletted) {
    MappedPicture mapped = MapAboveReserved(picture, bam.GetDisplayHPalette());
    images[0] = std::move(mapped.Colours);
    images[1] = std::move(mapped.Indices);
  } else {
    images[0] = TrueColourForDocument(picture, bam.GetTransCol());
    images[1].Reset(picture.Width(), picture.Height(), PixelFormat::Index8);
  }
  return images;
}

}  // namespace celwright
