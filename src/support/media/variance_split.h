#pragma once

#include <cstdint>
#include <vector>

#include "support/color_types.h"

namespace celwright {

// Colour histogram on a 32-step grid per channel that cuts colour space into boxes, always
// splitting the box whose split removes the most squared error (Wu's method). Its boxes' means
// are a good start for refining a palette: unlike octree merges they are not bound to the
// binary branches of colour values.
class VarianceSplitter {
 public:
  VarianceSplitter();
  void Add(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint64_t count);
  // The means of at most `max_colors` boxes, skipping empty ones.
  std::vector<RGBTriple> Split(int max_colors) const;

 private:
  struct Moments {
    double weight = 0, r = 0, g = 0, b = 0, squares = 0;
  };
  std::vector<Moments> cells_;
};

}  // namespace celwright
