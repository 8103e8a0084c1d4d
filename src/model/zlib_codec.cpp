#include "model/zlib_codec.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace celwright {

namespace {

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
struct DecompressorDeleter {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

}  // namespace

std::vector<std::uint8_t> ZlibDeflate(const std::uint8_t* data, std::size_t size, int level) {
  std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
      libdeflate_alloc_compressor(std::clamp(level, 1, 12)));
  if (!compressor) throw ZlibError("Cannot start compression (out of memory)");
  // From the C library and left uninitialised: the pages past what the output fills are never
  // touched, so a bound of many megabytes costs only what the output takes.
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), size);
  const std::unique_ptr<std::uint8_t, FreeDeleter> out(static_cast<std::uint8_t*>(std::malloc(bound)));
  if (!out) throw std::bad_alloc();
  const std::size_t written = libdeflate_zlib_compress(compressor.get(), data, size, out.get(), bound);
  if (written == 0) throw ZlibError("Compression failed");
  return std::vector<std::uint8_t>(out.get(), out.get() + written);
}

std::vector<std::uint8_t> ZlibDeflateClassic(const std::uint8_t* data, std::size_t size,
                                             int level) {
  if (size > ULONG_MAX) throw ZlibError("The data is too large to compress");
  uLongf bound = compressBound(static_cast<uLong>(size));
  std::vector<std::uint8_t> out(bound);
  const int result = compress2(out.data(), &bound, data, static_cast<uLong>(size), level);
  if (result != Z_OK) throw ZlibError(std::string("Compression failed: ") + zError(result));
  out.resize(bound);
  return out;
}

std::size_t MaxInflatedSize(std::size_t compressed) {
  // A deflate block codes at most 258 bytes per length/distance pair of at least 2 bits, plus
  // a little for the zlib header; 1032:1 is the format's limit.
  constexpr std::size_t kRatio = 1032;
  if (compressed > SIZE_MAX / kRatio - 1024) return SIZE_MAX;
  return compressed * kRatio + 1024;
}

struct ZlibStreamReader::State {
  z_stream stream{};
};

ZlibStreamReader::ZlibStreamReader(const std::uint8_t* data, std::size_t size)
    : state_(std::make_unique<State>()), in_left_(size) {
  if (inflateInit(&state_->stream) != Z_OK) throw ZlibError("Cannot start decompression");
  state_->stream.next_in = const_cast<Bytef*>(data);
}

ZlibStreamReader::~ZlibStreamReader() { inflateEnd(&state_->stream); }

std::size_t ZlibStreamReader::Read(std::uint8_t* out, std::size_t room) {
  z_stream& stream = state_->stream;
  std::size_t written = 0;
  while (written < room && !finished_) {
    if (stream.avail_in == 0 && in_left_ > 0) {
      const std::size_t chunk = std::min<std::size_t>(in_left_, UINT_MAX);
      stream.avail_in = static_cast<uInt>(chunk);
      in_left_ -= chunk;
    }
    const std::size_t space = std::min<std::size_t>(room - written, UINT_MAX);
    stream.next_out = out + written;
    stream.avail_out = static_cast<uInt>(space);
    const int result = inflate(&stream, Z_NO_FLUSH);
    written += space - stream.avail_out;
    if (result == Z_STREAM_END) {
      finished_ = true;
    } else if (result == Z_BUF_ERROR || (result == Z_OK && stream.avail_out != 0)) {
      if (stream.avail_in == 0 && in_left_ == 0) throw ZlibError("The compressed data ends early");
    } else if (result != Z_OK) {
      throw ZlibError(std::string("The compressed data is damaged (") +
                      (stream.msg ? stream.msg : zError(result)) + ")");
    }
  }
  produced_ += written;
  return written;
}

std::size_t ZlibStreamReader::Skip(std::size_t limit) {
  std::uint8_t scratch[1 << 16];
  std::size_t skipped = 0;
  while (skipped < limit && !finished_) {
    skipped += Read(scratch, std::min(sizeof scratch, limit - skipped));
  }
  return skipped;
}

bool InflateInto(const std::uint8_t* data, std::size_t size, std::size_t expected,
                 std::vector<std::uint8_t>& out) {
  std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
      libdeflate_alloc_decompressor());
  if (!decompressor) throw ZlibError("Cannot start decompression (out of memory)");
  out.resize(expected);
  std::size_t actual = 0;
  const libdeflate_result result = libdeflate_zlib_decompress(
      decompressor.get(), data, size, out.data(), out.size(), &actual);
  if (result == LIBDEFLATE_INSUFFICIENT_SPACE) return false;
  if (result != LIBDEFLATE_SUCCESS) {
    // libdeflate does not tell a cut stream from a damaged one; zlib does, for the message.
    ZlibStreamReader reader(data, size);
    reader.Skip(SIZE_MAX);
    throw ZlibError("The compressed data is damaged");
  }
  out.resize(actual);
  return true;
}

std::vector<std::uint8_t> ZlibInflate(const std::uint8_t* data, std::size_t size,
                                      std::size_t size_hint, std::size_t max_output) {
  const std::size_t ceiling = std::min(max_output, MaxInflatedSize(size));
  std::vector<std::uint8_t> out;
  const std::size_t first = std::min(size_hint, ceiling);
  if (first > 0 && InflateInto(data, size, first, out)) return out;
  out.clear();
  out.shrink_to_fit();
  // The hint was too small (or absent): measure, then inflate once into the exact size.
  ZlibStreamReader measure(data, size);
  const std::size_t total = measure.Skip(ceiling);
  if (!measure.Finished()) {
    std::uint8_t probe;
    if (measure.Read(&probe, 1) > 0) {
      throw ZlibError("The compressed data expands beyond " + std::to_string(max_output >> 20) +
                      " MiB");
    }
  }
  if (!InflateInto(data, size, total, out)) throw ZlibError("The compressed data is damaged");
  return out;
}

}  // namespace celwright
