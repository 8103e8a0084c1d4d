#include "support/media/gif_codec.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "support/file_io.h"
#include "support/media/media_error.h"
#include "support/media/media_limits.h"

namespace celwright {

namespace {

// One screen or sub-image beyond this (4096 x 4096) is refused before its pixels are allocated.
constexpr std::int64_t kMaxScreenPixels = std::int64_t{1} << 24;

constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

[[noreturn]] void FailGifRead(const std::string& reason) {
  throw MediaError("Failed to read GIF file: " + reason);
}

std::string Reason(int error) {
  const char* text = GifErrorString(error);
  return text ? text : "unknown error";
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

struct ColourMap {
  Palette256 colours{};
  int count = 0;
};

ColourMap MapOf(const ColorMapObject* map) {
  ColourMap result;
  if (!map || !map->Colors) return result;
  result.count = std::clamp(map->ColorCount, 0, 256);
  for (int i = 0; i < result.count; ++i) {
    result.colours[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
  }
  return result;
}

// What the graphic control extension before an image says about it.
struct ImageControl {
  int disposal = 0;
  int transparent_index = -1;
};

ImageControl ControlOf(const GifByteType* block) {
  ImageControl control;
  if (!block || block[0] < 4) return control;
  control.disposal = (block[1] >> 2) & 7;
  if (block[1] & 1) control.transparent_index = block[4];
  return control;
}

// A clipped rectangle of the screen.
struct Area {
  int left = 0, top = 0, right = 0, bottom = 0;
};

}  // namespace

struct AnimatedGifReader::State {
  ByteSource source;
  GifFileType* gif = nullptr;
  ColourMap global;
  int width = 0, height = 0;
  std::int64_t frames_read = 0;
  ImageControl pending_control;
  // The screen as the next image will find it.
  GifFrame screen;
  bool indices_valid = true;
  // Whether the first image had a transparent index: then the screen starts see-through and
  // "restore to background" clears to see-through, as in Pillow.
  bool first_transparent = false;
  // What the last image's disposal does before the next image is drawn.
  int last_disposal = 0;
  ImageControl last_control;
  ColourMap last_map;
  Area last_area;
  GifFrame saved;  // the screen under the last image, for "restore to previous"

  void Check(int result) const {
    if (result == GIF_ERROR) FailGifRead(Reason(gif->Error));
  }

  void ChooseScreen(const GifImageDesc& desc) {
    width = gif->SWidth;
    height = gif->SHeight;
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxScreenPixels) {
      // A broken logical screen must not hide intact images: use the first image's extent.
      width = desc.Left + desc.Width;
      height = desc.Top + desc.Height;
    }
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxScreenPixels) {
      FailGifRead("the picture size of " + std::to_string(width) + " x " + std::to_string(height) +
           " is out of range");
    }
    screen.colours.Reset(width, height, PixelFormat::Bits24);
    screen.opaque.assign(static_cast<std::size_t>(width) * height, 0);
    screen.indices.Reset(width, height, PixelFormat::Bits8);
    screen.indices.ColorTable() = global.colours;
  }

  void CopyArea(const GifFrame& from, GifFrame& to, const Area& area) const {
    for (int y = area.top; y < area.bottom; ++y) {
      const std::size_t start = static_cast<std::size_t>(y) * width + area.left;
      const std::size_t count = static_cast<std::size_t>(area.right - area.left);
      std::memcpy(to.colours.Row(y) + 3 * static_cast<std::size_t>(area.left),
                  from.colours.Row(y) + 3 * static_cast<std::size_t>(area.left), 3 * count);
      std::memcpy(to.opaque.data() + start, from.opaque.data() + start, count);
      if (indices_valid) {
        std::memcpy(to.indices.Row(y) + area.left, from.indices.Row(y) + area.left, count);
      }
    }
  }

  // Fills an area with one global index (-1: see-through) shown in `colour`. Whole screens are
  // filled here, so rows are written by block copies rather than pixel by pixel.
  void Fill(const Area& area, int index, RGBTriple colour) {
    const std::size_t count = static_cast<std::size_t>(std::max(0, area.right - area.left));
    if (count == 0) return;
    std::vector<std::uint8_t> colour_row(3 * count, 0);
    if (index >= 0) {
      for (std::size_t x = 0; x < count; ++x) {
        colour_row[3 * x] = colour.b;
        colour_row[3 * x + 1] = colour.g;
        colour_row[3 * x + 2] = colour.r;
      }
    }
    for (int y = area.top; y < area.bottom; ++y) {
      std::memcpy(screen.colours.Row(y) + 3 * static_cast<std::size_t>(area.left),
                  colour_row.data(), colour_row.size());
      std::memset(screen.opaque.data() + static_cast<std::size_t>(y) * width + area.left,
                  index < 0 ? 0 : 1, count);
      if (indices_valid) {
        std::memset(screen.indices.Row(y) + area.left, std::max(index, 0), count);
      }
    }
  }

  void ApplyLastDisposal() {
    if (last_disposal == kDisposeToBackground) {
      // As Pillow does: see-through when transparency is in use, else the background colour.
      if (first_transparent || last_control.transparent_index >= 0) {
        Fill(last_area, -1, {});
      } else {
        const int background = gif->SBackGroundColor & 0xFF;
        Fill(last_area, background, last_map.colours[background]);
      }
    } else if (last_disposal == kDisposeToPrevious) {
      CopyArea(saved, screen, last_area);
    }
    last_disposal = 0;
  }

  void DrawImage(const ImageControl& control) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0 ||
        std::int64_t{desc.Width} * desc.Height > kMaxScreenPixels) {
      FailGifRead("an image size of " + std::to_string(desc.Width) + " x " +
           std::to_string(desc.Height) + " is out of range");
    }
    const bool local = desc.ColorMap != nullptr;
    const ColourMap map = local ? MapOf(desc.ColorMap) : global;
    if (frames_read == 0) {
      ChooseScreen(desc);
      // Outside the first image the screen starts see-through when that image has a
      // transparent index, else in entry 0 of its colours (again as Pillow shows it).
      first_transparent = control.transparent_index >= 0;
      Fill({0, 0, width, height}, first_transparent ? -1 : 0, map.colours[0]);
    }
    if ((frames_read + 1) * width * height > kMaxImportedPixels) {
      throw MediaError(TooManyPixelsMessage(frames_read + 1, width, height));
    }
    ApplyLastDisposal();

    if (local && indices_valid) {
      indices_valid = false;
      screen.indices = Bitmap();
      saved.indices = Bitmap();
    }
    const Area area{std::min(desc.Left, width), std::min(desc.Top, height),
                    std::min(desc.Left + desc.Width, width),
                    std::min(desc.Top + desc.Height, height)};
    if (control.disposal == kDisposeToPrevious) {
      if (saved.colours.Empty()) saved = screen;
      CopyArea(screen, saved, area);
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    const auto draw_row = [&](int row) {
      Check(DGifGetLine(gif, line.data(), desc.Width));
      const int y = desc.Top + row;
      if (y >= height) return;
      std::uint8_t* colours = screen.colours.Row(y);
      std::uint8_t* indices = indices_valid ? screen.indices.Row(y) : nullptr;
      std::uint8_t* opaque = screen.opaque.data() + static_cast<std::size_t>(y) * width;
      for (int x = area.left; x < area.right; ++x) {
        const GifPixelType index = line[static_cast<std::size_t>(x - desc.Left)];
        if (index == control.transparent_index) continue;
        const RGBTriple colour = map.colours[index];
        colours[3 * x] = colour.b;
        colours[3 * x + 1] = colour.g;
        colours[3 * x + 2] = colour.r;
        opaque[x] = 1;
        if (indices) indices[x] = index;
      }
    };
    if (desc.Interlace) {
      constexpr int kFirstRow[] = {0, 4, 2, 1};
      constexpr int kRowStep[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (int row = kFirstRow[pass]; row < desc.Height; row += kRowStep[pass]) draw_row(row);
      }
    } else {
      for (int row = 0; row < desc.Height; ++row) draw_row(row);
    }
    last_disposal = control.disposal;
    last_control = control;
    last_map = map;
    last_area = area;
    ++frames_read;
  }
};

AnimatedGifReader::AnimatedGifReader(const std::vector<std::uint8_t>& bytes)
    : state_(std::make_unique<State>()) {
  state_->source = {&bytes, 0};
  int error = 0;
  state_->gif = DGifOpen(&state_->source, ReadBytes, &error);
  if (!state_->gif) FailGifRead(Reason(error));
  state_->global = MapOf(state_->gif->SColorMap);
}

AnimatedGifReader::~AnimatedGifReader() { DGifCloseFile(state_->gif, nullptr); }

int AnimatedGifReader::ScreenWidth() const { return state_->width; }
int AnimatedGifReader::ScreenHeight() const { return state_->height; }
bool AnimatedGifReader::HasGlobalColors() const { return state_->global.count > 0; }
const Palette256& AnimatedGifReader::GlobalColors() const { return state_->global.colours; }

const GifFrame* AnimatedGifReader::ReadFrame() {
  State& state = *state_;
  GifFileType* gif = state.gif;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    state.Check(DGifGetRecordType(gif, &record));
    if (record == TERMINATE_RECORD_TYPE) {
      if (state.frames_read == 0) FailGifRead("the file holds no image");
      return nullptr;
    }
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      state.Check(DGifGetExtension(gif, &code, &block));
      if (code == GRAPHICS_EXT_FUNC_CODE) state.pending_control = ControlOf(block);
      while (block) state.Check(DGifGetExtensionNext(gif, &block));
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      state.Check(DGifGetImageDesc(gif));
      const ImageControl control = state.pending_control;
      state.pending_control = {};
      state.DrawImage(control);
      state.screen.transparent_index = control.transparent_index;
      return &state.screen;
    }
  }
}

std::vector<std::uint8_t> ReadGifBytes(const std::filesystem::path& path) {
  try {
    return ReadWholeFile(path);
  } catch (const std::exception& error) {
    FailGifRead(error.what());
  }
}

}  // namespace celwright
