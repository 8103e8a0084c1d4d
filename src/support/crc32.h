#pragma once

#include <cstddef>
#include <cstdint>

namespace celwright {

// The standard reflected CRC-32 (polynomial 0xEDB88320, initial value all ones, final inversion),
// as PNG chunks and the batch tool's frame fingerprints use it. Pass a previous result as `crc`
// to continue a running checksum.
std::uint32_t CRC32(const void* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace celwright
