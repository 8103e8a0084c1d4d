#include "model/qm_BAM.h"

#include "model/bam_reader.h"
#include "model/bam_v2_writer.h"
#include "model/bam_writer.h"
#include "model/stepped_copy.h"
#include "model/byte_view.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {

bool TBAM::LoadFromFile(const std::string& file_name, const TProgressEvent& on_progress) {
  return BAMReader(*this, on_progress).Load(file_name);
}

bool TBAM::SaveToFile(const std::string& file_name, std::uint8_t bam_type, bool compressed,
                      bool reload, const TProgressEvent& on_progress) {
  Progress(on_progress, 0, 0, kStageSaveStart);
  if (bam_type == kTrueColourBAM || BAMType == kTrueColourBAM) {
    if (bam_type != BAMType) {
      throw EBAMSaveError(bam_type == kTrueColourBAM
                              ? "The animation is not true colour; convert it before saving it as "
                                "a BAM V2 file"
                              : "The animation is true colour; convert it before saving it as a "
                                "BAM V1 file");
    }
    return SaveTrueColour(file_name, reload, on_progress);
  }
  BAMWriter writer(*this, on_progress);
  // Refuse before touching anything, so a refused save leaves the document as it was.
  writer.CheckLimits(bam_type);
  FileName = file_name;
  BAMType = bam_type;
  Compressed = compressed;
  if (file_name == kUntitledBAM) return false;

  std::uint32_t frame_data_start = 0;
  std::size_t padding = 0;
  std::vector<std::uint8_t> image = writer.BuildImage(bam_type, frame_data_start, padding);

  // Stages come in order: frame data (6), the document's new image (7), writing (8, or 9 for a
  // compressed file), finished (10). The document takes the new image only once the file is
  // safely on disk.
  std::vector<std::uint8_t> updated;
  SteppedAppend(updated, image.data(), image.size(), on_progress, kStageSaveUpdate);
  image = {};
  std::vector<std::uint8_t> file;
  constexpr int write_steps = 80;
  try {
    if (compressed) {
      Progress(on_progress, 0, 0, kStageSaveCompressed);
      const std::vector<std::uint8_t> packed = ZlibDeflate(updated.data(), updated.size());
      PutTag(file, "BAMC");
      PutTag(file, "V1  ");
      PutU32(file, static_cast<std::uint32_t>(updated.size()));
      file.insert(file.end(), packed.begin(), packed.end());
      WriteFileAtomically(file_name, file);
    } else {
      WriteFileAtomically(file_name, updated, write_steps, [&](int step) {
        Progress(on_progress, step, write_steps, kStageSaveWrite);
      });
    }
  } catch (const ZlibError& e) {
    throw EBAMSaveError(e.what());
  } catch (const std::runtime_error& e) {
    throw EBAMSaveError(e.what());
  }

  updated.resize(updated.size() - padding);
  Data = std::move(updated);
  DataStart = static_cast<std::int32_t>(frame_data_start);
  Progress(on_progress, 0, 0, kStageFinished);
  if (reload) LoadFromFile(file_name, on_progress);
  return true;
}

bool TBAM::SaveTrueColour(const std::string& file_name, bool reload,
                          const TProgressEvent& on_progress) {
  FileName = file_name;
  Compressed = false;
  SaveNotes.clear();
  if (file_name == kUntitledBAM) return false;
  try {
    BAMV2Writer(*this, on_progress).Save(file_name);
  } catch (const EBAMSaveError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw EBAMSaveError("There is not enough memory to save the animation");
  } catch (const std::runtime_error& e) {
    throw EBAMSaveError(e.what());
  }
  Progress(on_progress, 0, 0, kStageFinished);
  if (reload) LoadFromFile(file_name, on_progress);
  return true;
}

bool TBAM::Save(const TProgressEvent& on_progress) {
  return SaveToFile(FileName, BAMType, Compressed, false, on_progress);
}

bool TBAM::SaveAs(const std::string& file_name, std::uint8_t bam_type, bool compressed,
                  const TProgressEvent& on_progress) {
  return SaveToFile(file_name, bam_type, compressed, false, on_progress);
}

}  // namespace celwright
