#include "model/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <string>

namespace celwright {

std::vector<std::uint8_t> ZlibDeflate(const std::uint8_t* data, std::size_t size, int level) {
  if (size > ULONG_MAX) throw ZlibError("The data is too large to compress");
  uLongf bound = compressBound(static_cast<uLong>(size));
  std::vector<std::uint8_t> out(bound);
  const int result = compress2(out.data(), &bound, data, static_cast<uLong>(size), level);
  if (result != Z_OK) throw ZlibError(std::string("Compression failed: ") + zError(result));
  out.resize(bound);
  return out;
}

std::vector<std::uint8_t> ZlibInflate(const std::uint8_t* data, std::size_t size,
                                      std::size_t size_hint, std::size_t max_output) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw ZlibError("Cannot start decompression");
  std::vector<std::uint8_t> out(std::clamp<std::size_t>(size_hint, 1024, max_output));
  stream.next_in = const_cast<Bytef*>(data);
  std::size_t in_left = size;
  std::size_t produced = 0;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (produced == out.size()) {
      if (out.size() >= max_output) {
        inflateEnd(&stream);
        throw ZlibError("The compressed data expands beyond " +
                        std::to_string(max_output >> 20) + " MiB");
      }
      out.resize(std::min(max_output, out.size() * 2));
    }
    if (stream.avail_in == 0 && in_left > 0) {
      const std::size_t chunk = std::min<std::size_t>(in_left, UINT_MAX);
      stream.avail_in = static_cast<uInt>(chunk);
      in_left -= chunk;
    }
    const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
    stream.next_out = out.data() + produced;
    stream.avail_out = static_cast<uInt>(room);
    result = inflate(&stream, Z_NO_FLUSH);
    produced += room - stream.avail_out;
    if (result == Z_BUF_ERROR && stream.avail_out != 0 && stream.avail_in == 0 && in_left == 0) {
      inflateEnd(&stream);
      throw ZlibError("The compressed data ends early");
    }
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      const std::string reason = stream.msg ? stream.msg : zError(result);
      inflateEnd(&stream);
      throw ZlibError("The compressed data is damaged (" + reason + ")");
    }
  }
  inflateEnd(&stream);
  out.resize(produced);
  return out;
}

}  // namespace celwright
