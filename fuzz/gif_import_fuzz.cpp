// libFuzzer target: any bytes, imported as an animated GIF into a new paletted document and into
// an unpaletted one, must import within the bounds or be refused with a message.
#include <cstdint>
#include <exception>
#include <string>

#include "fuzz_input_file.h"
#include "model/qm_BAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, ".gif");
  if (path.empty()) return 0;
  for (const std::uint8_t kind : {celwright::kPalettedBAM, celwright::kUnpalettedBAM}) {
    celwright::TBAM bam;
    bam.NewBAM(celwright::kUntitledBAM, true);
    bam.BAMType = kind;
    try {
      bam.ImportGIF(path);
    } catch (const std::exception&) {
    }
  }
  return 0;
}
