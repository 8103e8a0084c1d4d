#include "document/frame_pictures.h"

#include <filesystem>

namespace celwright {

Bitmap FramePictureFromImages(const TBAM& bam, const Bitmap& colours, const Bitmap& indices) {
  if (colours.Format() == PixelFormat::Bits32) {
    // Picture files keep one see-through colour, not alpha: what is mostly see-through takes
    // the transparent colour, as converting the animation to unpaletted does.
    Bitmap picture(colours.Width(), colours.Height(), PixelFormat::Bits24);
    const TColor transparent = bam.GetTransCol();
    for (int y = 0; y < colours.Height(); ++y) {
      for (int x = 0; x < colours.Width(); ++x) {
        picture.SetPixel(x, y, colours.GetAlpha(x, y) < 128 ? transparent : colours.GetPixel(x, y));
      }
    }
    return picture;
  }
  if (!bam.Paletted()) return colours;
  Bitmap picture(indices.Width(), indices.Height(), PixelFormat::Bits8);
  picture.ColorTable() = bam.GetDisplayHPalette();
  picture.Pixels() = indices.Pixels();
  return picture;
}

Bitmap FramePicture(const TBAM& bam, std::int32_t frame) {
  if (bam.GetBAMType() == kTrueColourBAM)
    return FramePictureFromImages(bam, bam.GetFrameAlphaBitmap(frame), Bitmap());
  Bitmap colours;
  Bitmap indices;
  bam.GetFrameBitmap(frame, colours, &indices);
  return FramePictureFromImages(bam, colours, indices);
}

std::string ProposedExportName(const std::string& document_file, const std::string& suffix,
                               std::int64_t number) {
  std::filesystem::path name(document_file);
  name.replace_extension();
  return name.string() + suffix + std::to_string(number);
}

}  // namespace celwright
