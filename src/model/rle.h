#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace celwright::rle {

// The run-length scheme of frame data: only the key value is encoded, as the key followed by a
// count byte n standing for n+1 key pixels; every other value stands for itself. A pixel is one
// byte (palette index) or three bytes (red, green, blue); four-byte pixels (red, green, blue,
// alpha) are only ever stored raw.
struct Key {
  int bytes_per_pixel = 1;
  std::uint8_t value[4] = {0, 0, 0, 0};

  static Key Index(std::uint8_t index) { return Key{1, {index, 0, 0}}; }
  static Key Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Key{3, {r, g, b, 0}}; }
  // True-colour frames are never run-length encoded; the key only gives the pixel size.
  static Key Rgba() { return Key{4, {0, 0, 0, 0}}; }
};

// Streams pixels into an encoded buffer; runs of the key may be fed whole, so very long runs cost
// one call.
class Encoder {
 public:
  Encoder(Key key, std::vector<std::uint8_t>& out) : key_(key), out_(out) {}
  ~Encoder() { Finish(); }

  // Appends raw pixels (count * bytes_per_pixel bytes).
  void AddPixels(const std::uint8_t* pixels, std::size_t count);
  // Appends `count` copies of one pixel.
  void AddRepeated(const std::uint8_t* pixel, std::size_t count);
  // Closes an open run; further pixels start afresh.
  void Finish();

 private:
  bool IsKey(const std::uint8_t* pixel) const;
  void AddKeyRun(std::size_t count);

  Key key_;
  std::vector<std::uint8_t>& out_;
  bool in_run_ = false;
  int counter_ = 0;
};

// Encodes `pixel_count` raw pixels.
std::vector<std::uint8_t> Encode(const std::uint8_t* raw, std::size_t pixel_count, Key key);

// Encodes and keeps the encoded form only when it is strictly shorter than the raw pixels.
// Returns whether the result is encoded; `out` receives the bytes to store.
bool EncodeIfSmaller(const std::uint8_t* raw, std::size_t pixel_count, Key key,
                     std::vector<std::uint8_t>& out);
// The same on `pixels` itself: they are replaced by their encoding when it is shorter (true),
// and left raw otherwise, so a large frame needs no second copy of its raw pixels.
bool EncodeInPlaceIfSmaller(std::vector<std::uint8_t>& pixels, std::size_t pixel_count, Key key);

struct DecodeResult {
  std::size_t consumed = 0;   // bytes of the source read
  std::size_t produced = 0;   // pixels written (or counted when no destination is given)
  bool truncated = false;     // the source ended before all pixels were produced
  bool overshoot = false;     // the last run reached past the last pixel and was clipped
};

// Decodes up to `pixel_count` pixels from `src` (never reading past `src_size`) into `dst`
// (pixel_count * bytes_per_pixel bytes; may be null to only measure). With `encoded` false the
// key is an ordinary value. Bytes of `dst` past the pixels produced are left unspecified.
DecodeResult Decode(const std::uint8_t* src, std::size_t src_size, std::uint8_t* dst,
                    std::size_t pixel_count, Key key, bool encoded);

// Decodes a frame's data a piece at a time: each Next() writes up to `max_pixels` further pixels
// and returns how many it wrote (fewer only when the data ends). Runs may span pieces.
class StreamDecoder {
 public:
  StreamDecoder(const std::uint8_t* src, std::size_t src_size, Key key, bool encoded)
      : src_(src), size_(src_size), key_(key), encoded_(encoded) {}
  std::size_t Next(std::uint8_t* dst, std::size_t max_pixels);

 private:
  const std::uint8_t* src_;
  std::size_t size_;
  std::size_t pos_ = 0;
  Key key_;
  bool encoded_;
  std::size_t pending_ = 0;  // key pixels of the current run still to write
};

}  // namespace celwright::rle
