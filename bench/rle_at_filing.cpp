// The codec as it was, one-byte pixels only (what the real-frame benchmarks feed it); see the
// header. Left as it stood on purpose: do not tune it.
#include "rle_at_filing.h"

#include <algorithm>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace celwright::rle::at_filing {

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

#if defined(__SSE2__)
// The fast paths find the next key (or the next non-key) through a bitmap of key positions built
// ahead, a chunk at a time: building it is straight-line work, and each lookup is then one load
// and a bit scan, so finding where a literal stretch or a run ends no longer waits on a 16-byte
// compare of the bytes themselves, nor on a mispredicted loop exit.
constexpr std::size_t kChunkBytes = 4096;  // positions covered by one bitmap
// Positions one window covers: two 64-bit loads shifted by up to 7 bits hold at least 121.
constexpr std::size_t kWindow = 120;

struct Window;

struct KeyBits {
  alignas(16) std::uint8_t bits[kChunkBytes / 8 + 16];
  std::size_t base = 0;  // position of bit 0
  std::size_t end = 0;   // windows start at positions up to here

  // Marks the key bytes of src[from, from + length); only whole 16-byte blocks are covered.
  // Returns false when fewer than 384 bytes are left, too few to gain from it.
  bool Build(const std::uint8_t* src, std::size_t from, std::size_t length, std::uint8_t key) {
    const std::size_t blocks = std::min(length, kChunkBytes) / 16;
    if (blocks < 24) return false;
    const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
    for (std::size_t b = 0; b < blocks; ++b) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + from + b * 16));
      const auto mask = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, keys)));
      std::memcpy(bits + b * 2, &mask, 2);
    }
    std::memset(bits + blocks * 2, 0, 16);
    base = from;
    // A stretch starting anywhere in a window may be copied 128 bytes at most (CopyStretch).
    end = from + blocks * 16 - (kWindow + 128);
    return true;
  }

  // A window of kWindow positions from `at`: bit j of the pair (low word first) tells whether
  // position `at` + j holds the key.
  Window From(std::size_t at) const;
};

struct Window {
  std::uint64_t low, high;

  // The same window with every bit flipped, the end marker kept.
  Window Flipped() const { return {~low, ~high | kEnd}; }
  // The first set bit at or above `from` (at most kWindow). Branch-free: which word holds it is
  // as unpredictable as the data.
  std::size_t NextBit(std::size_t from) const {
    const std::uint64_t above = ~std::uint64_t{0} << (from & 63);
    const std::uint64_t in_low = from < 64 ? low & above : 0;
    const std::uint64_t in_high = from < 64 ? high : high & above;
    const std::size_t low_bit = static_cast<std::size_t>(__builtin_ctzll(in_low | kTop));
    const std::size_t high_bit = 64 + static_cast<std::size_t>(__builtin_ctzll(in_high));
    return in_low != 0 ? low_bit : high_bit;
  }

  // Bit kWindow, set as the end marker so a scan from below it always stops.
  static constexpr std::uint64_t kEnd = std::uint64_t{1} << (kWindow - 64);
  static constexpr std::uint64_t kTop = std::uint64_t{1} << 63;
};

inline Window KeyBits::From(std::size_t at) const {
  const std::size_t offset = at - base;
  std::uint64_t low, high;
  std::memcpy(&low, bits + (offset >> 3), 8);
  std::memcpy(&high, bits + (offset >> 3) + 8, 8);
  const unsigned shift = offset & 7;
  // (high << 1) << (63 - shift) is high << (64 - shift) without the undefined shift by 64.
  return {(low >> shift) | ((high << 1) << (63 - shift)), (high >> shift) | Window::kEnd};
}

inline void Copy16(std::uint8_t* dst, const std::uint8_t* src) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
}

// Copies a literal stretch of `length` bytes (at most kWindow) 32 bytes a step: the common short
// stretch costs two fixed stores. Up to 128 bytes are written and read.
inline void CopyStretch(std::uint8_t* dst, const std::uint8_t* src, std::size_t length) {
  Copy16(dst, src);
  Copy16(dst + 16, src + 16);
  for (std::size_t n = 32; n < length; n += 32) {
    Copy16(dst + n, src + n);
    Copy16(dst + n + 16, src + n + 16);
  }
}
#endif

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

// The one-byte case, which is nearly every frame: literal stretches and key runs alternate.
// `run` key pixels are pending before `i` (their pair is not written yet).
std::size_t EncodeIndexedRest(const std::uint8_t* raw, std::size_t pixel_count, const Key& key,
                              std::uint8_t* out, std::size_t capacity, std::size_t i,
                              std::size_t o, std::size_t run) {
  const std::uint8_t k = key.value[0];
  while (i < pixel_count) {
    if (raw[i] == k) {
      const std::size_t more = 1 + ScanBytes<true>(raw + i + 1, pixel_count - i - 1, k);
      run += more;
      i += more;
      continue;
    }
    if (run > 0) {
      if (!PutKeyRun(run, key, out, o, capacity)) return SIZE_MAX;
      run = 0;
    }
    const std::size_t literals = 1 + ScanBytes<false>(raw + i + 1, pixel_count - i - 1, k);
    if (literals > capacity - o) return SIZE_MAX;
    std::memcpy(out + o, raw + i, literals);
    o += literals;
    i += literals;
  }
  if (run > 0 && !PutKeyRun(run, key, out, o, capacity)) return SIZE_MAX;
  return o;
}

std::size_t EncodeIndexedInto(const std::uint8_t* raw, std::size_t pixel_count, const Key& key,
                              std::uint8_t* out, std::size_t capacity) {
  std::size_t i = 0, o = 0, run = 0;
#if defined(__SSE2__)
  const std::uint8_t k = key.value[0];
  KeyBits keys;
  // A chunk at a time, and within it a window of positions at a time: literal stretches and runs
  // that end inside a window are found from the bits already loaded. Leaves with `run` key pixels
  // pending before `i`.
  while (capacity - o >= 130 && keys.Build(raw, i, pixel_count - i, k)) {
    bool in_run = raw[i] == k;
    if (!in_run && run > 0) {
      if (!PutKeyRun(run, key, out, o, capacity)) return SIZE_MAX;
      run = 0;
    }
    while (i <= keys.end && capacity - o >= 130) {
      const Window is_key = keys.From(i), not_key = is_key.Flipped();
      std::size_t at = 0;
      for (;;) {
        if (!in_run) {
          // Stores reach up to 128 bytes past `o`.
          const std::size_t stop = is_key.NextBit(at);
          CopyStretch(out + o, raw + i + at, stop - at);
          o += stop - at;
          at = stop;
          if (stop == kWindow) break;
          in_run = true;
        }
        const std::size_t stop = not_key.NextBit(at);
        run += stop - at;
        at = stop;
        if (stop == kWindow) break;
        // At least 10 bytes of room are left (see CopyStretch): a pair always fits.
        if (run <= 256) {
          out[o] = k;
          out[o + 1] = static_cast<std::uint8_t>(run - 1);
          o += 2;
        } else if (!PutKeyRun(run, key, out, o, capacity)) {
          return SIZE_MAX;
        }
        run = 0;
        in_run = false;
        if (capacity - o < 130) break;
      }
      i += at;
    }
  }
#endif
  return EncodeIndexedRest(raw, pixel_count, key, out, capacity, i, o, run);
}

}  // namespace

bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out) {
  const std::size_t raw_size = pixel_count;
  out.resize(raw_size);
  const std::size_t size =
      raw_size ? EncodeIndexedInto(raw, pixel_count, key, out.data(), raw_size - 1) : SIZE_MAX;
  if (size != SIZE_MAX) {
    out.resize(size);
    return true;
  }
  out.assign(raw, raw + raw_size);
  return false;
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

#if defined(__SSE2__)
// Decodes whole tokens (a literal stretch, then a run) while both sides have room to spare;
// stops before anything that needs care: the ends of the data or of the frame, or a run that
// reaches past the frame. Stores reach up to 128 bytes past what they mean to write.
template <bool kWrite>
void DecodeIndexedFast(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                       std::size_t pixel_count, std::uint8_t key, std::size_t& pos,
                       std::size_t& produced) {
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  KeyBits bits;
  while (pixel_count - produced >= 128 && bits.Build(src, pos, src_size - pos, key)) {
    // Count bytes are marked too when they equal the key, but scans start after them.
    while (pos <= bits.end && pixel_count - produced >= 128) {
      const Window is_key = bits.From(pos);
      std::size_t at = 0;
      for (;;) {
        const std::size_t stop = is_key.NextBit(at);
        if (kWrite) CopyStretch(dst + produced, src + pos + at, stop - at);
        produced += stop - at;
        at = stop;
        if (stop == kWindow) break;
        const std::size_t repeat = static_cast<std::size_t>(src[pos + at + 1]) + 1;
        if (repeat + 64 > pixel_count - produced) {
          pos += at;
          return;
        }
        if (kWrite) {
          std::uint8_t* fill = dst + produced;
          _mm_storeu_si128(reinterpret_cast<__m128i*>(fill), keys);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(fill + 16), keys);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(fill + 32), keys);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(fill + 48), keys);
          for (std::size_t i = 64; i < repeat; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(fill + i), keys);
          }
        }
        produced += repeat;
        at += 2;
        if (at > kWindow || pixel_count - produced < 128) break;
      }
      pos += at;
    }
  }
}
#endif

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

}  // namespace

DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded) {
  if (!encoded) {
    DecodeResult result;
    const std::size_t produced = std::min(src_size, pixel_count);
    if (dst && produced) std::memcpy(dst, src, produced);
    result.consumed = produced;
    result.produced = produced;
    result.truncated = produced < pixel_count;
    return result;
  }
  return dst ? DecodeIndexed<true>(src, src_size, dst, pixel_count, key.value[0])
             : DecodeIndexed<false>(src, src_size, dst, pixel_count, key.value[0]);
}

}  // namespace celwright::rle::at_filing
