#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace celwright {

// One data block of a BAM V2 frame: a rectangle of texture page `Page` drawn at (FrameX, FrameY)
// of the frame. Kept exactly as the file has it.
struct TextureBlock {
  std::uint32_t Page = 0;
  std::uint32_t PageX = 0;
  std::uint32_t PageY = 0;
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t FrameX = 0;
  std::uint32_t FrameY = 0;
  friend bool operator==(const TextureBlock&, const TextureBlock&) = default;
};

// A hash of decoded frame pixels (FNV-1a, 64 bits): frames are matched with their blocks by size
// and content, so frame operations of any kind (reorder, duplicate, delete) need not track them,
// and any change of a pixel makes the frame "changed".
std::uint64_t PixelHash(const std::uint8_t* data, std::size_t size);

// Where the frames of a BAM V2 animation lie on its texture pages: for each distinct frame
// content, the blocks that draw it; and where each page was found.
struct TextureOrigin {
  struct Frame {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint64_t Hash = 0;
    std::vector<TextureBlock> Blocks;
  };
  // By content hash.
  std::multimap<std::uint64_t, Frame> Frames;
  // Page number -> the file it was read from; pages that were missing or unreadable are absent.
  std::map<std::uint32_t, std::string> PagePaths;
  // Pages the frames draw from that were found nowhere (not those found but unreadable): the
  // editor offers to look in another folder for them.
  std::set<std::uint32_t> MissingPages;

  // The blocks of a frame with these pixels, or null when no such frame was read.
  void Add(Frame frame) {
    if (!Find(frame.Width, frame.Height, frame.Hash)) Frames.emplace(frame.Hash, std::move(frame));
  }
  const Frame* Find(std::int32_t width, std::int32_t height, std::uint64_t hash) const {
    const auto [begin, end] = Frames.equal_range(hash);
    for (auto it = begin; it != end; ++it) {
      if (it->second.Width == width && it->second.Height == height) return &it->second;
    }
    return nullptr;
  }
};

}  // namespace celwright
