#include "support/media/avi_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "support/file_io.h"
#include "support/media/media_error.h"

namespace celwright {

namespace {

constexpr char kCreateFailed[] = "Failed to create AVI file";
constexpr char kAddFailed[] = "Failed to add frame to AVI";
constexpr char kFinishFailed[] = "Failed to finish AVI file";

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAviifKeyFrame = 0x10;
constexpr std::uint32_t kBitmapInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteBytes = 256 * 4;
constexpr std::uint32_t kHeaderBytes = 1248;  // RIFF header, hdrl list, LIST 'movi' header
constexpr std::uint32_t kMoviTypeOffset = kHeaderBytes - 4;
// RIFF sizes are 32-bit and many readers treat them as signed: stay well below 2 GiB.
constexpr std::uint64_t kMaxFileBytes = 0x7F000000u;

class ByteWriter {
 public:
  void FourCC(const char* code) { bytes_.insert(bytes_.end(), code, code + 4); }
  void U16(std::uint32_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

AviWriter::AviWriter(const std::filesystem::path& path, int width, int height,
                     const Palette256& palette)
    : path_(path), width_(width), height_(height), palette_(palette) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
    throw MediaError(kCreateFailed);
  row_bytes_ = (static_cast<std::uint32_t>(width) + 3u) & ~3u;
  const std::uint64_t frame_bytes = std::uint64_t{row_bytes_} * static_cast<std::uint32_t>(height);
  if (frame_bytes + kHeaderBytes > kMaxFileBytes) throw MediaError(kCreateFailed);
  frame_bytes_ = static_cast<std::uint32_t>(frame_bytes);
  try {
    path_ = SaveTarget(path);
    const int descriptor = CreateTemporaryBeside(path_, temporary_);
    file_ = fdopen(descriptor, "wb");
    if (!file_) {
      const std::string reason = std::strerror(errno);
      close(descriptor);
      std::filesystem::remove(temporary_);
      throw std::runtime_error(reason);
    }
  } catch (const std::runtime_error& e) {
    file_ = nullptr;
    throw MediaError(std::string(kCreateFailed) + ": " + e.what());
  }
  const std::vector<std::uint8_t> headers = Headers();
  if (std::fwrite(headers.data(), 1, headers.size(), file_) != headers.size()) {
    Discard();
    throw MediaError(kCreateFailed);
  }
}

AviWriter::~AviWriter() { Discard(); }

void AviWriter::Discard() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

std::vector<std::uint8_t> AviWriter::Headers() const {
  const auto frames = static_cast<std::uint32_t>(index_.size());
  const std::uint64_t index_bytes = 8 + 16 * std::uint64_t{frames};
  const auto riff_size =
      static_cast<std::uint32_t>(kHeaderBytes - 8 + movi_bytes_ - 4 + index_bytes);

  ByteWriter w;
  w.FourCC("RIFF");
  w.U32(riff_size);
  w.FourCC("AVI ");
  w.FourCC("LIST");
  w.U32(1216);
  w.FourCC("hdrl");

  w.FourCC("avih");
  w.U32(56);
  w.U32(1000000 / kFramesPerSecond);  // microseconds per frame
  w.U32(frame_bytes_ * kFramesPerSecond);
  w.U32(0);  // padding granularity
  w.U32(kAvifHasIndex);
  w.U32(frames);
  w.U32(0);  // initial frames
  w.U32(1);  // streams
  w.U32(frame_bytes_);
  w.U32(static_cast<std::uint32_t>(width_));
  w.U32(static_cast<std::uint32_t>(height_));
  for (int i = 0; i < 4; ++i) w.U32(0);

  w.FourCC("LIST");
  w.U32(1140);
  w.FourCC("strl");
  w.FourCC("strh");
  w.U32(56);
  w.FourCC("vids");
  w.U32(0);  // handler: none, the frames are plain DIBs
  w.U32(0);  // flags
  w.U16(0);  // priority
  w.U16(0);  // language
  w.U32(0);  // initial frames
  w.U32(1);  // scale
  w.U32(kFramesPerSecond);
  w.U32(first_sample_);  // start
  w.U32(frames);
  w.U32(frame_bytes_);
  w.U32(0);  // quality
  w.U32(0);  // sample size: varies, as the empty sample shows
  w.U16(0);
  w.U16(0);
  w.U16(static_cast<std::uint32_t>(width_));
  w.U16(static_cast<std::uint32_t>(height_));

  w.FourCC("strf");
  w.U32(kBitmapInfoHeaderSize + kPaletteBytes);
  w.U32(kBitmapInfoHeaderSize);
  w.U32(static_cast<std::uint32_t>(width_));
  w.U32(static_cast<std::uint32_t>(height_));  // positive: rows bottom-up
  w.U16(1);                                    // planes
  w.U16(8);                                    // bits per pixel
  w.U32(0);                                    // BI_RGB
  w.U32(frame_bytes_);
  w.U32(0);
  w.U32(0);
  w.U32(256);  // colours used
  w.U32(0);
  for (const RGBTriple& entry : palette_) {
    w.Bytes().push_back(entry.b);
    w.Bytes().push_back(entry.g);
    w.Bytes().push_back(entry.r);
    w.Bytes().push_back(0);
  }

  w.FourCC("LIST");
  w.U32(static_cast<std::uint32_t>(movi_bytes_));
  w.FourCC("movi");
  return std::move(w.Bytes());
}

void AviWriter::WriteChunk(const std::uint8_t* data, std::uint32_t size, const char* failure) {
  if (!file_) throw MediaError(failure);
  if (kHeaderBytes + movi_bytes_ + 8 + size + 16 * (index_.size() + 1) + 8 > kMaxFileBytes) {
    Discard();
    throw MediaError(failure);
  }
  ByteWriter header;
  header.FourCC("00db");
  header.U32(size);
  const bool written = std::fwrite(header.Bytes().data(), 1, 8, file_) == 8 &&
                       (size == 0 || std::fwrite(data, 1, size, file_) == size);
  if (!written) {
    const std::string reason = std::strerror(errno);
    Discard();
    throw MediaError(std::string(failure) + ": " + reason);
  }
  index_.push_back(
      {static_cast<std::uint32_t>(kHeaderBytes + movi_bytes_ - 4 - kMoviTypeOffset), size});
  movi_bytes_ += 8 + size;
}

void AviWriter::StartAtSampleOne() {
  if (!index_.empty() || !file_) {
    Discard();
    throw MediaError(kAddFailed);
  }
  // An empty chunk would do too, but readers count it in the headers' frame totals and then
  // decode one frame fewer than announced.
  first_sample_ = 1;
}

void AviWriter::AddFrame(const Bitmap& indices) {
  if (indices.Format() != PixelFormat::Bits8 || indices.Width() != width_ ||
      indices.Height() != height_) {
    Discard();
    throw MediaError(kAddFailed);
  }
  frame_buffer_.assign(frame_bytes_, 0);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(frame_buffer_.data() + std::size_t{row_bytes_} * (height_ - 1 - y), indices.Row(y),
                static_cast<std::size_t>(width_));
  }
  WriteChunk(frame_buffer_.data(), frame_bytes_, kAddFailed);
}

void AviWriter::Finish() {
  if (!file_) throw MediaError(kFinishFailed);
  ByteWriter index;
  index.FourCC("idx1");
  index.U32(static_cast<std::uint32_t>(16 * index_.size()));
  for (const IndexEntry& entry : index_) {
    index.FourCC("00db");
    index.U32(kAviifKeyFrame);
    index.U32(entry.offset);
    index.U32(entry.size);
  }
  const std::vector<std::uint8_t> headers = Headers();
  bool ok =
      std::fwrite(index.Bytes().data(), 1, index.Bytes().size(), file_) == index.Bytes().size() &&
      std::fseek(file_, 0, SEEK_SET) == 0 &&
      std::fwrite(headers.data(), 1, headers.size(), file_) == headers.size();
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (!ok) {
    const std::string reason = std::strerror(errno);
    std::error_code error;
    std::filesystem::remove(temporary_, error);
    throw MediaError(std::string(kFinishFailed) + ": " + reason);
  }
  try {
    CommitTemporary(temporary_, path_);
  } catch (const std::runtime_error& e) {
    throw MediaError(std::string(kFinishFailed) + ": " + e.what());
  }
}

void WriteAvi(const std::filesystem::path& path, const Palette256& palette,
              const std::vector<Bitmap>& frames, bool empty_first_sample) {
  if (frames.empty()) throw MediaError(kCreateFailed);
  AviWriter writer(path, frames.front().Width(), frames.front().Height(), palette);
  if (empty_first_sample) writer.StartAtSampleOne();
  for (const Bitmap& frame : frames) writer.AddFrame(frame);
  writer.Finish();
}

}  // namespace celwright
