// The run-length codec as it was before the fast implementation (pixel-at-a-time scans, one
// library call per run), kept verbatim as the reference the fast one must match byte for byte.
#pragma once

#include <algorithm>
#include <cstring>

#include "model/rle.h"

namespace celwright::rle::reference {

namespace {

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b, int bytes) {
  return bytes == 1 ? a[0] == b[0] : (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]);
}

}  // namespace

class RefEncoder {
 public:
  RefEncoder(Key key, std::vector<std::uint8_t>& out) : key_(key), out_(out) {}
  ~RefEncoder() { Finish(); }
  void AddPixels(const std::uint8_t* pixels, std::size_t count);
  void AddRepeated(const std::uint8_t* pixel, std::size_t count);
  void Finish();

 private:
  bool IsKey(const std::uint8_t* pixel) const;
  void AddKeyRun(std::size_t count);
  Key key_;
  std::vector<std::uint8_t>& out_;
  bool in_run_ = false;
  int counter_ = 0;
};


inline bool RefEncoder::IsKey(const std::uint8_t* pixel) const {
  return SamePixel(pixel, key_.value, key_.bytes_per_pixel);
}

inline void RefEncoder::Finish() {
  if (in_run_) {
    out_.push_back(static_cast<std::uint8_t>(counter_));
    in_run_ = false;
  }
}

inline void RefEncoder::AddKeyRun(std::size_t count) {
  if (count == 0) return;
  if (!in_run_) {
    out_.insert(out_.end(), key_.value, key_.value + key_.bytes_per_pixel);
    in_run_ = true;
    counter_ = 0;
    --count;
  }
  // One key and count byte stand for at most 256 pixels; a longer run continues with a new pair.
  while (count > 0) {
    const std::size_t space = static_cast<std::size_t>(255 - counter_);
    if (count <= space) {
      counter_ += static_cast<int>(count);
      return;
    }
    count -= space + 1;
    out_.push_back(255);
    out_.insert(out_.end(), key_.value, key_.value + key_.bytes_per_pixel);
    counter_ = 0;
  }
}

inline void RefEncoder::AddPixels(const std::uint8_t* pixels, std::size_t count) {
  const int bpp = key_.bytes_per_pixel;
  std::size_t i = 0;
  while (i < count) {
    const std::uint8_t* p = pixels + i * bpp;
    if (IsKey(p)) {
      std::size_t run = 1;
      while (i + run < count && IsKey(pixels + (i + run) * bpp)) ++run;
      AddKeyRun(run);
      i += run;
      continue;
    }
    Finish();
    std::size_t literals = 1;
    if (bpp == 1) {
      const void* next_key = std::memchr(p + 1, key_.value[0], count - i - 1);
      literals = next_key ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(next_key) - p)
                          : count - i;
    } else {
      while (i + literals < count && !IsKey(pixels + (i + literals) * bpp)) ++literals;
    }
    out_.insert(out_.end(), p, p + literals * bpp);
    i += literals;
  }
}

inline void RefEncoder::AddRepeated(const std::uint8_t* pixel, std::size_t count) {
  if (count == 0) return;
  if (IsKey(pixel)) {
    AddKeyRun(count);
    return;
  }
  Finish();
  const int bpp = key_.bytes_per_pixel;
  const std::size_t start = out_.size();
  out_.resize(start + count * bpp);
  for (std::size_t i = 0; i < count; ++i) std::memcpy(out_.data() + start + i * bpp, pixel, bpp);
}

inline std::vector<std::uint8_t> Encode(const std::uint8_t* raw, std::size_t pixel_count, Key key) {
  std::vector<std::uint8_t> out;
  out.reserve(pixel_count * key.bytes_per_pixel / 2 + 16);
  {
    RefEncoder encoder(key, out);
    encoder.AddPixels(raw, pixel_count);
  }
  return out;
}

inline bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out) {
  const std::size_t raw_size = pixel_count * key.bytes_per_pixel;
  out = reference::Encode(raw, pixel_count, key);
  if (out.size() < raw_size) return true;
  out.assign(raw, raw + raw_size);
  return false;
}

inline DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded) {
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  DecodeResult result;
  std::size_t pos = 0;
  std::size_t produced = 0;

  if (!encoded) {
    const std::size_t available = src_size / bpp;
    produced = std::min(available, pixel_count);
    if (dst && produced) std::memcpy(dst, src, produced * bpp);  // (guard added: UBSan on null src)
    result.consumed = produced * bpp;
    result.produced = produced;
    result.truncated = produced < pixel_count;
    return result;
  }

  while (produced < pixel_count) {
    if (bpp == 1) {
      // Copy the literal stretch up to the next key in one go.
      const std::size_t limit = std::min(pixel_count - produced, src_size - pos);
      const void* hit = limit ? std::memchr(src + pos, key.value[0], limit) : nullptr;
      const std::size_t literals =
          hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - (src + pos))
              : limit;
      if (dst && literals) std::memcpy(dst + produced, src + pos, literals);
      pos += literals;
      produced += literals;
      if (produced == pixel_count) break;
    }
    if (pos + bpp > src_size) {
      result.truncated = true;
      break;
    }
    const std::uint8_t* value = src + pos;
    pos += bpp;
    std::size_t repeat = 1;
    if (SamePixel(value, key.value, key.bytes_per_pixel)) {
      if (pos >= src_size) {
        result.truncated = true;
        break;
      }
      repeat = static_cast<std::size_t>(src[pos++]) + 1;
      if (repeat > pixel_count - produced) {
        repeat = pixel_count - produced;
        result.overshoot = true;
      }
    }
    if (dst) {
      std::uint8_t* out = dst + produced * bpp;
      if (bpp == 1) {
        std::memset(out, value[0], repeat);
      } else {
        for (std::size_t i = 0; i < repeat; ++i) std::memcpy(out + i * bpp, value, bpp);
      }
    }
    produced += repeat;
  }
  result.consumed = pos;
  result.produced = produced;
  return result;
}

}  // namespace celwright::rle::reference
