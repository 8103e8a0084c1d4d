#include "app/main_window.h"

#include <algorithm>

#include "document/bam_form.h"
#include "model/bam_export.h"
#include "support/image_io/image_file.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

// The current frame as it is shown: a paletted animation keeps its exact indices with the
// display palette (entries 0 and 1 in the transparent and shadow colours), an unpaletted one
// its colours.
Bitmap ShownFramePicture(const TBAMForm& doc) {
  if (doc.BAM.GetBAMType() == kUnpalettedBAM) return doc.WorkImage[0];
  const Bitmap& index_image = doc.WorkImage[1];
  Bitmap picture(index_image.Width(), index_image.Height(), PixelFormat::Bits8);
  picture.ColorTable() = doc.BAM.GetDisplayHPalette();
  for (int y = 0; y < index_image.Height(); ++y) {
    const std::uint8_t* in = index_image.Row(y);
    std::uint8_t* out = picture.Row(y);
    for (int x = 0; x < index_image.Width(); ++x) out[x] = in[3 * x + 2];
  }
  return picture;
}

}  // namespace

std::string TMainForm::DoExportFrame(const std::string& file_name, std::uint8_t kind) {
  TBAMForm& doc = *BAMForm();
  AddLogLine("SAVE: Export Frame " + std::to_string(doc.CurrentFrame) + " as \"" + file_name +
             "\"...");
  SaveImageFile(ShownFramePicture(doc), kind, file_name, doc.BAM.GetTransCol());
  AppendToLog(" [OK]");
  return SaveNameForKind(kind, file_name).string();
}

std::string TMainForm::SaveAsPictureOrVideo(const std::string& file_name, TDocType type) {
  TBAMForm& doc = *BAMForm();
  switch (type) {
    case dtBitmap:
      return DoExportFrame(file_name, kImageKindBitmap);
    case dtJPEG:
      return DoExportFrame(file_name, kImageKindJpeg);
    case dtPNG:
      return DoExportFrame(file_name, kImageKindPng);
    case dtGIF:
      if (doc.BAM.FrameCount() == 1) return DoExportFrame(file_name, kImageKindGif);
      doc.BAM.ExportGIF(file_name, 0);
      return WithExtension(file_name, ".gif");
    case dtAVI:
      doc.BAM.ExportAVI(file_name, 0);
      return WithExtension(file_name, ".avi");
    case dtBAM:
      break;
  }
  return file_name;
}

}  // namespace celwright
