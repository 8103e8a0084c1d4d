#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace celwright {

// Inflates a PNG's image data a row at a time, so a picture never needs its whole filtered
// data in memory and a small file cannot make the reader reserve more than the rows it fills.
// Problems are reported through `fail(detail)`, which must not return.
class PngRowInflater {
 public:
  using Failure = std::function<void(const std::string& detail)>;

  PngRowInflater(std::span<const std::uint8_t> compressed, Failure fail);
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

  std::span<const std::uint8_t> compressed_;
  std::size_t fed_ = 0;
  z_stream stream_{};
  Failure fail_;
  bool ended_ = false;
};

}  // namespace celwright
