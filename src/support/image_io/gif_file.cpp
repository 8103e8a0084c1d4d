#include "support/image_io/gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "support/image_io/image_file_error.h"
#include "support/image_io/indexed_picture.h"

namespace celwright {

namespace {

struct MemorySource {
  std::span<const std::uint8_t> bytes;
  std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t left = source->bytes.size() - source->position;
  const std::size_t count =
      std::min<std::size_t>(left, static_cast<std::size_t>(std::max(wanted, 0)));
  if (count == 0) return 0;  // an empty span may have no data pointer at all
  std::memcpy(buffer, source->bytes.data() + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), buffer, buffer + count);
  return count;
}

struct DecoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifReader = std::unique_ptr<GifFileType, DecoderCloser>;

struct MapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapDeleter>;

constexpr unsigned long long kMostPixelsPerByte = 4096;

class GifDecoder {
 public:
  GifDecoder(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name)
      : source_{bytes, 0}, file_name_(file_name) {}

  Bitmap Decode() {
    int error = 0;
    gif_.reset(DGifOpen(&source_, ReadFromMemory, &error));
    if (!gif_) Fail(error);
    int transparent_index = -1;  // none until a control block names one
    for (;;) {
      GifRecordType record = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(gif_.get(), &record) == GIF_ERROR) Fail(gif_->Error);
      if (record == TERMINATE_RECORD_TYPE) FailWith("it holds no picture");
      if (record == EXTENSION_RECORD_TYPE) {
        ReadExtension(transparent_index);
      } else if (record == IMAGE_DESC_RECORD_TYPE) {
        return ReadFirstPicture(transparent_index);
      }
    }
  }

 private:
  [[noreturn]] void FailWith(const std::string& what) const {
    throw ImageFileError(file_name_, "Invalid GIF File",
                         "\"" + file_name_.string() + "\": " + what);
  }
  [[noreturn]] void Fail(int gif_error) const {
    const char* text = GifErrorString(gif_error);
    FailWith(text ? text : "unknown error " + std::to_string(gif_error));
  }

  void ReadExtension(int& transparent_index) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif_.get(), &code, &block) == GIF_ERROR) Fail(gif_->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
      GraphicsControlBlock control{};
      DGifExtensionToGCB(block[0], block + 1, &control);
      transparent_index = control.TransparentColor;
    }
    while (block) {
      if (DGifGetExtensionNext(gif_.get(), &block) == GIF_ERROR) Fail(gif_->Error);
    }
  }

  Bitmap ReadFirstPicture(int transparent_index) {
    if (DGifGetImageDesc(gif_.get()) == GIF_ERROR) Fail(gif_->Error);
    const GifImageDesc& desc = gif_->Image;
    if (!PictureSizeAcceptable(desc.Width, desc.Height)) {
      FailWith("its picture size of " + std::to_string(desc.Width) + " x " +
               std::to_string(desc.Height) + " is not supported");
    }
    // No LZW code stands for more than 4096 pixels, and codes that long exist only once the
    // table has grown to 12-bit codes, so a byte of data yields well under 4096 pixels. A picture
    // larger than its remaining bytes can describe is refused before its pixels are reserved.
    const unsigned long long picture_pixels =
        static_cast<unsigned long long>(desc.Width) * static_cast<unsigned long long>(desc.Height);
    const std::size_t remaining = source_.bytes.size() - source_.position;
    if (picture_pixels > kMostPixelsPerByte * remaining) {
      FailWith("its picture of " + std::to_string(desc.Width) + " x " +
               std::to_string(desc.Height) + " pixels needs more data than the file holds");
    }
    // A broken or outsized logical screen must not hide an intact picture: fall back to the
    // picture's size.
    const unsigned long long screen_pixels = static_cast<unsigned long long>(gif_->SWidth) *
                                             static_cast<unsigned long long>(gif_->SHeight);
    const bool screen_usable =
        PictureSizeAcceptable(gif_->SWidth, gif_->SHeight) &&
        screen_pixels <= std::max<unsigned long long>(picture_pixels,
                                                      kMostPixelsPerByte * source_.bytes.size());
    const int width = screen_usable ? gif_->SWidth : desc.Width;
    const int height = screen_usable ? gif_->SHeight : desc.Height;
    const int left = screen_usable ? desc.Left : 0;
    const int top = screen_usable ? desc.Top : 0;

    Bitmap bitmap(width, height, PixelFormat::Bits8);
    bitmap.ColorTable() = TableOf(desc.ColorMap ? desc.ColorMap : gif_->SColorMap);
    const bool has_transparency = transparent_index >= 0;
    const int background = has_transparency ? transparent_index : gif_->SBackGroundColor;
    std::fill(bitmap.Pixels().begin(), bitmap.Pixels().end(),
              static_cast<std::uint8_t>(background));
    if (has_transparency) {
      bitmap.transparent_color = ToColor(bitmap.ColorTable()[transparent_index & 0xFF]);
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    for (int row : RowOrder(desc.Height, desc.Interlace)) {
      if (DGifGetLine(gif_.get(), line.data(), desc.Width) == GIF_ERROR) Fail(gif_->Error);
      const long long y = static_cast<long long>(top) + row;
      if (y >= height) continue;
      std::uint8_t* target = bitmap.Row(static_cast<int>(y));
      for (int x = 0; x < desc.Width && left + x < width; ++x) target[left + x] = line[x];
    }
    return bitmap;
  }

  static Palette256 TableOf(const ColorMapObject* map) {
    Palette256 table{};
    if (!map || !map->Colors) {
      for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        table[i] = {level, level, level};
      }
      return table;
    }
    const int count = std::clamp(map->ColorCount, 0, 256);
    for (int i = 0; i < count; ++i) {
      table[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
    }
    return table;
  }

  static std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
      for (int y = 0; y < height; ++y) order.push_back(y);
      return order;
    }
    constexpr int kStart[4] = {0, 4, 2, 1};
    constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
    }
    return order;
  }

  MemorySource source_;
  const std::filesystem::path& file_name_;
  GifReader gif_;
};

struct EncoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

[[noreturn]] void FailWriting(int gif_error) {
  const char* text = GifErrorString(gif_error);
  throw std::runtime_error(std::string("GIF encoding failed: ") + (text ? text : "unknown error"));
}

}  // namespace

Bitmap DecodeGIF(std::span<const std::uint8_t> bytes, const std::filesystem::path& file_name) {
  return GifDecoder(bytes, file_name).Decode();
}

std::vector<std::uint8_t> EncodeGIF(const Bitmap& bitmap) {
  if (bitmap.Empty()) throw std::invalid_argument("An empty picture cannot be written as GIF");
  const IndexedPicture picture = ToIndexed(bitmap);
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i) {
    colors[i] = {picture.table[i].r, picture.table[i].g, picture.table[i].b};
  }
  ColorMap map(GifMakeMapObject(256, colors));
  if (!map) throw std::runtime_error("GIF encoding failed: out of memory");

  std::vector<std::uint8_t> out;
  int error = 0;
  // Closing writes the trailer, so the writer is closed explicitly before `out` is returned.
  std::unique_ptr<GifFileType, EncoderCloser> gif(EGifOpen(&out, WriteToMemory, &error));
  if (!gif) FailWriting(error);
  if (EGifPutScreenDesc(gif.get(), bitmap.Width(), bitmap.Height(), 8, 0, map.get()) == GIF_ERROR ||
      EGifPutImageDesc(gif.get(), 0, 0, bitmap.Width(), bitmap.Height(), false, nullptr) ==
          GIF_ERROR) {
    FailWriting(gif->Error);
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(bitmap.Width()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = picture.indices.data() + static_cast<std::size_t>(y) * bitmap.Width();
    std::copy(row, row + bitmap.Width(), line.begin());
    if (EGifPutLine(gif.get(), line.data(), bitmap.Width()) == GIF_ERROR) FailWriting(gif->Error);
  }
  if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) FailWriting(error);
  return out;
}

}  // namespace celwright
