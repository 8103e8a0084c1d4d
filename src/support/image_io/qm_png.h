#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/image_io/image_file_error.h"
#include "support/image_io/rgba_picture.h"

namespace celwright {

// A PNG the reader cannot take, or a PNG that cannot be written. The message is the error title,
// "\r\r" and the detail, worded for the user.
class PngError : public ImageFileError {
 public:
  using ImageFileError::ImageFileError;
};

// Reads any standard PNG: grey, grey + alpha, true colour, true colour + alpha and paletted, at
// every bit depth the format allows, interlaced or not. Paletted pictures arrive as 8-bit bitmaps
// whose colour table is the PLTE palette, and `palette` receives the same entries (the rest
// black); all others arrive as 24-bit bitmaps, 16-bit samples keeping their high byte. Pixels
// whose alpha is below 128 (tRNS included) are see-through: they share the bitmap's transparent
// colour, which no opaque pixel has (paletted pictures: the first see-through entry, whose index
// the other see-through entries' pixels take). Returns true; on any problem throws PngError and
// leaves both `bitmap` and `palette` as they were.
bool ReadPNG(Bitmap& bitmap, const std::filesystem::path& file_name, Palette256& palette);

// The same reader on bytes already in memory; `file_name` only names the source in errors.
Bitmap DecodePNG(std::span<const std::uint8_t> bytes, Palette256& palette,
                 const std::filesystem::path& file_name = {});

// The same reader keeping every pixel's exact colour and alpha (tRNS and alpha channels as
// stored, 16-bit samples by their high byte), for formats that carry partial transparency.
RgbaPicture DecodePNGToRGBA(std::span<const std::uint8_t> bytes,
                            const std::filesystem::path& file_name = {});

// Writes an 8-bit-deep PNG: paletted (PLTE, and tRNS when `transparent` is in the palette) when
// `paletted` is set, else true colour (tRNS when `transparent` is given). An 8-bit bitmap keeps
// its indices and colour table; any other bitmap gets a palette of its colours in order of first
// appearance, or, past 256 colours, an octree palette (keeping `transparent` exact). Throws PngError naming the file
// when the picture is empty or the file cannot be written; an existing file survives a failure.
void WritePNG(const Bitmap& bitmap, const std::filesystem::path& file_name,
              std::optional<TColor> transparent, bool paletted);

// The bytes WritePNG stores. The bitmap must not be empty.
std::vector<std::uint8_t> EncodePNG(const Bitmap& bitmap, std::optional<TColor> transparent,
                                    bool paletted);

// An 8-bit true colour + alpha PNG of `picture`, which must not be empty.
std::vector<std::uint8_t> EncodeRGBAPNG(const RgbaPicture& picture);

}  // namespace celwright
