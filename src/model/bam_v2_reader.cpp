#include "model/bam_v2_reader.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "model/page_folder.h"
#include "model/texture_origin.h"
#include "model/texture_page.h"
#include "support/file_io.h"

namespace celwright {

namespace {

constexpr std::uint64_t kHeaderSize = 32;

struct FrameEntry {
  std::uint32_t first_block = 0;
  std::uint32_t block_count = 0;
};

// The page folders in search order: the animation's own folder, then the ones the user named.
class PageSearch {
 public:
  PageSearch(const std::string& file_name, const std::vector<std::string>& folders) {
    folders_.emplace_back(std::filesystem::path(file_name).parent_path());
    for (const std::string& folder : folders) folders_.emplace_back(folder);
  }
  std::filesystem::path Find(int number) const {
    for (const PageFolder& folder : folders_) {
      std::filesystem::path found = folder.Find(number);
      if (!found.empty()) return found;
    }
    return {};
  }

 private:
  std::vector<PageFolder> folders_;
};

std::string PageLabel(std::uint32_t number) {
  return "Page " + std::to_string(number) + " (" + PageFileName(static_cast<int>(number)) + ")";
}

}  // namespace

bool BAMV2Reader::Read(const ByteView& image, const std::string& file_name, std::string& error) {
  if (!image.Fits(0, kHeaderSize)) {
    error = "The BAM V2 header is incomplete";
    return false;
  }
  const std::uint32_t frame_count = image.U32(8), sequence_count = image.U32(12);
  const std::uint32_t block_count = image.U32(16);
  const std::uint64_t frame_table = image.U32(20), sequence_table = image.U32(24);
  const std::uint64_t block_table = image.U32(28);
  if (!image.Fits(frame_table, 12 * std::uint64_t{frame_count})) {
    error = "The frame table (" + std::to_string(frame_count) + " frames) does not fit in the file";
    return false;
  }
  if (!image.Fits(sequence_table, 4 * std::uint64_t{sequence_count})) {
    error = "The sequence table (" + std::to_string(sequence_count) +
            " sequences) does not fit in the file";
    return false;
  }
  if (frame_count > 65535 || sequence_count > 65535) {
    error = "The file names " + std::to_string(frame_count) + " frames and " +
            std::to_string(sequence_count) + " sequences; a BAM V2 file holds at most 65535 of each";
    return false;
  }
  std::uint32_t blocks_present = std::min(block_count, kMaxReachableBlocks);
  if (!image.Fits(block_table, 28 * std::uint64_t{block_count})) {
    blocks_present = block_table > image.Size()
                         ? 0
                         : static_cast<std::uint32_t>(std::min<std::uint64_t>(
                               blocks_present, (image.Size() - block_table) / 28));
    bam_.Warnings.push_back("The data block table runs past the end of the file: " +
                            std::to_string(blocks_present) + " of " + std::to_string(block_count) +
                            " blocks were read, the rest are transparent");
  }
  std::vector<TextureBlock> blocks(blocks_present);
  for (std::uint32_t b = 0; b < blocks_present; ++b) {
    const std::uint64_t at = block_table + 28 * std::uint64_t{b};
    blocks[b] = TextureBlock{image.U32(at),      image.U32(at + 4),  image.U32(at + 8),
                             image.U32(at + 12), image.U32(at + 16), image.U32(at + 20),
                             image.U32(at + 24)};
  }

  // Frames: sizes first, so the memory and work they ask for are known before any is done.
  std::vector<TBAMFrame> frames(frame_count);
  std::vector<FrameEntry> entries(frame_count);
  std::uint64_t total_pixels = 0;
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    const std::uint64_t at = frame_table + 12 * std::uint64_t{i};
    TBAMFrame& frame = frames[i];
    frame.Width = image.U16(at);
    frame.Height = image.U16(at + 2);
    frame.CentreX = static_cast<std::int16_t>(image.U16(at + 4));
    frame.CentreY = static_cast<std::int16_t>(image.U16(at + 6));
    frame.RLE = false;
    entries[i] = FrameEntry{image.U16(at + 8), image.U16(at + 10)};
    const std::uint64_t end = std::uint64_t{entries[i].first_block} + entries[i].block_count;
    if (end > blocks_present) {
      const std::uint32_t kept =
          entries[i].first_block >= blocks_present ? 0 : blocks_present - entries[i].first_block;
      if (end > block_count) {
        bam_.Warnings.push_back("Frame " + std::to_string(i) + ": " +
                                std::to_string(entries[i].block_count - kept) +
                                " of its data blocks do not exist and were dropped");
      }
      entries[i].block_count = kept;
    }
    total_pixels += std::uint64_t{static_cast<std::uint32_t>(frame.Width)} *
                    static_cast<std::uint32_t>(frame.Height);
  }
  std::uint64_t block_uses = 0;
  for (const FrameEntry& entry : entries) block_uses += entry.block_count;
  if (block_uses > kMaxBlockUses) {
    error = "The frames name " + std::to_string(block_uses) + " data blocks together; at most " +
            std::to_string(kMaxBlockUses) + " are read";
    return false;
  }
  if (total_pixels > kMaxFramePixels) {
    error = "The frames hold " + std::to_string(total_pixels) + " pixels together; at most " +
            std::to_string(kMaxFramePixels) + " are read";
    return false;
  }
  std::uint64_t block_pixels = 0;
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    for (std::uint32_t b = 0; b < entries[i].block_count; ++b) {
      const TextureBlock& block = blocks[entries[i].first_block + b];
      const std::uint64_t w = std::min<std::uint64_t>(block.Width, static_cast<std::uint32_t>(frames[i].Width));
      const std::uint64_t h = std::min<std::uint64_t>(block.Height, static_cast<std::uint32_t>(frames[i].Height));
      block_pixels += w * h;
    }
  }
  if (block_pixels > total_pixels + kExtraBlockPixels) {
    error = "The data blocks overlap far too much: they would decode " +
            std::to_string(block_pixels) + " pixels for frames of " + std::to_string(total_pixels);
    return false;
  }

  // Frame pixels are laid out in frame order, as the document keeps them: all transparent until
  // a block draws there.
  std::vector<std::size_t> starts(frame_count + 1, 0);
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    frames[i].DataSize = frames[i].Width * frames[i].Height * 4;
    starts[i + 1] = starts[i] + static_cast<std::size_t>(frames[i].DataSize);
  }
  std::vector<std::uint8_t> data(starts[frame_count], 0);

  // One page at a time, so at most one is held unpacked.
  std::map<std::uint32_t, std::vector<std::pair<std::uint32_t, std::uint32_t>>> by_page;
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    for (std::uint32_t b = 0; b < entries[i].block_count; ++b) {
      by_page[blocks[entries[i].first_block + b].Page].emplace_back(i, entries[i].first_block + b);
    }
  }
  auto origin = std::make_shared<TextureOrigin>();
  const PageSearch search(file_name, bam_.PageFolders);
  std::uint64_t unpacked = 0;
  std::set<std::uint32_t> clipped_frames;
  for (const auto& [number, uses] : by_page) {
    const std::string label = PageLabel(number);
    const std::string blocks_text = std::to_string(uses.size()) +
                                    (uses.size() == 1 ? " data block is" : " data blocks are");
    if (number > 9999) {
      bam_.Warnings.push_back(label + " cannot exist (page numbers have four digits): its " +
                              blocks_text + " transparent");
      continue;
    }
    const std::filesystem::path path = search.Find(static_cast<int>(number));
    if (path.empty()) {
      origin->MissingPages.insert(number);
      bam_.Warnings.push_back(label + " was not found beside the file or in the page folders: its " +
                              blocks_text + " transparent");
      continue;
    }
    TexturePage page;
    try {
      std::error_code size_error;
      const std::uint64_t size = std::filesystem::file_size(path, size_error);
      if (size_error) throw TexturePageError(size_error.message());
      if (size > kMaxPageFile) {
        throw TexturePageError("the page file is too large (" + std::to_string(size >> 20) + " MiB)");
      }
      if (unpacked > kMaxPageBlocksTotal) {
        throw TexturePageError("the pages read before it already hold " +
                               std::to_string(unpacked >> 20) + " MiB");
      }
      const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
      page = ReadTexturePage(bytes.data(), bytes.size());
      unpacked += page.Blocks.size();
    } catch (const std::bad_alloc&) {
      bam_.Warnings.push_back(label + " does not fit in memory: its " + blocks_text + " transparent");
      continue;
    } catch (const std::exception& e) {
      bam_.Warnings.push_back(label + " cannot be read (" + e.what() + "): its " + blocks_text +
                              " transparent");
      continue;
    }
    origin->PagePaths[number] = path.string();
    for (const auto& [frame_index, block_index] : uses) {
      const TextureBlock& block = blocks[block_index];
      const TBAMFrame& frame = frames[frame_index];
      // What lies both on the page and in the frame is drawn; the rest is clipped.
      const std::int64_t w = std::min<std::int64_t>(
          {block.Width, std::max<std::int64_t>(0, std::int64_t{page.Width} - block.PageX),
           std::max<std::int64_t>(0, std::int64_t{frame.Width} - block.FrameX)});
      const std::int64_t h = std::min<std::int64_t>(
          {block.Height, std::max<std::int64_t>(0, std::int64_t{page.Height} - block.PageY),
           std::max<std::int64_t>(0, std::int64_t{frame.Height} - block.FrameY)});
      if (w < block.Width || h < block.Height) clipped_frames.insert(frame_index);
      if (w <= 0 || h <= 0) continue;
      const std::size_t stride = 4 * static_cast<std::size_t>(frame.Width);
      std::uint8_t* out = data.data() + starts[frame_index] + block.FrameY * stride + 4 * std::size_t{block.FrameX};
      page.DecodeRect(static_cast<int>(block.PageX), static_cast<int>(block.PageY),
                      static_cast<int>(w), static_cast<int>(h), out, stride);
    }
  }
  for (std::uint32_t frame_index : clipped_frames) {
    bam_.Warnings.push_back("Frame " + std::to_string(frame_index) +
                            ": a data block reaches past its page or the frame and was clipped");
  }

  for (std::uint32_t i = 0; i < frame_count; ++i) {
    TextureOrigin::Frame kept;
    kept.Width = frames[i].Width;
    kept.Height = frames[i].Height;
    kept.Hash = PixelHash(data.data() + starts[i], starts[i + 1] - starts[i]);
    kept.Blocks.assign(blocks.begin() + entries[i].first_block,
                       blocks.begin() + entries[i].first_block + entries[i].block_count);
    origin->Add(std::move(kept));
  }

  bam_.BAMType = kTrueColourBAM;
  bam_.Compressed = false;
  bam_.frames_ = std::move(frames);
  bam_.Data = std::move(data);
  bam_.DataStart = 0;
  bam_.RebuildFramePositions();
  bam_.FrameEntriesOffset = static_cast<std::uint32_t>(frame_table);
  bam_.CycleEntriesOffset = static_cast<std::uint32_t>(sequence_table);

  int past_end = 0;
  for (std::uint32_t c = 0; c < sequence_count; ++c) {
    const std::uint64_t at = sequence_table + 4 * std::uint64_t{c};
    const std::uint32_t count = image.U16(at), first = image.U16(at + 2);
    TCycleItem cycle;
    cycle.FirstIndex = static_cast<std::int32_t>(first);
    for (std::uint32_t j = 0; j < count; ++j) {
      if (first + j >= frame_count) {
        ++past_end;
        continue;
      }
      cycle.Frames.push_back(static_cast<std::int32_t>(first + j));
    }
    cycle.Count = static_cast<std::int32_t>(cycle.Frames.size());
    bam_.cycles_.push_back(std::move(cycle));
  }
  if (past_end > 0) {
    bam_.Warnings.push_back(std::to_string(past_end) +
                            " sequence entries lie past the last frame and were dropped");
  }
  bam_.LookupCount = 0;
  bam_.Textures = std::move(origin);
  return true;
}

}  // namespace celwright
