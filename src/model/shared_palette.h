#pragma once

#include <string>

#include "model/qm_BAM.h"
#include "support/bitmap.h"
#include "support/media/dithering.h"
#include "support/media/octree_quantizer.h"

namespace celwright {

// Palette entries first to last, both included; empty when `first` is above `last`.
struct EntryRange {
  int first = 1;
  int last = 0;
  bool Contains(int entry) const { return entry >= first && entry <= last; }
  bool Empty() const { return first > last; }
};

// "A-B" or a single entry "A", entries 0 to 255; throws std::invalid_argument otherwise.
EntryRange ParseEntryRange(const std::string& text);

// Gathers the colours of several animations and pictures for one palette they all share, under
// the rules of a conversion to paletted: entries 0 and 1 for the transparent and shadow colours
// only, every other colour exact while they fit, else reduced.
class SharedPaletteBuilder {
 public:
  SharedPaletteBuilder(TColor transparent, TColor shadow);
  // Every frame as shown; its transparent and shadow pixels take no entry, nor do the pixels of a
  // paletted animation on entries it keeps (`kept`), which hold their colour already.
  void AddAnimation(const TBAM& bam, EntryRange kept = {});
  // Every pixel but the picture's own see-through colour.
  void AddPicture(const Bitmap& picture);
  // Entries 0 and 1 the transparent and shadow colours, entries in `keep` those of `base` as they
  // are (whatever they hold), the others chosen for the colours gathered.
  Palette256 Build(const Palette256& base = {}, EntryRange keep = {});

 private:
  TColor transparent_, shadow_;
  OctreeQuantizer quantizer_;
};

struct MappingError {
  double mean = 0;     // over the pixels that are neither transparent nor shadow
  double largest = 0;  // red-green-blue distance
};

// Makes `bam` a paletted animation on exactly `palette`: transparent and shadow pixels become
// entries 0 and 1, every other pixel the nearest of entries 2 to 255 (dithered if asked). Sizes,
// centres and sequences stay. Pixels of a paletted `bam` on entries in `pinned` (2 and up) keep
// their index: `palette` holds the same colours there, and a game recolours those by index.
// Returns how far the pixels moved.
MappingError MapOntoPalette(TBAM& bam, const Palette256& palette,
                            Dithering dithering = Dithering::kNone, EntryRange pinned = {});

// Re-indexes every frame of a paletted animation shown with `old_palette` so that it shows the
// same colours with `new_palette`: transparent and shadow pixels keep their entries, every other
// pixel takes the nearest of the other entries of the new palette. Pixels on `kept` entries stay
// on them: those are the entries a game recolours by index. The palette itself is left to the
// caller.
void RemapFrames(TBAM& bam, const Palette256& old_palette, const Palette256& new_palette,
                 EntryRange kept = {});

}  // namespace celwright
