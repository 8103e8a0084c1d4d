// libFuzzer target: any bytes, loaded as an animation, must load consistently or be refused,
// and every frame of what loads must decode and draw.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "model/qm_BAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/celwright-fuzz-" + std::to_string(getpid()) + ".bam";
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  celwright::TBAM bam;
  if (!bam.LoadFromFile(path)) return 0;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const celwright::TBAMFrame frame = bam.GetFrame(i);
    if (static_cast<std::int64_t>(frame.Width) * frame.Height > (1 << 22)) continue;
    celwright::Bitmap picture, index_image;
    bam.GetFrameBitmap(i, picture, &index_image);
  }
  return 0;
}
