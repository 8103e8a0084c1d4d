#include "model/bam_writer.h"

#include "model/byte_view.h"
#include "model/engine_rules.h"

namespace celwright {

namespace {

constexpr std::int64_t kMaxFieldValue = 65535;

void PutColour(std::vector<std::uint8_t>& out, TColor colour) {
  out.push_back(RedOf(colour));
  out.push_back(GreenOf(colour));
  out.push_back(BlueOf(colour));
}

}  // namespace

void BAMWriter::CheckLimits(std::uint8_t bam_type) const {
  if (bam_type != kPalettedBAM && bam_type != kUnpalettedBAM) {
    throw EBAMSaveError("Only paletted and unpaletted BAM files can be written");
  }
  if (bam_type != bam_.BAMType) {
    throw EBAMSaveError(bam_type == kPalettedBAM
                            ? "The animation is unpaletted; convert it to paletted before saving "
                              "it as a paletted BAM"
                            : "The animation is paletted; convert it to unpaletted before saving "
                              "it as an unpaletted BAM");
  }
  if (bam_.FrameCount() > engine::kMaxFrames) {
    throw EBAMSaveError("The animation has " + std::to_string(bam_.FrameCount()) +
                        " frames; engines read at most " + std::to_string(engine::kMaxFrames));
  }
  if (bam_.CycleCount() > 255) {
    throw EBAMSaveError("The animation has " + std::to_string(bam_.CycleCount()) +
                        " sequences; a BAM file holds at most 255");
  }
  std::int64_t lookup_entries = 0;
  for (const TCycleItem& cycle : bam_.cycles_) lookup_entries += cycle.Count;
  if (lookup_entries > engine::kMaxLookupEntries) {
    throw EBAMSaveError("The sequences hold " + std::to_string(lookup_entries) +
                        " frame entries together; engines read at most " +
                        std::to_string(engine::kMaxLookupEntries));
  }
  std::int64_t data_size = 0;
  for (std::size_t k = 0; k < bam_.frames_.size(); ++k) {
    const TBAMFrame& frame = bam_.frames_[k];
    const std::string label = "Frame " + std::to_string(k);
    if (frame.Width > kMaxFieldValue || frame.Height > kMaxFieldValue) {
      throw EBAMSaveError(label + " is " + std::to_string(frame.Width) + " x " +
                          std::to_string(frame.Height) +
                          " pixels; a BAM file holds at most 65535 x 65535");
    }
    if (frame.CentreX < -32768 || frame.CentreX > 32767 || frame.CentreY < -32768 ||
        frame.CentreY > 32767) {
      throw EBAMSaveError(label + " has its centre at (" + std::to_string(frame.CentreX) + ", " +
                          std::to_string(frame.CentreY) +
                          "); a BAM file holds centres from -32768 to 32767");
    }
    data_size += frame.DataSize;
  }
  // Frame data offsets have 31 bits; the tables in front of the data take well under 1 MiB.
  if (data_size > 0x7FFFFFFF - (1 << 20)) {
    throw EBAMSaveError("The frame data is too large for a BAM file (2 GiB at most)");
  }
}

std::vector<std::uint8_t> BAMWriter::BuildTables(std::uint8_t bam_type, std::size_t& padding) {
  const bool paletted = bam_type == kPalettedBAM;
  const std::uint32_t frames = static_cast<std::uint32_t>(bam_.FrameCount());
  const std::uint32_t cycles = static_cast<std::uint32_t>(bam_.CycleCount());

  std::vector<std::uint16_t> lookup;
  for (const TCycleItem& cycle : bam_.cycles_) {
    for (std::int32_t j = 0; j < cycle.Count; ++j) lookup.push_back(static_cast<std::uint16_t>(cycle.Frames[j]));
  }
  bam_.LookupCount = static_cast<std::int32_t>(lookup.size());
  const std::uint32_t lookup_entries = static_cast<std::uint32_t>(lookup.size());

  const std::uint32_t header_size = paletted ? 24 : 28;
  const std::uint32_t frame_entries = header_size;
  const std::uint32_t palette_offset = frame_entries + 12 * frames + 4 * cycles;
  const std::uint32_t lookup_offset = palette_offset + (paletted ? 1024 : 0);
  const std::uint32_t frame_data_start = lookup_offset + 2 * lookup_entries;

  const std::size_t data_begin = static_cast<std::size_t>(bam_.DataStart);
  const std::size_t data_size = bam_.Data.size() - std::min(bam_.Data.size(), data_begin);
  std::vector<std::uint8_t> image;
  image.reserve(frame_data_start);

  PutTag(image, paletted ? "BAM " : "BAMU");
  PutTag(image, "V1  ");
  PutU16(image, frames & 0xFFFF);
  image.push_back(static_cast<std::uint8_t>(cycles & 0xFF));
  if (paletted) {
    image.push_back(bam_.CompColIndex);
    PutU32(image, frame_entries);
    PutU32(image, palette_offset);
  } else {
    PutColour(image, bam_.CompCol);
    PutColour(image, bam_.GetTransCol());
    PutColour(image, bam_.GetShadowCol());
    PutU32(image, frame_entries);
  }
  PutU32(image, lookup_offset);

  std::uint32_t data_offset = frame_data_start;
  for (const TBAMFrame& frame : bam_.frames_) {
    PutU16(image, static_cast<std::uint32_t>(frame.Width));
    PutU16(image, static_cast<std::uint32_t>(frame.Height));
    PutU16(image, static_cast<std::uint16_t>(frame.CentreX));
    PutU16(image, static_cast<std::uint16_t>(frame.CentreY));
    // A frame without pixels has no data either way, so storing it raw costs nothing.
    const bool encoded = frame.RLE && engine::MayStoreEncoded(frame.Width, frame.Height);
    PutU32(image, data_offset | (encoded ? 0u : 0x80000000u));
    data_offset += static_cast<std::uint32_t>(frame.DataSize);
  }

  std::int32_t first_index = 0;
  for (TCycleItem& cycle : bam_.cycles_) {
    PutU16(image, static_cast<std::uint32_t>(cycle.Count));
    PutU16(image, static_cast<std::uint32_t>(first_index));
    cycle.FirstIndex = first_index;
    first_index += cycle.Count;
  }

  if (paletted) {
    for (std::size_t i = 0; i < bam_.Palette.size(); ++i) {
      image.push_back(bam_.Palette[i].b);
      image.push_back(bam_.Palette[i].g);
      image.push_back(bam_.Palette[i].r);
      image.push_back(bam_.PaletteFourthBytes[i]);
    }
  }
  for (std::uint16_t entry : lookup) PutU16(image, entry);

  // Frames without data at the end (or a file of empty frames only) point at the end of the
  // file; one byte after them keeps every offset on data, as engines require.
  padding = 0;
  const std::uint32_t last_offset =
      bam_.frames_.empty()
          ? 0
          : data_offset - static_cast<std::uint32_t>(bam_.frames_.back().DataSize);
  if (!bam_.frames_.empty() && !engine::OffsetHasData(last_offset, image.size() + data_size)) {
    padding = 1;
  }
  return image;
}

}  // namespace celwright
