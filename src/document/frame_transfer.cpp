#include "document/frame_transfer.h"

#include <cstring>

#include "document/selection_transfer.h"

namespace celwright {

namespace {

constexpr char kMagic[8] = {'C', 'W', 'F', 'R', 'M', '0', '0', '1'};
// Larger than any frame the editor makes; anything beyond is not a copy of ours.
constexpr std::uint32_t kMaxSide = 1u << 15;
constexpr std::uint64_t kMaxPixels = 1ull << 26;
constexpr std::size_t kFrameHeader = 4 * 4 + 1;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t GetU32(const std::uint8_t* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

}  // namespace

std::vector<CopiedFrame> CopyFrames(const TBAM& bam, const std::vector<std::int32_t>& frames) {
  std::vector<CopiedFrame> copies;
  const bool paletted = bam.GetBAMType() != kUnpalettedBAM;
  for (const std::int32_t index : frames) {
    if (index < 0 || index >= bam.FrameCount()) continue;
    CopiedFrame copy;
    bam.GetFrameBitmap(index, copy.Colours, paletted ? &copy.Indices : nullptr);
    if (!paletted) copy.Indices.Reset(copy.Colours.Width(), copy.Colours.Height(), PixelFormat::Bits24);
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
  std::array<Bitmap, 3> images = PasteImagesFor(content, bam);
  return bam.GetBAMType() != kUnpalettedBAM ? std::move(images[1]) : std::move(images[0]);
}

std::vector<std::uint8_t> EncodeCopiedFrames(const std::vector<CopiedFrame>& frames) {
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
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
      for (int x = 0; x < width; ++x) out.push_back(indices[3 * x + 2]);
    }
  }
  return out;
}

std::optional<std::vector<CopiedFrame>> DecodeCopiedFrames(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < sizeof kMagic + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  const std::uint32_t count = GetU32(bytes.data() + sizeof kMagic);
  std::size_t at = sizeof kMagic + 4;
  // Each frame takes at least its header: a count beyond what the bytes can hold is not ours.
  if (count > (bytes.size() - at) / kFrameHeader) return std::nullopt;
  std::vector<CopiedFrame> frames;
  for (std::uint32_t k = 0; k < count; ++k) {
    if (bytes.size() - at < kFrameHeader) return std::nullopt;
    const std::uint8_t* in = bytes.data() + at;
    const std::uint32_t width = GetU32(in + 8), height = GetU32(in + 12);
    const std::uint8_t paletted = in[16];
    if (width > kMaxSide || height > kMaxSide || paletted > 1 ||
        static_cast<std::uint64_t>(width) * height > kMaxPixels)
      return std::nullopt;
    at += kFrameHeader;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if ((bytes.size() - at) / 4 < pixels) return std::nullopt;
    CopiedFrame frame;
    frame.CentreX = static_cast<std::int32_t>(GetU32(in));
    frame.CentreY = static_cast<std::int32_t>(GetU32(in + 4));
    frame.Paletted = paletted == 1;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    frame.Colours.Reset(w, h, PixelFormat::Bits24);
    frame.Indices.Reset(w, h, PixelFormat::Bits24);
    const std::uint8_t* colours = bytes.data() + at;
    for (int y = 0; y < h; ++y)
      std::memcpy(frame.Colours.Row(y), colours + 3 * static_cast<std::size_t>(y) * width,
                  3 * static_cast<std::size_t>(width));
    const std::uint8_t* indices = colours + 3 * pixels;
    for (int y = 0; y < h; ++y) {
      std::uint8_t* row = frame.Indices.Row(y);
      for (int x = 0; x < w; ++x) row[3 * x + 2] = indices[static_cast<std::size_t>(y) * width + x];
    }
    at += 4 * pixels;
    frames.push_back(std::move(frame));
  }
  if (at != bytes.size()) return std::nullopt;
  return frames;
}

}  // namespace celwright
