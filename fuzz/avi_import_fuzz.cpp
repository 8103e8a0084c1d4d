// libFuzzer target: any bytes, imported as an AVI through FFmpeg into a paletted document, must
// import within the bounds or be refused with a message.
#include <cstdint>
#include <exception>
#include <string>

#include "fuzz_input_file.h"
#include "model/qm_BAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, ".avi");
  if (path.empty()) return 0;
  celwright::TBAM bam;
  bam.NewBAM(celwright::kUntitledBAM, true);
  try {
    bam.ImportAVI(path);
  } catch (const std::exception&) {
  }
  return 0;
}
