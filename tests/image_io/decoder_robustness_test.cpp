// Every decoder against every prefix of a small file and against seeded random damage: each
// attempt must either decode or throw ImageFileError. Run under the sanitizers this also shows
// that no attempt reads out of bounds.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "image_io/image_test_support.h"
#include "support/image_io/bmp_file.h"
#include "support/image_io/gif_file.h"
#include "support/image_io/jpeg_file.h"
#include "support/image_io/qm_png.h"

namespace celwright {
namespace {

using Decoder = std::function<void(const std::vector<std::uint8_t>&)>;

// Damage rarely gets past the PNG checksums; rewriting them lets it reach the decoding itself.
std::vector<std::uint8_t> WithRepairedChecksums(std::vector<std::uint8_t> bytes) {
  std::size_t pos = 8;
  while (bytes.size() >= pos + 12) {
    const std::uint32_t length = LoadBE32(&bytes[pos]);
    if (length > bytes.size() - pos - 12) break;
    const std::uint32_t crc = CRC32(&bytes[pos + 4], 4u + length);
    std::vector<std::uint8_t> stored;
    AppendBE32(stored, crc);
    std::copy(stored.begin(), stored.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
    pos += 12u + length;
  }
  return bytes;
}

void DecodePlainPng(const std::vector<std::uint8_t>& bytes) {
  Palette256 palette{};
  DecodePNG(bytes, palette, "f.png");
}

void DecodeRepairedPng(const std::vector<std::uint8_t>& bytes) {
  DecodePlainPng(WithRepairedChecksums(bytes));
}

struct Case {
  const char* fixture;
  Decoder decode;
};

const Case kCases[] = {
    {"pal4_paeth.png", DecodePlainPng},
    {"rgb_paeth.png", DecodePlainPng},
    {"pal4_paeth.png", DecodeRepairedPng},
    {"rgb_paeth.png", DecodeRepairedPng},
    {"png/im_rgba_adam7.png", DecodeRepairedPng},
    {"png/im_grey_alpha16.png", DecodeRepairedPng},
    {"pal8_rle.bmp", [](const auto& b) { DecodeBMP(b, "f.bmp"); }},
    {"pal4.bmp", [](const auto& b) { DecodeBMP(b, "f.bmp"); }},
    {"argb32.bmp", [](const auto& b) { DecodeBMP(b, "f.bmp"); }},
    {"pal16.gif", [](const auto& b) { DecodeGIF(b, "f.gif"); }},
    {"colour.jpg", [](const auto& b) { DecodeJPEG(b, "f.jpg"); }},
};

// Decodes, accepting success or ImageFileError; anything else escapes and fails the test.
void Attempt(const Case& c, const std::vector<std::uint8_t>& bytes) {
  try {
    c.decode(bytes);
  } catch (const ImageFileError&) {
  }
}

TEST(DecoderRobustnessTest, EveryPrefixDecodesOrFailsCleanly) {
  for (const Case& c : kCases) {
    const std::vector<std::uint8_t> whole = test::FixtureBytes(c.fixture);
    ASSERT_NO_THROW(c.decode(whole)) << c.fixture;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      const std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + length);
      EXPECT_NO_THROW(Attempt(c, prefix)) << c.fixture << " cut at " << length;
    }
  }
}

TEST(DecoderRobustnessTest, SeededRandomDamageDecodesOrFailsCleanly) {
  constexpr int kAttemptsPerFile = 3000;
  for (const Case& c : kCases) {
    const std::vector<std::uint8_t> whole = test::FixtureBytes(c.fixture);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255), changes(1, 4);
    for (int attempt = 0; attempt < kAttemptsPerFile; ++attempt) {
      std::vector<std::uint8_t> damaged = whole;
      for (int n = changes(random); n > 0; --n) {
        damaged[position(random)] = static_cast<std::uint8_t>(byte(random));
      }
      EXPECT_NO_THROW(Attempt(c, damaged)) << c.fixture << " attempt " << attempt;
    }
  }
}

}  // namespace
}  // namespace celwright
