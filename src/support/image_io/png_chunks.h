#pragma once

#include <cstdint>
#include <vector>

namespace celwright {

inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Appends one chunk (length, four-letter type, data, CRC) to a PNG being written.
void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type,
                    const std::vector<std::uint8_t>& data);

// Filtered rows as one zlib stream for IDAT (or fdAT) data; throws std::runtime_error.
std::vector<std::uint8_t> DeflatePngData(const std::vector<std::uint8_t>& raw);

}  // namespace celwright
