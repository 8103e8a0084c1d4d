#include "model/engine_check.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <set>

#include "model/bam_reader.h"
#include "model/bam_v2_reader.h"
#include "model/byte_view.h"
#include "model/texture_origin.h"
#include "model/texture_page.h"
#include "model/zlib_codec.h"
#include "support/file_io.h"

namespace celwright::engine {

namespace {

void Add(Report& report, const Rule& rule, std::string message, int frame = -1,
         int sequence = -1, int palette_entry = -1, bool fixable = false) {
  report.findings.push_back(
      Finding{&rule, std::move(message), frame, sequence, palette_entry, fixable});
}

std::string FrameText(std::size_t frame) { return "Frame " + std::to_string(frame); }
std::string SequenceText(std::size_t sequence) { return "Sequence " + std::to_string(sequence); }

// The rules only the bytes show: the loader reads past them or repairs them silently.
void CheckImageBytes(const ByteView& image, Report& report) {
  const bool paletted = image.Tag(0, "BAM ");
  if (!paletted && !image.Tag(0, "BAMU")) return;
  const std::uint32_t frames = image.U16(8), cycles = image.U8(10);
  const std::uint64_t frame_table = image.U32(paletted ? 12 : 20);
  const std::uint64_t lookup = image.U32(paletted ? 20 : 24);
  if (!image.Fits(frame_table, 12u * frames + 4u * cycles)) return;  // the loader refuses it

  // The lookup table ends at the file's end or at the next block the file places after it.
  std::uint64_t table_end = image.Size();
  auto bounds_table = [&](std::uint64_t block) {
    if (block > lookup) table_end = std::min(table_end, block);
  };
  bounds_table(frame_table);
  if (paletted) bounds_table(image.U32(16));
  for (std::uint32_t k = 0; k < frames; ++k) {
    const std::uint64_t at = frame_table + 12u * k;
    const std::uint32_t width = image.U16(at), height = image.U16(at + 2);
    const std::uint32_t word = image.U32(at + 8);
    const std::uint32_t offset = word & 0x7FFFFFFFu;
    if ((word & 0x80000000u) == 0 && !MayStoreEncoded(width, height)) {
      Add(report, kEmptyFrameEncoded,
          FrameText(k) + " (" + std::to_string(width) + " x " + std::to_string(height) +
              ") is stored run-length encoded; the reimplementation reads it as a null frame",
          static_cast<int>(k), -1, -1, true);
    }
    if (!OffsetHasData(offset, image.Size())) {
      Add(report, kFrameOffsetWithoutData,
          FrameText(k) + ": its data offset " + std::to_string(offset) +
              " has no byte of the file (" + std::to_string(image.Size()) +
              " bytes) at or after it",
          static_cast<int>(k), -1, -1, true);
    }
    if (width > 0 && height > 0) bounds_table(offset);
  }
  if (frames > kMaxFrames) {
    Add(report, kTooManyFrames,
        "The file has " + std::to_string(frames) + " frames; engines read at most " +
            std::to_string(kMaxFrames));
  }

  const std::uint64_t cycle_table = frame_table + 12u * frames;
  std::uint64_t lookup_entries = 0;
  for (std::uint32_t c = 0; c < cycles; ++c) {
    const std::uint32_t count = image.U16(cycle_table + 4u * c);
    const std::uint32_t first = image.U16(cycle_table + 4u * c + 2);
    lookup_entries = std::max<std::uint64_t>(lookup_entries, std::uint64_t{first} + count);
    if (count > 0 && lookup + 2u * (std::uint64_t{first} + count) > table_end) {
      Add(report, kSequencePastLookup,
          SequenceText(c) + ": its entries " + std::to_string(first) + " to " +
              std::to_string(first + count - 1) + " reach past the lookup table (" +
              std::to_string(table_end > lookup ? (table_end - lookup) / 2 : 0) + " entries)",
          -1, static_cast<int>(c), -1, true);
    }
    int missing = 0;
    std::uint32_t first_missing = 0, first_missing_entry = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint64_t at = lookup + 2u * (std::uint64_t{first} + j);
      if (!image.Fits(at, 2) || image.U16(at) < frames) continue;
      if (missing++ == 0) {
        first_missing = image.U16(at);
        first_missing_entry = j;
      }
    }
    if (missing > 0) {
      Add(report, kLookupMissingFrame,
          SequenceText(c) + ": " + std::to_string(missing) +
              " lookup entries name frames that do not exist (entry " +
              std::to_string(first_missing_entry) + " names frame " +
              std::to_string(first_missing) + ")",
          -1, static_cast<int>(c), -1, true);
    }
  }
  if (lookup_entries > kMaxLookupEntries) {
    Add(report, kTooManyLookupEntries,
        "The lookup table has " + std::to_string(lookup_entries) +
            " entries; engines read at most " + std::to_string(kMaxLookupEntries));
  }
}

// A BAM V2 file's tables against its pages as the loader found them (`loaded.Textures`): the
// loader clips, drops and leaves transparent what engines may read otherwise.
void CheckV2ImageBytes(const ByteView& image, const TBAM& loaded, Report& report) {
  const std::uint32_t frames = image.U32(8), sequences = image.U32(12), blocks = image.U32(16);
  const std::uint64_t frame_table = image.U32(20), sequence_table = image.U32(24);
  const std::uint64_t block_table = image.U32(28);
  std::map<std::uint32_t, std::pair<int, int>> page_sides;  // of the pages that could be read
  if (loaded.Textures) {
    for (const auto& [number, path] : loaded.Textures->PagePaths) {
      try {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
        const TexturePage page = ReadTexturePage(bytes.data(), bytes.size());
        page_sides[number] = {page.Width, page.Height};
      } catch (const std::exception&) {
        // Changed since the loader read it: it counts as missing below.
      }
    }
  }
  for (const auto& [number, sides] : page_sides) {
    if (sides.first <= kGamePageSide && sides.second <= kGamePageSide) continue;
    Add(report, kPageOverMaxSide,
        "Page " + std::to_string(number) + " (" + PageFileName(static_cast<int>(number)) + ") is " +
            std::to_string(sides.first) + " x " + std::to_string(sides.second) +
            " pixels; the games' own pages are at most " + std::to_string(kGamePageSide) + " a side");
  }
  std::set<std::uint32_t> missing;
  std::map<std::uint32_t, int> missing_first_frame;
  for (std::uint32_t f = 0; f < frames && image.Fits(frame_table + 12u * f, 12); ++f) {
    const std::uint64_t at = frame_table + 12u * f;
    const std::uint32_t width = image.U16(at), height = image.U16(at + 2);
    const std::uint32_t first = image.U16(at + 8), count = image.U16(at + 10);
    bool outside = false;
    for (std::uint32_t b = first; b < first + count && b < blocks; ++b) {
      const std::uint64_t block = block_table + 28u * b;
      if (!image.Fits(block, 28)) break;
      const std::uint32_t page = image.U32(block);
      const std::uint64_t page_x = image.U32(block + 4), page_y = image.U32(block + 8);
      const std::uint64_t w = image.U32(block + 12), h = image.U32(block + 16);
      const std::uint64_t frame_x = image.U32(block + 20), frame_y = image.U32(block + 24);
      const auto sides = page_sides.find(page);
      if (sides == page_sides.end()) {
        if (missing.insert(page).second) missing_first_frame[page] = static_cast<int>(f);
        continue;
      }
      outside = outside || page_x + w > static_cast<std::uint64_t>(sides->second.first) ||
                page_y + h > static_cast<std::uint64_t>(sides->second.second) ||
                frame_x + w > width || frame_y + h > height;
    }
    if (outside) {
      Add(report, kBlockOutsidePage,
          FrameText(f) + ": a data block reaches past its page or the frame; engines may draw "
                         "what lies beyond",
          static_cast<int>(f));
    }
  }
  for (std::uint32_t page : missing) {
    Add(report, kPageMissing,
        "Page " + std::to_string(page) + " (" +
            (page <= 9999 ? PageFileName(static_cast<int>(page)) : std::string("no such file")) +
            "), first used by frame " + std::to_string(missing_first_frame[page]) +
            ", is missing or cannot be read",
        missing_first_frame[page]);
  }
  for (std::uint32_t c = 0; c < sequences && image.Fits(sequence_table + 4u * c, 4); ++c) {
    const std::uint32_t count = image.U16(sequence_table + 4u * c);
    const std::uint32_t first = image.U16(sequence_table + 4u * c + 2);
    if (count == 0 || first + count <= frames) continue;
    Add(report, kSequencePastFrames,
        SequenceText(c) + ": its frame entries " + std::to_string(first) + " to " +
            std::to_string(first + count - 1) + " reach past the last one (" +
            std::to_string(frames) + " frame entries)",
        -1, static_cast<int>(c), -1, true);
  }
}

std::string EnginesDrawingTransparent(int index, const TransparentIndices& indices) {
  std::vector<std::string> who;
  if (index == indices.key) who.emplace_back("the reimplementation");
  if (index == indices.original) who.emplace_back("the original engines");
  if (index == 0) who.emplace_back("this program");
  std::string text;
  for (std::size_t i = 0; i < who.size(); ++i) {
    if (i > 0) text += i + 1 == who.size() ? " and " : ", ";
    text += who[i];
  }
  return text;
}

void CheckPalette(const TBAM& bam, Report& report) {
  const TransparentIndices indices = FindTransparentIndices(bam.Palette, bam.CompColIndex);
  // Indices that some engine (or this program) draws as transparent but the file means opaque.
  std::set<int> doubtful = {indices.key, indices.original, 0};
  doubtful.erase(indices.intended);
  const bool shadow = PaletteMarksShadow(bam.Palette) && indices.intended != 1;

  std::uint64_t on_index_0 = 0, on_shadow = 0;
  int first_shadow_frame = -1, shadow_frames = 0;
  std::vector<Finding> opaque;
  for (std::int32_t f = 0; f < bam.FrameCount(); ++f) {
    std::array<std::uint64_t, 256> histogram{};
    bam.DecodeFrameInChunks(f, [&](const std::uint8_t* bytes, std::size_t size) {
      for (std::size_t i = 0; i < size; ++i) ++histogram[bytes[i]];
    });
    on_index_0 += histogram[0];
    for (int index : doubtful) {
      if (histogram[index] == 0) continue;
      opaque.push_back(Finding{&kOpaqueOnTransparentIndex,
                               FrameText(f) + ": " + std::to_string(histogram[index]) +
                                   " opaque pixels on index " + std::to_string(index) +
                                   ", which " + EnginesDrawingTransparent(index, indices) +
                                   " draw as transparent",
                               f, -1, index, false});
    }
    if (shadow && histogram[1] > 0) {
      on_shadow += histogram[1];
      ++shadow_frames;
      if (first_shadow_frame < 0) first_shadow_frame = f;
    }
  }
  // Swapping the transparent entry into entry 0 moves entry 0's pixels to the transparent
  // entry's place, which would make them shadow if that place is index 1.
  const bool fixable = !(indices.intended == 1 && on_index_0 > 0);
  if (!indices.AllAgree()) {
    const std::string original =
        indices.first_green < 0 ? "entry 0 (there is no pure green entry)"
                                : "the first pure green entry, " + std::to_string(indices.first_green);
    Add(report, kTransparentIndexDisagreement,
        "The run-length key is index " + std::to_string(indices.key) +
            ", the original engines take " + original +
            " and this program entry 0 as transparent; the file means index " +
            std::to_string(indices.intended),
        -1, -1, indices.intended, fixable);
  }
  for (Finding& finding : opaque) {
    finding.fixable = fixable;
    report.findings.push_back(std::move(finding));
  }
  if (shadow_frames > 0) {
    Add(report, kOpaqueOnShadowIndex,
        FrameText(static_cast<std::size_t>(first_shadow_frame)) + " and " +
            std::to_string(shadow_frames - 1) + " more frames have " + std::to_string(on_shadow) +
            " pixels on index 1 (a shadow colour), which creature animations draw as shadow",
        first_shadow_frame, -1, 1);
  }

  int alpha_entries = 0, first_alpha = -1;
  for (int i = 0; i < 256; ++i) {
    if (bam.PaletteFourthBytes[i] == 0) continue;
    if (alpha_entries++ == 0) first_alpha = i;
  }
  if (alpha_entries > 0) {
    Add(report, kPaletteAlpha,
        "Palette entry " + std::to_string(first_alpha) + " (4th byte " +
            std::to_string(bam.PaletteFourthBytes[first_alpha]) + ") and " +
            std::to_string(alpha_entries - 1) +
            " more entries have a 4th byte other than 0, which newer engine editions read as "
            "alpha",
        -1, -1, first_alpha);
  }
}

void CheckFrameUse(const TBAM& bam, bool file_offsets, Report& report) {
  std::vector<bool> shown(static_cast<std::size_t>(bam.FrameCount()), false);
  for (std::int32_t c = 0; c < bam.CycleCount(); ++c) {
    for (std::int32_t frame : bam.GetCycle(c).Frames) {
      if (frame >= 0 && frame < bam.FrameCount()) shown[static_cast<std::size_t>(frame)] = true;
    }
  }
  for (std::size_t f = 0; f < shown.size(); ++f) {
    if (!shown[f]) {
      Add(report, kUnusedFrame, FrameText(f) + " is shown by no sequence",
          static_cast<int>(f));
    }
  }

  // Identical frames: the same size, coding and bytes. Frames of a file that already share one
  // copy of their data cost nothing more.
  struct Stored {
    std::int32_t frame;
    std::int32_t offset;
  };
  std::map<std::tuple<std::int32_t, std::int32_t, bool, std::vector<std::uint8_t>>,
           std::vector<Stored>>
      groups;
  for (std::int32_t f = 0; f < bam.FrameCount(); ++f) {
    const TBAMFrame frame = bam.GetFrame(f);
    if (frame.DataSize == 0) continue;
    const std::size_t at = bam.FrameDataPosition(f);
    std::vector<std::uint8_t> bytes(bam.Data.begin() + static_cast<std::ptrdiff_t>(at),
                                    bam.Data.begin() + static_cast<std::ptrdiff_t>(at) +
                                        frame.DataSize);
    auto& copies = groups[std::make_tuple(frame.Width, frame.Height, frame.RLE, std::move(bytes))];
    const std::int32_t offset = file_offsets ? bam.FileDataOffset(f) : -1 - f;
    const bool new_copy = std::none_of(copies.begin(), copies.end(),
                                       [&](const Stored& s) { return s.offset == offset; });
    if (!copies.empty() && new_copy) {
      Add(report, kDuplicateFrame,
          FrameText(static_cast<std::size_t>(f)) + " is the same as frame " +
              std::to_string(copies.front().frame) + "; merging them would save " +
              std::to_string(frame.DataSize) + " bytes",
          f);
    }
    if (new_copy) copies.push_back(Stored{f, offset});
  }
}

// The BAM V2 loader's repairs that the page and sequence rules report from the file's bytes
// (missing pages, clipped blocks, dropped sequence entries), so that each fault is told once.
bool CoveredByPageRules(const std::string& warning) {
  return warning.rfind("Page ", 0) == 0 ||
         warning.find("reaches past its page") != std::string::npos ||
         warning.find("lie past the last frame") != std::string::npos;
}

void CheckDocumentContent(const TBAM& bam, bool from_file, Report& report) {
  if (bam.GetBAMType() == kUnpalettedBAM) {
    Add(report, kUnpalettedFile,
        "The animation is unpaletted (BAMU); convert it to paletted for the game");
  } else if (bam.GetBAMType() != kTrueColourBAM) {
    CheckPalette(bam, report);
  }
  if (!from_file) {
    // A file's counts are checked on its bytes; a document's are what the writer would store.
    if (bam.FrameCount() > kMaxFrames) {
      Add(report, kTooManyFrames,
          "The animation has " + std::to_string(bam.FrameCount()) +
              " frames; engines read at most " + std::to_string(kMaxFrames));
    }
    if (bam.LookupEntryCount() > kMaxLookupEntries) {
      Add(report, kTooManyLookupEntries,
          "The sequences hold " + std::to_string(bam.LookupEntryCount()) +
              " entries; engines read at most " + std::to_string(kMaxLookupEntries));
    }
  }
  CheckFrameUse(bam, from_file, report);
  const bool true_colour = bam.GetBAMType() == kTrueColourBAM;
  for (const std::string& warning : bam.Warnings) {
    if (from_file && true_colour && CoveredByPageRules(warning)) continue;
    // The loader starts each repair with the frame or cycle it concerns.
    int frame = -1, sequence = -1;
    if (warning.rfind("Frame ", 0) == 0) frame = std::atoi(warning.c_str() + 6);
    if (warning.rfind("Cycle ", 0) == 0) sequence = std::atoi(warning.c_str() + 6);
    // Saving a BAM V2 file keeps the blocks of frames as they were, so a page the loader could
    // not read stays missing in the written file too.
    Add(report, kLoaderRepair, "Repaired on loading: " + warning, frame, sequence, -1, !true_colour);
  }
}

}  // namespace

int Report::Count(Severity severity) const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
    return f.rule->severity == severity;
  }));
}

bool Report::Has(const Rule& rule) const {
  return std::any_of(findings.begin(), findings.end(),
                     [&](const Finding& f) { return f.rule == &rule; });
}

Report CheckFile(const std::string& path, TBAM& loaded,
                 const std::vector<std::string>& page_folders) {
  Report report;
  loaded.OpenTrueColour = true;
  loaded.PageFolders = page_folders;
  if (!loaded.LoadFromFile(path)) {
    Add(report, kUnreadableFile,
        loaded.ErrorMessage.empty() ? "The file cannot be read" : loaded.ErrorMessage);
    return report;
  }
  try {
    const std::vector<std::uint8_t> file = ReadWholeFile(path);
    const ByteView view(file.data(), file.size());
    if (view.Tag(0, "BAMC")) {
      const std::uint32_t stated = view.U32(8);
      const std::size_t packed = file.size() - std::min<std::size_t>(file.size(), 12);
      const std::vector<std::uint8_t> image = ZlibInflate(
          file.data() + 12, packed, stated,
          static_cast<std::size_t>(std::min<std::uint64_t>(BAMReader::kMaxInflatedImage,
                                                           MaxInflatedSize(packed))));
      if (image.size() != stated) {
        Add(report, kContainerLength,
            "The compressed BAM states " + std::to_string(stated) + " bytes but unpacks to " +
                std::to_string(image.size()),
            -1, -1, -1, true);
      }
      CheckImageBytes(ByteView(image.data(), image.size()), report);
    } else if (BAMV2Reader::IsBAMV2(view)) {
      CheckV2ImageBytes(view, loaded, report);
    } else {
      CheckImageBytes(view, report);
    }
  } catch (const std::exception&) {
    // The loader read the file; bytes it could not unpack in full leave only the document rules.
  }
  CheckDocumentContent(loaded, true, report);
  return report;
}

Report CheckDocument(const TBAM& bam) {
  Report report;
  if (bam.IsOpen) CheckDocumentContent(bam, false, report);
  return report;
}

}  // namespace celwright::engine
