#include "support/image_io/apng_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "support/crc32.h"
#include "support/image_io/byte_order.h"
#include "support/image_io/png_chunks.h"
#include "support/image_io/qm_png.h"
#include "support/media/media_error.h"
#include "support/media/media_limits.h"

namespace celwright {

namespace {

constexpr char kNoteKeyword[] = "Celwright frames";
constexpr std::uint8_t kDisposeNone = 0, kDisposeBackground = 1, kDisposePrevious = 2;
constexpr std::uint8_t kBlendSource = 0, kBlendOver = 1;

[[noreturn]] void FailApng(const std::string& reason) {
  throw MediaError("Failed to read animated PNG file: " + reason);
}

struct Chunk {
  std::string type;
  std::span<const std::uint8_t> data;
};

// Every chunk up to IEND, checksums verified.
std::vector<Chunk> SplitChunks(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < sizeof kPngSignature ||
      !std::equal(kPngSignature, kPngSignature + sizeof kPngSignature, bytes.begin())) {
    FailApng("the file is not a PNG picture");
  }
  std::vector<Chunk> chunks;
  std::size_t pos = sizeof kPngSignature;
  for (;;) {
    if (bytes.size() - pos < 12) FailApng("the file ends before its end chunk");
    const std::uint32_t length = LoadBE32(&bytes[pos]);
    if (length > bytes.size() - pos - 12) FailApng("the file ends inside a chunk");
    const std::uint8_t* type = &bytes[pos + 4];
    if (CRC32(type, 4u + length) != LoadBE32(type + 4 + length))
      FailApng("a chunk's checksum is wrong");
    Chunk chunk{std::string(reinterpret_cast<const char*>(type), 4), {type + 4, length}};
    pos += 12u + length;
    if (chunk.type == "IEND") return chunks;
    chunks.push_back(chunk);
  }
}

struct FrameControl {
  std::uint32_t width = 0, height = 0, x = 0, y = 0;
  int delay_ms = 0;
  std::uint8_t dispose = kDisposeNone, blend = kBlendSource;
  std::vector<std::span<const std::uint8_t>> data;  // IDAT or fdAT data without sequence numbers
};

FrameControl ReadFrameControl(std::span<const std::uint8_t> data, std::uint32_t canvas_width,
                              std::uint32_t canvas_height) {
  if (data.size() != 26) FailApng("a frame control chunk has the wrong size");
  FrameControl control;
  control.width = LoadBE32(&data[4]);
  control.height = LoadBE32(&data[8]);
  control.x = LoadBE32(&data[12]);
  control.y = LoadBE32(&data[16]);
  const unsigned numerator = static_cast<unsigned>(data[20] << 8 | data[21]);
  unsigned denominator = static_cast<unsigned>(data[22] << 8 | data[23]);
  if (denominator == 0) denominator = 100;  // as the format says: hundredths of a second
  control.delay_ms = static_cast<int>(numerator * 1000u / denominator);
  control.dispose = data[24];
  control.blend = data[25];
  if (control.width == 0 || control.height == 0 || control.x > canvas_width ||
      control.y > canvas_height || control.width > canvas_width - control.x ||
      control.height > canvas_height - control.y) {
    FailApng("a frame lies outside the picture");
  }
  if (control.dispose > kDisposePrevious || control.blend > kBlendOver) {
    FailApng("a frame has an unknown dispose or blend operation");
  }
  return control;
}

// A frame's own pixels: its data behind the file's header with the frame's size, read by the
// ordinary PNG reader so every colour type, depth and interlacing is handled alike.
RgbaPicture DecodeFramePixels(const FrameControl& control, std::span<const std::uint8_t> header,
                              const std::vector<Chunk>& colour_chunks,
                              const std::filesystem::path& file_name) {
  std::vector<std::uint8_t> png(kPngSignature, kPngSignature + sizeof kPngSignature);
  std::vector<std::uint8_t> frame_header;
  AppendBE32(frame_header, control.width);
  AppendBE32(frame_header, control.height);
  frame_header.insert(frame_header.end(), header.begin() + 8, header.end());
  AppendPngChunk(png, "IHDR", frame_header);
  for (const Chunk& chunk : colour_chunks) {
    AppendPngChunk(png, chunk.type.c_str(), {chunk.data.begin(), chunk.data.end()});
  }
  for (const auto& piece : control.data) AppendPngChunk(png, "IDAT", {piece.begin(), piece.end()});
  AppendPngChunk(png, "IEND", {});
  try {
    return DecodePNGToRGBA(png, file_name);
  } catch (const std::exception& e) {
    FailApng(std::string("a frame cannot be decoded: ") + e.what());
  }
}

std::uint8_t Mix(unsigned source, unsigned source_weight, unsigned target, unsigned target_weight,
                 unsigned total) {
  return static_cast<std::uint8_t>((source * source_weight + target * target_weight + total / 2) /
                                   total);
}

// Straight-alpha "over", as browsers composite APNG frames.
void BlendOver(const std::uint8_t* source, std::uint8_t* target) {
  const unsigned alpha = source[3];
  if (alpha == 255 || target[3] == 0) {
    std::copy(source, source + 4, target);
    return;
  }
  if (alpha == 0) return;
  const unsigned below = target[3] * (255u - alpha);  // scaled by 255
  const unsigned above = alpha * 255u;
  const unsigned total = above + below;
  for (int c = 0; c < 3; ++c) target[c] = Mix(source[c], above, target[c], below, total);
  target[3] = static_cast<std::uint8_t>((total + 127) / 255);
}

void DrawFrame(const RgbaPicture& frame, const FrameControl& control, RgbaPicture& canvas) {
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const std::uint8_t* source = frame.At(x, y);
      std::uint8_t* target =
          canvas.At(static_cast<int>(control.x) + x, static_cast<int>(control.y) + y);
      if (control.blend == kBlendSource) {
        std::copy(source, source + 4, target);
      } else {
        BlendOver(source, target);
      }
    }
  }
}

void ClearRegion(const FrameControl& control, RgbaPicture& canvas) {
  for (std::uint32_t y = 0; y < control.height; ++y) {
    std::uint8_t* row = canvas.At(static_cast<int>(control.x), static_cast<int>(control.y + y));
    std::fill(row, row + 4 * std::size_t{control.width}, 0);
  }
}

std::string NoteOf(std::span<const std::uint8_t> data) {
  const std::string text(data.begin(), data.end());
  const std::string keyword(kNoteKeyword);
  if (text.size() <= keyword.size() || text.compare(0, keyword.size(), keyword) != 0 ||
      text[keyword.size()] != '\0') {
    return {};
  }
  return text.substr(keyword.size() + 1);
}

}  // namespace

bool IsAnimatedPng(std::span<const std::uint8_t> bytes) {
  try {
    for (const Chunk& chunk : SplitChunks(bytes)) {
      if (chunk.type == "acTL") return true;
      if (chunk.type == "IDAT") return false;
    }
  } catch (const MediaError&) {
  }
  return false;
}

ApngAnimation DecodeApng(std::span<const std::uint8_t> bytes,
                         const std::filesystem::path& file_name) {
  const std::vector<Chunk> chunks = SplitChunks(bytes);
  if (chunks.empty() || chunks.front().type != "IHDR" || chunks.front().data.size() != 13) {
    FailApng("the header chunk is missing or damaged");
  }
  const std::span<const std::uint8_t> header = chunks.front().data;
  ApngAnimation animation;
  const std::uint32_t width = LoadBE32(&header[0]), height = LoadBE32(&header[4]);
  if (!PictureSizeAcceptable(width, height)) FailApng("the picture is too large");
  animation.width = static_cast<int>(width);
  animation.height = static_cast<int>(height);

  std::vector<Chunk> colour_chunks;  // PLTE and tRNS, which every frame shares
  std::vector<FrameControl> controls;
  FrameControl default_image;  // the IDAT data when no frame control precedes it
  bool animated = false, seen_data = false;
  std::uint32_t next_sequence = 0;
  const auto check_sequence = [&](std::span<const std::uint8_t> data) {
    if (data.size() < 4 || LoadBE32(data.data()) != next_sequence) {
      FailApng("the animation chunks are out of order");
    }
    ++next_sequence;
  };
  for (std::size_t i = 1; i < chunks.size(); ++i) {
    const Chunk& chunk = chunks[i];
    if (chunk.type == "PLTE" || chunk.type == "tRNS") {
      colour_chunks.push_back(chunk);
    } else if (chunk.type == "acTL") {
      if (chunk.data.size() != 8) FailApng("the animation control chunk has the wrong size");
      if (!seen_data) animated = true;
      if (LoadBE32(chunk.data.data()) > kMaxApngFrames) FailApng("the animation has too many frames");
    } else if (chunk.type == "tEXt") {
      if (std::string note = NoteOf(chunk.data); !note.empty()) animation.note = note;
    } else if (!animated) {
      if (chunk.type == "IDAT") {
        default_image.data.push_back(chunk.data);
        seen_data = true;
      }
    } else if (chunk.type == "fcTL") {
      check_sequence(chunk.data);
      if (controls.size() >= kMaxApngFrames) FailApng("the animation has too many frames");
      controls.push_back(ReadFrameControl(chunk.data, width, height));
      const std::int64_t pixels = std::int64_t{animation.width} * animation.height *
                                  static_cast<std::int64_t>(controls.size());
      if (pixels > kMaxImportedPixels) {
        throw MediaError(TooManyPixelsMessage(static_cast<std::int64_t>(controls.size()),
                                              animation.width, animation.height));
      }
    } else if (chunk.type == "IDAT") {
      seen_data = true;
      // Image data before any frame control is the default image, shown only where animation
      // is not understood.
      (controls.empty() ? default_image : controls.back()).data.push_back(chunk.data);
    } else if (chunk.type == "fdAT") {
      check_sequence(chunk.data);
      if (controls.empty()) FailApng("frame data comes before its frame control");
      controls.back().data.push_back(chunk.data.subspan(4));
    }
  }
  if (!animated) {
    default_image.width = width;
    default_image.height = height;
    controls = {default_image};
  }
  if (controls.empty()) FailApng("the animation has no frames");

  RgbaPicture canvas(animation.width, animation.height);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const FrameControl& control = controls[i];
    if (control.data.empty()) FailApng("frame " + std::to_string(i) + " has no image data");
    const RgbaPicture pixels = DecodeFramePixels(control, header, colour_chunks, file_name);
    std::optional<RgbaPicture> before;
    if (control.dispose == kDisposePrevious && i > 0) before = canvas;
    DrawFrame(pixels, control, canvas);
    animation.frames.push_back(canvas);
    animation.delays_ms.push_back(control.delay_ms);
    if (before) {
      canvas = std::move(*before);
    } else if (control.dispose != kDisposeNone) {
      ClearRegion(control, canvas);  // the first frame's "previous" is the cleared canvas
    }
  }
  return animation;
}

std::vector<std::uint8_t> EncodeApng(const std::vector<RgbaPicture>& frames,
                                     const std::vector<int>& delays_ms, const std::string& note) {
  if (frames.empty() || frames.front().Empty()) {
    throw std::invalid_argument("An animated PNG needs at least one non-empty frame");
  }
  const RgbaPicture& first = frames.front();
  std::vector<std::uint8_t> out(kPngSignature, kPngSignature + sizeof kPngSignature);
  AppendPngChunk(out, "IHDR", RgbaHeaderData(first));
  std::vector<std::uint8_t> control;
  AppendBE32(control, static_cast<std::uint32_t>(frames.size()));
  AppendBE32(control, 0);  // loop for ever
  AppendPngChunk(out, "acTL", control);
  if (!note.empty()) {
    const std::string text = std::string(kNoteKeyword) + '\0' + note;
    AppendPngChunk(out, "tEXt", {text.begin(), text.end()});
  }
  std::uint32_t sequence = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const RgbaPicture& frame = frames[i];
    if (frame.width != first.width || frame.height != first.height) {
      throw std::invalid_argument("The frames of an animated PNG must share one size");
    }
    std::vector<std::uint8_t> fctl;
    AppendBE32(fctl, sequence++);
    AppendBE32(fctl, static_cast<std::uint32_t>(frame.width));
    AppendBE32(fctl, static_cast<std::uint32_t>(frame.height));
    AppendBE32(fctl, 0);
    AppendBE32(fctl, 0);
    const int delay = std::clamp(i < delays_ms.size() ? delays_ms[i] : 100, 0, 65535);
    fctl.insert(fctl.end(), {static_cast<std::uint8_t>(delay >> 8),
                             static_cast<std::uint8_t>(delay & 0xFF), 0x03, 0xE8,  // of 1000
                             kDisposeNone, kBlendSource});
    AppendPngChunk(out, "fcTL", fctl);
    std::vector<std::uint8_t> data;
    if (i > 0) AppendBE32(data, sequence++);
    const std::vector<std::uint8_t> packed = DeflatePngData(UnfilteredRgbaRows(frame));
    data.insert(data.end(), packed.begin(), packed.end());
    AppendPngChunk(out, i == 0 ? "IDAT" : "fdAT", data);
  }
  AppendPngChunk(out, "IEND", {});
  return out;
}

}  // namespace celwright
