#include "support/media/octree_quantizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <queue>
#include <stdexcept>
#include <utility>

#include "support/palette_convert.h"

namespace celwright {

namespace {

constexpr int kDepth = 8;
constexpr std::int32_t kNone = -1;
// Distinct colours kept while collecting. Photographic material can hold millions; folding the
// tree whenever it grows past this bound keeps memory at a few megabytes and leaves plenty of
// detail for the final choice of 256.
constexpr int kWorkingLeafLimit = 1 << 15;

struct Node {
  std::array<std::int32_t, 8> children{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
  std::int32_t parent = kNone;
  std::uint64_t pixels = 0;
  std::uint64_t sum_r = 0, sum_g = 0, sum_b = 0;
  bool leaf = false;
};

int ChildSlot(std::uint8_t r, std::uint8_t g, std::uint8_t b, int level) {
  const int shift = kDepth - 1 - level;
  return (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
}

double SquaredLength(double r, double g, double b) { return r * r + g * g + b * b; }

struct WeightedColor {
  double r, g, b, weight;
};

// Rounds of moving every entry to the centre of the colours nearest to it. The first rounds take
// the mean (least squared distance); the later ones the weighted geometric median (Weiszfeld's
// step), since what a viewer sees, and what the mean colour error counts, is the distance itself.
constexpr int kRefinementRounds = 8;
constexpr int kMedianRoundsFrom = 3;
// Colours nearer to their entry than this count as this near, so an entry sitting on a colour
// does not give it unbounded weight.
constexpr double kMedianNearest = 1.0;

}  // namespace

struct OctreeQuantizer::Tree {
  std::vector<Node> nodes;
  std::vector<std::int32_t> free_nodes;
  int leaf_count = 0;
  // Sprites repeat the same colour in long runs; remembering the last leaf skips the descent.
  TColor last_color = 0;
  std::int32_t last_leaf = kNone;

  // Counts of recently seen colours, written into the tree only when their slot is wanted for
  // another colour: pictures repeat colours far more often than an eight-level descent is cheap.
  static constexpr std::size_t kPendingSlots = 1 << 12;
  static constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;
  std::vector<std::uint32_t> pending_colors = std::vector<std::uint32_t>(kPendingSlots, kEmptySlot);
  std::vector<std::uint64_t> pending_counts = std::vector<std::uint64_t>(kPendingSlots, 0);

  // The nodes four levels down, by the top four bits of each channel, so most descents start
  // half-way. Folding may free or merge them, so it forgets them all.
  static constexpr int kShortcutLevel = 4;
  std::vector<std::int32_t> shortcuts = std::vector<std::int32_t>(4096, kNone);

  Tree() { nodes.emplace_back(); }

  void Count(TColor color, std::uint64_t count) {
    const std::size_t slot = ((color * 2654435761u) >> 12) & (kPendingSlots - 1);
    if (pending_colors[slot] == color) {
      pending_counts[slot] += count;
      return;
    }
    if (pending_colors[slot] != kEmptySlot) Add(pending_colors[slot], pending_counts[slot]);
    pending_colors[slot] = color;
    pending_counts[slot] = count;
  }

  void Flush() {
    for (std::size_t slot = 0; slot < kPendingSlots; ++slot) {
      if (pending_colors[slot] == kEmptySlot) continue;
      Add(pending_colors[slot], pending_counts[slot]);
      pending_colors[slot] = kEmptySlot;
    }
  }

  std::int32_t NewNode(std::int32_t parent) {
    std::int32_t index;
    if (!free_nodes.empty()) {
      index = free_nodes.back();
      free_nodes.pop_back();
      nodes[index] = Node{};
    } else {
      index = static_cast<std::int32_t>(nodes.size());
      nodes.emplace_back();
    }
    nodes[index].parent = parent;
    return index;
  }

  void Add(TColor color, std::uint64_t count) {
    std::int32_t node = 0;
    if (last_leaf != kNone && color == last_color) {
      node = last_leaf;
    } else {
      const std::uint8_t r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
      const std::size_t key = static_cast<std::size_t>(((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
      int level = 0;
      if (shortcuts[key] != kNone) {
        node = shortcuts[key];
        level = kShortcutLevel;
      }
      for (; level < kDepth && !nodes[node].leaf; ++level) {
        const int slot = ChildSlot(r, g, b, level);
        std::int32_t child = nodes[node].children[slot];
        if (child == kNone) {
          child = NewNode(node);
          nodes[node].children[slot] = child;
          if (level == kDepth - 1) {
            nodes[child].leaf = true;
            ++leaf_count;
          }
        }
        node = child;
        if (level + 1 == kShortcutLevel) shortcuts[key] = node;
      }
      last_color = color;
      last_leaf = node;
    }
    Node& leaf = nodes[node];
    leaf.pixels += count;
    leaf.sum_r += count * RedOf(color);
    leaf.sum_g += count * GreenOf(color);
    leaf.sum_b += count * BlueOf(color);
    if (leaf_count > kWorkingLeafLimit) Fold(kWorkingLeafLimit / 2);
  }

  bool AllChildrenAreLeaves(const Node& node) const {
    bool any = false;
    for (std::int32_t child : node.children) {
      if (child == kNone) continue;
      if (!nodes[child].leaf) return false;
      any = true;
    }
    return any;
  }

  static int ChildCount(const Node& node) {
    return static_cast<int>(std::count_if(node.children.begin(), node.children.end(),
                                          [](std::int32_t child) { return child != kNone; }));
  }

  // The squared error that replacing the children by their common mean would add.
  double MergeCost(const Node& node) const {
    double r = 0, g = 0, b = 0, pixels = 0, spread = 0;
    for (std::int32_t child : node.children) {
      if (child == kNone) continue;
      const Node& c = nodes[child];
      if (c.pixels == 0) continue;
      const double n = static_cast<double>(c.pixels);
      spread += SquaredLength(static_cast<double>(c.sum_r), static_cast<double>(c.sum_g),
                              static_cast<double>(c.sum_b)) /
                n;
      r += static_cast<double>(c.sum_r);
      g += static_cast<double>(c.sum_g);
      b += static_cast<double>(c.sum_b);
      pixels += n;
    }
    return pixels > 0 ? spread - SquaredLength(r, g, b) / pixels : 0.0;
  }

  void Merge(std::int32_t index) {
    Node& node = nodes[index];
    int merged = 0;
    for (std::int32_t& child : node.children) {
      if (child == kNone) continue;
      const Node& c = nodes[child];
      node.pixels += c.pixels;
      node.sum_r += c.sum_r;
      node.sum_g += c.sum_g;
      node.sum_b += c.sum_b;
      free_nodes.push_back(child);
      child = kNone;
      ++merged;
    }
    node.leaf = true;
    leaf_count -= merged - 1;
  }

  void Fold(int target_leaves) {
    last_leaf = kNone;
    std::fill(shortcuts.begin(), shortcuts.end(), kNone);
    using Candidate = std::pair<double, std::int32_t>;
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> candidates;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const Node& node = nodes[i];
      if (!node.leaf && AllChildrenAreLeaves(node) && IsLive(static_cast<std::int32_t>(i))) {
        candidates.emplace(MergeCost(node), static_cast<std::int32_t>(i));
      }
    }
    // A merge removes all but one of a node's leaves, so the cheapest one may overshoot the
    // target; such nodes wait while a smaller merge can land on the target exactly.
    std::vector<Candidate> overshooting;
    while (leaf_count > target_leaves) {
      std::int32_t index;
      if (candidates.empty()) {
        if (overshooting.empty()) break;
        const auto least = std::min_element(
            overshooting.begin(), overshooting.end(), [&](const Candidate& a, const Candidate& b) {
              return std::pair(ChildCount(nodes[a.second]), a.first) <
                     std::pair(ChildCount(nodes[b.second]), b.first);
            });
        index = least->second;
        overshooting.erase(least);
      } else {
        const Candidate candidate = candidates.top();
        candidates.pop();
        index = candidate.second;
        if (leaf_count - (ChildCount(nodes[index]) - 1) < target_leaves) {
          overshooting.push_back(candidate);
          continue;
        }
      }
      Merge(index);
      const std::int32_t parent = nodes[index].parent;
      if (parent != kNone && AllChildrenAreLeaves(nodes[parent])) {
        candidates.emplace(MergeCost(nodes[parent]), parent);
      }
    }
  }

  // Freed nodes stay in the pool; only nodes reachable from the root count.
  bool IsLive(std::int32_t index) const {
    if (index == 0) return true;
    const std::int32_t parent = nodes[index].parent;
    if (parent == kNone || nodes[parent].leaf) return false;
    const auto& siblings = nodes[parent].children;
    return std::find(siblings.begin(), siblings.end(), index) != siblings.end() && IsLive(parent);
  }

  // The starting palette comes from boxes of a coarse grid, so its entries sit off the real
  // colours. Refining over the tree's colours (weighted by pixel count, so large flat areas pull
  // an entry onto their exact colour) moves each entry to the centre of the colours nearest to it.
  void Refine(ReducedPalette& palette) const {
    std::vector<WeightedColor> colors;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const Node& node = nodes[i];
      if (!node.leaf || node.pixels == 0 || !IsLive(static_cast<std::int32_t>(i))) continue;
      const double n = static_cast<double>(node.pixels);
      colors.push_back({static_cast<double>(node.sum_r) / n, static_cast<double>(node.sum_g) / n,
                        static_cast<double>(node.sum_b) / n, n});
    }
    const int count = palette.count;
    for (int round = 0; round < kRefinementRounds; ++round) {
      // Entries past the count become copies of entry 0, which never win a tie against it.
      Palette256 candidates = palette.colors;
      for (int e = count; e < 256; ++e) candidates[e] = candidates[0];
      NearestColorMap nearest(candidates);
      std::vector<WeightedColor> sums(static_cast<std::size_t>(count), {0, 0, 0, 0});
      for (const WeightedColor& c : colors) {
        auto channel = [](double v) { return static_cast<std::uint8_t>(std::lround(v)); };
        const int best = nearest.Lookup(channel(c.r), channel(c.g), channel(c.b));
        double weight = c.weight;
        if (round >= kMedianRoundsFrom) {
          const RGBTriple& entry = palette.colors[best];
          weight /= std::max(kMedianNearest,
                             std::sqrt(SquaredLength(entry.r - c.r, entry.g - c.g, entry.b - c.b)));
        }
        sums[best].r += c.r * weight;
        sums[best].g += c.g * weight;
        sums[best].b += c.b * weight;
        sums[best].weight += weight;
      }
      for (int e = 0; e < count; ++e) {
        if (sums[e].weight <= 0) continue;
        auto mean = [&](double sum) {
          const long value = std::lround(sum / sums[e].weight);
          return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
        };
        palette.colors[e] = {mean(sums[e].r), mean(sums[e].g), mean(sums[e].b)};
      }
    }
  }

  void CollectLeaves(std::int32_t index, ReducedPalette& out) const {
    const Node& node = nodes[index];
    if (node.leaf) {
      if (node.pixels == 0 || out.count >= 256) return;
      const std::uint64_t half = node.pixels / 2;
      out.colors[out.count++] = {static_cast<std::uint8_t>((node.sum_r + half) / node.pixels),
                                 static_cast<std::uint8_t>((node.sum_g + half) / node.pixels),
                                 static_cast<std::uint8_t>((node.sum_b + half) / node.pixels)};
      return;
    }
    for (std::int32_t child : node.children) {
      if (child != kNone) CollectLeaves(child, out);
    }
  }
};

OctreeQuantizer::OctreeQuantizer()
    : tree_(std::make_unique<Tree>()), splitter_(std::make_unique<VarianceSplitter>()) {}
OctreeQuantizer::~OctreeQuantizer() = default;

void OctreeQuantizer::AddColor(TColor color, std::uint64_t pixel_count) {
  if (pixel_count == 0) return;
  tree_->Count(color & 0xFFFFFFu, pixel_count);
  splitter_->Add(RedOf(color), GreenOf(color), BlueOf(color), pixel_count);
}

void OctreeQuantizer::AddPicture(const Bitmap& picture) {
  switch (picture.Format()) {
    case PixelFormat::Bits24:
      for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3)
          AddColor(MakeColor(p[2], p[1], p[0]), 1);
      }
      return;
    case PixelFormat::Bits8: {
      std::array<std::uint64_t, 256> histogram{};
      for (std::uint8_t index : picture.Pixels()) ++histogram[index];
      for (int i = 0; i < 256; ++i) AddColor(ToColor(picture.ColorTable()[i]), histogram[i]);
      return;
    }
    case PixelFormat::Bits1:
    case PixelFormat::Index8:  // indices without colours
    case PixelFormat::Bits32:  // alpha must be settled by the caller first
      break;
  }
  throw std::invalid_argument("Colour reduction needs a colour picture");
}

int OctreeQuantizer::LeafCount() const {
  tree_->Flush();
  return tree_->leaf_count;
}

ReducedPalette OctreeQuantizer::BuildPalette(int max_colors) {
  max_colors = std::clamp(max_colors, 1, 256);
  ReducedPalette palette;
  tree_->Flush();
  if (tree_->leaf_count <= max_colors) {
    tree_->CollectLeaves(0, palette);
    return palette;
  }
  const std::vector<RGBTriple> boxes = splitter_->Split(max_colors);
  if (static_cast<int>(boxes.size()) == max_colors) {
    std::copy(boxes.begin(), boxes.end(), palette.colors.begin());
    palette.count = max_colors;
  } else {
    // Colours crowded into a few grid cells: only the tree tells them apart.
    Tree folded = *tree_;
    folded.Fold(max_colors);
    folded.CollectLeaves(0, palette);
  }
  tree_->Refine(palette);
  return palette;
}

ReducedPalette ReducePicture(const Bitmap& picture, int max_colors) {
  OctreeQuantizer quantizer;
  quantizer.AddPicture(picture);
  return quantizer.BuildPalette(max_colors);
}

}  // namespace celwright
