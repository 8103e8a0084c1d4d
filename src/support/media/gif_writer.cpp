#include "support/media/gif_codec.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include <gif_lib.h>

#include "support/file_io.h"
#include "support/media/media_error.h"

namespace celwright {

namespace {

constexpr int kLoopForever = 0;
// 15 frames per second, as the AVI export; players clamp shorter delays or race through them.
constexpr int kDelayHundredths = 7;
// Transparent colour flag, and disposal 2 (clear to see-through before the next frame).
constexpr GifByteType kTransparentAndCleared = (2 << 2) | 1;

[[noreturn]] void FailGifWrite(const std::string& reason) {
  throw MediaError("Failed to write GIF file: " + reason);
}

std::string LibraryReason(int error) {
  const char* text = GifErrorString(error);
  return text ? text : "unknown error";
}

void CheckFrames(const std::vector<Bitmap>& frames) {
  if (frames.empty()) FailGifWrite("no frames");
  const int width = frames.front().Width(), height = frames.front().Height();
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) FailGifWrite("bad picture size");
  for (const Bitmap& frame : frames) {
    if (frame.Format() != PixelFormat::Bits8) FailGifWrite("frames must be 8-bit pictures");
    if (frame.Width() != width || frame.Height() != height) FailGifWrite("frames differ in size");
  }
}

// Owns the half-written file: closing and deleting it unless Commit() succeeds.
class GifOutput {
 public:
  explicit GifOutput(const std::filesystem::path& path) {
    // Opened here rather than by giflib, which would create it readable by its owner only;
    // exclusively, with the saved file's permission bits, through a link to its target.
    int descriptor = -1;
    try {
      path_ = SaveTarget(path);
      descriptor = CreateTemporaryBeside(path_, temporary_);
    } catch (const std::runtime_error& e) {
      FailGifWrite(e.what());
    }
    int error = 0;
    gif_ = EGifOpenFileHandle(descriptor, &error);
    if (!gif_) {
      close(descriptor);
      FailGifWrite(LibraryReason(error));
    }
    EGifSetGifVersion(gif_, true);
  }
  ~GifOutput() {
    if (gif_) EGifCloseFile(gif_, nullptr);
    if (!committed_) {
      std::error_code ignored;
      std::filesystem::remove(temporary_, ignored);
    }
  }
  GifOutput(const GifOutput&) = delete;
  GifOutput& operator=(const GifOutput&) = delete;

  GifFileType* File() { return gif_; }
  void Check(int result) {
    if (result == GIF_ERROR) FailGifWrite(LibraryReason(gif_->Error));
  }

  void Commit() {
    int error = 0;
    GifFileType* closing = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(closing, &error) == GIF_ERROR) FailGifWrite(LibraryReason(error));
    committed_ = true;  // CommitTemporary removes the temporary itself when it fails
    try {
      CommitTemporary(temporary_, path_);
    } catch (const std::runtime_error& e) {
      FailGifWrite(e.what());
    }
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  GifFileType* gif_ = nullptr;
  bool committed_ = false;
};

}  // namespace

void WriteAnimatedGif(const std::filesystem::path& path, const Palette256& colors,
                      const std::vector<Bitmap>& frames) {
  CheckFrames(frames);
  const int width = frames.front().Width(), height = frames.front().Height();
  GifOutput output(path);
  GifFileType* gif = output.File();

  GifColorType entries[256];
  for (int i = 0; i < 256; ++i) entries[i] = {colors[i].r, colors[i].g, colors[i].b};
  ColorMapObject* map = GifMakeMapObject(256, entries);
  if (!map) FailGifWrite("out of memory");
  const int described = EGifPutScreenDesc(gif, width, height, 8, 0, map);
  GifFreeMapObject(map);
  output.Check(described);

  std::uint8_t looping[3] = {1, kLoopForever & 0xFF, kLoopForever >> 8};
  char application[] = "NETSCAPE2.0";
  output.Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
  output.Check(EGifPutExtensionBlock(gif, 11, application));
  output.Check(EGifPutExtensionBlock(gif, sizeof looping, looping));
  output.Check(EGifPutExtensionTrailer(gif));

  // Entry 0 is the documents' transparent entry, so viewers show the sprite without its
  // background.
  GifByteType control_bytes[4] = {kTransparentAndCleared, kDelayHundredths & 0xFF,
                                  kDelayHundredths >> 8, 0};

  std::vector<GifPixelType> row(static_cast<std::size_t>(width));
  for (const Bitmap& frame : frames) {
    output.Check(
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof control_bytes, control_bytes));
    output.Check(EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr));
    for (int y = 0; y < height; ++y) {
      std::memcpy(row.data(), frame.Row(y), row.size());
      output.Check(EGifPutLine(gif, row.data(), width));
    }
  }
  output.Commit();
}

}  // namespace celwright
