#pragma once

#include "support/color_types.h"

namespace celwright {

// The colour commands' arithmetic on a whole palette. Each takes the palette to start from and
// returns the result, so a dialog can recompute from its saved copy on every preview.

// Per-channel balance in per cent (-100..100): positive settings move the channel toward 255 by
// that share of the distance, negative ones scale it toward 0; halves round to even.
Palette256 ColorizePalette(const Palette256& source, int red, int green, int blue);
// The same setting on all three channels.
Palette256 ContrastizePalette(const Palette256& source, int contrast);
Palette256 NegativePalette(const Palette256& source);
// Every entry through hue-saturation-luminance with the saturation set to 0.
Palette256 GrayScalePalette(const Palette256& source);

}  // namespace celwright
