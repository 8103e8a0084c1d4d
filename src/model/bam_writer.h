#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

// Builds the standard file image of a TBAM: header, frame entries, cycle entries, palette
// (paletted only), lookup table, then the frame data in frame order.
class BAMWriter {
 public:
  BAMWriter(TBAM& bam, const TProgressEvent& on_progress) : bam_(bam), progress_(on_progress) {}

  // Throws EBAMSaveError when the document does not fit the format's fixed-width fields.
  void CheckLimits(std::uint8_t bam_type) const;
  // The complete image; assigns each cycle its new FirstIndex and sets LookupCount. `padding`
  // receives the number of bytes after the last frame's data (kept off the document's data).
  std::vector<std::uint8_t> BuildImage(std::uint8_t bam_type, std::uint32_t& frame_data_start,
                                       std::size_t& padding);

 private:
  void Report(std::int32_t position, std::int32_t max, std::uint8_t stage) const {
    if (progress_) progress_(position, max, stage);
  }

  TBAM& bam_;
  const TProgressEvent& progress_;
};

}  // namespace celwright
