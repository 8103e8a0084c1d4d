#include "model/bam_reader.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {

namespace {

constexpr std::size_t kMaxInflatedImage = std::size_t{1} << 30;
// Damaged frames are rebuilt in memory; these bounds keep a few bytes of garbage in a size
// field from asking for gigabytes.
constexpr std::uint64_t kMaxRepairedFramePixels = std::uint64_t{1} << 24;
constexpr std::uint64_t kMaxRepairedPixelsTotal = std::uint64_t{1} << 26;

std::string FrameLabel(std::size_t index) { return "Frame " + std::to_string(index) + ": "; }

}  // namespace

bool BAMReader::Refuse(std::int32_t bits, std::string message) {
  bam_.ErrorCode |= bits;
  bam_.ErrorMessage = std::move(message);
  return false;
}

bool BAMReader::Load(const std::string& file_name) {
  bam_.FileName = file_name;
  bam_.ErrorCode = 0;
  bam_.ErrorMessage.clear();
  bam_.Warnings.clear();
  if (bam_.IsOpen) bam_.Clear();

  std::error_code error;
  if (!std::filesystem::is_regular_file(file_name, error)) {
    bam_.ErrorCode = kErrorMissingFile;
    bam_.ErrorMessage = "The file \"" + file_name + "\" does not exist";
    return false;
  }
  Report(0, 0, kStageLoadStart);
  std::vector<std::uint8_t> image;
  const bool read = ReadImage(file_name, image);
  bam_.IsOpen = true;
  bool parsed = read && Parse(image);
  Report(0, 0, kStageFinished);
  return parsed;
}

bool BAMReader::ReadImage(const std::string& file_name, std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> file;
  try {
    file = ReadWholeFile(file_name, 80, [&](int step) { Report(step, 80, kStageLoadRead); });
  } catch (const std::exception& e) {
    return Refuse(kErrorUnreadable, e.what());
  }
  const ByteView view(file.data(), file.size());
  const bool plain = view.Tag(0, "BAM ") || view.Tag(0, "BAMU");
  const bool container = view.Tag(0, "BAMC");
  if (!plain && !container) {
    return Refuse(kErrorUnknownSignature, "This is not a BAM file (unknown signature)");
  }
  if (view.Tag(4, "V2  ")) {
    return Refuse(kErrorUnsupportedVersion,
                  "BAM V2 files keep their pixels in separate texture files and cannot be opened");
  }
  if (!view.Tag(4, "V1  ")) {
    return Refuse(kErrorUnsupportedVersion, "This BAM version is not supported (only V1 is)");
  }
  if (plain) {
    bam_.Compressed = false;
    image = std::move(file);
    return true;
  }

  bam_.Compressed = true;
  if (!view.Fits(0, 12)) return Refuse(kErrorUnreadable, "The compressed BAM header is incomplete");
  const std::uint32_t stated_length = view.U32(8);
  try {
    image = ZlibInflate(file.data() + 12, file.size() - 12, stated_length, kMaxInflatedImage);
  } catch (const ZlibError& e) {
    return Refuse(kErrorUnreadable, std::string("The compressed BAM cannot be unpacked: ") + e.what());
  }
  return true;
}

bool BAMReader::ParseHeader(const ByteView& image, std::uint16_t& frame_count,
                            std::uint8_t& cycle_count) {
  if (image.Tag(0, "BAM ") && image.Tag(4, "V1  ")) {
    bam_.BAMType = kPalettedBAM;
  } else if (image.Tag(0, "BAMU") && image.Tag(4, "V1  ")) {
    bam_.BAMType = kUnpalettedBAM;
  } else {
    bam_.BAMType = kNoBAM;
    return Refuse(kErrorUnreadable, "The compressed BAM does not hold a BAM V1 animation");
  }
  const std::size_t header_size = bam_.BAMType == kPalettedBAM ? 24 : 28;
  if (!image.Fits(0, header_size)) return Refuse(kErrorUnreadable, "The BAM header is incomplete");

  frame_count = image.U16(8);
  cycle_count = image.U8(10);
  if (bam_.BAMType == kPalettedBAM) {
    bam_.CompColIndex = image.U8(11);
    bam_.FrameEntriesOffset = image.U32(12);
    bam_.PaletteOffset = image.U32(16);
    bam_.LookupOffset = image.U32(20);
  } else {
    auto colour_at = [&](std::size_t at) {
      return MakeColor(image.U8(at), image.U8(at + 1), image.U8(at + 2));
    };
    bam_.CompCol = colour_at(11);
    bam_.TransCol = colour_at(14);
    bam_.ShadowCol = colour_at(17);
    bam_.FrameEntriesOffset = image.U32(20);
    bam_.LookupOffset = image.U32(24);
  }
  return true;
}

void BAMReader::ParsePalette(const ByteView& image) {
  bam_.TranspInd = -1;
  bam_.Palette.fill(RGBTriple{});
  int read = 0;
  for (int i = 0; i < 256; ++i) {
    const std::uint64_t at = std::uint64_t{bam_.PaletteOffset} + 4u * static_cast<unsigned>(i);
    if (!image.Fits(at, 3)) break;
    bam_.Palette[i] = RGBTriple{image.U8(at + 2), image.U8(at + 1), image.U8(at)};
    ++read;
    Report(i + 1, 256, kStageLoadPalette);
  }
  if (read < 256) {
    bam_.Warnings.push_back("The palette runs past the end of the file: " + std::to_string(read) +
                            " of 256 colours were read, the rest are black");
  }
  bam_.TranspInd = 0;
  bam_.ShadowInd = 1;
}

void BAMReader::ParseLookup(const ByteView& image, const std::vector<std::uint32_t>& first_indices,
                            const std::vector<std::uint32_t>& counts, std::int32_t frame_count) {
  for (std::size_t c = 0; c < counts.size(); ++c) {
    TCycleItem item;
    item.FirstIndex = static_cast<std::int32_t>(first_indices[c]);
    int past_end = 0;
    int unknown_frame = 0;
    for (std::uint32_t j = 0; j < counts[c]; ++j) {
      const std::uint64_t at =
          std::uint64_t{bam_.LookupOffset} + 2 * (std::uint64_t{first_indices[c]} + j);
      if (!image.Fits(at, 2)) {
        ++past_end;
        continue;
      }
      const std::uint16_t frame = image.U16(at);
      if (frame >= frame_count) {
        ++unknown_frame;
        continue;
      }
      item.Frames.push_back(frame);
    }
    item.Count = static_cast<std::int32_t>(item.Frames.size());
    const std::string label = "Cycle " + std::to_string(c) + ": ";
    if (past_end > 0) {
      bam_.Warnings.push_back(label + std::to_string(past_end) +
                              " lookup entries lie past the end of the file and were dropped");
    }
    if (unknown_frame > 0) {
      bam_.Warnings.push_back(label + std::to_string(unknown_frame) +
                              " lookup entries name frames that do not exist and were dropped");
    }
    bam_.cycles_.push_back(std::move(item));
  }
}

bool BAMReader::ReadFrameData(const ByteView& image, const std::vector<std::uint32_t>& offsets,
                              std::size_t tables_end, std::vector<std::uint8_t>& bytes) {
  const rle::Key key = bam_.CompressionKey();
  const std::size_t frame_count = bam_.frames_.size();
  std::vector<rle::DecodeResult> scans(frame_count);
  bool in_place = true;  // every frame clean and stored back to back after the tables
  std::size_t expected = tables_end;
  for (std::size_t k = 0; k < frame_count; ++k) {
    const TBAMFrame& frame = bam_.frames_[k];
    const std::uint64_t pixels = std::uint64_t{static_cast<std::uint32_t>(frame.Width)} *
                                 static_cast<std::uint32_t>(frame.Height);
    const std::size_t offset = std::min<std::size_t>(offsets[k], image.Size());
    scans[k] = rle::Decode(image.Data() + offset, image.Size() - offset, nullptr, pixels, key,
                           frame.RLE);
    in_place = in_place && !scans[k].truncated && !scans[k].overshoot && offset == expected;
    expected = offset + scans[k].consumed;
  }

  if (in_place) {
    // The usual layout: the file image already is the frame stream.
    for (std::size_t k = 0; k < frame_count; ++k) {
      bam_.frames_[k].DataSize = static_cast<std::int32_t>(scans[k].consumed);
    }
    bytes.resize(frame_count ? expected : tables_end);
    bam_.Data = std::move(bytes);
    return true;
  }

  std::vector<std::uint8_t> data(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(tables_end));
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  std::uint8_t transparent[3] = {static_cast<std::uint8_t>(bam_.TranspInd), 0, 0};
  if (bam_.BAMType == kUnpalettedBAM) {
    const TColor colour = bam_.GetTransCol();
    transparent[0] = RedOf(colour);
    transparent[1] = GreenOf(colour);
    transparent[2] = BlueOf(colour);
  }
  std::uint64_t repaired_pixels = 0;
  for (std::size_t k = 0; k < frame_count; ++k) {
    TBAMFrame& frame = bam_.frames_[k];
    const rle::DecodeResult& scan = scans[k];
    const std::uint64_t pixels = std::uint64_t{static_cast<std::uint32_t>(frame.Width)} *
                                 static_cast<std::uint32_t>(frame.Height);
    const std::size_t offset = std::min<std::size_t>(offsets[k], image.Size());
    const std::uint8_t* source = image.Data() + offset;
    if (!scan.truncated && !scan.overshoot) {
      data.insert(data.end(), source, source + scan.consumed);
      frame.DataSize = static_cast<std::int32_t>(scan.consumed);
      continue;
    }

    repaired_pixels += pixels;
    if (pixels > kMaxRepairedFramePixels || repaired_pixels > kMaxRepairedPixelsTotal) {
      return Refuse(kErrorUnreadable, FrameLabel(k) + "the pixel data is damaged and the frame (" +
                                          std::to_string(frame.Width) + " x " +
                                          std::to_string(frame.Height) +
                                          ") is too large to repair");
    }
    // Rebuild the frame from what could be decoded, so stored data is always well formed.
    std::vector<std::uint8_t> raw(pixels * bpp);
    const rle::DecodeResult decoded =
        rle::Decode(source, image.Size() - offset, raw.data(), pixels, key, frame.RLE);
    for (std::size_t i = decoded.produced; i < pixels; ++i) {
      std::copy(transparent, transparent + bpp, raw.begin() + static_cast<std::ptrdiff_t>(i * bpp));
    }
    std::vector<std::uint8_t> rebuilt;
    frame.RLE = rle::EncodeIfSmaller(raw.data(), pixels, key, rebuilt);
    frame.DataSize = static_cast<std::int32_t>(rebuilt.size());
    data.insert(data.end(), rebuilt.begin(), rebuilt.end());
    if (scan.truncated) {
      bam_.Warnings.push_back(FrameLabel(k) +
                              "pixel data ends early; the rest of the frame is transparent");
    }
    if (scan.overshoot) {
      bam_.Warnings.push_back(FrameLabel(k) +
                              "a run reaches past the end of the frame and was clipped");
    }
  }
  bam_.Data = std::move(data);
  return true;
}

bool BAMReader::Parse(std::vector<std::uint8_t>& bytes) {
  const ByteView image(bytes.data(), bytes.size());
  std::uint16_t frame_count = 0;
  std::uint8_t cycle_count = 0;
  if (!ParseHeader(image, frame_count, cycle_count)) return false;

  const std::uint64_t frame_table = bam_.FrameEntriesOffset;
  if (!image.Fits(frame_table, 12u * frame_count)) {
    return Refuse(kErrorUnreadable, "The frame table (" + std::to_string(frame_count) +
                                        " frames) does not fit in the file");
  }
  const std::uint64_t cycle_table = frame_table + 12u * frame_count;
  if (!image.Fits(cycle_table, 4u * cycle_count)) {
    return Refuse(kErrorUnreadable, "The cycle table (" + std::to_string(cycle_count) +
                                        " cycles) does not fit in the file");
  }
  bam_.CycleEntriesOffset = static_cast<std::uint32_t>(cycle_table);

  std::vector<std::uint32_t> offsets(frame_count);
  bam_.frames_.resize(frame_count);
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    const std::uint64_t at = frame_table + 12u * i;
    TBAMFrame& frame = bam_.frames_[i];
    frame.Width = image.U16(at);
    frame.Height = image.U16(at + 2);
    frame.CentreX = static_cast<std::int16_t>(image.U16(at + 4));
    frame.CentreY = static_cast<std::int16_t>(image.U16(at + 6));
    const std::uint32_t word = image.U32(at + 8);
    frame.RLE = (word & 0x80000000u) == 0;
    offsets[i] = word & 0x7FFFFFFFu;
    frame.DataOffset = static_cast<std::int32_t>(offsets[i]);
    Report(static_cast<std::int32_t>(i), frame_count, kStageLoadFrames);
  }

  std::vector<std::uint32_t> counts(cycle_count), first_indices(cycle_count);
  std::uint64_t lookup_count = 0;
  for (std::uint32_t c = 0; c < cycle_count; ++c) {
    counts[c] = image.U16(cycle_table + 4u * c);
    first_indices[c] = image.U16(cycle_table + 4u * c + 2);
    lookup_count = std::max<std::uint64_t>(lookup_count, std::uint64_t{first_indices[c]} + counts[c]);
    Report(static_cast<std::int32_t>(c), cycle_count, kStageLoadCycles);
  }
  bam_.LookupCount = static_cast<std::int32_t>(lookup_count);

  if (bam_.BAMType == kPalettedBAM) ParsePalette(image);
  ParseLookup(image, first_indices, counts, frame_count);

  // Bytes before the frame data keep the file's header and tables, as far as they go in the
  // usual layout; the frames follow contiguously.
  const std::uint64_t tables_end =
      std::min<std::uint64_t>(image.Size(), std::uint64_t{bam_.LookupOffset} + 2 * lookup_count);
  if (!ReadFrameData(image, offsets, static_cast<std::size_t>(tables_end), bytes)) {
    bam_.frames_.clear();
    bam_.cycles_.clear();
    return false;
  }
  bam_.DataStart = static_cast<std::int32_t>(tables_end);
  return true;
}

}  // namespace celwright
