#include "model/qm_BAM.h"

#include <algorithm>
#include <array>

#include "model/bam_export.h"
#include "support/file_io.h"
#include "support/image_io/bmp_file.h"
#include "support/media/avi_reader.h"
#include "support/media/avi_writer.h"
#include "support/media/gif_codec.h"
#include "support/media/media_error.h"
#include "support/media/media_limits.h"
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
  if (bam.Paletted()) {
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
  // Entry 0 is the transparent colour here too, as exported GIFs show entry 0 see-through.
  std::vector<Bitmap> pictures;
  OctreeQuantizer quantizer;
  const TColor transparent = bam.GetTransCol(), shadow = bam.GetShadowCol();
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    pictures.push_back(RenderInBox(bam, cycle.Frames[j], box));
    AddDocumentColours(quantizer, pictures.back(), transparent, shadow);
  }
  result.palette = BuildDocumentPalette(quantizer, transparent, shadow);
  ReservedEntryMapper mapper(result.palette, transparent, shadow);
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
  const bool paletted = Paletted();
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
  // Written directly rather than through SaveImageFile, which would add ".bmp" to "STRIP.BMP".
  const std::string target = WithExtension(file_name, ".bmp");
  try {
    WriteFileAtomically(target, EncodeBMP(strip));
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot write " + target + ": " + e.what());
  }
}

void TBAM::AppendImportedFrame(const Bitmap& pixels) {
  InsertFrame(-1, CycleCount() - 1, -1, false);
  const std::int32_t index = FrameCount() - 1;
  TBAMFrame info = GetFrame(index);
  info.Width = pixels.Width();
  info.Height = pixels.Height();
  info.CentreX = info.Width / 2;
  info.CentreY = info.Height / 2;
  SetFrameBitmap(index, pixels, info);
}

ReservedEntryMapper TBAM::ImportMapper() const {
  return ReservedEntryMapper(GetDisplayHPalette(), GetTransCol(), GetShadowCol());
}

void TBAM::ImportAVI(const std::string& file_name) {
  AviReader reader(file_name);  // throws before anything changes when the file cannot be read
  const std::int64_t declared = std::max<std::int64_t>(reader.DeclaredFrameCount(), 1);
  if (declared * reader.Width() * reader.Height() > kMaxImportedPixels) {
    throw MediaError(TooManyPixelsMessage(declared, reader.Width(), reader.Height()));
  }
  AddCycle(-1);
  ReservedEntryMapper mapper = ImportMapper();
  std::int64_t pixels = 0;
  AviFrame frame;
  while (reader.ReadFrame(frame)) {
    if (frame.is_placeholder) continue;
    const Bitmap& picture = frame.picture;
    pixels += std::int64_t{picture.Width()} * picture.Height();
    if (pixels > kMaxImportedPixels) {
      throw MediaError(TooManyPixelsMessage(FrameCount() + 1, picture.Width(), picture.Height()));
    }
    AppendImportedFrame(!Paletted() ? picture
                                    : mapper.MapDithered(picture, ConversionDithering));
  }
}

namespace {

// What a first pass over a GIF decides for a new paletted document. A GIF laid out as the games
// lay out their palettes (one global map, entry 0 the games' pure green or the only transparent
// index) keeps its indices and palette; any other gets entries 0 and 1 reserved and the rest
// exact when its opaque colours fit, else reduced over all frames together.
struct GifSurvey {
  bool keep_indices = false;
  Palette256 palette{};
};

GifSurvey SurveyGif(const std::vector<std::uint8_t>& bytes, TColor transparent, TColor shadow) {
  OctreeQuantizer quantizer;
  AnimatedGifReader reader(bytes);
  bool global_only = true, transparent_at_zero = false, transparent_elsewhere = false;
  while (const GifFrame* frame = reader.ReadFrame()) {
    global_only &= !frame->indices.Empty();
    transparent_at_zero |= frame->transparent_index == 0;
    transparent_elsewhere |= frame->transparent_index > 0;
    AddDocumentColours(quantizer, frame->colours, transparent, shadow, frame->opaque.data());
  }
  GifSurvey survey;
  survey.keep_indices =
      global_only && reader.HasGlobalColors() && !transparent_elsewhere &&
      (transparent_at_zero || ToColor(reader.GlobalColors()[0]) == MakeColor(0, 255, 0));
  survey.palette = survey.keep_indices ? reader.GlobalColors()
                                       : BuildDocumentPalette(quantizer, transparent, shadow);
  return survey;
}

void CheckWholeGif(const std::vector<std::uint8_t>& bytes) {
  AnimatedGifReader reader(bytes);
  while (reader.ReadFrame()) {
  }
}

// The frame in the document's terms: indices for paletted documents (see-through pixels 0),
// colours for unpaletted ones (see-through pixels in the transparent colour).
Bitmap DocumentFrame(const GifFrame& frame, const Palette256& global_colors, bool paletted,
                     bool keep_indices, ReservedEntryMapper& mapper, TColor transparent,
                     Dithering dithering) {
  if (!paletted) {
    Bitmap colours = frame.colours;
    std::uint8_t* pixel = colours.Pixels().data();
    for (std::size_t p = 0; p < frame.opaque.size(); ++p, pixel += 3) {
      if (frame.opaque[p]) continue;
      pixel[0] = BlueOf(transparent);
      pixel[1] = GreenOf(transparent);
      pixel[2] = RedOf(transparent);
    }
    return colours;
  }
  Bitmap indices;
  if (keep_indices) {
    indices = frame.indices;
  } else if (dithering != Dithering::kNone) {
    return mapper.MapDithered(frame.colours, dithering, frame.opaque.data());
  } else if (!frame.indices.Empty()) {
    // Global indices translate once per colour, keeping those that already match.
    const std::array<std::uint8_t, 256> translation = mapper.TranslationOf(global_colors, -1);
    indices = frame.indices;
    for (std::uint8_t& index : indices.Pixels()) index = translation[index];
  } else {
    indices = mapper.Map(frame.colours);
  }
  for (std::size_t p = 0; p < frame.opaque.size(); ++p) {
    if (!frame.opaque[p]) indices.Pixels()[p] = 0;
  }
  return indices;
}

}  // namespace

void TBAM::ImportGIF(const std::string& file_name) {
  const std::vector<std::uint8_t> bytes = ReadGifBytes(file_name);
  const bool paletted = Paletted();
  const bool was_empty = FrameCount() == 0 && CycleCount() == 0;
  // The first pass also checks the whole file, so a damaged one changes nothing.
  GifSurvey survey;
  if (paletted && was_empty) {
    survey = SurveyGif(bytes, GetTransCol(), GetShadowCol());
  } else {
    CheckWholeGif(bytes);
  }
  AddCycle(-1);
  if (paletted && was_empty) {
    Palette = survey.palette;
    PaletteFourthBytes.fill(0);
  }
  ReservedEntryMapper mapper = ImportMapper();
  AnimatedGifReader reader(bytes);
  while (const GifFrame* frame = reader.ReadFrame()) {
    AppendImportedFrame(DocumentFrame(*frame, reader.GlobalColors(), paletted,
                                      survey.keep_indices, mapper, GetTransCol(),
                                      ConversionDithering));
  }
}

}  // namespace celwright
