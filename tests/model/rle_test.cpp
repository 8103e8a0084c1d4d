#include "model/rle.h"

#include <gtest/gtest.h>


namespace celwright::rle {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Raw(std::initializer_list<int> values) { return Bytes(values.begin(), values.end()); }

TEST(RunLength, KeyRunsSplitAt256Pixels) {
  const Bytes raw(300, 7);
  EXPECT_EQ(Encode(raw.data(), raw.size(), Key::Index(7)), Raw({7, 255, 7, 43}));
  const Bytes exact(256, 7);
  EXPECT_EQ(Encode(exact.data(), exact.size(), Key::Index(7)), Raw({7, 255}));
  const Bytes one_more(257, 7);
  EXPECT_EQ(Encode(one_more.data(), one_more.size(), Key::Index(7)), Raw({7, 255, 7, 0}));
}

TEST(RunLength, EncodedFormIsKeptOnlyWhenStrictlyShorter) {
  Bytes out;
  const Bytes two = Raw({0, 9});
  EXPECT_FALSE(EncodeIfSmaller(two.data(), two.size(), Key::Index(0), out));
  EXPECT_EQ(out, two);
  const Bytes many(1024, 0);
  EXPECT_TRUE(EncodeIfSmaller(many.data(), many.size(), Key::Index(0), out));
  EXPECT_EQ(out, Raw({0, 255, 0, 255, 0, 255, 0, 255}));
}

TEST(RunLength, DecodingFlagsDamageWithoutReadingPastTheEnd) {
  Bytes out(10, 0xEE);
  const Bytes overshoot = Raw({1, 0, 200});
  DecodeResult r = Decode(overshoot.data(), overshoot.size(), out.data(), 4, Key::Index(0), true);
  EXPECT_TRUE(r.overshoot);
  EXPECT_EQ(r.produced, 4u);
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(out[4], 0xEE);

  const Bytes short_data = Raw({1, 2});
  r = Decode(short_data.data(), short_data.size(), out.data(), 5, Key::Index(0), true);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(r.produced, 2u);

  const Bytes key_without_count = Raw({1, 0});
  r = Decode(key_without_count.data(), key_without_count.size(), nullptr, 5, Key::Index(0), true);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(r.produced, 1u);

  // In a frame stored raw the key is an ordinary value.
  const Bytes raw = Raw({0, 0, 7});
  r = Decode(raw.data(), raw.size(), out.data(), 3, Key::Index(0), false);
  EXPECT_EQ(r.produced, 3u);
  EXPECT_EQ(out[2], 7);
}

}  // namespace
}  // namespace celwright::rle
