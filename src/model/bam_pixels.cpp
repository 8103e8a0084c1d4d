#include "model/qm_BAM.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace celwright {

namespace {

std::uint8_t HalveToEven(std::uint8_t value) {
  const std::uint8_t half = value >> 1;
  if ((value & 1) == 0) return half;
  // value / 2 is half + 0.5: round to whichever neighbour is even.
  return (half & 1) == 0 ? half : static_cast<std::uint8_t>(half + 1);
}

void PutColour(std::uint8_t* pixel, TColor colour) {
  pixel[0] = BlueOf(colour);
  pixel[1] = GreenOf(colour);
  pixel[2] = RedOf(colour);
}

void Shade(std::uint8_t* pixel) {
  pixel[0] = HalveToEven(pixel[0]);
  pixel[1] = HalveToEven(pixel[1]);
  pixel[2] = HalveToEven(pixel[2]);
}

}  // namespace

TColor TBAM::ShadowBlend(TColor colour) {
  return MakeColor(HalveToEven(RedOf(colour)), HalveToEven(GreenOf(colour)),
                   HalveToEven(BlueOf(colour)));
}

Palette256 TBAM::GetDisplayHPalette() const {
  Palette256 display = Palette;
  display[0] = ToTriple(GetTransCol());
  display[1] = ToTriple(GetShadowCol());
  return display;
}

void TBAM::DrawFrame(std::int32_t index, Bitmap& canvas, int left, int top, Bitmap* index_image,
                     bool blend_shadows) const {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  if (canvas.Format() != PixelFormat::Bits24) {
    throw std::invalid_argument("Frames are drawn onto 24-bit pictures");
  }
  const TBAMFrame& frame = frames_[index];
  const std::vector<std::uint8_t> raw = DecodeFrame(index);
  const bool paletted = BAMType != kUnpalettedBAM;
  if (index_image && paletted) index_image->Reset(frame.Width, frame.Height, PixelFormat::Bits24);

  // Only the part of the frame that lands on the canvas is drawn.
  const int x0 = std::max(0, -left), y0 = std::max(0, -top);
  const int x1 = std::min(frame.Width, canvas.Width() - left);
  const int y1 = std::min(frame.Height, canvas.Height() - top);

  if (paletted) {
    std::array<TColor, 256> colours{};
    for (int i = 0; i < 256; ++i) colours[i] = ToColor(Palette[i]);
    colours[static_cast<std::uint8_t>(TranspInd)] = GetTransCol();
    colours[static_cast<std::uint8_t>(ShadowInd)] = GetShadowCol();
    if (index_image) {
      for (int y = 0; y < frame.Height; ++y) {
        std::uint8_t* out = index_image->Row(y);
        const std::uint8_t* in = raw.data() + static_cast<std::size_t>(y) * frame.Width;
        for (int x = 0; x < frame.Width; ++x) out[3 * x + 2] = in[x];
      }
    }
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* in = raw.data() + static_cast<std::size_t>(y) * frame.Width;
      std::uint8_t* out = canvas.Row(top + y) + 3 * static_cast<std::size_t>(left);
      for (int x = x0; x < x1; ++x) {
        const std::uint8_t i = in[x];
        if (blend_shadows && i == TranspInd) continue;
        if (blend_shadows && i == ShadowInd) {
          Shade(out + 3 * x);
        } else {
          PutColour(out + 3 * x, colours[i]);
        }
      }
    }
    return;
  }

  const TColor transparent = GetTransCol(), shadow = GetShadowCol();
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* in = raw.data() + 3 * static_cast<std::size_t>(y) * frame.Width;
    std::uint8_t* out = canvas.Row(top + y) + 3 * static_cast<std::size_t>(left);
    for (int x = x0; x < x1; ++x) {
      const TColor colour = MakeColor(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
      if (blend_shadows && colour == transparent) continue;
      if (blend_shadows && colour == shadow) {
        Shade(out + 3 * x);
      } else {
        PutColour(out + 3 * x, colour);
      }
    }
  }
}

void TBAM::GetFrameBitmap(std::int32_t index, Bitmap& bitmap, Bitmap* index_image) const {
  const TBAMFrame frame = GetFrame(index);
  bitmap.Reset(frame.Width, frame.Height, PixelFormat::Bits24);
  DrawFrame(index, bitmap, 0, 0, index_image, false);
}

void TBAM::SetFrameBitmap(std::int32_t index, const Bitmap& bitmap, const TBAMFrame& info) {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  if (bitmap.Width() != info.Width || bitmap.Height() != info.Height) {
    throw std::invalid_argument("The picture's size differs from the frame's");
  }
  const bool paletted = BAMType != kUnpalettedBAM;
  const std::size_t pixels = static_cast<std::size_t>(info.Width) * info.Height;
  std::vector<std::uint8_t> raw(pixels * BytesPerPixel());
  for (int y = 0; y < info.Height; ++y) {
    const std::uint8_t* in = bitmap.Row(y);
    std::uint8_t* out = raw.data() + static_cast<std::size_t>(y) * info.Width * BytesPerPixel();
    for (int x = 0; x < info.Width; ++x) {
      if (paletted) {
        // An index image keeps the index in red; an 8-bit picture holds it directly.
        out[x] = bitmap.Format() == PixelFormat::Bits24 ? in[3 * x + 2] : in[x];
      } else if (bitmap.Format() == PixelFormat::Bits24) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      } else {
        const TColor colour = bitmap.GetPixel(x, y);
        out[3 * x] = RedOf(colour);
        out[3 * x + 1] = GreenOf(colour);
        out[3 * x + 2] = BlueOf(colour);
      }
    }
  }
  std::vector<std::uint8_t> bytes;
  TBAMFrame updated = info;
  updated.RLE = rle::EncodeIfSmaller(raw.data(), pixels, CompressionKey(), bytes);
  ReplaceFrameData(index, bytes, updated);
}

}  // namespace celwright
