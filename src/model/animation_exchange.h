#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/qm_BAM.h"
#include "support/image_io/rgba_picture.h"

namespace celwright {

// Animations as the exchange formats of pixel-art editors carry them (sprite sheets with their
// data, animated PNG): pictures with partial transparency, a centre each, and sequences of
// picture numbers.
struct ExchangeFrame {
  RgbaPicture picture;  // may be empty (0 x 0)
  int centre_x = 0;
  int centre_y = 0;
  std::vector<std::uint8_t> indices;  // with ExchangeAnimation::palette: the picture's indices
};

struct ExchangeSequence {
  std::string name;
  std::vector<std::size_t> frames;  // positions in ExchangeAnimation::frames, in playing order
};

struct ExchangeAnimation {
  std::vector<ExchangeFrame> frames;
  std::vector<ExchangeSequence> sequences;
  // Set when the pictures came as indices laid out as the games lay out palettes (entry 0
  // transparent, entry 1 shadow): a paletted document then keeps indices and palette exactly.
  std::optional<Palette256> palette;
};

// Alpha from this on is opaque; below it a pixel is see-through, as the editor's pictures know
// no partial transparency.
inline constexpr std::uint8_t kExchangeOpaqueFrom = 128;

// Fills a document made with NewBAM(name, true) (display colours already chosen) with the
// animation: its frames, then one cycle per sequence. Frames that are the same picture with the
// same centre become one frame that the cycles show several times. The pictures are gathered
// unpaletted and, when `paletted`, get one palette made for all of them, unless the animation
// brings a palette and indices of its own.
void BuildExchangedDocument(TBAM& bam, const ExchangeAnimation& animation, bool paletted);

// Frame `index` as the editor shows it: transparent pixels clear, every other pixel (shadow
// too) opaque in its display colour.
RgbaPicture FrameAsRgba(const TBAM& bam, std::int32_t index);

// The cycles to export: cycle `only` (all of them when it is negative), each with its number.
// Throws when a named cycle does not exist or when there is nothing to export.
std::vector<std::int32_t> ExportedCycles(const TBAM& bam, std::int32_t only);

// The play speed, in milliseconds between frames, that exports use unless told otherwise.
inline constexpr int kDefaultFrameMs = 50;

}  // namespace celwright
