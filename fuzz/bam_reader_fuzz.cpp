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
  bam.OpenTrueColour = true;
  if (!bam.LoadFromFile(path)) return 0;
  // Frames are drawn up to a budget of pixels in all: a small file may legitimately describe
  // many large frames (key runs), and drawing them is the editor's work, not the loader's.
  std::int64_t budget = std::int64_t{1} << 20;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const celwright::TBAMFrame frame = bam.GetFrame(i);
    const std::int64_t pixels = static_cast<std::int64_t>(frame.Width) * frame.Height;
    if (pixels > budget) continue;
    budget -= pixels;
    celwright::Bitmap picture, index_image;
    bam.GetFrameBitmap(i, picture, &index_image);
  }
  return 0;
}
