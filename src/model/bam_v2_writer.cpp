#include "model/bam_v2_writer.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "model/bam_v2_reader.h"
#include "model/byte_view.h"
#include "model/page_folder.h"
#include "model/texture_origin.h"
#include "model/texture_page.h"
#include "support/file_io.h"
#include "support/file_set_writer.h"

namespace celwright {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMaxEntries = 65535;
constexpr int kMaxPageNumber = 9999;

// A piece of a changed frame, at most a page in size, and where it goes.
struct Tile {
  std::size_t job = 0;  // which distinct new frame content
  int frame_x = 0, frame_y = 0, width = 0, height = 0;
  bool partial_alpha = false;
  std::size_t page = 0;
  int page_x = 0, page_y = 0;
};

struct NewPage {
  PageFormat format = PageFormat::kBC1;
  int used_width = 0, used_height = 0;
  std::vector<std::size_t> tiles;
  int number = 0;
};

// A changed frame's pixels; frames with the same pixels share one job and its blocks.
struct Job {
  std::int32_t width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
  std::vector<std::size_t> tiles;
  std::vector<std::uint8_t> written;  // the pixels the saved pages give back
};

int RoundUp4(int value) { return (value + 3) & ~3; }

int PowerOfTwoAtLeast(int value) {
  int side = 4;
  while (side < value) side *= 2;
  return side;
}

// Next-fit shelves: tiles sorted by height fill rows left to right; a page is closed when the
// next row does not fit. Tiles sit on 4-pixel boundaries so no 4 x 4 block mixes two of them.
void PackTiles(std::vector<Tile>& tiles, const std::vector<std::size_t>& group, PageFormat format,
               std::vector<NewPage>& pages) {
  std::vector<std::size_t> order = group;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return tiles[a].height > tiles[b].height;
  });
  int x = 0, y = 0, shelf = 0;
  bool open = false;
  for (std::size_t t : order) {
    const int w = RoundUp4(tiles[t].width), h = RoundUp4(tiles[t].height);
    if (open && x + w > BAMV2Writer::kPageSide) {
      y += shelf;
      x = 0;
      shelf = 0;
    }
    if (!open || y + h > BAMV2Writer::kPageSide) {
      pages.push_back(NewPage{format, 0, 0, {}, 0});
      open = true;
      x = y = shelf = 0;
    }
    NewPage& page = pages.back();
    tiles[t].page = pages.size() - 1;
    tiles[t].page_x = x;
    tiles[t].page_y = y;
    page.tiles.push_back(t);
    page.used_width = std::max(page.used_width, x + w);
    page.used_height = std::max(page.used_height, y + h);
    x += w;
    shelf = std::max(shelf, h);
  }
}

// The pages the BAM V2 file at `path` draws from (empty when it is none or cannot be read).
std::set<std::uint32_t> PagesOfFile(const fs::path& path) {
  std::set<std::uint32_t> pages;
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > (std::uint64_t{64} << 20)) {
    return pages;
  }
  try {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    const ByteView image(bytes.data(), bytes.size());
    if (!BAMV2Reader::IsBAMV2(image) || !image.Fits(0, 32)) return pages;
    const std::uint64_t table = image.U32(28);
    for (std::uint64_t b = 0; b < image.U32(16) && image.Fits(table + 28 * b, 28); ++b) {
      pages.insert(image.U32(table + 28 * b));
    }
  } catch (const std::exception&) {
  }
  return pages;
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  try {
    return ReadWholeFile(a) == ReadWholeFile(b);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

void BAMV2Writer::Save(const std::string& file_name) {
  const fs::path target(file_name);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const PageFolder existing(folder);
  const std::set<std::uint32_t> owned = PagesOfFile(target);
  const std::int32_t frame_count = bam_.FrameCount();
  const TextureOrigin* origin = bam_.Textures.get();

  // Which frames keep their blocks, and the distinct contents that need new ones.
  std::vector<std::vector<TextureBlock>> frame_blocks(static_cast<std::size_t>(frame_count));
  std::vector<std::ptrdiff_t> job_of(static_cast<std::size_t>(frame_count), -1);
  std::vector<Job> jobs;
  std::map<std::tuple<std::int32_t, std::int32_t, std::uint64_t>, std::size_t> job_by_content;
  std::set<std::uint32_t> kept_pages;
  for (std::int32_t i = 0; i < frame_count; ++i) {
    const TBAMFrame frame = bam_.GetFrame(i);
    if (frame.Width > 65535 || frame.Height > 65535 || frame.CentreX < -32768 ||
        frame.CentreX > 32767 || frame.CentreY < -32768 || frame.CentreY > 32767) {
      throw EBAMSaveError("Frame " + std::to_string(i) + " is " + std::to_string(frame.Width) +
                          " x " + std::to_string(frame.Height) + " with its centre at (" +
                          std::to_string(frame.CentreX) + ", " + std::to_string(frame.CentreY) +
                          "); a BAM file holds at most 65535 x 65535 and centres from -32768 to "
                          "32767");
    }
    std::vector<std::uint8_t> rgba = bam_.DecodeFrame(i);
    const std::uint64_t hash = PixelHash(rgba.data(), rgba.size());
    if (const TextureOrigin::Frame* kept = origin ? origin->Find(frame.Width, frame.Height, hash) : nullptr) {
      frame_blocks[static_cast<std::size_t>(i)] = kept->Blocks;
      for (const TextureBlock& block : kept->Blocks) kept_pages.insert(block.Page);
      continue;
    }
    const auto key = std::make_tuple(frame.Width, frame.Height, hash);
    const auto [it, added] = job_by_content.emplace(key, jobs.size());
    if (added) jobs.push_back(Job{frame.Width, frame.Height, std::move(rgba), {}, {}});
    job_of[static_cast<std::size_t>(i)] = static_cast<std::ptrdiff_t>(it->second);
  }

  // Each changed frame: its visible part, in pieces no larger than a page.
  std::vector<Tile> tiles;
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const Job& job = jobs[j];
    int left = job.width, top = job.height, right = 0, bottom = 0;
    for (int y = 0; y < job.height; ++y) {
      const std::uint8_t* row = job.rgba.data() + 4 * static_cast<std::size_t>(y) * job.width;
      for (int x = 0; x < job.width; ++x) {
        if (row[4 * x + 3] == 0) continue;
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
    }
    for (int ty = top; ty < bottom; ty += kPageSide) {
      for (int tx = left; tx < right; tx += kPageSide) {
        Tile tile;
        tile.job = j;
        tile.frame_x = tx;
        tile.frame_y = ty;
        tile.width = std::min(kPageSide, right - tx);
        tile.height = std::min(kPageSide, bottom - ty);
        for (int y = ty; y < ty + tile.height && !tile.partial_alpha; ++y) {
          const std::uint8_t* row = job.rgba.data() + 4 * static_cast<std::size_t>(y) * job.width;
          for (int x = tx; x < tx + tile.width; ++x) {
            const std::uint8_t a = row[4 * x + 3];
            if (a != 0 && a != 255) {
              tile.partial_alpha = true;
              break;
            }
          }
        }
        jobs[j].tiles.push_back(tiles.size());
        tiles.push_back(tile);
      }
    }
  }
  std::vector<std::size_t> opaque_group, alpha_group;
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    (tiles[t].partial_alpha ? alpha_group : opaque_group).push_back(t);
  }
  std::vector<NewPage> pages;
  PackTiles(tiles, opaque_group, PageFormat::kBC1, pages);
  PackTiles(tiles, alpha_group, PageFormat::kBC3, pages);

  // Page numbers: from the first page asked for, or past every page in the folder and in use.
  int first = bam_.PageSave.FirstPage;
  if (first < 0) {
    first = existing.Highest() + 1;
    if (!kept_pages.empty()) first = std::max(first, static_cast<int>(*kept_pages.rbegin()) + 1);
  }
  FileSetWriter files;
  std::vector<std::string> notes;
  std::map<std::uint32_t, std::string> page_paths;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const int number = first + static_cast<int>(p);
    if (number > kMaxPageNumber) {
      throw EBAMSaveError("The new texture pages would need page numbers up to " +
                          std::to_string(first + static_cast<int>(pages.size()) - 1) +
                          "; page numbers have four digits (at most 9999)");
    }
    if (kept_pages.count(static_cast<std::uint32_t>(number))) {
      throw EBAMSaveError("Page " + std::to_string(number) +
                          " still holds unchanged frames of this animation; choose another "
                          "first page");
    }
    const fs::path found = existing.Find(number);
    if (!found.empty() && !owned.count(static_cast<std::uint32_t>(number)) &&
        !bam_.PageSave.OverwritePages) {
      throw EPageInUse(found.filename().string() +
                      " already exists and belongs to another file; choose another first "
                      "page or allow overwriting pages");
    }
    pages[p].number = number;
  }

  // Pages of unchanged frames must be found beside the new file too.
  for (std::uint32_t number : kept_pages) {
    const fs::path present = existing.Find(static_cast<int>(number));
    const fs::path destination =
        present.empty() ? folder / PageFileName(static_cast<int>(number)) : present;
    const auto source = origin ? origin->PagePaths.find(number) : std::map<std::uint32_t, std::string>::const_iterator();
    if (!origin || source == origin->PagePaths.end()) {
      if (present.empty()) {
        notes.push_back(PageFileName(static_cast<int>(number)) +
                        " was missing when the animation was read; the blocks on it were kept");
      } else {
        page_paths[number] = present.string();
      }
      continue;
    }
    page_paths[number] = destination.string();
    std::error_code error;
    if (!present.empty() &&
        (fs::equivalent(source->second, present, error) || SameBytes(source->second, present))) {
      continue;
    }
    if (!present.empty() && !owned.count(number) && !bam_.PageSave.OverwritePages) {
      throw EPageInUse(present.filename().string() +
                      " already exists and belongs to another file; allow overwriting pages "
                      "or save into another folder");
    }
    try {
      files.Add(destination, ReadWholeFile(source->second));
    } catch (const std::runtime_error& e) {
      throw EBAMSaveError(e.what());
    }
    notes.push_back(PageFileName(static_cast<int>(number)) + " was copied beside the animation");
  }

  // Encode the new pages, and read back what they give, which is what the file will show.
  for (Job& job : jobs) job.written.assign(job.rgba.size(), 0);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    NewPage& page = pages[p];
    const int width = PowerOfTwoAtLeast(page.used_width);
    const int height = PowerOfTwoAtLeast(page.used_height);
    std::vector<std::uint8_t> canvas(4 * static_cast<std::size_t>(width) * height, 0);
    for (std::size_t t : page.tiles) {
      const Tile& tile = tiles[t];
      const Job& job = jobs[tile.job];
      for (int y = 0; y < tile.height; ++y) {
        const std::uint8_t* in = job.rgba.data() +
                                 4 * (static_cast<std::size_t>(tile.frame_y + y) * job.width + tile.frame_x);
        std::copy(in, in + 4 * tile.width,
                  canvas.begin() + static_cast<std::ptrdiff_t>(
                                       4 * (static_cast<std::size_t>(tile.page_y + y) * width + tile.page_x)));
      }
    }
    const std::vector<std::uint8_t> file = EncodeTexturePage(canvas.data(), width, height, page.format);
    const TexturePage decoded = ReadTexturePage(file.data(), file.size());
    for (std::size_t t : page.tiles) {
      const Tile& tile = tiles[t];
      Job& job = jobs[tile.job];
      const std::size_t stride = 4 * static_cast<std::size_t>(job.width);
      decoded.DecodeRect(tile.page_x, tile.page_y, tile.width, tile.height,
                         job.written.data() + tile.frame_y * stride + 4 * static_cast<std::size_t>(tile.frame_x),
                         stride);
    }
    const fs::path present = existing.Find(page.number);
    const fs::path destination = present.empty() ? folder / PageFileName(page.number) : present;
    page_paths[static_cast<std::uint32_t>(page.number)] = destination.string();
    try {
      files.Add(destination, file);
    } catch (const std::runtime_error& e) {
      throw EBAMSaveError(e.what());
    }
    if (progress_) progress_(static_cast<std::int32_t>(p + 1), static_cast<std::int32_t>(pages.size()), kStageSaveFrameData);
  }
  for (std::int32_t i = 0; i < frame_count; ++i) {
    const std::ptrdiff_t j = job_of[static_cast<std::size_t>(i)];
    if (j < 0) continue;
    for (std::size_t t : jobs[static_cast<std::size_t>(j)].tiles) {
      const Tile& tile = tiles[t];
      frame_blocks[static_cast<std::size_t>(i)].push_back(TextureBlock{
          static_cast<std::uint32_t>(pages[tile.page].number), static_cast<std::uint32_t>(tile.page_x),
          static_cast<std::uint32_t>(tile.page_y), static_cast<std::uint32_t>(tile.width),
          static_cast<std::uint32_t>(tile.height), static_cast<std::uint32_t>(tile.frame_x),
          static_cast<std::uint32_t>(tile.frame_y)});
    }
  }

  // Frame entries: the frames in order; a sequence that is not already a run of consecutive
  // frames gets entries of its own after them (sharing the frames' blocks).
  std::vector<std::int32_t> entry_frames;
  for (std::int32_t i = 0; i < frame_count; ++i) entry_frames.push_back(i);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sequences;  // (count, first entry)
  for (std::int32_t c = 0; c < bam_.CycleCount(); ++c) {
    const TCycleItem& cycle = bam_.cycles_[static_cast<std::size_t>(c)];
    bool run = true;
    for (std::int32_t j = 1; j < cycle.Count && run; ++j) run = cycle.Frames[j] == cycle.Frames[0] + j;
    if (cycle.Count == 0) {
      sequences.emplace_back(0, 0);
    } else if (run) {
      sequences.emplace_back(cycle.Count, cycle.Frames[0]);
    } else {
      sequences.emplace_back(cycle.Count, entry_frames.size());
      for (std::int32_t j = 0; j < cycle.Count; ++j) entry_frames.push_back(cycle.Frames[j]);
    }
  }
  std::vector<std::uint32_t> first_block(static_cast<std::size_t>(frame_count));
  std::vector<TextureBlock> block_table;
  for (std::int32_t i = 0; i < frame_count; ++i) {
    first_block[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(block_table.size());
    const auto& blocks = frame_blocks[static_cast<std::size_t>(i)];
    block_table.insert(block_table.end(), blocks.begin(), blocks.end());
  }
  if (entry_frames.size() > kMaxEntries || sequences.size() > kMaxEntries ||
      block_table.size() > kMaxEntries) {
    throw EBAMSaveError("The animation needs " + std::to_string(entry_frames.size()) +
                        " frame entries, " + std::to_string(sequences.size()) + " sequences and " +
                        std::to_string(block_table.size()) +
                        " data blocks; a BAM V2 file holds at most 65535 of each");
  }

  std::vector<std::uint8_t> image;
  const std::uint32_t entries = static_cast<std::uint32_t>(entry_frames.size());
  const std::uint32_t sequence_offset = 32 + 12 * entries;
  const std::uint32_t block_offset = sequence_offset + 4 * static_cast<std::uint32_t>(sequences.size());
  PutTag(image, "BAM ");
  PutTag(image, "V2  ");
  PutU32(image, entries);
  PutU32(image, static_cast<std::uint32_t>(sequences.size()));
  PutU32(image, static_cast<std::uint32_t>(block_table.size()));
  PutU32(image, 32);
  PutU32(image, sequence_offset);
  PutU32(image, block_offset);
  for (std::int32_t i : entry_frames) {
    const TBAMFrame& frame = bam_.frames_[static_cast<std::size_t>(i)];
    PutU16(image, static_cast<std::uint32_t>(frame.Width));
    PutU16(image, static_cast<std::uint32_t>(frame.Height));
    PutU16(image, static_cast<std::uint16_t>(frame.CentreX));
    PutU16(image, static_cast<std::uint16_t>(frame.CentreY));
    PutU16(image, first_block[static_cast<std::size_t>(i)]);
    PutU16(image, static_cast<std::uint32_t>(frame_blocks[static_cast<std::size_t>(i)].size()));
  }
  for (const auto& [count, first_entry] : sequences) {
    PutU16(image, count);
    PutU16(image, first_entry);
  }
  for (const TextureBlock& block : block_table) {
    for (std::uint32_t value : {block.Page, block.PageX, block.PageY, block.Width, block.Height,
                                block.FrameX, block.FrameY}) {
      PutU32(image, value);
    }
  }
  try {
    files.Add(target, image);
    if (progress_) progress_(0, 0, kStageSaveWrite);
    files.Commit();
  } catch (const std::runtime_error& e) {
    throw EBAMSaveError(e.what());
  }

  // The document now shows what the file holds, and knows where each frame lies.
  auto updated = std::make_shared<TextureOrigin>();
  for (std::int32_t i = 0; i < frame_count; ++i) {
    const std::ptrdiff_t j = job_of[static_cast<std::size_t>(i)];
    TBAMFrame frame = bam_.GetFrame(i);
    if (j >= 0) bam_.ReplaceFrameData(i, jobs[static_cast<std::size_t>(j)].written, frame);
    const std::vector<std::uint8_t> rgba = j >= 0 ? jobs[static_cast<std::size_t>(j)].written : bam_.DecodeFrame(i);
    updated->Add(TextureOrigin::Frame{frame.Width, frame.Height, PixelHash(rgba.data(), rgba.size()),
                                      frame_blocks[static_cast<std::size_t>(i)]});
  }
  updated->PagePaths = page_paths;
  std::set<std::uint32_t> used(kept_pages);
  for (const NewPage& page : pages) used.insert(static_cast<std::uint32_t>(page.number));
  for (std::uint32_t number : owned) {
    if (!used.count(number)) {
      notes.push_back(PageFileName(static_cast<int>(number)) +
                      " is no longer used by this animation and was left in place");
    }
  }
  bam_.Textures = std::move(updated);
  bam_.SaveNotes = std::move(notes);
}

}  // namespace celwright
