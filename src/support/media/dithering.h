#pragma once

namespace celwright {

// How a picture mapped onto a palette approximates colours that lie between its entries. None
// suits pixel art; error diffusion (Floyd-Steinberg) and the ordered 4 x 4 Bayer pattern suit
// painted or photographic material.
enum class Dithering { kNone, kFloydSteinberg, kOrdered };

}  // namespace celwright
