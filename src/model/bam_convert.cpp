#include "model/qm_BAM.h"

#include <algorithm>

#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

constexpr std::uint8_t kStageScanning = 1;
constexpr std::uint8_t kStageConverting = 2;
constexpr std::uint8_t kStageStoring = 3;

}  // namespace

void TBAM::SetBAMType(std::uint8_t new_type) {
  if (new_type == BAMType) return;
  if (new_type == kTrueColourBAM && (BAMType == kPalettedBAM || BAMType == kUnpalettedBAM)) {
    ConvertToTrueColour();
    return;
  }
  if (BAMType == kTrueColourBAM && (new_type == kPalettedBAM || new_type == kUnpalettedBAM)) {
    ConvertFromTrueColour(new_type);
    return;
  }
  if (BAMType == kUnpalettedBAM && new_type == kPalettedBAM) {
    ConvertToPaletted();
  } else if (BAMType == kPalettedBAM && new_type == kUnpalettedBAM) {
    ConvertToUnpaletted();
  } else {
    BAMType = new_type;
  }
}

void TBAM::StoreConvertedFrames(std::vector<std::uint8_t> data, int bytes_per_pixel) {
  std::int32_t offset = 0;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    TBAMFrame& frame = frames_[i];
    frame.DataSize = frame.Width * frame.Height * bytes_per_pixel;
    frame.RLE = false;
    frame.DataOffset = offset;
    offset += frame.DataSize;
    Progress(OnProgress, i + 1, FrameCount(), kStageStoring);
  }
  DataStart = 0;
  Data = std::move(data);
  RebuildFramePositions();
}

void TBAM::ConvertToPaletted() {
  Progress(OnProgress, 0, 0, kStageLoadStart);
  const TColor transparent = TransCol, shadow = ShadowCol;

  // One palette for all frames together. The transparent and shadow colours have entries of
  // their own, so the quantiser only chooses the other 254.
  // Frames drawn for the scan are kept for the mapping pass while they fit in this budget, so
  // large pictures are not drawn twice.
  constexpr std::size_t kKeptPictureBytes = std::size_t{64} << 20;
  std::vector<Bitmap> kept;
  std::size_t kept_bytes = 0;
  OctreeQuantizer quantizer;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    Bitmap picture;
    GetFrameBitmap(i, picture, nullptr);
    AddDocumentColours(quantizer, picture, transparent, shadow);
    if (kept.size() == static_cast<std::size_t>(i) &&
        kept_bytes + picture.Pixels().size() <= kKeptPictureBytes) {
      kept_bytes += picture.Pixels().size();
      kept.push_back(std::move(picture));
    }
    Progress(OnProgress, i + 1, FrameCount(), kStageScanning);
  }
  const Palette256 palette = BuildDocumentPalette(quantizer, transparent, shadow);
  ReservedEntryMapper mapper(palette, transparent, shadow);

  std::vector<std::uint8_t> data;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    Bitmap picture;
    if (static_cast<std::size_t>(i) < kept.size()) {
      picture = std::move(kept[static_cast<std::size_t>(i)]);
    } else {
      GetFrameBitmap(i, picture, nullptr);
    }
    const std::size_t start = data.size();
    data.resize(start + static_cast<std::size_t>(picture.Width()) * picture.Height());
    if (ConversionDithering == Dithering::kNone) {
      for (int y = 0; y < picture.Height(); ++y) {
        mapper.MapRow(picture.Row(y), picture.Width(),
                      data.data() + start + static_cast<std::size_t>(y) * picture.Width());
      }
    } else {
      const Bitmap indices = mapper.MapDithered(picture, ConversionDithering);
      std::copy(indices.Pixels().begin(), indices.Pixels().end(),
                data.begin() + static_cast<std::ptrdiff_t>(start));
    }
    Progress(OnProgress, i + 1, FrameCount(), kStageConverting);
  }
  Palette = palette;
  PaletteFourthBytes.fill(0);
  TranspInd = 0;
  ShadowInd = 1;
  StoreConvertedFrames(std::move(data), 1);
  Progress(OnProgress, 0, 0, kStageFinished);
  BAMType = kPalettedBAM;
}

void TBAM::ConvertToUnpaletted() {
  Progress(OnProgress, 0, 0, kStageLoadStart);
  // From now on transparency and shadow are recognised by colour, so they must be the colours
  // the pixels are shown in at this moment.
  TransCol = GetTransCol();
  ShadowCol = GetShadowCol();
  CompCol = TransCol;
  Progress(OnProgress, 1, 1, kStageScanning);

  std::vector<std::uint8_t> data;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    Bitmap picture;
    GetFrameBitmap(i, picture, nullptr);
    for (int y = 0; y < picture.Height(); ++y) {
      const std::uint8_t* row = picture.Row(y);
      for (int x = 0; x < picture.Width(); ++x) {
        data.push_back(row[3 * x + 2]);
        data.push_back(row[3 * x + 1]);
        data.push_back(row[3 * x]);
      }
    }
    Progress(OnProgress, i, FrameCount(), kStageConverting);
  }
  StoreConvertedFrames(std::move(data), 3);
  Progress(OnProgress, 0, 0, kStageFinished);
  BAMType = kUnpalettedBAM;
}

}  // namespace celwright
