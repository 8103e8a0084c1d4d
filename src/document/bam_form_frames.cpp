#include "document/bam_form.h"
#include "document/frame_transfer.h"

#include <stdexcept>

#include "document/buffer_ops.h"
#include "document/palette_mapping.h"
#include "support/media/palette_mapper.h"

namespace celwright {

namespace {

std::string Args(std::int32_t a, std::int32_t b, std::int32_t c) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c);
}

// The frame a TBAM insertion at `requested` created: -1 (and any index into an empty document)
// appends.
std::int32_t InsertedIndex(std::int32_t requested, std::int32_t count_before,
                           std::int32_t count_after) {
  return (requested == -1 || count_before == 0) ? count_after - 1 : requested;
}

}  // namespace

// Every operation that inserts or deletes frames first stops playback (its frame numbers are
// about to change under it), then writes pending edits into the frame
// being edited (or drops them with it), while its index still names it.

void TBAMForm::InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position) {
  StopSequence();
  log_.Line("BAM : Insert Frame (" + Args(index, cycle, position) + ")");
  InsertFrameStep("Insert frame ", index, cycle, position, false);
}

void TBAMForm::DuplicateFrameInSeq(std::int32_t index, std::int32_t cycle,
                                   std::int32_t position) {
  StopSequence();
  log_.Line("BAM : Duplicate Frame (" + Args(index, cycle, position) + ")");
  InsertFrameStep("Duplicate frame ", index, cycle, position, true);
}

void TBAMForm::InsertFrameStep(const std::string& name, std::int32_t index, std::int32_t cycle,
                               std::int32_t position, bool duplicate) {
  const std::int32_t before = BAM.FrameCount();
  const std::int32_t at = InsertedIndex(index, before, before + 1);
  RecordChange(name + std::to_string(duplicate ? index : at), FrameSpan::Before(at), [&] {
    BAM.InsertFrame(index, cycle, position, duplicate);
    Modified = true;
    log_.Append(" [OK]");
    ShowFrame(InsertedIndex(index, before, BAM.FrameCount()));
  });
}

void TBAMForm::DuplicateFrame(std::int32_t index) {
  StopSequence();
  log_.Line("BAM : Duplicate Frame (" + std::to_string(index) + ")");
  RecordChange("Duplicate frame " + std::to_string(index), FrameSpan::Before(BAM.FrameCount()),
               [&] {
                 // The copy goes to the end, where it is shown afterwards: inserting it at
                 // `index` would renumber every later frame and leave some other frame on
                 // screen.
                 const TBAMFrame source = BAM.GetFrame(index);
                 const auto at = static_cast<std::ptrdiff_t>(BAM.FrameDataPosition(index));
                 const std::vector<std::uint8_t> bytes(BAM.Data.begin() + at,
                                                       BAM.Data.begin() + at + source.DataSize);
                 BAM.InsertFrameData(-1, -1, -1, bytes, source);
                 Modified = true;
                 log_.Append(" [OK]");
                 ShowFrame(BAM.FrameCount() - 1);
               });
}

void TBAMForm::DeleteFrame(std::int32_t index) {
  StopSequence();
  log_.Line("BAM : Delete Frame (" + std::to_string(index) + ")");
  // Edits of the frame going away become a step first, so undoing the delete brings them back.
  RecordChange("Delete frame " + std::to_string(index), FrameSpan::One(index), [&] {
    if (index == CurrentFrame) CurrentFrame = -1;
    BAM.DeleteFrame(index);
    while (index >= BAM.FrameCount()) --index;
    Modified = true;
    log_.Append(" [OK]");
    ShowFrame(index);
  });
}

void TBAMForm::ImportFrame(const std::string& file_name, std::uint8_t file_type,
                           std::int32_t index, std::int32_t cycle, std::int32_t position) {
  log_.Line("BAM : Import Frame (" + file_name + " [imf=" + std::to_string(file_type) + "]," +
            Args(index, cycle, position) + ")");
  // The picture is read before anything changes, so an unreadable file leaves the document
  // as it was.
  if (!LoadPicture) throw std::runtime_error("No picture reader is available");
  const LoadedPicture loaded = LoadPicture(file_name, file_type);
  if (loaded.Picture.Empty()) throw std::runtime_error("The picture has no pixels: " + file_name);

  StopSequence();
  const std::int32_t before = BAM.FrameCount();
  const std::int32_t at = InsertedIndex(index, before, before + 1);
  // Whatever the import changed before a failure stays, as one step that can be undone.
  RecordChange("Import frame " + std::to_string(at), FrameSpan::Before(at), [&] {
    Modified = true;
    BAM.InsertFrame(index, cycle, position, false);
    index = InsertedIndex(index, before, BAM.FrameCount());
    ShowFrame(index);
    DrawSizerBlocks(false);
    ImageChanged = true;

    const Bitmap& picture = loaded.Picture;
    const int width = picture.Width(), height = picture.Height();
    if (BAM.FrameCount() == 1) {
      // The first frame decides what kind of document this is and brings its palette: a picture
      // laid out as the games' palettes keeps its indices exactly; any other paletted picture is
      // a picture of colours and gets a palette of them with entries 0 and 1 reserved.
      const bool paletted = picture.Format() == PixelFormat::Bits8;
      BAM.SetBAMType(paletted ? kPalettedBAM : kUnpalettedBAM);
      if (paletted && HasGameLayout(picture)) {
        BAM.Palette = picture.ColorTable();
      } else if (paletted) {
        OctreeQuantizer quantizer;
        AddDocumentColours(quantizer, picture, BAM.GetTransCol(), BAM.GetShadowCol());
        BAM.Palette = BuildDocumentPalette(quantizer, BAM.GetTransCol(), BAM.GetShadowCol());
      }
      NotifyPaletteChanged();
    }
    if (Paletted()) {
      const bool keep_indices = BAM.FrameCount() == 1 && HasGameLayout(picture);
      MappedPicture mapped =
          keep_indices ? FromIndices(picture, BAM.GetDisplayHPalette())
                       : MapToPalette(picture, BAM.GetDisplayHPalette(), BAM.GetTransCol(),
                                      BAM.GetShadowCol());
      WorkImage[0] = std::move(mapped.Colours);
      WorkImage[1] = std::move(mapped.Indices);
    } else if (TrueColour()) {
      WorkImage[0] = AlphaPictureForDocument(picture);
      WorkImage[1].Reset(width, height, PixelFormat::Index8);
    } else {
      WorkImage[0] = TrueColourForDocument(picture, BAM.GetTransCol());
      WorkImage[1].Reset(width, height, PixelFormat::Index8);
    }
    FrameRec.Width = width;
    FrameRec.Height = height;
    FrameRec.CentreX = width / 2;
    FrameRec.CentreY = height / 2;
    log_.Append(" [OK]");
    ShowFrame(index);
  });
}

std::int32_t TBAMForm::PasteFrames(const std::vector<CopiedFrame>& frames) {
  if (frames.empty()) return -1;
  StopSequence();
  log_.Line("BAM : Paste Frames (" + std::to_string(frames.size()) + ")");
  // Mapped onto this palette before anything changes.
  std::vector<Bitmap> pixels;
  pixels.reserve(frames.size());
  for (const CopiedFrame& frame : frames) pixels.push_back(FramePixelsFor(frame, BAM));
  const std::int32_t first = BAM.FrameCount();
  RecordChange("Paste frames " + std::to_string(first), FrameSpan::Before(first), [&] {
    for (std::size_t k = 0; k < frames.size(); ++k) {
      BAM.InsertFrame(-1, -1, -1, false);
      Modified = true;
      TBAMFrame info;
      info.Width = pixels[k].Width();
      info.Height = pixels[k].Height();
      info.CentreX = frames[k].CentreX;
      info.CentreY = frames[k].CentreY;
      BAM.SetFrameBitmap(BAM.FrameCount() - 1, pixels[k], info);
    }
    log_.Append(" [OK]");
    ShowFrame(BAM.FrameCount() - 1);
  });
  return first;
}

void TBAMForm::FixFrameSize(int dx, int dy, int centre_x, int centre_y, int width, int height,
                            bool no_history, bool fill_transparent) {
  if (width < 0 || height < 0) throw std::invalid_argument("A frame size cannot be negative");
  // Pending text and a floating selection are anchored in the old frame's pixels.
  LandPendingEdits();
  log_.Line("BAM : Set Frame Size");
  TBAMFrame resized = FrameRec;
  resized.Width = width;
  resized.Height = height;
  resized.CentreX = centre_x;
  resized.CentreY = centre_y;
  DrawSizerBlocks(false);
  ClearOuter(FrameRec, resized);

  TColor colour = fill_transparent ? BAM.GetTransCol() : options_.BackgroundColour;
  // 32-bit fills carry their alpha in the high byte: see-through, or the opaque background.
  if (TrueColour()) colour = fill_transparent ? 0 : (options_.BackgroundColour | 0xFF000000u);
  // The transparent entry is TranspInd, which a plug-in may move away from 0.
  const std::uint8_t index =
      fill_transparent ? static_cast<std::uint8_t>(BAM.TranspInd) : options_.BackgroundIndex;
  const TColor index_colour = MakeColor(index, 0, 0);
  FrameRec = resized;
  ShiftAndResize(WorkImage[0], dx, dy, width, height, colour);
  ShiftAndResize(WorkImage[1], dx, dy, width, height, index_colour);
  if (!SelImage[0].Empty()) {
    ShiftAndResize(SelImage[0], dx, dy, width, height, colour);
    ShiftAndResize(SelImage[1], dx, dy, width, height, index_colour);
  }
  // With no selection the whole frame stays editable, new area included (an empty mask says so).
  if (!SelMask.Empty()) {
    ShiftAndResize(SelMask, dx, dy, width, height,
                   HasSelection ? MakeColor(255, 255, 255) : MakeColor(0, 0, 0));
  }
  if (!OverlayImage[0].Empty()) ShiftAndResize(OverlayImage[0], dx, dy, width, height, colour);
  if (HasSelection) {
    MakeSelectionBG();
    MakeSelMarkerMask();
  }

  log_.Append(" [OK]");
  ImageChanged = true;
  if (!no_history) {
    HistoryPending = true;
    AddHistoryItem("Frame size");
  }
  RedrawImage(false);
}

}  // namespace celwright
