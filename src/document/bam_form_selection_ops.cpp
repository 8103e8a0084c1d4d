#include "document/bam_form.h"

#include <algorithm>
#include <string>

#include "document/buffer_ops.h"
#include "document/frame_sizing.h"
#include "document/selection_transfer.h"
#include "support/blit.h"

namespace celwright {

namespace {

Bitmap Cropped(const Bitmap& source, const Rect& r) {
  Bitmap out(r.Width(), r.Height(), source.Format());
  if (source.Format() == PixelFormat::Bits1) FillBitmap(out, kWhite);
  BitBlt(out, 0, 0, r.Width(), r.Height(), source, r.left, r.top, RasterOp::SrcCopy);
  return out;
}

}  // namespace

void TBAMForm::SelectionInvert() {
  if (CurrentFrame == -1) return;
  // Baked first, for the same reason as Select All.
  FixSelectionPosition();
  log_.Line("SELN: Invert");
  // With nothing selected the mask may be empty, which means the whole frame as it is editable.
  if (SelMask.Empty()) SelMask.Reset(FrameRec.Width, FrameRec.Height, PixelFormat::Bits1);
  if (SelMask.Width() != FrameRec.Width || SelMask.Height() != FrameRec.Height)
    SelMask.Resize(FrameRec.Width, FrameRec.Height, kWhite);
  for (std::uint8_t& bit : SelMask.Pixels()) bit = bit == 0 ? 1 : 0;
  TakeNewSelectionMask();
}

bool TBAMForm::SelectionCopy() {
  if (CurrentFrame == -1 || !HasSelection) return false;
  const Rect r = GetSelSize();
  log_.Line("SELN: Copy");
  if (r.Empty()) {
    log_.Append(kNothingSelected);
    return false;
  }
  // The content source is what lies under the mask: the lifted pixels while the selection
  // floats, the frame itself otherwise. Either way it is read at the mask's own place, so a
  // moved selection copies the same picture as before the move.
  const std::array<Bitmap, 2>& content = SelMoved ? SelImage : WorkImage;
  std::array<Bitmap, 3>& copied = options_.CopiedImage;
  copied[0] = Cropped(content[0], r);
  copied[1] = Cropped(content[1], r);
  copied[2] = Cropped(SelMask, r);
  options_.CopiedPaletted = Paletted();
  if (options_.Clipboard) {
    Bitmap picture(r.Width(), r.Height(), PixelFormat::Bits24);
    FillBitmap(picture, kWhite);
    MaskBlt(picture, 0, 0, copied[0], copied[2]);
    options_.Clipboard->PutSelection(copied, Paletted(), picture);
  }
  log_.Append(" [OK]");
  NotifyCommandsChanged();
  return true;
}

void TBAMForm::SelectionDelete() {
  if (CurrentFrame == -1 || !HasSelection) return;
  log_.Line("SELN: Delete");
  FloatSelection();
  WorkImage = BackImage;
  ImageChanged = true;
  log_.Append(" [OK]");
  // The lifted pixels go with the selection: baking them first would make a second step.
  SelMoved = false;
  SelectionClear();
  HistoryPending = true;
  AddHistoryItem();
  RedrawImage(false);
}

void TBAMForm::SelectionCut() {
  if (SelectionCopy()) SelectionDelete();
}

std::array<Bitmap, 3> TBAMForm::ClipboardPasteImages(std::string& refusal) {
  refusal.clear();
  std::optional<ClipboardContent> content;
  if (options_.Clipboard) {
    content = options_.Clipboard->GetSelection();
  } else if (!options_.CopiedImage[2].Empty()) {
    content.emplace();
    content->Own = true;
    content->Copied = options_.CopiedImage;
    content->Paletted = options_.CopiedPaletted;
  }
  if (!content) return {};
  refusal = content->Refusal;
  // A picture no frame could hold is refused before it is mapped to the palette: that alone
  // would take seconds and gigabytes, and the frame made for it could not be saved.
  const Bitmap& size_of = content->Own ? content->Copied[2] : content->Picture;
  if (refusal.empty()) {
    refusal = PictureSizeRefusal("The picture on the clipboard", size_of.Width(), size_of.Height(),
                                 "pasted");
  }
  if (!refusal.empty()) return {};
  return PasteImagesFor(*content, BAM);
}

bool TBAMForm::PasteCopied(bool fit_frame) {
  if (CurrentFrame == -1) return false;
  std::string refusal;
  const std::array<Bitmap, 3> pasted = ClipboardPasteImages(refusal);
  return PastePicture(pasted, refusal, fit_frame);
}

bool TBAMForm::PastePicture(const std::array<Bitmap, 3>& pasted, const std::string& refusal,
                            bool fit_frame) {
  if (CurrentFrame == -1) return false;
  FixSelectionPosition();
  log_.Line("SELN: Paste");
  if (pasted[2].Empty()) {
    if (refusal.empty()) {
      log_.Append(" [ABORTED] (The clipboard holds no picture)");
    } else {
      log_.Append(" [ABORTED] (" + refusal + ")");
      if (hosts_.Prompts) hosts_.Prompts->ShowInformation(options_.ApplicationTitle, refusal);
    }
    return false;
  }
  const int pasted_w = pasted[2].Width(), pasted_h = pasted[2].Height();
  if (fit_frame) {
    FixFrameSize(0, 0, pasted_w / 2, pasted_h / 2, pasted_w, pasted_h, true, true);
    log_.Line("SELN: Paste");
  }
  // The mask covers the frame and the whole picture; what lies beyond the frame is kept until
  // the selection is baked, so it can be dragged into view.
  const int width = std::max(FrameRec.Width, pasted_w), height = std::max(FrameRec.Height, pasted_h);
  SelMask.Reset(width, height, PixelFormat::Bits1);
  FillBitmap(SelMask, kWhite);
  BitBlt(SelMask, 0, 0, pasted_w, pasted_h, pasted[2], 0, 0, RasterOp::SrcCopy);
  for (std::size_t j = 0; j < 2; ++j) {
    SelImage[j].Reset(width, height, j == 0 ? ColourFormat() : PixelFormat::Index8);
    BitBlt(SelImage[j], 0, 0, pasted_w, pasted_h, pasted[j], 0, 0, RasterOp::SrcCopy);
  }
  // The paste covers what is under it; it does not cut it.
  BackImage = WorkImage;
  SelMaskCopy = SelMask;
  SelOffset = {};
  SelMoved = true;
  SelChanged = false;
  Selecting = false;
  HasSelection = true;
  ComposeSelection();
  ImageChanged = true;
  log_.Append(" [OK]");
  NotifyCommandsChanged();
  FinishSelection();
  RedrawImage(false);
  return true;
}

void TBAMForm::Crop() {
  if (CurrentFrame == -1 || !HasSelection) return;
  // The crop takes the selection where it is now.
  FixSelectionPosition();
  const Rect r = GetSelSize().Intersect({0, 0, FrameRec.Width, FrameRec.Height});
  log_.Line("SELN: Crop");
  if (r.Empty()) {
    log_.Append(kNothingSelected);
    return;
  }
  log_.Append(" [OK]");
  SelectionClear();
  FixFrameSize(r.left, r.top, FrameRec.CentreX - r.left, FrameRec.CentreY - r.top, r.Width(),
               r.Height(), false, false);
  NotifyCommandsChanged();
}

}  // namespace celwright
