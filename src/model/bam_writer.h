#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/qm_BAM.h"

namespace celwright {

// Builds the standard file image of a TBAM: header, frame entries, cycle entries, palette
// (paletted only), lookup table, then the frame data in frame order, which is written as it
// stands in the document.
class BAMWriter {
 public:
  explicit BAMWriter(TBAM& bam) : bam_(bam) {}

  // Throws EBAMSaveError when the document does not fit the format's fixed-width fields.
  void CheckLimits(std::uint8_t bam_type) const;
  // The file's tables (header, frame and cycle entries, palette, lookup table), which the frame
  // data follows; assigns each cycle its new FirstIndex and sets LookupCount. `padding` receives
  // the number of bytes the file needs after the frame data (kept off the document's data).
  std::vector<std::uint8_t> BuildTables(std::uint8_t bam_type, std::size_t& padding);

 private:
  TBAM& bam_;
};

}  // namespace celwright
