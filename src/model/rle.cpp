#include "model/rle.h"
#include "model/rle_fast_path.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace celwright::rle {

namespace {

// From this size on a frame is encoded through memory of its own, not through its thread's room.
constexpr std::size_t kLargeFrameBytes = std::size_t{1} << 20;

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

namespace {

#if defined(__SSE2__)
// Copies bytes from `src` to `dst` (when kWrite) 16 a step, up to the first step that holds
// `key` or until fewer than 16 of `limit` remain. Returns the bytes before the key; `found` says
// whether it was seen. A whole step is stored even when the key lies inside it.
template <bool kWrite>
std::size_t CopyUntilKey(const std::uint8_t* src, std::uint8_t* dst, std::size_t limit,
                         std::uint8_t key, bool& found) {
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  std::size_t n = 0;
  found = false;
  for (; n + 16 <= limit; n += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n));
    if (kWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n), v);
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, keys)));
    if (mask != 0) {
      found = true;
      return n + static_cast<std::size_t>(__builtin_ctz(mask));
    }
  }
  return n;
}
#endif

// Length of the stretch of bytes equal to `key` (when `want_key`) or different from it, from
// `p` up to at most `limit` bytes: 16 bytes a step with SSE2 (part of every x86-64 processor),
// a plain loop elsewhere.
template <bool kWantKey>
std::size_t ScanBytes(const std::uint8_t* p, std::size_t limit, std::uint8_t key) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  for (; i + 16 <= limit; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, keys)));
    if (kWantKey) mask = ~mask & 0xFFFFu;
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < limit; ++i) {
    if ((p[i] == key) != kWantKey) return i;
  }
  return limit;
}

// The same for three-byte pixels; counts pixels.
template <bool kWantKey>
std::size_t ScanPixels3(const std::uint8_t* p, std::size_t limit, const std::uint8_t* key) {
  std::size_t i = 0;
  for (; i < limit; ++i, p += 3) {
    const bool is_key = p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
    if (is_key != kWantKey) return i;
  }
  return limit;
}


// Writes a run of `run` key pixels as key, count pairs of at most 256 pixels; returns false when
// they would not fit in `capacity`.
bool PutKeyRun(std::size_t run, const Key& key, std::uint8_t* out, std::size_t& o,
               std::size_t capacity) {
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  const std::size_t pairs = (run + 255) / 256;
  if (pairs * (bpp + 1) > capacity - o) return false;
  while (run > 0) {
    const std::size_t piece = std::min<std::size_t>(run, 256);
    for (std::size_t b = 0; b < bpp; ++b) out[o++] = key.value[b];
    out[o++] = static_cast<std::uint8_t>(piece - 1);
    run -= piece;
  }
  return true;
}

#if defined(__SSE2__)
// Of the key bytes `keys` in 64 bytes of encoded data, those that start a run rather than being
// its count (a count equal to the key follows one). In a stretch of adjacent key bytes every
// second one is a count, starting with the second, or with the first when `count_first` (1 when
// the byte before the 64 started a run). Stretches starting at an even position are picked out
// by adding their first bit, which carries through the stretch and clears it.
inline std::uint64_t RunStarts(std::uint64_t keys, std::uint64_t count_first) {
  constexpr std::uint64_t kEven = 0x5555555555555555u;
  const std::uint64_t firsts = keys & ~(keys << 1);
  const std::uint64_t even_firsts = firsts & kEven & ~count_first;
  const std::uint64_t even_stretches = keys & ~(keys + even_firsts);
  const std::uint64_t odd_stretches = keys & ~even_stretches;
  return (even_stretches & kEven) | (odd_stretches & ~kEven);
}

// The one-byte case, which is nearly every frame: literal stretches and key runs alternate.
namespace baseline {
#include "model/rle_fast.inc"
}  // namespace baseline

// GCC builds the same code a second time for processors with AVX2 (32 bytes a step).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define CELWRIGHT_RLE_AVX2 1
#pragma GCC push_options
#pragma GCC target("avx2")
#define CELWRIGHT_RLE_32_BYTE_STEPS 1
namespace wide {
#include "model/rle_fast.inc"
}  // namespace wide
#undef CELWRIGHT_RLE_32_BYTE_STEPS
#pragma GCC pop_options

// And a third time for processors with AVX-512 (64 bytes a step, masked loads and stores).
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512vl,bmi,bmi2")
namespace widest {
#include "model/rle_fast_512.inc"
}  // namespace widest
#pragma GCC pop_options

FastPath WidestRunnable() {
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
      __builtin_cpu_supports("bmi2")) {
    return FastPath::kAvx512;
  }
  return __builtin_cpu_supports("avx2") ? FastPath::kAvx2 : FastPath::kSse2;
}

FastPath& Selected() {
  static FastPath path = WidestRunnable();
  return path;
}
#endif

std::size_t EncodeIndexedInto(const std::uint8_t* raw, std::size_t pixel_count, const Key& key,
                              std::uint8_t* out, std::size_t capacity) {
#if defined(CELWRIGHT_RLE_AVX2)
  switch (Selected()) {
    case FastPath::kAvx512: return widest::EncodeIndexedInto(raw, pixel_count, key, out, capacity);
    case FastPath::kAvx2: return wide::EncodeIndexedInto(raw, pixel_count, key, out, capacity);
    default: break;
  }
#endif
  return baseline::EncodeIndexedInto(raw, pixel_count, key, out, capacity);
}

template <bool kWrite>
void DecodeIndexedFast(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                       std::size_t pixel_count, std::uint8_t key, std::size_t& pos,
                       std::size_t& produced) {
#if defined(CELWRIGHT_RLE_AVX2)
  switch (Selected()) {
    case FastPath::kAvx512:
      return widest::DecodeIndexedFast<kWrite>(src, src_size, dst, pixel_count, key, pos, produced);
    case FastPath::kAvx2:
      return wide::DecodeIndexedFast<kWrite>(src, src_size, dst, pixel_count, key, pos, produced);
    default: break;
  }
#endif
  baseline::DecodeIndexedFast<kWrite>(src, src_size, dst, pixel_count, key, pos, produced);
}
#else
std::size_t EncodeIndexedInto(const std::uint8_t* raw, std::size_t pixel_count, const Key& key,
                              std::uint8_t* out, std::size_t capacity) {
  const std::uint8_t k = key.value[0];
  std::size_t i = 0, o = 0;
  while (i < pixel_count) {
    if (raw[i] == k) {
      const std::size_t run = 1 + ScanBytes<true>(raw + i + 1, pixel_count - i - 1, k);
      if (!PutKeyRun(run, key, out, o, capacity)) return SIZE_MAX;
      i += run;
      continue;
    }
    const std::size_t literals = 1 + ScanBytes<false>(raw + i + 1, pixel_count - i - 1, k);
    if (literals > capacity - o) return SIZE_MAX;
    std::memcpy(out + o, raw + i, literals);
    o += literals;
    i += literals;
  }
  return o;
}
#endif

// Encodes into `out` (room for `capacity` bytes); returns the bytes written, or SIZE_MAX as soon
// as the output would not fit. Runs of the key become key, count pairs of at most 256 pixels.
std::size_t EncodeInto(const std::uint8_t* raw, std::size_t pixel_count, const Key& key,
                       std::uint8_t* out, std::size_t capacity) {
  if (key.bytes_per_pixel == 1) return EncodeIndexedInto(raw, pixel_count, key, out, capacity);
  std::size_t i = 0, o = 0;
  while (i < pixel_count) {
    const std::uint8_t* p = raw + i * 3;
    const std::size_t left = pixel_count - i;
    const std::size_t literals = ScanPixels3<false>(p, left, key.value);
    if (literals > 0) {
      const std::size_t bytes = literals * 3;
      if (bytes > capacity - o) return SIZE_MAX;
      std::memcpy(out + o, p, bytes);
      o += bytes;
      i += literals;
      continue;
    }
    const std::size_t run = ScanPixels3<true>(p, left, key.value);
    if (!PutKeyRun(run, key, out, o, capacity)) return SIZE_MAX;
    i += run;
  }
  return o;
}

}  // namespace

std::vector<std::uint8_t> Encode(const std::uint8_t* raw, std::size_t pixel_count, Key key) {
  // At worst every pixel is a lone key: bpp + 1 bytes each.
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  // The bound is mostly never written: it is left uninitialised and only the output is copied.
  const std::size_t bound = pixel_count * (bpp + 1);
  const auto scratch = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
  const std::size_t size = EncodeInto(raw, pixel_count, key, scratch.get(), bound);
  return std::vector<std::uint8_t>(scratch.get(), scratch.get() + size);
}

namespace {

// Encodes into room that is not cleared first and hands the encoding to `take` when it is
// strictly shorter than the raw pixels (returning whether it was). A short frame goes through
// room its thread keeps (clearing an output to the raw size cost a tenth of the encoding on the
// games' frames); a large one through memory from the C library, whose pages past the output
// are never touched.
template <typename Take>
bool EncodeShorter(const std::uint8_t* raw, std::size_t pixel_count, const Key& key, Take take) {
  const std::size_t raw_size = pixel_count * static_cast<std::size_t>(key.bytes_per_pixel);
  if (raw_size == 0) return false;
  // Without a key pixel nothing can be shorter: an opaque frame is not encoded in vain.
  if (key.bytes_per_pixel == 1 && std::memchr(raw, key.value[0], raw_size) == nullptr) return false;
  if (raw_size < kLargeFrameBytes) {
    thread_local std::vector<std::uint8_t> room;
    if (room.size() < raw_size) room.resize(raw_size);
    const std::size_t size = EncodeInto(raw, pixel_count, key, room.data(), raw_size - 1);
    if (size == SIZE_MAX) return false;
    take(room.data(), size);
    return true;
  }
  const std::unique_ptr<std::uint8_t, decltype(&std::free)> scratch(
      static_cast<std::uint8_t*>(std::malloc(raw_size)), &std::free);
  if (!scratch) throw std::bad_alloc();
  const std::size_t size = EncodeInto(raw, pixel_count, key, scratch.get(), raw_size - 1);
  if (size == SIZE_MAX) return false;
  take(scratch.get(), size);
  return true;
}

}  // namespace

bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out) {
  const auto keep = [&out](const std::uint8_t* encoded, std::size_t size) {
    out.assign(encoded, encoded + size);
  };
  if (EncodeShorter(raw, pixel_count, key, keep)) return true;
  out.assign(raw, raw + pixel_count * static_cast<std::size_t>(key.bytes_per_pixel));
  return false;
}

bool EncodeInPlaceIfSmaller(std::vector<std::uint8_t>& pixels, std::size_t pixel_count, Key key) {
  // Made to measure: a large frame's raw bytes go, not kept as spare room.
  const auto replace = [&pixels](const std::uint8_t* encoded, std::size_t size) {
    std::vector<std::uint8_t>(encoded, encoded + size).swap(pixels);
  };
  return EncodeShorter(pixels.data(), pixel_count, key, replace);
}

namespace {

// Steps over a run's key (`key_bytes` long) and reads its count, clipped to the `room` the frame
// still has. False, with `truncated` set, when the data ends first; both decoders share it so a
// damaged stream is reported the same way whatever the pixel size.
inline bool TakeRun(const std::uint8_t* src, std::size_t src_size, std::size_t key_bytes,
                    std::size_t room, std::size_t& pos, std::size_t& repeat,
                    DecodeResult& result) {
  if (pos + key_bytes > src_size) {
    result.truncated = true;
    return false;
  }
  pos += key_bytes;
  if (pos >= src_size) {
    result.truncated = true;
    return false;
  }
  repeat = static_cast<std::size_t>(src[pos++]) + 1;
  if (repeat > room) {
    repeat = room;
    result.overshoot = true;
  }
  return true;
}


template <bool kWrite>
DecodeResult DecodeIndexed(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                           std::size_t pixel_count, std::uint8_t key) {
  DecodeResult result;
  std::size_t pos = 0, produced = 0;
  while (produced < pixel_count) {
#if defined(__SSE2__)
    DecodeIndexedFast<kWrite>(src, src_size, dst, pixel_count, key, pos, produced);
    if (produced == pixel_count) break;
#endif
    // The literal stretch up to the next key, 16 bytes a step where both sides have room.
    std::size_t limit = std::min(pixel_count - produced, src_size - pos);
    std::size_t literals = 0;
#if defined(__SSE2__)
    const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
    bool found = false;
    literals = CopyUntilKey<kWrite>(src + pos, kWrite ? dst + produced : nullptr, limit, key, found);
    if (!found) {
      while (literals < limit && src[pos + literals] != key) {
        if (kWrite) dst[produced + literals] = src[pos + literals];
        ++literals;
      }
    }
#else
    while (literals < limit && src[pos + literals] != key) {
      if (kWrite) dst[produced + literals] = src[pos + literals];
      ++literals;
    }
#endif
    pos += literals;
    produced += literals;
    if (produced == pixel_count) break;
    std::size_t repeat = 0;
    if (!TakeRun(src, src_size, 1, pixel_count - produced, pos, repeat, result)) break;
    if (kWrite) {
#if defined(__SSE2__)
      // Runs are filled 16 bytes a store where the frame has room past the run's end; the
      // common short run takes a fixed four stores, with no loop to mispredict (what lands past
      // the run is overwritten by the pixels that follow).
      if (repeat <= 64 && produced + 64 <= pixel_count) {
        std::uint8_t* at = dst + produced;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), keys);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16), keys);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 32), keys);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 48), keys);
      } else if (produced + ((repeat + 15) & ~std::size_t{15}) <= pixel_count) {
        for (std::size_t i = 0; i < repeat; i += 16) {
          _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + produced + i), keys);
        }
      } else {
        std::memset(dst + produced, key, repeat);
      }
#else
      std::memset(dst + produced, key, repeat);
#endif
    }
    produced += repeat;
  }
  result.consumed = pos;
  result.produced = produced;
  return result;
}

DecodeResult DecodeColour(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                          std::size_t pixel_count, const Key& key) {
  DecodeResult result;
  std::size_t pos = 0, produced = 0;
  while (produced < pixel_count) {
    // Literal pixels up to the next key, copied in one go.
    const std::size_t limit = std::min(pixel_count - produced, (src_size - pos) / 3);
    const std::size_t literals = ScanPixels3<false>(src + pos, limit, key.value);
    if (dst && literals) std::memcpy(dst + produced * 3, src + pos, literals * 3);
    pos += literals * 3;
    produced += literals;
    if (produced == pixel_count) break;
    std::size_t repeat = 0;
    if (!TakeRun(src, src_size, 3, pixel_count - produced, pos, repeat, result)) break;
    if (dst) {
      std::uint8_t* out = dst + produced * 3;
      for (std::size_t i = 0; i < repeat; ++i, out += 3) {
        out[0] = key.value[0];
        out[1] = key.value[1];
        out[2] = key.value[2];
      }
    }
    produced += repeat;
  }
  result.consumed = pos;
  result.produced = produced;
  return result;
}

}  // namespace

DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded) {
  const std::size_t bpp = static_cast<std::size_t>(key.bytes_per_pixel);
  if (!encoded) {
    DecodeResult result;
    const std::size_t produced = std::min(src_size / bpp, pixel_count);
    if (dst && produced) std::memcpy(dst, src, produced * bpp);
    result.consumed = produced * bpp;
    result.produced = produced;
    result.truncated = produced < pixel_count;
    return result;
  }
  if (bpp == 1) {
    return dst ? DecodeIndexed<true>(src, src_size, dst, pixel_count, key.value[0])
               : DecodeIndexed<false>(src, src_size, dst, pixel_count, key.value[0]);
  }
  return DecodeColour(src, src_size, dst, pixel_count, key);
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

std::vector<FastPath> RunnableFastPaths() {
#if defined(CELWRIGHT_RLE_AVX2)
  std::vector<FastPath> paths{FastPath::kSse2};
  const FastPath widest = WidestRunnable();
  if (widest != FastPath::kSse2) paths.push_back(FastPath::kAvx2);
  if (widest == FastPath::kAvx512) paths.push_back(FastPath::kAvx512);
  return paths;
#elif defined(__SSE2__)
  return {FastPath::kSse2};
#else
  return {FastPath::kPlain};
#endif
}

void SelectFastPath([[maybe_unused]] FastPath path) {
#if defined(CELWRIGHT_RLE_AVX2)
  Selected() = path;
#endif
}

}  // namespace celwright::rle
