#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace celwright {

// Little-endian reads from an untrusted buffer. Callers check ranges with Fits() first; the
// readers themselves return 0 for anything out of range rather than reading past the end.
class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Size() const { return size_; }
  const std::uint8_t* Data() const { return data_; }
  bool Fits(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  std::uint8_t U8(std::uint64_t at) const { return Fits(at, 1) ? data_[at] : 0; }
  std::uint16_t U16(std::uint64_t at) const {
    return Fits(at, 2) ? static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8)) : 0;
  }
  std::uint32_t U32(std::uint64_t at) const {
    if (!Fits(at, 4)) return 0;
    return static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[at + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[at + 3]) << 24);
  }
  // The four bytes at `at` compared with a four-character tag.
  bool Tag(std::uint64_t at, std::string_view tag) const {
    return tag.size() == 4 && Fits(at, 4) && std::memcmp(data_ + at, tag.data(), 4) == 0;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Little-endian writes onto a growing buffer.
template <typename Buffer>
void PutU16(Buffer& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
template <typename Buffer>
void PutU32(Buffer& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}
template <typename Buffer>
void PutTag(Buffer& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

}  // namespace celwright
