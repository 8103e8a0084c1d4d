#include "support/crc32.h"

#include <libdeflate.h>

namespace celwright {

// libdeflate's crc32 (carry-less multiply where the processor has it) computes the same standard
// CRC-32 several times faster than zlib's braided one.
std::uint32_t CRC32(const void* data, std::size_t size, std::uint32_t crc) {
  if (size == 0) return crc;
  return libdeflate_crc32(crc, data, size);
}

}  // namespace celwright
