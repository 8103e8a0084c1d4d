#include "support/image_io/image_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_io.h"
#include "support/image_io/bmp_file.h"
#include "support/image_io/gif_file.h"
#include "support/image_io/jpeg_file.h"
#include "support/image_io/qm_png.h"

namespace celwright {

namespace {

constexpr std::array<std::string_view, 4> kJpegExtensions = {".jpg", ".jpeg", ".jfif", ".jpe"};

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Larger than the largest picture the readers accept could need (a 24-bit bitmap file of
// kMaxPicturePixels is about 200 MB), so only a file that is no picture at all is refused.
constexpr std::uintmax_t kMaxPictureFileBytes = 256u << 20;

std::vector<std::uint8_t> ReadPicture(const std::filesystem::path& file_name) {
  try {
    RequireRegularFile(file_name);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file_name, error);
    if (!error && size > kMaxPictureFileBytes) {
      throw std::runtime_error("\"" + file_name.string() + "\" is " +
                               std::to_string(size >> 20) + " MB, larger than any picture the " +
                               "program opens (" + std::to_string(kMaxPictureFileBytes >> 20) +
                               " MB)");
    }
    return ReadWholeFile(file_name);
  } catch (const std::exception& e) {
    throw ImageFileError(file_name, "Cannot Read Picture", e.what());
  }
}

std::vector<std::uint8_t> Encode(const Bitmap& bitmap, std::uint8_t kind,
                                 std::optional<TColor> transparent) {
  switch (kind) {
    case kImageKindBitmap:
      return EncodeBMP(bitmap);
    case kImageKindJpeg:
      return EncodeJPEG(bitmap);
    case kImageKindPng:
      return EncodePNG(bitmap, transparent, bitmap.Format() == PixelFormat::Bits8);
    default:
      return EncodeGIF(bitmap);
  }
}

}  // namespace

std::uint8_t KindFromExtension(const std::filesystem::path& file_name) {
  const std::string extension = LowerCase(file_name.extension().string());
  if (extension == ".bmp") return kImageKindBitmap;
  if (std::find(kJpegExtensions.begin(), kJpegExtensions.end(), extension) !=
      kJpegExtensions.end()) {
    return kImageKindJpeg;
  }
  if (extension == ".png") return kImageKindPng;
  if (extension == ".gif") return kImageKindGif;
  return kImageKindByExtension;
}

bool LoadImageFile(Bitmap& bitmap, Palette256& palette, std::uint8_t kind,
                   const std::filesystem::path& file_name, PictureWarnings* warnings) {
  if (kind == kImageKindByExtension) kind = KindFromExtension(file_name);
  std::error_code error;
  if (!std::filesystem::exists(file_name, error)) return false;
  switch (kind) {
    case kImageKindBitmap: {
      Bitmap read = DecodeBMP(ReadPicture(file_name), file_name);
      if (read.Format() == PixelFormat::Bits8) palette = read.ColorTable();
      bitmap = std::move(read);
      break;
    }
    case kImageKindJpeg:
      bitmap = DecodeJPEG(ReadPicture(file_name), file_name, warnings);
      break;
    case kImageKindPng: {
      Palette256 read_palette{};
      Bitmap read = DecodePNG(ReadPicture(file_name), read_palette, file_name);
      bitmap = std::move(read);
      palette = read_palette;
      break;
    }
    case kImageKindGif:
      bitmap = DecodeGIF(ReadPicture(file_name), file_name);
      break;
    default:
      break;
  }
  return true;
}

std::filesystem::path SaveNameForKind(std::uint8_t kind, const std::filesystem::path& file_name) {
  if (kind == kImageKindByExtension) kind = KindFromExtension(file_name);
  // Compared without case: "FRAME.BMP" is already a bitmap's name, and adding ".bmp" would
  // leave the user's file beside a second copy instead of saving it.
  const std::string extension = LowerCase(file_name.extension().string());
  const auto with = [&](const char* added) {
    std::filesystem::path named = file_name;
    named += added;
    return named;
  };
  switch (kind) {
    case kImageKindBitmap:
      return extension == ".bmp" ? file_name : with(".bmp");
    case kImageKindJpeg:
      return std::find(kJpegExtensions.begin(), kJpegExtensions.end(), extension) !=
                     kJpegExtensions.end()
                 ? file_name
                 : with(".jpg");
    case kImageKindPng:
      return extension == ".png" ? file_name : with(".png");
    case kImageKindGif:
      return extension == ".gif" ? file_name : with(".gif");
    default:
      return file_name;
  }
}

bool SaveImageFile(const Bitmap& bitmap, std::uint8_t kind, const std::filesystem::path& file_name,
                   std::optional<TColor> transparent) {
  if (kind == kImageKindByExtension) kind = KindFromExtension(file_name);
  if (kind < kImageKindBitmap || kind > kImageKindGif) return false;
  const std::filesystem::path target = SaveNameForKind(kind, file_name);
  if (bitmap.Empty()) throw ImageFileError(target, "Cannot Write Picture", "The picture is empty");
  try {
    WriteFileAtomically(target, Encode(bitmap, kind, transparent));
  } catch (const std::exception& e) {
    throw ImageFileError(target, "Cannot Write Picture", e.what());
  }
  return true;
}

}  // namespace celwright
