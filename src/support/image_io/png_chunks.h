#pragma once

#include <cstdint>
#include <vector>

#include "support/image_io/rgba_picture.h"

namespace celwright {

inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Appends one chunk (length, four-letter type, data, CRC) to a PNG being written.
void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type,
                    const std::vector<std::uint8_t>& data);

// Filtered rows as one zlib stream for IDAT (or fdAT) data; throws std::runtime_error.
std::vector<std::uint8_t> DeflatePngData(const std::vector<std::uint8_t>& raw);

// The IHDR data of an 8-bit true colour + alpha picture of this size.
std::vector<std::uint8_t> RgbaHeaderData(const RgbaPicture& picture);

// The picture's rows, each behind filter byte 0, ready for DeflatePngData.
std::vector<std::uint8_t> UnfilteredRgbaRows(const RgbaPicture& picture);

}  // namespace celwright
