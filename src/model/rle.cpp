#include "model/rle.h"

#include <algorithm>
#include <cstring>

namespace celwright::rle {

namespace {

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b, int bytes) {
  return bytes == 1 ? a[0] == b[0] : (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]);
}

}  // namespace

bool Encoder::IsKey(const std::uint8_t* pixel) const {
  return SamePixel(pixel, key_.value, key_.bytes_per_pixel);
}

void Encoder::Finish() {
  if (in_run_) {
    out_.push_back(static_cast<std::uint8_t>(counter_));
    in_run_ = false;
  }
}

void Encoder::AddKeyRun(std::size_t count) {
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

void Encoder::AddPixels(const std::uint8_t* pixels, std::size_t count) {
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

void Encoder::AddRepeated(const std::uint8_t* pixel, std::size_t count) {
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

std::vector<std::uint8_t> Encode(const std::uint8_t* raw, std::size_t pixel_count, Key key) {
  std::vector<std::uint8_t> out;
  out.reserve(pixel_count * key.bytes_per_pixel / 2 + 16);
  {
    Encoder encoder(key, out);
    encoder.AddPixels(raw, pixel_count);
  }
  return out;
}

bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out) {
  const std::size_t raw_size = pixel_count * key.bytes_per_pixel;
  out = Encode(raw, pixel_count, key);
  if (out.size() < raw_size) return true;
  out.assign(raw, raw + raw_size);
  return false;
}

DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded) {
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  DecodeResult result;
  std::size_t pos = 0;
  std::size_t produced = 0;

  if (!encoded) {
    const std::size_t available = src_size / bpp;
    produced = std::min(available, pixel_count);
    if (dst) std::memcpy(dst, src, produced * bpp);
    result.consumed = produced * bpp;
    result.produced = produced;
    result.truncated = produced < pixel_count;
    return result;
  }

  while (produced < pixel_count) {
    if (bpp == 1) {
      // Copy the literal stretch up to the next key in one go.
      const std::size_t limit = std::min(pixel_count - produced, src_size - pos);
      const void* hit = std::memchr(src + pos, key.value[0], limit);
      const std::size_t literals =
          hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - (src + pos))
              : limit;
      if (dst) std::memcpy(dst + produced, src + pos, literals);
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

std::size_t StreamDecoder::Next(std::uint8_t* dst, std::size_t max_pixels) {
  const std::size_t bpp = static_cast<std::size_t>(key_.bytes_per_pixel);
  std::size_t produced = 0;
  while (produced < max_pixels) {
    if (pending_ > 0) {
      const std::size_t n = std::min(pending_, max_pixels - produced);
      std::uint8_t* out = dst + produced * bpp;
      if (bpp == 1) {
        std::memset(out, key_.value[0], n);
      } else {
        for (std::size_t i = 0; i < n; ++i) std::memcpy(out + i * bpp, key_.value, bpp);
      }
      produced += n;
      pending_ -= n;
      continue;
    }
    if (pos_ + bpp > size_) break;
    const std::uint8_t* value = src_ + pos_;
    if (encoded_ && SamePixel(value, key_.value, key_.bytes_per_pixel)) {
      if (pos_ + bpp >= size_) break;  // the count byte is missing
      pending_ = static_cast<std::size_t>(src_[pos_ + bpp]) + 1;
      pos_ += bpp + 1;
      continue;
    }
    // A stretch of literal pixels, up to the next key (or anywhere when not encoded).
    std::size_t literals = 0;
    const std::size_t room = std::min(max_pixels - produced, (size_ - pos_) / bpp);
    if (!encoded_) {
      literals = room;
    } else if (bpp == 1) {
      const void* hit = std::memchr(value, key_.value[0], room);
      literals = hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - value) : room;
    } else {
      while (literals < room && !SamePixel(value + literals * bpp, key_.value, 3)) ++literals;
    }
    std::memcpy(dst + produced * bpp, value, literals * bpp);
    produced += literals;
    pos_ += literals * bpp;
  }
  return produced;
}

}  // namespace celwright::rle
