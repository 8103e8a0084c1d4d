#include "support/image_io/png_row_inflater.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace celwright {

PngRowInflater::PngRowInflater(const std::vector<std::span<const std::uint8_t>>& pieces,
                               Failure fail)
    : pieces_(pieces), fail_(std::move(fail)) {
  if (inflateInit(&stream_) != Z_OK) fail_("Decompression failed to start");
}

PngRowInflater::~PngRowInflater() { inflateEnd(&stream_); }

void PngRowInflater::Fail(const std::string& detail) {
  fail_(detail);
  std::abort();  // fail_ throws; this only satisfies [[noreturn]]
}

int PngRowInflater::Step(std::uint8_t* out, std::size_t size) {
  if (stream_.avail_in == 0 && !AllFed()) {
    // Chunks are at most 2^31 - 1 bytes, so each fits zlib's counter.
    const std::span<const std::uint8_t> piece = pieces_[next_piece_++];
    stream_.next_in = const_cast<Bytef*>(piece.data());
    stream_.avail_in = static_cast<uInt>(piece.size());
  }
  stream_.next_out = out;
  stream_.avail_out = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
  const int status = inflate(&stream_, Z_NO_FLUSH);
  if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
    const std::string reason = stream_.msg ? stream_.msg : "invalid data";
    Fail("Data Section is damaged (" + reason + ")");
  }
  if (status == Z_MEM_ERROR) Fail("Not enough memory to decompress");
  if (status == Z_STREAM_END) ended_ = true;
  return status;
}

void PngRowInflater::Read(std::span<std::uint8_t> out) {
  std::size_t filled = 0;
  while (filled < out.size()) {
    if (ended_) Fail("Data Section has invalid size");
    const uInt before = static_cast<uInt>(std::min<std::size_t>(out.size() - filled, UINT_MAX));
    const int status = Step(out.data() + filled, out.size() - filled);
    const std::size_t produced = before - stream_.avail_out;
    filled += produced;
    // No progress and no input left: the stream stops short of the picture.
    if (status == Z_BUF_ERROR && produced == 0 && AllFed()) {
      Fail("Data Section has invalid size");
    }
  }
}

void PngRowInflater::Finish() {
  std::uint8_t extra = 0;
  while (!ended_) {
    const int status = Step(&extra, 1);
    if (stream_.avail_out == 0) Fail("Data Section has invalid size");  // more than the picture
    if (status == Z_BUF_ERROR && AllFed()) Fail("Data Section has invalid size");
  }
}

}  // namespace celwright
