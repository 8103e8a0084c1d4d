#include "model/qm_BAM.h"

#include <algorithm>
#include <array>
#include <cstring>
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

std::array<TColor, 256> TBAM::DrawnColours() const {
  std::array<TColor, 256> colours{};
  for (int i = 0; i < 256; ++i) colours[i] = ToColor(Palette[i]);
  colours[static_cast<std::uint8_t>(TranspInd)] = GetTransCol();
  colours[static_cast<std::uint8_t>(ShadowInd)] = GetShadowCol();
  return colours;
}

void TBAM::DrawFrame(std::int32_t index, Bitmap& canvas, int left, int top, Bitmap* index_image,
                     bool blend_shadows) const {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  if (canvas.Format() != PixelFormat::Bits24) {
    throw std::invalid_argument("Frames are drawn onto 24-bit pictures");
  }
  const TBAMFrame& frame = frames_[index];
  const bool paletted = Paletted();
  // The old index plane goes first: a large frame's planes should not be held twice.
  if (index_image && paletted) index_image->Reset(0, 0, PixelFormat::Index8);
  std::vector<std::uint8_t> raw = DecodeFrame(index);

  // Only the part of the frame that lands on the canvas is drawn.
  const int x0 = std::max(0, -left), y0 = std::max(0, -top);
  const int x1 = std::min(frame.Width, canvas.Width() - left);
  const int y1 = std::min(frame.Height, canvas.Height() - top);

  if (paletted) {
    const std::array<TColor, 256> colours = DrawnColours();
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
    // The decoded indices are the index plane as they stand.
    if (index_image) index_image->Adopt(frame.Width, frame.Height, PixelFormat::Index8, std::move(raw));
    return;
  }

  if (BAMType == kTrueColourBAM) {
    // Over a background the alpha mixes; shown plainly, the picture lies over the transparent
    // colour, so see-through pixels look as they do in the other kinds.
    const TColor backdrop = GetTransCol();
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* in = raw.data() + 4 * static_cast<std::size_t>(y) * frame.Width;
      std::uint8_t* out = canvas.Row(top + y) + 3 * static_cast<std::size_t>(left);
      for (int x = x0; x < x1; ++x) {
        const std::uint8_t* p = in + 4 * x;
        std::uint8_t* q = out + 3 * x;
        if (!blend_shadows) PutColour(q, backdrop);
        const int a = p[3];
        q[0] = static_cast<std::uint8_t>((p[2] * a + q[0] * (255 - a) + 127) / 255);
        q[1] = static_cast<std::uint8_t>((p[1] * a + q[1] * (255 - a) + 127) / 255);
        q[2] = static_cast<std::uint8_t>((p[0] * a + q[2] * (255 - a) + 127) / 255);
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

Bitmap TBAM::GetFrameAlphaBitmap(std::int32_t index) const {
  if (BAMType != kTrueColourBAM) throw std::logic_error("Only true-colour frames have alpha");
  const TBAMFrame frame = GetFrame(index);
  const std::vector<std::uint8_t> raw = DecodeFrame(index);
  Bitmap bitmap(frame.Width, frame.Height, PixelFormat::Bits32);
  std::uint8_t* out = bitmap.Pixels().data();
  for (std::size_t i = 0; i < raw.size(); i += 4) {
    out[i] = raw[i + 2];
    out[i + 1] = raw[i + 1];
    out[i + 2] = raw[i];
    out[i + 3] = raw[i + 3];
  }
  return bitmap;
}

void TBAM::SetFrameBitmap(std::int32_t index, const Bitmap& bitmap, const TBAMFrame& info) {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  if (bitmap.Width() != info.Width || bitmap.Height() != info.Height) {
    throw std::invalid_argument("The picture's size differs from the frame's");
  }
  if (BAMType == kTrueColourBAM) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(info.Width) * info.Height * 4);
    std::size_t o = 0;
    for (int y = 0; y < info.Height; ++y) {
      for (int x = 0; x < info.Width; ++x, o += 4) {
        const TColor colour = bitmap.GetPixel(x, y);
        raw[o] = RedOf(colour);
        raw[o + 1] = GreenOf(colour);
        raw[o + 2] = BlueOf(colour);
        raw[o + 3] = bitmap.GetAlpha(x, y);
      }
    }
    TBAMFrame updated = info;
    updated.RLE = false;
    ReplaceFrameData(index, raw, updated);
    return;
  }
  const bool paletted = Paletted();
  const std::size_t pixels = static_cast<std::size_t>(info.Width) * info.Height;
  std::vector<std::uint8_t> raw(pixels * BytesPerPixel());
  // (A frame of no pixels has no rows to copy, nor buffers to copy them between.)
  for (int y = 0; pixels > 0 && y < info.Height; ++y) {
    const std::uint8_t* in = bitmap.Row(y);
    std::uint8_t* out = raw.data() + static_cast<std::size_t>(y) * info.Width * BytesPerPixel();
    if (paletted) {
      // The editor's index plane and 8-bit pictures hold the index itself, on every edit of a
      // frame; a 24-bit picture keeps it in red.
      if (bitmap.BytesPerPixel() == 1) {
        std::memcpy(out, in, static_cast<std::size_t>(info.Width));
      } else {
        const std::size_t step = static_cast<std::size_t>(bitmap.BytesPerPixel());
        for (int x = 0; x < info.Width; ++x) out[x] = in[step * static_cast<std::size_t>(x) + 2];
      }
      continue;
    }
    for (int x = 0; x < info.Width; ++x) {
      if (bitmap.Format() == PixelFormat::Bits24) {
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
  TBAMFrame updated = info;
  updated.RLE = rle::EncodeInPlaceIfSmaller(raw, pixels, CompressionKey());
  ReplaceFrameData(index, raw, updated);
}

}  // namespace celwright
