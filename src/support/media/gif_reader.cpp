#include "support/media/gif_codec.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gif_lib.h>

#include "support/file_io.h"
#include "support/media/media_error.h"

namespace celwright {

namespace {

// Sub-images beyond this are refused before their pixels are allocated.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

[[noreturn]] void Fail(const std::string& reason) {
  throw MediaError("Failed to read GIF file: " + reason);
}

struct ByteSource {
  const std::vector<std::uint8_t>* bytes;
  std::size_t position;
};

int ReadBytes(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* source = static_cast<ByteSource*>(gif->UserData);
  if (wanted <= 0) return 0;
  const std::size_t left = source->bytes->size() - source->position;
  const std::size_t count = std::min(left, static_cast<std::size_t>(wanted));
  if (count == 0) return 0;
  std::memcpy(buffer, source->bytes->data() + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

class GifInput {
 public:
  explicit GifInput(const std::vector<std::uint8_t>& bytes) : source_{&bytes, 0} {
    int error = 0;
    gif_ = DGifOpen(&source_, ReadBytes, &error);
    if (!gif_) Fail(Reason(error));
  }
  ~GifInput() { DGifCloseFile(gif_, nullptr); }
  GifInput(const GifInput&) = delete;
  GifInput& operator=(const GifInput&) = delete;

  GifFileType* File() { return gif_; }
  void Check(int result) {
    if (result == GIF_ERROR) Fail(Reason(gif_->Error));
  }

  static std::string Reason(int error) {
    const char* text = GifErrorString(error);
    return text ? text : "unknown error";
  }

 private:
  ByteSource source_;
  GifFileType* gif_ = nullptr;
};

Palette256 PaddedPalette(const ColorMapObject* map) {
  Palette256 palette{};
  if (!map || !map->Colors) return palette;
  const int count = std::clamp(map->ColorCount, 0, 256);
  for (int i = 0; i < count; ++i) {
    palette[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
  }
  return palette;
}

Bitmap ReadImage(GifInput& input) {
  GifFileType* gif = input.File();
  input.Check(DGifGetImageDesc(gif));
  const GifImageDesc& desc = gif->Image;
  if (desc.Width <= 0 || desc.Height <= 0 || std::int64_t{desc.Width} * desc.Height > kMaxPixels) {
    Fail("image size is out of range");
  }
  Bitmap image(desc.Width, desc.Height, PixelFormat::Bits8);
  image.ColorTable() = PaddedPalette(desc.ColorMap ? desc.ColorMap : gif->SColorMap);
  if (desc.Interlace) {
    constexpr int kFirstRow[] = {0, 4, 2, 1};
    constexpr int kRowStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kFirstRow[pass]; y < desc.Height; y += kRowStep[pass]) {
        input.Check(DGifGetLine(gif, image.Row(y), desc.Width));
      }
    }
  } else {
    for (int y = 0; y < desc.Height; ++y) input.Check(DGifGetLine(gif, image.Row(y), desc.Width));
  }
  return image;
}

}  // namespace

AnimatedGif ReadAnimatedGif(const std::vector<std::uint8_t>& bytes) {
  GifInput input(bytes);
  GifFileType* gif = input.File();
  AnimatedGif result;
  result.screen_width = gif->SWidth;
  result.screen_height = gif->SHeight;
  result.global_colors = PaddedPalette(gif->SColorMap);

  GifRecordType record = UNDEFINED_RECORD_TYPE;
  do {
    input.Check(DGifGetRecordType(gif, &record));
    if (record == IMAGE_DESC_RECORD_TYPE) {
      result.frames.push_back(ReadImage(input));
    } else if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      input.Check(DGifGetExtension(gif, &code, &block));
      while (block) input.Check(DGifGetExtensionNext(gif, &block));
    }
  } while (record != TERMINATE_RECORD_TYPE);

  if (result.frames.empty()) Fail("the file holds no image");
  return result;
}

AnimatedGif ReadAnimatedGif(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  return ReadAnimatedGif(bytes);
}

}  // namespace celwright
