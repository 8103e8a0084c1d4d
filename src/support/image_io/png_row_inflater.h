#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace celwright {

// Inflates a PNG's image data a row at a time, so a picture never needs its whole filtered
// data in memory and a small file cannot make the reader reserve more than the rows it fills.
// Problems are reported through `fail(detail)`, which must not return.
class PngRowInflater {
 public:
  using Failure = std::function<void(const std::string& detail)>;

  // `pieces` are the IDAT chunks' data in file order, read in place.
  PngRowInflater(const std::vector<std::span<const std::uint8_t>>& pieces, Failure fail);
  ~PngRowInflater();
  PngRowInflater(const PngRowInflater&) = delete;
  PngRowInflater& operator=(const PngRowInflater&) = delete;

  // Fills `out` completely; the data ending first is "Data Section has invalid size".
  void Read(std::span<std::uint8_t> out);
  // Checks that the stream ends here: neither more data nor a missing end.
  void Finish();

 private:
  // One inflate step into `out`; returns zlib's status after mapping damage to `fail_`.
  int Step(std::uint8_t* out, std::size_t size);
  [[noreturn]] void Fail(const std::string& detail);

  bool AllFed() const { return next_piece_ == pieces_.size(); }

  const std::vector<std::span<const std::uint8_t>>& pieces_;
  std::size_t next_piece_ = 0;
  z_stream stream_{};
  Failure fail_;
  bool ended_ = false;
};

}  // namespace celwright
