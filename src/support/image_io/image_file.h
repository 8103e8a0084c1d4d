#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/image_io/image_file_error.h"

namespace celwright {

// Picture kinds, numbered as the picture filter of the file dialogs.
inline constexpr std::uint8_t kImageKindByExtension = 0;
inline constexpr std::uint8_t kImageKindBitmap = 1;
inline constexpr std::uint8_t kImageKindJpeg = 2;
inline constexpr std::uint8_t kImageKindPng = 3;
inline constexpr std::uint8_t kImageKindGif = 4;

// The kind a file name's extension stands for, ignoring case; 0 for anything unknown.
std::uint8_t KindFromExtension(const std::filesystem::path& file_name);

// Reads the picture into `bitmap`; kind 0 means "by extension". Returns false, changing nothing,
// when the file does not exist. A file of no known kind is not read (true, nothing changed).
// 8-bit bitmap files and paletted PNGs also copy their palette into `palette`. A damaged file,
// or anything but a regular file of a plausible size, throws ImageFileError (PngError for PNG)
// and leaves `bitmap` and `palette` as they were. A damaged file that still gives a picture
// (JPEG scan data the decoder patched up) loads when `warnings` is given, which then receives
// what is wrong for the user to see; without it, such a file is refused as well.
bool LoadImageFile(Bitmap& bitmap, Palette256& palette, std::uint8_t kind,
                   const std::filesystem::path& file_name, PictureWarnings* warnings = nullptr);

// Writes `bitmap` as the given kind (0: by extension), appending the kind's extension when the
// name does not already end in one of them exactly as typed. PNG output is paletted for 8-bit
// bitmaps and marks `transparent` as see-through. Returns false, writing nothing, when the kind
// is unknown. A failed write throws ImageFileError naming the file and keeps any earlier file.
bool SaveImageFile(const Bitmap& bitmap, std::uint8_t kind, const std::filesystem::path& file_name,
                   std::optional<TColor> transparent = std::nullopt);

// The name SaveImageFile writes to for this kind (the name itself, or with an extension added).
std::filesystem::path SaveNameForKind(std::uint8_t kind, const std::filesystem::path& file_name);

}  // namespace celwright
