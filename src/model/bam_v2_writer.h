#pragma once

#include <cstdint>
#include <string>

#include "model/qm_BAM.h"

namespace celwright {

// Writes a true-colour TBAM as a BAM V2 file and its texture pages. Frames whose pixels are
// exactly those read from a V2 file keep their data blocks (and pages) byte for byte; changed and
// new frames are packed onto new pages of at most kPageSide x kPageSide, BC3 where a page has
// partial alpha, BC1 where it has none, each frame cropped to its visible pixels and split into
// blocks no larger than a page. All files are written to temporaries first and renamed into
// place together; a failure leaves every old file as it was.
class BAMV2Writer {
 public:
  BAMV2Writer(TBAM& bam, const TProgressEvent& on_progress) : bam_(bam), progress_(on_progress) {}

  static constexpr int kPageSide = 1024;

  // Throws EBAMSaveError with the reason when the file cannot be written (over the format's
  // limits, a page of another file in the way, the file layer failed). On success the document
  // holds the pixels the written file gives (re-encoding is lossy) and knows its new blocks;
  // `SaveNotes` lists pages copied beside the file and pages no longer used.
  void Save(const std::string& file_name);

 private:
  TBAM& bam_;
  const TProgressEvent& progress_;
};

}  // namespace celwright
