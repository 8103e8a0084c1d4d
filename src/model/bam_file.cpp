#include "model/qm_BAM.h"

#include "model/bam_reader.h"
#include "model/bam_v2_writer.h"
#include "model/bam_writer.h"
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
  BAMWriter writer(*this);
  // Refuse before touching anything, so a refused save leaves the document as it was.
  writer.CheckLimits(bam_type);
  FileName = file_name;
  BAMType = bam_type;
  Compressed = compressed;
  if (file_name == kUntitledBAM) return false;

  // The document's data already is the new image apart from its tables: the new tables take the
  // old ones' place in `Data` and the file is written straight from it, with no copy of the
  // frame data. The old tables are kept to put back should the file not be written. Stages come
  // in order: tables ready (6), `Data` holds the new image (7), writing (8, or 9 for a compressed
  // file), finished (10).
  constexpr int kSteps = 80;
  std::size_t padding = 0;
  const std::vector<std::uint8_t> tables = writer.BuildTables(bam_type, padding);
  Progress(on_progress, kSteps, kSteps, kStageSaveFrameData);
  const std::size_t old_size = std::min(Data.size(), static_cast<std::size_t>(DataStart));
  const std::vector<std::uint8_t> old_tables(Data.begin(),
                                             Data.begin() + static_cast<std::ptrdiff_t>(old_size));
  SpliceData(0, old_size, tables);
  const std::size_t frame_data_start = tables.size();
  Progress(on_progress, kSteps, kSteps, kStageSaveUpdate);
  bool padded = false;
  const auto put_back = [&] {
    if (padded) Data.pop_back();
    SpliceData(0, frame_data_start, old_tables);
  };
  try {
    if (compressed) {
      Progress(on_progress, 0, 0, kStageSaveCompressed);
      // The container packs the image and its padding as one piece.
      if (padding) Data.push_back(0);
      padded = padding != 0;
      const std::vector<std::uint8_t> packed = ZlibDeflate(Data.data(), Data.size());
      std::vector<std::uint8_t> container;
      PutTag(container, "BAMC");
      PutTag(container, "V1  ");
      PutU32(container, static_cast<std::uint32_t>(Data.size()));
      if (padded) Data.pop_back();
      padded = false;
      WriteFileAtomically(file_name, {std::span<const std::uint8_t>(container), std::span(packed)},
                          1, {});
    } else {
      const std::uint8_t zero[1] = {0};
      WriteFileAtomically(file_name,
                          {std::span<const std::uint8_t>(Data), std::span(zero, padding)}, kSteps,
                          [&](int step) { Progress(on_progress, step, kSteps, kStageSaveWrite); });
    }
  } catch (const std::bad_alloc&) {
    put_back();
    throw;
  } catch (const std::runtime_error& e) {
    put_back();
    throw EBAMSaveError(e.what());
  }

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
