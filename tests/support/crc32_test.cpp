#include "support/crc32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace celwright {
namespace {

TEST(CRC32, KnownVectors) {
  EXPECT_EQ(CRC32("", 0), 0u);
  const std::string check = "123456789";
  EXPECT_EQ(CRC32(check.data(), check.size()), 0xCBF43926u);
}

TEST(CRC32, MatchesTheBitwiseDefinitionOnEverySizeAndSplit) {
  std::vector<std::uint8_t> bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 3));
  auto bitwise = [](const std::uint8_t* data, std::size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
      c ^= data[i];
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
  };
  for (std::size_t size : {0, 1, 3, 7, 8, 15, 16, 17, 63, 64, 65, 1000, 4999, 5000}) {
    EXPECT_EQ(CRC32(bytes.data(), size), bitwise(bytes.data(), size)) << size;
    const std::size_t half = size / 3;
    EXPECT_EQ(CRC32(bytes.data() + half, size - half, CRC32(bytes.data(), half)),
              bitwise(bytes.data(), size));
  }
}

}  // namespace
}  // namespace celwright
