#include "support/image_io/jpeg_file.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "support/image_io/image_file_error.h"

namespace celwright {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. Unwinding a C++
// exception through the library's C frames is not safe, so it jumps back to the caller's setjmp
// with the message saved; the functions below keep only trivially destructible objects between
// setjmp and the library calls.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// A file that ends early is only a warning to libjpeg, which pads the rest with grey; for the
// editor that is a damaged file, so it is turned into a fatal error. Other warnings (stray bytes
// between markers and the like) leave a usable picture and are ignored.
void OnMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnFatalError(info);
}

void Silence(j_common_ptr) {}

void InstallErrorManager(ErrorManager& manager) {
  jpeg_std_error(&manager.base);
  manager.base.error_exit = OnFatalError;
  manager.base.emit_message = OnMessage;
  manager.base.output_message = Silence;
  manager.message[0] = '\0';
}

// Decodes into `pixels`, which the caller owns so that no destructor is skipped by a longjmp.
// Returns an empty string on success, else the reason.
std::string DecodeInto(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& pixels,
                       int& width, int& height) {
  jpeg_decompress_struct info{};
  ErrorManager manager;
  info.err = &manager.base;
  InstallErrorManager(manager);
  if (setjmp(manager.jump)) {
    jpeg_destroy_decompress(&info);
    return manager.message;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    jpeg_destroy_decompress(&info);
    return "CMYK pictures are not supported";
  }
  if (!PictureSizeAcceptable(info.image_width, info.image_height)) {
    jpeg_destroy_decompress(&info);
    return "its size is not supported";
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  pixels.resize(stride * static_cast<std::size_t>(height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + info.output_scanline * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return {};
}

std::string EncodeInto(const Bitmap& bitmap, const std::vector<std::uint8_t>& bgr,
                       unsigned char*& buffer, unsigned long& size) {
  jpeg_compress_struct info{};
  ErrorManager manager;
  info.err = &manager.base;
  InstallErrorManager(manager);
  if (setjmp(manager.jump)) {
    jpeg_destroy_compress(&info);
    return manager.message;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(bitmap.Width());
  info.image_height = static_cast<JDIMENSION>(bitmap.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(bitmap.Width()) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bgr.data() + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return {};
}

std::vector<std::uint8_t> AsBgr(const Bitmap& bitmap) {
  if (bitmap.Format() == PixelFormat::Bits24) return bitmap.Pixels();
  std::vector<std::uint8_t> bgr;
  bgr.reserve(static_cast<std::size_t>(bitmap.Width()) * bitmap.Height() * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor color = bitmap.GetPixel(x, y);
      bgr.insert(bgr.end(), {BlueOf(color), GreenOf(color), RedOf(color)});
    }
  }
  return bgr;
}

}  // namespace

Bitmap DecodeJPEG(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name) {
  std::vector<std::uint8_t> pixels;
  int width = 0, height = 0;
  const std::string problem = DecodeInto(bytes, pixels, width, height);
  if (!problem.empty()) {
    throw ImageFileError(file_name, "Invalid JPEG File",
                         "\"" + file_name.string() + "\": " + problem);
  }
  Bitmap bitmap(width, height, PixelFormat::Bits24);
  bitmap.Pixels() = std::move(pixels);
  return bitmap;
}

std::vector<std::uint8_t> EncodeJPEG(const Bitmap& bitmap) {
  const std::vector<std::uint8_t> bgr = AsBgr(bitmap);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const std::string problem = EncodeInto(bitmap, bgr, buffer, size);
  std::vector<std::uint8_t> out;
  if (problem.empty()) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!problem.empty()) throw std::runtime_error("JPEG compression failed: " + problem);
  return out;
}

}  // namespace celwright
