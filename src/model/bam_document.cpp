#include "model/qm_BAM.h"

#include <algorithm>
#include <numeric>

namespace celwright {

TBAM::TBAM() = default;

TBAM::~TBAM() {
  if (PreviewThread) {
    PreviewThread->Cancel();
    PreviewThread.reset();
  }
  *alive_ = false;
  if (IsOpen) Clear();
}

void TBAM::MakePreviews(PreviewCallbacks callbacks) {
  ReplacePreviewThread(std::move(callbacks));
  PreviewThread->Start();
}

void TBAM::MakePreviewsOnDemand(PreviewCallbacks callbacks, std::function<void()> on_idle) {
  ReplacePreviewThread(std::move(callbacks));
  PreviewThread->StartOnDemand(std::move(on_idle));
}

void TBAM::RequestPreviews(std::vector<std::int32_t> frames) {
  if (PreviewThread) PreviewThread->Request(std::move(frames));
}

void TBAM::ReplacePreviewThread(PreviewCallbacks callbacks) {
  if (PreviewThread) PreviewThread->Supersede();
  PreviewThread.reset();  // waits for the previous worker
  PreviewsAborted = false;
  auto finish = [this, alive = alive_](bool aborted) {
    if (*alive) PreviewsAborted = aborted;
  };
  PreviewThread = std::make_unique<TMakePreviewThread>(CloneContent(), std::move(callbacks),
                                                       std::move(finish));
}

void TBAM::CancelPreviews() {
  if (PreviewThread) PreviewThread->Cancel();
}

std::unique_ptr<TBAM> TBAM::CloneContent() const {
  auto copy = std::make_unique<TBAM>();
  copy->LookupCount = LookupCount;
  copy->BAMType = BAMType;
  copy->CompCol = CompCol;
  copy->CompColIndex = CompColIndex;
  copy->TranspInd = TranspInd;
  copy->ShadowInd = ShadowInd;
  copy->DataStart = DataStart;
  copy->Palette = Palette;
  copy->PaletteFourthBytes = PaletteFourthBytes;
  copy->IsOpen = IsOpen;
  copy->Data = Data;
  copy->FileName = FileName;
  copy->Compressed = Compressed;
  copy->OverrideTransCol = OverrideTransCol;
  copy->OverrideShadowCol = OverrideShadowCol;
  copy->TransCol = TransCol;
  copy->ShadowCol = ShadowCol;
  copy->PageFolders = PageFolders;
  copy->Textures = Textures;
  copy->PageSave = PageSave;
  copy->frames_ = frames_;
  copy->frame_ends_ = frame_ends_;
  copy->cycles_ = cycles_;
  return copy;
}

void TBAM::Clear() {
  Data.clear();
  frames_.clear();
  frame_ends_.clear();
  cycles_.clear();
  IsOpen = false;
}

bool TBAM::NewBAM(const std::string& file_name, bool no_frames) {
  FileName = file_name;
  ErrorCode = 0;
  ErrorMessage.clear();
  Warnings.clear();
  if (IsOpen) Clear();
  IsOpen = true;
  CompColIndex = 0;
  FrameEntriesOffset = PaletteOffset = LookupOffset = CycleEntriesOffset = 0;
  LookupCount = 0;
  Palette.fill(RGBTriple{});
  PaletteFourthBytes.fill(0);
  DataStart = 0;
  TranspInd = 0;
  ShadowInd = 1;
  BAMType = kPalettedBAM;
  Compressed = true;
  if (!no_frames) {
    AddCycle(-1);
    InsertFrame(-1, 0, -1, false);
  }
  return true;
}

TColor TBAM::GetTransCol() const {
  if (OverrideTransCol || !Paletted()) return TransCol;
  return ToColor(Palette[0]);
}

TColor TBAM::GetShadowCol() const {
  if (OverrideShadowCol || !Paletted()) return ShadowCol;
  return ToColor(Palette[1]);
}

TBAMFrame TBAM::GetFrame(std::int32_t index) const {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 2));
  TBAMFrame frame = frames_[index];
  frame.DataOffset = static_cast<std::int32_t>(FrameDataPosition(index));
  return frame;
}

TCycleItem TBAM::GetCycle(std::int32_t index) const {
  if (index < 0 || index >= CycleCount()) {
    throw EFrameNotExists("Requested cycle (" + std::to_string(index) + ") does not exist! (1)");
  }
  return cycles_[index];
}

void TBAM::RebuildFramePositions() {
  frame_ends_.resize(frames_.size());
  std::size_t end = 0;
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    end += static_cast<std::size_t>(frames_[i].DataSize);
    frame_ends_[i] = end;
  }
}

void TBAM::ShiftFramePositions(std::size_t from_frame, std::int64_t delta) {
  if (delta == 0) return;
  for (std::size_t i = from_frame; i < frame_ends_.size(); ++i) {
    frame_ends_[i] = static_cast<std::size_t>(static_cast<std::int64_t>(frame_ends_[i]) + delta);
  }
}

std::size_t TBAM::FrameDataPosition(std::int32_t index) const {
  // The table is kept current by every change of frames_; a mismatch in length can only come
  // from code that replaced the frame list wholesale, and is mended here.
  if (frame_ends_.size() != frames_.size()) const_cast<TBAM*>(this)->RebuildFramePositions();
  const std::int32_t clamped = std::clamp<std::int32_t>(index, 0, FrameCount());
  const std::size_t before = clamped == 0 ? 0 : frame_ends_[static_cast<std::size_t>(clamped) - 1];
  return static_cast<std::size_t>(DataStart) + before;
}

rle::Key TBAM::CompressionKey() const {
  if (BAMType == kTrueColourBAM) return rle::Key::Rgba();
  if (BAMType == kUnpalettedBAM) {
    return rle::Key::Colour(RedOf(CompCol), GreenOf(CompCol), BlueOf(CompCol));
  }
  return rle::Key::Index(CompColIndex);
}

void TBAM::SpliceData(std::size_t position, std::size_t old_size,
                      const std::vector<std::uint8_t>& bytes) {
  // Replace in place where the sizes allow, so frame edits do not copy the whole stream.
  if (old_size == bytes.size()) {
    std::copy(bytes.begin(), bytes.end(), Data.begin() + static_cast<std::ptrdiff_t>(position));
    return;
  }
  // Otherwise the tail moves once: by the difference, not out and back in.
  const auto at = static_cast<std::ptrdiff_t>(position);
  const auto common = static_cast<std::ptrdiff_t>(std::min(old_size, bytes.size()));
  std::copy(bytes.begin(), bytes.begin() + common, Data.begin() + at);
  if (bytes.size() > old_size) {
    Data.insert(Data.begin() + at + common, bytes.begin() + common, bytes.end());
  } else {
    Data.erase(Data.begin() + at + common,
               Data.begin() + at + static_cast<std::ptrdiff_t>(old_size));
  }
}

void TBAM::ReplaceFrameData(std::int32_t index, const std::vector<std::uint8_t>& bytes,
                            const TBAMFrame& info) {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  TBAMFrame& node = frames_[index];
  SpliceData(FrameDataPosition(index), static_cast<std::size_t>(node.DataSize), bytes);
  ShiftFramePositions(static_cast<std::size_t>(index),
                      static_cast<std::int64_t>(bytes.size()) - node.DataSize);
  node.DataSize = static_cast<std::int32_t>(bytes.size());
  node.Height = info.Height;
  node.Width = info.Width;
  node.CentreX = info.CentreX;
  node.CentreY = info.CentreY;
  node.RLE = info.RLE;
}

namespace {

std::string FrameSizeText(std::int32_t index, const TBAMFrame& frame) {
  return "Frame " + std::to_string(index) + " (" + std::to_string(frame.Width) + " x " +
         std::to_string(frame.Height) + " pixels)";
}

}  // namespace

std::vector<std::uint8_t> TBAM::DecodeFrame(std::int32_t index) const {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  const TBAMFrame& frame = frames_[index];
  const std::size_t pixels =
      static_cast<std::size_t>(frame.Width) * static_cast<std::size_t>(frame.Height);
  if (pixels > kMaxDecodedFramePixels) {
    throw FrameTooLargeError(FrameSizeText(index, frame) +
                             " is too large to decode in memory; frames of at most " +
                             std::to_string(kMaxDecodedFramePixels) +
                             " pixels (8192 x 8192) can be shown, edited or exported");
  }
  std::vector<std::uint8_t> raw(pixels * BytesPerPixel());
  const std::size_t position = FrameDataPosition(index);
  const std::size_t available = position <= Data.size() ? Data.size() - position : 0;
  const std::size_t size = std::min(available, static_cast<std::size_t>(frame.DataSize));
  rle::Decode(Data.data() + position, size, raw.data(), pixels, CompressionKey(), frame.RLE);
  return raw;
}

void TBAM::DecodeFrameInChunks(
    std::int32_t index, const std::function<void(const std::uint8_t*, std::size_t)>& chunk) const {
  if (index < 0 || index >= FrameCount()) throw EFrameNotExists(FrameNotExistsMessage(index, 1));
  const TBAMFrame& frame = frames_[index];
  const std::size_t pixels =
      static_cast<std::size_t>(frame.Width) * static_cast<std::size_t>(frame.Height);
  const std::size_t position = FrameDataPosition(index);
  const std::size_t available = position <= Data.size() ? Data.size() - position : 0;
  const std::size_t size = std::min(available, static_cast<std::size_t>(frame.DataSize));
  const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel());
  constexpr std::size_t kChunkPixels = std::size_t{1} << 18;
  std::vector<std::uint8_t> buffer(std::min(pixels, kChunkPixels) * bpp);
  rle::StreamDecoder decoder(Data.data() + position, size, CompressionKey(), frame.RLE);
  std::size_t done = 0;
  while (done < pixels) {
    const std::size_t want = std::min(kChunkPixels, pixels - done);
    const std::size_t got = decoder.Next(buffer.data(), want);
    // Pixels the data does not hold stay zero, as DecodeFrame leaves them.
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(got * bpp),
              buffer.begin() + static_cast<std::ptrdiff_t>(want * bpp), 0);
    chunk(buffer.data(), want * bpp);
    done += want;
  }
}

std::vector<std::uint8_t> TBAM::TransparentFrameBytes(std::int32_t width, std::int32_t height,
                                                      bool& rle) const {
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  // True colour: every byte 0 is alpha 0.
  std::uint8_t pixel[4] = {static_cast<std::uint8_t>(TranspInd), 0, 0, 0};
  if (BAMType == kTrueColourBAM) {
    rle = false;
    return std::vector<std::uint8_t>(pixels * 4, 0);
  }
  if (BAMType == kUnpalettedBAM) {
    const TColor transparent = GetTransCol();
    pixel[0] = RedOf(transparent);
    pixel[1] = GreenOf(transparent);
    pixel[2] = BlueOf(transparent);
  }
  const rle::Key key = CompressionKey();
  std::vector<std::uint8_t> encoded;
  {
    rle::Encoder encoder(key, encoded);
    encoder.AddRepeated(pixel, pixels);
  }
  const std::size_t raw_size = pixels * key.bytes_per_pixel;
  rle = encoded.size() < raw_size;
  if (rle) return encoded;
  std::vector<std::uint8_t> raw(raw_size);
  for (std::size_t i = 0; i < pixels; ++i) {
    std::copy(pixel, pixel + key.bytes_per_pixel, raw.begin() + static_cast<std::ptrdiff_t>(i) *
                                                                      key.bytes_per_pixel);
  }
  return raw;
}

void TBAM::Progress(const TProgressEvent& on_progress, std::int32_t position, std::int32_t max,
                    std::uint8_t stage) const {
  if (on_progress) on_progress(position, max, stage);
}

}  // namespace celwright
