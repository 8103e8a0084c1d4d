#include "document/frame_transfer.h"

#include "document/selection_transfer.h"

namespace celwright {

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

}  // namespace celwright
