#pragma once

#include <string>

#include "model/animation_exchange.h"

namespace celwright {

// Most entries sheet data may list; with the pixel limit over all frames this bounds the work a
// small JSON file can ask for.
inline constexpr std::size_t kMaxSheetEntries = 100000;

// Reads sprite sheet data (JSON in the "array" or "hash" layout of pixel-art editors) and the
// sheet picture it names, beside it. Each entry becomes a frame: its rectangle of the sheet,
// put back at its `spriteSourceSize` place in a `sourceSize` picture when those are given, with
// `centre`, else `pivot` (fractions of the source size), else the bottom middle as centre.
// `meta.frameTags` become sequences ("reverse", "pingpong" and "pingpong_reverse" expanded into
// frame orders); without tags every entry forms one sequence. Rotated entries, rectangles
// outside the sheet and anything malformed throw std::runtime_error with a message naming the
// file and the entry.
ExchangeAnimation ReadSpriteSheet(const std::string& data_path);

// A plain sheet without data cut into `cell_width` x `cell_height` cells, row by row; the first
// `count` cells (every whole cell when 0) form one sequence, each centred on its bottom middle.
ExchangeAnimation CutSpriteSheet(const std::string& picture_path, int cell_width, int cell_height,
                                 int count);

}  // namespace celwright
