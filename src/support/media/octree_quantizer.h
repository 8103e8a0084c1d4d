#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/media/variance_split.h"

namespace celwright {

// A palette chosen for a picture: `count` meaningful entries, the rest of `colors` black.
struct ReducedPalette {
  Palette256 colors{};
  int count = 0;
};

// Colour reduction. Colours are collected first (pixel by pixel or as whole pictures, so the
// frames of an animation need not be glued into one strip) into an octree of their exact values,
// then a palette of at most `max_colors` entries is built. A picture with no more distinct colours
// than that keeps every colour exactly; otherwise colour space is cut into boxes of least spread
// and their means are refined over the tree's colours (a weighted k-means). Colours crowded into
// too few boxes fall back to folding the tree bottom-up, merging the groups of colours whose merge
// adds the least squared error.
class OctreeQuantizer {
 public:
  OctreeQuantizer();
  ~OctreeQuantizer();
  OctreeQuantizer(const OctreeQuantizer&) = delete;
  OctreeQuantizer& operator=(const OctreeQuantizer&) = delete;

  // Adds every pixel of a 24-bit picture (8-bit pictures are read through their colour table;
  // masks are refused with std::invalid_argument).
  void AddPicture(const Bitmap& picture);
  void AddColor(TColor color, std::uint64_t pixel_count = 1);

  // Number of distinct colours seen, exact while it stays below the working limit of the tree.
  int LeafCount() const;

  // The result does not depend on the order in which pixels arrived.
  ReducedPalette BuildPalette(int max_colors = 256);

 private:
  struct Tree;
  std::unique_ptr<Tree> tree_;
  std::unique_ptr<VarianceSplitter> splitter_;
};

// One-call form: the palette for a single picture.
ReducedPalette ReducePicture(const Bitmap& picture, int max_colors = 256);

}  // namespace celwright
