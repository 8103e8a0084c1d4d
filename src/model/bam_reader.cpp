#include "model/bam_reader.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <tuple>
#include <stdexcept>

#include "model/bam_v2_reader.h"
#include "model/true_colour_copy.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright {

namespace {

// Damaged frames are rebuilt in memory, at most this many pixels in all, and never more than a
// few hundred pixels per byte of the file (with a small allowance for tiny files), so a few
// bytes of garbage in a size field cannot ask for gigabytes or minutes.
constexpr std::uint64_t kMaxRepairedPixelsTotal = std::uint64_t{1} << 26;
constexpr std::uint64_t kRepairPerImageByte = 256;
constexpr std::uint64_t kRepairAllowance = std::uint64_t{1} << 20;
// Frame data read while scanning: a sound file reads each byte about once.
constexpr std::uint64_t kScanBytesPerImageByte = 16;
constexpr std::uint64_t kScanBytesAllowance = std::uint64_t{64} << 20;
// Frame data kept after loading, when frames share or overlap their data in the file.
constexpr std::uint64_t kMaxStoredData = std::uint64_t{256} << 20;
constexpr std::uint64_t kStoredPerImageByte = 4;

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
  bool parsed = false;
  if (read && TrueColourCopy::IsCopy(ByteView(image.data(), image.size()))) {
    std::string refusal;
    try {
      parsed = TrueColourCopy::Read(bam_, ByteView(image.data(), image.size()), refusal);
    } catch (const std::bad_alloc&) {
      refusal = "There is not enough memory to read the animation";
    }
    if (!parsed) Refuse(kErrorUnreadable, refusal);
  } else if (read && BAMV2Reader::IsBAMV2(ByteView(image.data(), image.size()))) {
    std::string refusal;
    try {
      parsed = BAMV2Reader(bam_).Read(ByteView(image.data(), image.size()), file_name, refusal);
    } catch (const std::bad_alloc&) {
      refusal = "There is not enough memory to read the animation";
    }
    if (!parsed) Refuse(kErrorUnreadable, refusal);
  } else {
    parsed = read && Parse(image);
  }
  Report(0, 0, kStageFinished);
  return parsed;
}

std::uint64_t BAMReader::DescribedImageSize(const ByteView& image) {
  // The furthest byte any part of the reader may look at: the tables, and each frame's data at
  // its offset, at most two bytes per pixel component (a run-length code of one key pixel).
  const bool paletted = image.Tag(0, "BAM ");
  const bool unpaletted = image.Tag(0, "BAMU");
  const std::uint64_t header_size = paletted ? 24 : 28;
  if ((!paletted && !unpaletted) || !image.Fits(0, header_size)) return kMaxInflatedImage;
  const std::uint64_t frames = image.U16(8), cycles = image.U8(10);
  const std::uint64_t frame_table = image.U32(paletted ? 12 : 20);
  const std::uint64_t lookup = image.U32(paletted ? 20 : 24);
  const std::uint64_t cycle_table = frame_table + 12 * frames;
  std::uint64_t end = std::max(header_size, cycle_table + 4 * cycles);
  if (paletted) end = std::max<std::uint64_t>(end, std::uint64_t{image.U32(16)} + 1024);
  if (!image.Fits(frame_table, 12 * frames + 4 * cycles)) return kMaxInflatedImage;
  std::uint64_t lookup_count = 0;
  for (std::uint64_t c = 0; c < cycles; ++c) {
    const std::uint64_t at = cycle_table + 4 * c;
    lookup_count = std::max<std::uint64_t>(lookup_count, std::uint64_t{image.U16(at)} + image.U16(at + 2));
  }
  end = std::max(end, lookup + 2 * lookup_count);
  const std::uint64_t bpp = paletted ? 1 : 3;
  for (std::uint64_t k = 0; k < frames; ++k) {
    const std::uint64_t at = frame_table + 12 * k;
    const std::uint64_t pixels = std::uint64_t{image.U16(at)} * image.U16(at + 2);
    const std::uint32_t word = image.U32(at + 8);
    const std::uint64_t per_pixel = (word & 0x80000000u) ? bpp : 2 * bpp;
    end = std::max(end, (word & 0x7FFFFFFFu) + per_pixel * pixels);
  }
  return end;
}

bool BAMReader::ReadImage(const std::string& file_name, std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> file;
  try {
    file = ReadWholeFile(file_name, 80, [&](int step) { Report(step, 80, kStageLoadRead); });
  } catch (const std::bad_alloc&) {
    return Refuse(kErrorUnreadable, "There is not enough memory to read the file");
  } catch (const std::exception& e) {
    return Refuse(kErrorUnreadable, e.what());
  }
  const ByteView view(file.data(), file.size());
  if (TrueColourCopy::IsCopy(view)) {  // the editor's own recovery copy of true-colour work
    bam_.Compressed = false;
    image = std::move(file);
    return true;
  }
  const bool plain = view.Tag(0, "BAM ") || view.Tag(0, "BAMU");
  const bool container = view.Tag(0, "BAMC");
  if (!plain && !container) {
    return Refuse(kErrorUnknownSignature, "This is not a BAM file (unknown signature)");
  }
  if (plain && view.Tag(0, "BAM ") && view.Tag(4, "V2  ") && bam_.OpenTrueColour) {
    bam_.Compressed = false;
    image = std::move(file);
    return true;
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
  const std::uint8_t* packed = file.data() + 12;
  const std::size_t packed_size = file.size() - 12;
  try {
    // First only the header and tables, to learn how much the file can describe at all; the
    // stated length is only a hint within that.
    std::vector<std::uint8_t> prefix(std::min<std::size_t>(4096, MaxInflatedSize(packed_size)));
    {
      ZlibStreamReader stream(packed, packed_size);
      prefix.resize(stream.Read(prefix.data(), prefix.size()));
      const ByteView head(prefix.data(), prefix.size());
      if (!stream.Finished() && (head.Tag(0, "BAM ") || head.Tag(0, "BAMU"))) {
        const bool paletted = head.Tag(0, "BAM ");
        const std::uint64_t tables = std::uint64_t{head.U32(paletted ? 12 : 20)} +
                                     12u * head.U16(8) + 4u * head.U8(10);
        if (tables > prefix.size() && tables <= kMaxPrefix) {
          const std::size_t had = prefix.size();
          prefix.resize(static_cast<std::size_t>(tables));
          prefix.resize(had + stream.Read(prefix.data() + had, prefix.size() - had));
        }
      }
      if (stream.Finished()) {
        image = std::move(prefix);
        return true;
      }
    }
    const std::uint64_t described = DescribedImageSize(ByteView(prefix.data(), prefix.size()));
    const std::size_t bound = static_cast<std::size_t>(std::min<std::uint64_t>(
        {described, kMaxInflatedImage, MaxInflatedSize(packed_size)}));
    prefix = {};
    // Bytes past `bound` are never looked at (real files carry trailing padding), so they are not
    // unpacked; a stream that goes on past the flat cap with no tables to bound it is refused.
    auto read_bounded = [&]() {
      ZlibStreamReader stream(packed, packed_size);
      image.resize(bound);
      image.resize(stream.Read(image.data(), image.size()));
      std::uint8_t probe;
      if (described >= kMaxInflatedImage && !stream.Finished() && stream.Read(&probe, 1) > 0) {
        image = {};
        return Refuse(kErrorUnreadable, "The compressed BAM unpacks to more than " +
                                            std::to_string(kMaxInflatedImage >> 20) + " MiB");
      }
      return true;
    };
    if (stated_length > bound) return read_bounded();
    if (stated_length > 0 && InflateInto(packed, packed_size, stated_length, image)) return true;
    image = {};
    // The stated length was too small: measure, then inflate once into the exact size, so two
    // large buffers are never held at once.
    std::size_t total = 0;
    bool whole = false;
    {
      ZlibStreamReader measure(packed, packed_size);
      total = measure.Skip(bound);
      std::uint8_t probe;
      whole = measure.Finished() || measure.Read(&probe, 1) == 0;
    }
    if (!whole) return read_bounded();
    if (!InflateInto(packed, packed_size, total, image)) {
      return Refuse(kErrorUnreadable, "The compressed BAM cannot be unpacked consistently");
    }
  } catch (const ZlibError& e) {
    return Refuse(kErrorUnreadable, std::string("The compressed BAM cannot be unpacked: ") + e.what());
  } catch (const std::bad_alloc&) {
    return Refuse(kErrorUnreadable, "There is not enough memory to unpack the compressed BAM");
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
  bam_.PaletteFourthBytes.fill(0);
  int read = 0;
  for (int i = 0; i < 256; ++i) {
    const std::uint64_t at = std::uint64_t{bam_.PaletteOffset} + 4u * static_cast<unsigned>(i);
    if (!image.Fits(at, 3)) break;
    bam_.Palette[i] = RGBTriple{image.U8(at + 2), image.U8(at + 1), image.U8(at)};
    bam_.PaletteFourthBytes[i] = image.U8(at + 3);  // 0 where the file ends inside the entry
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

bool BAMReader::TakeFramesInPlace(const ByteView& image, const std::vector<std::uint32_t>& offsets,
                                  std::size_t tables_end, std::vector<std::uint8_t>& bytes) {
  // Each frame is read from where the one before it ended, so the whole scan reads the file at
  // most once, and stops at the first frame out of place.
  const rle::Key key = bam_.CompressionKey();
  std::size_t expected = tables_end;
  for (std::size_t k = 0; k < bam_.frames_.size(); ++k) {
    TBAMFrame& frame = bam_.frames_[k];
    // An offset past the file's end reads as its end, as the general way takes it.
    if (std::min<std::size_t>(offsets[k], image.Size()) != expected) return false;
    const std::uint64_t pixels =
        std::uint64_t{static_cast<std::uint32_t>(frame.Width)} * static_cast<std::uint32_t>(frame.Height);
    const rle::DecodeResult result = rle::Decode(image.Data() + expected, image.Size() - expected,
                                                 nullptr, static_cast<std::size_t>(pixels), key,
                                                 frame.RLE);
    if (result.truncated || result.overshoot) return false;
    // The general way sets every size again, so a size set here before it gives up is harmless.
    frame.DataSize = static_cast<std::int32_t>(result.consumed);
    expected += result.consumed;
  }
  bytes.resize(expected);
  bam_.Data = std::move(bytes);
  bam_.RebuildFramePositions();
  return true;
}

bool BAMReader::ReadFrameData(const ByteView& image, const std::vector<std::uint32_t>& offsets,
                              std::size_t tables_end, std::vector<std::uint8_t>& bytes) {
  // Nearly every file: its image already is the frame stream, and a large one needs no table
  // of a scan per frame to find that out.
  if (TakeFramesInPlace(image, offsets, tables_end, bytes)) return true;
  const rle::Key key = bam_.CompressionKey();
  const std::size_t frame_count = bam_.frames_.size();
  const std::uint64_t bpp = static_cast<std::uint64_t>(key.bytes_per_pixel);
  const std::uint64_t image_size = image.Size();
  auto pixels_of = [&](std::size_t k) {
    return std::uint64_t{static_cast<std::uint32_t>(bam_.frames_[k].Width)} *
           static_cast<std::uint32_t>(bam_.frames_[k].Height);
  };

  // Frames that share their data (same offset, size and coding) are scanned once.
  struct Scan {
    std::size_t offset;
    std::uint64_t pixels;
    bool rle;
    rle::DecodeResult result;
    std::vector<std::uint8_t> rebuilt;  // repaired data, when the scan found damage
    bool rebuilt_rle = false;
  };
  std::vector<Scan> scans;
  std::vector<std::size_t> scan_of(frame_count);
  const auto offset_of = [&](std::size_t k) {
    return std::min<std::size_t>(offsets[k], image.Size());
  };
  bool rising = true;  // as a file written frame after frame stores them: nothing is shared
  for (std::size_t k = 1; k < frame_count && rising; ++k) rising = offset_of(k - 1) < offset_of(k);
  scans.reserve(rising ? frame_count : 0);
  if (rising) {
    // Large animations come this way: no lookup table of a node per frame.
    for (std::size_t k = 0; k < frame_count; ++k) {
      scans.push_back(Scan{offset_of(k), pixels_of(k), bam_.frames_[k].RLE, {}, {}, false});
      scan_of[k] = k;
    }
  } else {
    std::map<std::tuple<std::size_t, std::uint64_t, bool>, std::size_t> known;
    for (std::size_t k = 0; k < frame_count; ++k) {
      const auto id = std::make_tuple(offset_of(k), pixels_of(k), bam_.frames_[k].RLE);
      const auto [it, added] = known.emplace(id, scans.size());
      if (added) scans.push_back(Scan{offset_of(k), pixels_of(k), bam_.frames_[k].RLE, {}, {}, false});
      scan_of[k] = it->second;
    }
  }
  // The work the header can ask for: each distinct piece of data is read up to its end or to
  // the most its pixels can take. Within the budget nothing more is checked; past it, the bytes
  // really read are counted, so many frames of run-length encoded data (which read far less than
  // their pixels could take) still load, while tables that would read the file over and over
  // are refused after at most one scan beyond the budget.
  const std::uint64_t scan_budget = kScanBytesPerImageByte * image_size + kScanBytesAllowance;
  std::uint64_t most_scan_bytes = 0;
  for (const Scan& scan : scans) {
    most_scan_bytes += std::min<std::uint64_t>(image_size - scan.offset,
                                               (scan.rle ? 2 : 1) * bpp * scan.pixels);
  }
  std::uint64_t scanned = 0;
  for (Scan& scan : scans) {
    if (most_scan_bytes > scan_budget && scanned > scan_budget) {
      return Refuse(kErrorUnreadable,
                    "The frame table is damaged: its " + std::to_string(frame_count) +
                        " frames would read " + std::to_string(most_scan_bytes >> 20) +
                        " MiB of frame data from " + std::to_string(image_size >> 10) +
                        " KiB of file");
    }
    scan.result = rle::Decode(image.Data() + scan.offset, image.Size() - scan.offset, nullptr,
                              scan.pixels, key, scan.rle);
    scanned += scan.result.consumed;
  }

  // Not the usual layout (TakeFramesInPlace said so): the frames are laid out anew.
  // Damaged data is rebuilt only within a bound proportional to the file, checked before any
  // of that work is done.
  const std::uint64_t repair_limit = std::min<std::uint64_t>(
      kMaxRepairedPixelsTotal, std::max<std::uint64_t>(kRepairAllowance, kRepairPerImageByte * image_size));
  std::uint64_t repaired_pixels = 0;
  std::uint64_t stored_bytes = tables_end;
  for (std::size_t k = 0; k < frame_count; ++k) {
    const Scan& scan = scans[scan_of[k]];
    const bool damaged = scan.result.truncated || scan.result.overshoot;
    stored_bytes += damaged ? bpp * scan.pixels : scan.result.consumed;
  }
  for (std::size_t i = 0; i < scans.size(); ++i) {
    const Scan& scan = scans[i];
    if (!scan.result.truncated && !scan.result.overshoot) continue;
    repaired_pixels += scan.pixels;
    if (repaired_pixels > repair_limit) {
      std::size_t k = 0;
      while (scan_of[k] != i) ++k;
      const TBAMFrame& frame = bam_.frames_[k];
      return Refuse(kErrorUnreadable,
                    FrameLabel(k) + "the pixel data is damaged and the frame (" +
                        std::to_string(frame.Width) + " x " + std::to_string(frame.Height) +
                        ") is too large to repair: a file of " + std::to_string(image_size) +
                        " bytes can have at most " + std::to_string(repair_limit) +
                        " pixels repaired");
    }
  }
  if (stored_bytes > kMaxStoredData && stored_bytes > kStoredPerImageByte * image_size) {
    return Refuse(kErrorUnreadable, "The frame table is damaged: its " +
                                        std::to_string(frame_count) + " frames would hold " +
                                        std::to_string(stored_bytes >> 20) + " MiB of frame data");
  }

  std::vector<std::uint8_t> data(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(tables_end));
  data.reserve(static_cast<std::size_t>(stored_bytes));
  std::uint8_t transparent[3] = {static_cast<std::uint8_t>(bam_.TranspInd), 0, 0};
  if (bam_.BAMType == kUnpalettedBAM) {
    const TColor colour = bam_.GetTransCol();
    transparent[0] = RedOf(colour);
    transparent[1] = GreenOf(colour);
    transparent[2] = BlueOf(colour);
  }
  for (std::size_t k = 0; k < frame_count; ++k) {
    TBAMFrame& frame = bam_.frames_[k];
    Scan& scan = scans[scan_of[k]];
    const std::uint8_t* source = image.Data() + scan.offset;
    if (!scan.result.truncated && !scan.result.overshoot) {
      data.insert(data.end(), source, source + scan.result.consumed);
      frame.DataSize = static_cast<std::int32_t>(scan.result.consumed);
      continue;
    }
    if (scan.rebuilt.empty() && scan.pixels > 0) {
      // Rebuild the frame from what could be decoded, so stored data is always well formed.
      const std::size_t pixels = static_cast<std::size_t>(scan.pixels);
      std::vector<std::uint8_t> raw(pixels * bpp);
      const rle::DecodeResult decoded =
          rle::Decode(source, image.Size() - scan.offset, raw.data(), pixels, key, scan.rle);
      for (std::size_t i = decoded.produced; i < pixels; ++i) {
        std::copy(transparent, transparent + bpp, raw.begin() + static_cast<std::ptrdiff_t>(i * bpp));
      }
      scan.rebuilt_rle = rle::EncodeIfSmaller(raw.data(), pixels, key, scan.rebuilt);
    }
    frame.RLE = scan.rebuilt_rle;
    frame.DataSize = static_cast<std::int32_t>(scan.rebuilt.size());
    data.insert(data.end(), scan.rebuilt.begin(), scan.rebuilt.end());
    if (scan.result.truncated) {
      bam_.Warnings.push_back(FrameLabel(k) +
                              "pixel data ends early; the rest of the frame is transparent");
    }
    if (scan.result.overshoot) {
      bam_.Warnings.push_back(FrameLabel(k) +
                              "a run reaches past the end of the frame and was clipped");
    }
  }
  bam_.Data = std::move(data);
  bam_.RebuildFramePositions();
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
    ReportItem(i, frame_count, kStageLoadFrames);
  }

  std::vector<std::uint32_t> counts(cycle_count), first_indices(cycle_count);
  std::uint64_t lookup_count = 0;
  for (std::uint32_t c = 0; c < cycle_count; ++c) {
    counts[c] = image.U16(cycle_table + 4u * c);
    first_indices[c] = image.U16(cycle_table + 4u * c + 2);
    lookup_count = std::max<std::uint64_t>(lookup_count, std::uint64_t{first_indices[c]} + counts[c]);
    ReportItem(c, cycle_count, kStageLoadCycles);
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
