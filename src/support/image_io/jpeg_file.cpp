#include "support/image_io/jpeg_file.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  // Damage the library worked around (distinct texts, a few at most), kept for the caller.
  static constexpr int kMaxWarnings = 4;
  char warnings[kMaxWarnings][JMSG_LENGTH_MAX];
  int warning_count;
};

// A progressive file may hold any number of scans, each a pass over the whole picture; real
// encoders write about ten, so hundreds only cost time.
constexpr int kMaxScans = 100;
// libjpeg's own buffers (a progressive picture keeps every coefficient) stay below this.
constexpr long kMaxLibraryMemory = 256L << 20;
// The fewest bytes a picture's scan data can take: about one bit per 8 x 8 block and component.
// A file claiming far more pixels than its bytes can describe is refused before any work.
constexpr unsigned long long kMaxPixelsPerByte = 1024;

[[noreturn]] void OnFatalError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

bool IsDamagedData(int code) {
  switch (code) {
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_TOO_MUCH_DATA:
      return true;
    default:
      return false;
  }
}

// A file that ends early is only a warning to libjpeg, which pads the rest with grey; for the
// editor that is a damaged file, so it is turned into a fatal error. Other damage ("Corrupt JPEG
// data: ...") leaves a picture that may be partly wrong; it is noted for the caller.
void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace output
  const int code = info->err->msg_code;
  if (code == JWRN_JPEG_EOF) OnFatalError(info);
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  // Notes about headers (an unknown JFIF revision and the like) say nothing about the pixels.
  constexpr const char kCorrupt[] = "Corrupt JPEG data";
  if (!IsDamagedData(code) && std::strncmp(text, kCorrupt, sizeof kCorrupt - 1) != 0) return;
  for (int i = 0; i < manager->warning_count; ++i) {
    if (std::strcmp(manager->warnings[i], text) == 0) return;
  }
  if (manager->warning_count == ErrorManager::kMaxWarnings) return;
  std::strcpy(manager->warnings[manager->warning_count++], text);
}

void Silence(j_common_ptr) {}

// x * y / 255, rounded, as Pillow computes it.
unsigned Scale255(unsigned x, unsigned y) {
  const unsigned product = x * y + 128;
  return ((product >> 8) + product) >> 8;
}

// Writers of CMYK JPEGs follow Adobe and store every ink inverted; the colours are the plain
// subtractive mix, the same as Pillow shows.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned paper = cmyk[3];  // 255 - black
    for (int c = 0; c < 3; ++c) bgr[2 - c] = static_cast<std::uint8_t>(paper - Scale255(255u - cmyk[c], paper));
  }
}

void StopRunawayScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message,
                  "it holds more than %d scans, far more than any encoder writes", kMaxScans);
    std::longjmp(manager->jump, 1);
  }
}

void InstallErrorManager(ErrorManager& manager) {
  jpeg_std_error(&manager.base);
  manager.base.error_exit = OnFatalError;
  manager.base.emit_message = OnMessage;
  manager.base.output_message = Silence;
  manager.message[0] = '\0';
  manager.warning_count = 0;
}

// Decodes into `pixels`, using `cmyk_row` for CMYK files; the caller owns both so that no
// destructor is skipped by a longjmp. Returns an empty string on success, else the reason.
std::string DecodeInto(std::span<const std::uint8_t> bytes, ErrorManager& manager,
                       std::vector<std::uint8_t>& pixels, std::vector<std::uint8_t>& cmyk_row,
                       int& width, int& height) {
  jpeg_decompress_struct info{};
  jpeg_progress_mgr progress{};
  info.err = &manager.base;
  InstallErrorManager(manager);
  if (setjmp(manager.jump)) {
    jpeg_destroy_decompress(&info);
    return manager.message;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxLibraryMemory;
  progress.progress_monitor = StopRunawayScans;
  info.progress = &progress;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (!PictureSizeAcceptable(info.image_width, info.image_height)) {
    jpeg_destroy_decompress(&info);
    return "its size is not supported";
  }
  const unsigned long long pixels_claimed =
      static_cast<unsigned long long>(info.image_width) * info.image_height;
  if (pixels_claimed > kMaxPixelsPerByte * bytes.size()) {
    jpeg_destroy_decompress(&info);
    return "it claims " + std::to_string(info.image_width) + " x " +
           std::to_string(info.image_height) + " pixels, more than its " +
           std::to_string(bytes.size()) + " bytes can hold; it is damaged or cut short";
  }
  // CMYK and YCCK (Adobe's) come out as CMYK; the colours are worked out below.
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  pixels.resize(stride * static_cast<std::size_t>(height));
  cmyk_row.resize(cmyk ? static_cast<std::size_t>(width) * 4 : 0);
  while (info.output_scanline < info.output_height) {
    std::uint8_t* target = pixels.data() + info.output_scanline * stride;
    JSAMPROW row = cmyk ? cmyk_row.data() : target;
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) CmykToBgr(cmyk_row.data(), target, width);
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

Bitmap DecodeJPEG(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name,
                  PictureWarnings* warnings) {
  std::vector<std::uint8_t> pixels, cmyk_row;
  int width = 0, height = 0;
  ErrorManager manager;
  std::string problem = DecodeInto(bytes, manager, pixels, cmyk_row, width, height);
  // Without anyone to tell, a picture the library had to patch up is refused, not passed off
  // as sound.
  if (problem.empty() && manager.warning_count > 0 && !warnings) problem = manager.warnings[0];
  // libjpeg has no disk to spill to, so its memory cap surfaces under this name.
  if (manager.base.msg_code == JERR_NO_BACKING_STORE) {
    problem = "it would need more than " + std::to_string(kMaxLibraryMemory >> 20) +
              " MB to decode";
  }
  if (!problem.empty()) {
    throw ImageFileError(file_name, "Invalid JPEG File",
                         "\"" + file_name.string() + "\": " + problem);
  }
  for (int i = 0; i < manager.warning_count; ++i) {
    warnings->push_back("\"" + file_name.string() + "\" is damaged and may look wrong: " +
                        manager.warnings[i]);
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
