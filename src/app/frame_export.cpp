#include "app/main_window.h"

#include <algorithm>

#include "document/bam_form.h"
#include "document/frame_pictures.h"
#include "model/bam_export.h"
#include "support/image_io/image_file.h"
#include "support/qm_log.h"

namespace celwright {

std::string TMainForm::DoExportFrame(const std::string& file_name, std::uint8_t kind) {
  TBAMForm& doc = *BAMForm();
  AddLogLine("SAVE: Export Frame " + std::to_string(doc.CurrentFrame) + " as \"" + file_name +
             "\"...");
  // The working pair, never the overlay copy: selection outlines and brush previews stay off
  // the file.
  SaveImageFile(FramePictureFromImages(doc.BAM, doc.WorkImage[0], doc.WorkImage[1]), kind,
                file_name, doc.BAM.GetTransCol());
  AppendToLog(" [OK]");
  return SaveNameForKind(kind, file_name).string();
}

std::string TMainForm::SaveNameFor(const std::string& file_name, TDocType type) {
  switch (type) {
    case dtBitmap:
      return SaveNameForKind(kImageKindBitmap, file_name).string();
    case dtJPEG:
      return SaveNameForKind(kImageKindJpeg, file_name).string();
    case dtPNG:
      return SaveNameForKind(kImageKindPng, file_name).string();
    case dtGIF:
      if (BAMForm()->BAM.FrameCount() == 1) {
        return SaveNameForKind(kImageKindGif, file_name).string();
      }
      return WithExtension(file_name, ".gif");
    case dtAVI:
      return WithExtension(file_name, ".avi");
    case dtBAM:
      break;
  }
  return file_name;
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
