#pragma once

#include <array>
#include <cstdint>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/media/dithering.h"
#include "support/media/octree_quantizer.h"
#include "support/palette_convert.h"

namespace celwright {

// Nearest-colour mapping onto a palette (no dithering), exact as a full search with the lowest
// index winning ties.
class NearestColorMapper {
 public:
  // Only the first `entry_count` entries (1 to 256) are candidates, so a reduced palette padded
  // with black never attracts pixels to its padding.
  explicit NearestColorMapper(const Palette256& palette, int entry_count = 256);
  std::uint8_t IndexOf(TColor color);
  // Converts a 24-bit or 8-bit picture to an 8-bit one whose colour table is the palette.
  Bitmap Map(const Bitmap& picture);
  // Raw form for callers that keep their own buffers: `width` pixels of blue, green, red.
  void MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices);
  const Palette256& Palette() const { return palette_; }

 private:
  Palette256 palette_;
  NearestColorMap map_;
};

Bitmap MapToPalette(const Bitmap& picture, const Palette256& palette, int entry_count = 256);

// Maps colours onto a document palette whose entries 0 and 1 stand for transparency and shadow.
// Only a pixel exactly in the transparent colour becomes 0 and only one exactly in the shadow
// colour becomes 1; every other colour takes the nearest of entries 2 and up, so no opaque pixel
// can turn into a hole or a shadow because it happens to lie close to those colours.
class ReservedEntryMapper {
 public:
  // `palette` is the document palette as shown (entries 0 and 1 in their display colours);
  // `entry_count` (3 to 256) limits the candidates so black padding never attracts pixels.
  ReservedEntryMapper(const Palette256& palette, TColor transparent, TColor shadow,
                      int entry_count = 256);
  std::uint8_t IndexOf(TColor color);
  void MapRow(const std::uint8_t* bgr, int width, std::uint8_t* indices);
  // A 24-bit or 8-bit picture as an 8-bit picture of document indices. Pixels in the picture's
  // own see-through colour become 0. An 8-bit picture's entries that already hold the document
  // palette's colour at the same position keep their index, so frames that went out with this
  // palette come back unchanged even where two entries share a colour.
  Bitmap Map(const Bitmap& picture);
  // As Map, approximating the colours between entries by `dithering`. Pixels that Map would put
  // on entry 0 or 1, and pixels that `opaque` (one byte per pixel, when given) marks 0, become 0
  // or 1 as Map makes them and neither receive nor pass on any error, so the pattern never
  // reaches into the transparent or shadow entry nor across a hole. Every other pixel takes one
  // of entries 2 and up. Dithering::kNone is Map itself.
  Bitmap MapDithered(const Bitmap& picture, Dithering dithering,
                     const std::uint8_t* opaque = nullptr);
  // The translation of an 8-bit picture's colour table; `transparent_entry` (if 0..255) goes to 0.
  std::array<std::uint8_t, 256> TranslationOf(const Palette256& table, int transparent_entry);
  const Palette256& Palette() const { return palette_; }

 private:
  Palette256 palette_;
  TColor transparent_;
  TColor shadow_;
  NearestColorMapper others_;  // entries 2.. shifted down by two
};

// Document palettes are built from the colours that need an entry of their own: every colour
// but the transparent and shadow colours (entries 0 and 1) and, for a picture, its own
// see-through colour. `opaque`, when given, has one byte per pixel and 0 marks see-through.
void AddDocumentColours(OctreeQuantizer& quantizer, const Bitmap& picture, TColor transparent,
                        TColor shadow, const std::uint8_t* opaque = nullptr);
// Entries 0 and 1 the transparent and shadow colours, the rest the collected colours: exact when
// they fit in 254 entries, else reduced by the octree.
Palette256 BuildDocumentPalette(OctreeQuantizer& quantizer, TColor transparent, TColor shadow);

// An 8-bit picture laid out as the games lay out their palettes: entry 0 is their pure green, or
// entry 0 is the picture's see-through colour. Such pictures keep their indices and palette.
bool HasGameLayout(const Bitmap& picture);

// A picture for an unpaletted document: 24 bits, its own see-through colour (a PNG's tRNS) in
// the document's transparent colour.
Bitmap TrueColourForDocument(const Bitmap& picture, TColor transparent);

// A picture for a true-colour document: 32 bits; a 32-bit picture keeps its alpha, other kinds
// are opaque except their own see-through colour, which gets alpha 0.
Bitmap AlphaPictureForDocument(const Bitmap& picture);

// Mean Euclidean red-green-blue distance between two pictures of one size.
double MeanColorError(const Bitmap& reference, const Bitmap& approximation);

}  // namespace celwright
