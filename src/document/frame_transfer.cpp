#include "document/frame_transfer.h"

#include <cstring>

#include "document/selection_transfer.h"
#include "model/byte_view.h"

namespace celwright {

namespace {

constexpr char kFramesMagic[8] = {'C', 'W', 'F', 'R', 'M', '0', '0', '2'};
// Larger than any frame the editor makes; anything beyond is not a copy of ours.
constexpr std::uint32_t kMaxFrameSide = 1u << 15;
constexpr std::uint64_t kMaxFramePixels = 1ull << 26;
constexpr std::size_t kFrameHeader = 4 * 4 + 1;
// Colours, index and colours with alpha.
constexpr std::size_t kBytesPerPixel = 3 + 1 + 4;

// The frame with alpha as a paletted or unpaletted animation shows it.
Bitmap WithAlphaOf(const TBAM& bam, const Bitmap& colours, const Bitmap& indices) {
  const bool paletted = bam.Paletted();
  const int width = colours.Width(), height = colours.Height();
  Bitmap out(width, height, PixelFormat::Bits32);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = colours.Row(y);
    const std::uint8_t* index = paletted ? indices.Row(y) : nullptr;
    std::uint8_t* row = out.Row(y);
    for (int x = 0; x < width; ++x, in += 3, row += 4) {
      const TColor colour = MakeColor(in[2], in[1], in[0]);
      const bool see_through = paletted ? index[x] == bam.TranspInd : colour == bam.GetTransCol();
      const bool shade = paletted ? index[x] == bam.ShadowInd : colour == bam.GetShadowCol();
      std::memcpy(row, in, 3);
      row[3] = see_through ? 0 : shade ? kTrueColourShadowAlpha : 255;
      if (see_through || shade) row[0] = row[1] = row[2] = 0;
    }
  }
  return out;
}

// A true-colour frame as an animation without alpha shows it, in `bam`'s display colours.
Bitmap WithoutAlpha(const Bitmap& with_alpha, TColor transparent, TColor shadow) {
  Bitmap out(with_alpha.Width(), with_alpha.Height(), PixelFormat::Bits24);
  for (int y = 0; y < out.Height(); ++y) {
    const std::uint8_t* in = with_alpha.Row(y);
    std::uint8_t* row = out.Row(y);
    for (int x = 0; x < out.Width(); ++x, in += 4, row += 3) {
      const TColor colour = ColourWithoutAlpha(in[2], in[1], in[0], in[3], transparent, shadow);
      row[0] = BlueOf(colour);
      row[1] = GreenOf(colour);
      row[2] = RedOf(colour);
    }
  }
  return out;
}

}  // namespace

std::vector<CopiedFrame> CopyFrames(const TBAM& bam, const std::vector<std::int32_t>& frames) {
  std::vector<CopiedFrame> copies;
  const bool paletted = bam.Paletted();
  const bool true_colour = bam.GetBAMType() == kTrueColourBAM;
  for (const std::int32_t index : frames) {
    if (index < 0 || index >= bam.FrameCount()) continue;
    CopiedFrame copy;
    if (true_colour) {
      copy.WithAlpha = bam.GetFrameAlphaBitmap(index);
      copy.Colours = WithoutAlpha(copy.WithAlpha, bam.GetTransCol(), bam.GetShadowCol());
    } else {
      bam.GetFrameBitmap(index, copy.Colours, paletted ? &copy.Indices : nullptr);
    }
    if (!paletted) copy.Indices.Reset(copy.Colours.Width(), copy.Colours.Height(), PixelFormat::Index8);
    if (!true_colour) copy.WithAlpha = WithAlphaOf(bam, copy.Colours, copy.Indices);
    copy.Paletted = paletted;
    const TBAMFrame info = bam.GetFrame(index);
    copy.CentreX = info.CentreX;
    copy.CentreY = info.CentreY;
    copies.push_back(std::move(copy));
  }
  return copies;
}

Bitmap FramePixelsFor(const CopiedFrame& frame, const TBAM& bam) {
  // A whole frame is a selection of everything: the paste rules of selections apply as they are.
  ClipboardContent content;
  content.Own = true;
  content.Paletted = frame.Paletted;
  content.Copied = {frame.Colours, frame.Indices,
                    Bitmap(frame.Colours.Width(), frame.Colours.Height(), PixelFormat::Bits1)};
  if (bam.GetBAMType() == kTrueColourBAM) return frame.WithAlpha;
  std::array<Bitmap, 3> images = PasteImagesFor(content, bam);
  return bam.Paletted() ? std::move(images[1]) : std::move(images[0]);
}

std::vector<std::uint8_t> EncodeCopiedFrames(const std::vector<CopiedFrame>& frames) {
  std::vector<std::uint8_t> out(kFramesMagic, kFramesMagic + sizeof kFramesMagic);
  PutU32(out, static_cast<std::uint32_t>(frames.size()));
  for (const CopiedFrame& frame : frames) {
    const int width = frame.Colours.Width(), height = frame.Colours.Height();
    PutU32(out, static_cast<std::uint32_t>(frame.CentreX));
    PutU32(out, static_cast<std::uint32_t>(frame.CentreY));
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));
    out.push_back(frame.Paletted ? 1 : 0);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* colours = frame.Colours.Row(y);
      out.insert(out.end(), colours, colours + 3 * static_cast<std::size_t>(width));
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* indices = frame.Indices.Row(y);
      out.insert(out.end(), indices, indices + width);
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* with_alpha = frame.WithAlpha.Row(y);
      out.insert(out.end(), with_alpha, with_alpha + 4 * static_cast<std::size_t>(width));
    }
  }
  return out;
}

std::optional<std::vector<CopiedFrame>> DecodeCopiedFrames(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < sizeof kFramesMagic + 4 ||
      std::memcmp(bytes.data(), kFramesMagic, sizeof kFramesMagic) != 0)
    return std::nullopt;
  const ByteView view(bytes.data(), bytes.size());
  const std::uint32_t count = view.U32(sizeof kFramesMagic);
  std::size_t at = sizeof kFramesMagic + 4;
  // Each frame takes at least its header: a count beyond what the bytes can hold is not ours.
  if (count > (bytes.size() - at) / kFrameHeader) return std::nullopt;
  std::vector<CopiedFrame> frames;
  for (std::uint32_t k = 0; k < count; ++k) {
    if (bytes.size() - at < kFrameHeader) return std::nullopt;
    const std::uint8_t* in = bytes.data() + at;
    const std::uint32_t width = view.U32(at + 8), height = view.U32(at + 12);
    const std::uint8_t paletted = in[16];
    if (width > kMaxFrameSide || height > kMaxFrameSide || paletted > 1 ||
        static_cast<std::uint64_t>(width) * height > kMaxFramePixels)
      return std::nullopt;
    at += kFrameHeader;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if ((bytes.size() - at) / kBytesPerPixel < pixels) return std::nullopt;
    CopiedFrame frame;
    frame.CentreX = static_cast<std::int32_t>(view.U32(at - kFrameHeader));
    frame.CentreY = static_cast<std::int32_t>(view.U32(at - kFrameHeader + 4));
    frame.Paletted = paletted == 1;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    frame.Colours.Reset(w, h, PixelFormat::Bits24);
    frame.Indices.Reset(w, h, PixelFormat::Index8);
    const std::uint8_t* colours = bytes.data() + at;
    for (int y = 0; y < h; ++y)
      std::memcpy(frame.Colours.Row(y), colours + 3 * static_cast<std::size_t>(y) * width,
                  3 * static_cast<std::size_t>(width));
    const std::uint8_t* indices = colours + 3 * pixels;
    std::memcpy(frame.Indices.Pixels().data(), indices, pixels);
    const std::uint8_t* with_alpha = indices + pixels;
    frame.WithAlpha.Reset(w, h, PixelFormat::Bits32);
    for (int y = 0; y < h; ++y)
      std::memcpy(frame.WithAlpha.Row(y), with_alpha + 4 * static_cast<std::size_t>(y) * width,
                  4 * static_cast<std::size_t>(width));
    at += kBytesPerPixel * pixels;
    frames.push_back(std::move(frame));
  }
  if (at != bytes.size()) return std::nullopt;
  return frames;
}

}  // namespace celwright
