#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace celwright {

class ZlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One-call deflate of a whole buffer (zlib format).
std::vector<std::uint8_t> ZlibDeflate(const std::uint8_t* data, std::size_t size, int level = 9);

// Inflates a whole zlib stream. `size_hint` only sizes the first buffer; output beyond
// `max_output` is refused so a damaged or hostile file cannot exhaust memory.
std::vector<std::uint8_t> ZlibInflate(const std::uint8_t* data, std::size_t size,
                                      std::size_t size_hint, std::size_t max_output);

}  // namespace celwright
