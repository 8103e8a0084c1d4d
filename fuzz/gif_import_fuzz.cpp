// libFuzzer target: any bytes, imported as an animated GIF into a new paletted document and into
// an unpaletted one, must import within the bounds or be refused with a message.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "model/qm_BAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/celwright-fuzz-" + std::to_string(getpid()) + ".gif";
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
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
