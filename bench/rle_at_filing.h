#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/rle.h"

// The paletted (one-byte) run-length codec as it was when faster coding of real frames was asked
// for, kept unchanged as the yardstick the benchmarks measure today's codec against.
namespace celwright::rle::at_filing {

bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out);

DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded);

}  // namespace celwright::rle::at_filing
