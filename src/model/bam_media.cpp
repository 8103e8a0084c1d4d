#include "model/qm_BAM.h"

#include <array>

#include "model/bam_export.h"
#include "support/image_io/image_file.h"
#include "support/media/avi_reader.h"
#include "support/media/avi_writer.h"
#include "support/media/gif_codec.h"
#include "support/media/octree_quantizer.h"
#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

// The cycle's frames rendered in the export box as 8-bit pictures over one shared palette.
// Paletted documents keep their exact indices with the display palette, so transparent and
// shadow pixels show in their display colours; unpaletted ones get a palette made for them.
struct PalettedCycle {
  Palette256 palette{};
  std::vector<Bitmap> frames;
};

PalettedCycle RenderCycle(const TBAM& bam, const TCycleItem& cycle, const ExportBox& box) {
  PalettedCycle result;
  if (bam.BAMType != kUnpalettedBAM) {
    result.palette = bam.GetDisplayHPalette();
    for (std::int32_t j = 0; j < cycle.Count; ++j) {
      Bitmap indices(box.Width(), box.Height(), PixelFormat::Bits8);
      indices.ColorTable() = result.palette;
      std::fill(indices.Pixels().begin(), indices.Pixels().end(),
                static_cast<std::uint8_t>(bam.TranspInd));
      const std::int32_t frame_index = cycle.Frames[j];
      const TBAMFrame frame = bam.GetFrame(frame_index);
      const std::vector<std::uint8_t> raw = bam.DecodeFrame(frame_index);
      for (int y = 0; y < frame.Height; ++y) {
        for (int x = 0; x < frame.Width; ++x) {
          indices.SetIndex(box.FrameLeft(frame) + x, box.FrameTop(frame) + y,
                           raw[static_cast<std::size_t>(y) * frame.Width + x]);
        }
      }
      result.frames.push_back(std::move(indices));
    }
    return result;
  }
  std::vector<Bitmap> pictures;
  OctreeQuantizer quantizer;
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    pictures.push_back(RenderInBox(bam, cycle.Frames[j], box));
    quantizer.AddPicture(pictures.back());
  }
  const ReducedPalette reduced = quantizer.BuildPalette(256);
  result.palette = reduced.colors;
  NearestColorMapper mapper(reduced.colors, std::max(1, reduced.count));
  for (const Bitmap& picture : pictures) result.frames.push_back(mapper.Map(picture));
  return result;
}

TCycleItem ExportedCycle(const TBAM& bam, std::int32_t cycle_number) {
  const TCycleItem cycle = bam.GetCycle(ResolveExportCycle(bam, cycle_number));
  if (cycle.Count == 0) throw std::runtime_error("The sequence is empty; there is nothing to export");
  return cycle;
}

}  // namespace

void TBAM::ExportAVI(const std::string& file_name, std::int32_t cycle_number) const {
  const TCycleItem cycle = ExportedCycle(*this, cycle_number);
  const ExportBox box = ComputeExportBox(*this, cycle);
  const PalettedCycle rendered = RenderCycle(*this, cycle, box);
  // The cycle's entries are samples 1 to n; sample 0 stays an empty placeholder.
  WriteAvi(WithExtension(file_name, ".avi"), rendered.palette, rendered.frames, true);
}

void TBAM::ExportGIF(const std::string& file_name, std::int32_t cycle_number) const {
  const TCycleItem cycle = ExportedCycle(*this, cycle_number);
  const ExportBox box = ComputeExportBox(*this, cycle);
  const PalettedCycle rendered = RenderCycle(*this, cycle, box);
  WriteAnimatedGif(WithExtension(file_name, ".gif"), rendered.palette, rendered.frames);
}

void TBAM::ExportBMP(const std::string& file_name, std::int32_t cycle_number) const {
  const TCycleItem cycle = ExportedCycle(*this, cycle_number);
  const ExportBox box = ComputeExportBox(*this, cycle);
  const bool paletted = BAMType != kUnpalettedBAM;
  // One picture with the frames side by side, each in a box-sized cell.
  Bitmap strip(box.Width() * cycle.Count, box.Height(),
               paletted ? PixelFormat::Bits8 : PixelFormat::Bits24);
  if (paletted) {
    strip.ColorTable() = GetDisplayHPalette();
    std::fill(strip.Pixels().begin(), strip.Pixels().end(), static_cast<std::uint8_t>(TranspInd));
  }
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    const std::int32_t frame_index = cycle.Frames[j];
    const TBAMFrame frame = GetFrame(frame_index);
    const int left = j * box.Width() + box.FrameLeft(frame), top = box.FrameTop(frame);
    if (paletted) {
      const std::vector<std::uint8_t> raw = DecodeFrame(frame_index);
      for (int y = 0; y < frame.Height; ++y)
        for (int x = 0; x < frame.Width; ++x)
          strip.SetIndex(left + x, top + y, raw[static_cast<std::size_t>(y) * frame.Width + x]);
    } else {
      const Bitmap cell = RenderInBox(*this, frame_index, box);
      for (int y = 0; y < cell.Height(); ++y)
        for (int x = 0; x < cell.Width(); ++x)
          strip.SetPixel(j * box.Width() + x, y, cell.GetPixel(x, y));
    }
  }
  SaveImageFile(strip, kImageKindBitmap, WithExtension(file_name, ".bmp"));
}

void TBAM::AppendImportedFrame(const Bitmap& picture, NearestColorMapper* mapper) {
  InsertFrame(-1, CycleCount() - 1, -1, false);
  const std::int32_t index = FrameCount() - 1;
  TBAMFrame info = GetFrame(index);
  info.Width = picture.Width();
  info.Height = picture.Height();
  info.CentreX = info.Width / 2;
  info.CentreY = info.Height / 2;
  if (BAMType == kUnpalettedBAM || !mapper) {
    Bitmap colours(picture.Width(), picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) colours.SetPixel(x, y, picture.GetPixel(x, y));
    SetFrameBitmap(index, colours, info);
    return;
  }
  if (picture.Format() == PixelFormat::Bits8) {
    // Map each colour of the picture's table once, then every pixel through that table.
    std::array<std::uint8_t, 256> to_document{};
    for (int i = 0; i < 256; ++i) to_document[i] = mapper->IndexOf(ToColor(picture.ColorTable()[i]));
    Bitmap indices(picture.Width(), picture.Height(), PixelFormat::Bits8);
    for (std::size_t p = 0; p < indices.Pixels().size(); ++p) {
      indices.Pixels()[p] = to_document[picture.Pixels()[p]];
    }
    SetFrameBitmap(index, indices, info);
    return;
  }
  SetFrameBitmap(index, mapper->Map(picture), info);
}

void TBAM::ImportAVI(const std::string& file_name) {
  AviReader reader(file_name);  // throws before anything changes when the file cannot be read
  AddCycle(-1);
  NearestColorMapper mapper(GetDisplayHPalette());
  AviFrame frame;
  while (reader.ReadFrame(frame)) {
    if (frame.is_placeholder) continue;
    AppendImportedFrame(frame.picture, &mapper);
  }
}

void TBAM::ImportGIF(const std::string& file_name) {
  const AnimatedGif gif = ReadAnimatedGif(file_name);
  const bool was_empty = FrameCount() == 0 && CycleCount() == 0;
  AddCycle(-1);
  if (was_empty && BAMType != kUnpalettedBAM) Palette = gif.global_colors;
  NearestColorMapper mapper(GetDisplayHPalette());
  for (const Bitmap& picture : gif.frames) AppendImportedFrame(picture, &mapper);
}

}  // namespace celwright
