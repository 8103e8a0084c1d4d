#include "support/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace celwright {
namespace {

TEST(CRC32, KnownVectors) {
  EXPECT_EQ(CRC32("", 0), 0u);
  const std::string check = "123456789";
  EXPECT_EQ(CRC32(check.data(), check.size()), 0xCBF43926u);
  const std::string iend = "IEND";
  EXPECT_EQ(CRC32(iend.data(), iend.size()), 0xAE426082u);
}

TEST(CRC32, RunningChecksumEqualsOneShot) {
  const std::string text = "The quick brown fox jumps over the lazy dog";
  const auto whole = CRC32(text.data(), text.size());
  const auto first = CRC32(text.data(), 10);
  EXPECT_EQ(CRC32(text.data() + 10, text.size() - 10, first), whole);
  EXPECT_EQ(whole, 0x414FA339u);
}

}  // namespace
}  // namespace celwright
