#include "model/true_colour_copy.h"

#include <cstdint>
#include <vector>

#include "model/bam_v2_reader.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {

namespace {

constexpr std::uint64_t kHeaderSize = 16;
// Recovery copies are taken often: a fast level.
constexpr int kCopyDeflateLevel = 1;

}  // namespace

void TrueColourCopy::Write(const TBAM& bam, const std::filesystem::path& path) {
  std::vector<std::uint8_t> out;
  PutTag(out, "CWTC");
  PutTag(out, "V1  ");
  PutU32(out, static_cast<std::uint32_t>(bam.FrameCount()));
  PutU32(out, static_cast<std::uint32_t>(bam.CycleCount()));
  std::vector<std::uint8_t> pixels;
  for (std::int32_t i = 0; i < bam.FrameCount(); ++i) {
    const TBAMFrame frame = bam.GetFrame(i);
    PutU16(out, static_cast<std::uint32_t>(frame.Width));
    PutU16(out, static_cast<std::uint32_t>(frame.Height));
    PutU16(out, static_cast<std::uint16_t>(frame.CentreX));
    PutU16(out, static_cast<std::uint16_t>(frame.CentreY));
    const std::vector<std::uint8_t> raw = bam.DecodeFrame(i);
    pixels.insert(pixels.end(), raw.begin(), raw.end());
  }
  for (std::int32_t c = 0; c < bam.CycleCount(); ++c) {
    const TCycleItem& cycle = bam.GetCycle(c);
    PutU16(out, static_cast<std::uint32_t>(cycle.Frames.size()));
    for (std::int32_t frame : cycle.Frames) PutU16(out, static_cast<std::uint32_t>(frame));
  }
  PutU32(out, static_cast<std::uint32_t>(pixels.size()));
  const std::vector<std::uint8_t> packed = ZlibDeflate(pixels.data(), pixels.size(), kCopyDeflateLevel);
  out.insert(out.end(), packed.begin(), packed.end());
  WriteFileAtomically(path, out);
}

bool TrueColourCopy::Read(TBAM& bam, const ByteView& image, std::string& error) {
  error = "The recovery copy is damaged";
  if (!IsCopy(image) || !image.Fits(0, kHeaderSize)) return false;
  const std::uint32_t frame_count = image.U32(8), sequence_count = image.U32(12);
  if (frame_count > 65535 || sequence_count > 65535 || !image.Fits(kHeaderSize, 8 * std::uint64_t{frame_count})) {
    return false;
  }
  std::vector<TBAMFrame> frames(frame_count);
  std::uint64_t bytes = 0;
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    const std::uint64_t at = kHeaderSize + 8 * std::uint64_t{i};
    frames[i].Width = image.U16(at);
    frames[i].Height = image.U16(at + 2);
    frames[i].CentreX = static_cast<std::int16_t>(image.U16(at + 4));
    frames[i].CentreY = static_cast<std::int16_t>(image.U16(at + 6));
    bytes += 4 * std::uint64_t{image.U16(at)} * image.U16(at + 2);
  }
  if (bytes > 4 * BAMV2Reader::kMaxFramePixels) return false;
  std::uint64_t at = kHeaderSize + 8 * std::uint64_t{frame_count};
  // Each sequence takes at least its count: more than the bytes can hold is damage.
  if (!image.Fits(at, 2 * std::uint64_t{sequence_count})) return false;
  std::vector<TCycleItem> cycles(sequence_count);
  for (TCycleItem& cycle : cycles) {
    if (!image.Fits(at, 2)) return false;
    const std::uint32_t count = image.U16(at);
    if (!image.Fits(at + 2, 2 * std::uint64_t{count})) return false;
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint32_t frame = image.U16(at + 2 + 2 * std::uint64_t{j});
      if (frame >= frame_count) return false;
      cycle.Frames.push_back(static_cast<std::int32_t>(frame));
    }
    cycle.Count = static_cast<std::int32_t>(count);
    at += 2 + 2 * std::uint64_t{count};
  }
  if (!image.Fits(at, 4) || image.U32(at) != bytes) return false;
  at += 4;
  std::vector<std::uint8_t> pixels;
  try {
    pixels = ZlibInflate(image.Data() + at, image.Size() - at, bytes, bytes);
  } catch (const std::exception&) {
    return false;
  }
  if (pixels.size() != bytes) return false;
  error.clear();
  bam.BAMType = kTrueColourBAM;
  bam.Compressed = false;
  bam.frames_ = std::move(frames);
  bam.cycles_ = std::move(cycles);
  bam.LookupCount = 0;
  bam.Textures.reset();
  bam.StoreConvertedFrames(std::move(pixels), 4);
  return true;
}

}  // namespace celwright
