// libFuzzer target: any bytes, loaded as an animation, must load consistently or be refused,
// and every frame of what loads must decode and draw.
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "model/qm_BAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, ".bam");
  if (path.empty()) return 0;
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
