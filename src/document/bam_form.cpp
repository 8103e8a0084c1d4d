#include "document/bam_form.h"

#include <algorithm>

#include "document/buffer_ops.h"
#include "document/view_composer.h"

namespace celwright {

TBAMForm::TBAMForm(DocumentOptions& options, DocumentHosts hosts, DocumentLog log)
    : options_(options), hosts_(hosts), log_(std::move(log)) {
  BAM.TransCol = options_.TransCol;
  BAM.ShadowCol = options_.ShadowCol;
  BAM.OverrideTransCol = options_.OverrideTransCol;
  BAM.OverrideShadowCol = options_.OverrideShadowCol;
  Zoom = ZoomForMagnification(options_.MagnificationIndex);
}

TBAMForm::~TBAMForm() {
  log_.Line("APP : Destroy BAM Form");
  // The timer belongs to the window, which may outlive this object by a tick.
  if (playing_ && hosts_.Timer) hosts_.Timer->StopTimer();
  log_.Append(" [OK]");
}

void TBAMForm::CommitPendingEdits() {
  // Pending text and a floating selection belong to this frame: they land before the frame list
  // can change.
  LandPendingEdits();
  if (!ImageChanged) return;
  if (CurrentFrame < 0 || CurrentFrame >= BAM.FrameCount()) {
    // The frame the edits belonged to is gone; there is nothing left to write them into.
    ImageChanged = false;
    return;
  }
  CommitFrameEdits("Edit frame " + std::to_string(CurrentFrame));
}

void TBAMForm::DropPendingEdits() {
  SelMoved = false;
  ImageChanged = false;
  Tool.TextPending = false;
}

void TBAMForm::LandPendingEdits() {
  FixPendingText();
  if (HasSelection && SelMoved) FixSelectionPosition();
}

void TBAMForm::FixPendingText() {
  if (Tool.TextPending && ToolLayer) ToolLayer->FixPendingText();
  // Without a tool layer there is nothing that could draw it.
  Tool.TextPending = false;
  Tool.FixTextRequest = false;
}

std::string TBAMForm::Caption() const {
  const std::string name = FileNamePart(BAM.FileName);
  if (CurrentFrame < 0) return name;
  return name + " (Frame " + std::to_string(CurrentFrame) + ")";
}

bool TBAMForm::ShowFrame(std::int32_t index) {
  // The first frame shown of an animation is where its history starts.
  EnsureHistory();
  // Placed text lands in the frame it was placed on, clipped to its selection.
  FixPendingText();
  SelectionClear();
  log_.Line("SHOW: Frame (" + std::to_string(index) + ")...");
  DrawSizerBlocks(false);
  const TBAMFrame old_frame = FrameRec;

  if (index < 0 || index >= BAM.FrameCount()) {
    // Leaving the edited frame for an empty window must not lose its edits.
    CommitPendingEdits();
    CurrentFrame = -1;
    FrameRec = TBAMFrame{};
    ClearOuter(old_frame, FrameRec);
    log_.Line("SHOW: Aborted (Invalid Frame ID)");
    if (hosts_.View) hosts_.View->SetCaption(Caption());
    RedrawImage(false);
    NotifyCommandsChanged();
    return false;
  }

  // A file of a few KB can declare a frame of gigabytes. One the animation will not decode is
  // refused here, before a buffer of its size is made (the model's own refusal, which names the
  // frame, is what the caller shows); the frame on show stays.
  const TBAMFrame next = BAM.GetFrame(index);
  if (static_cast<std::uint64_t>(next.Width) * static_cast<std::uint64_t>(next.Height) >
      TBAM::kMaxDecodedFramePixels) {
    log_.Append(" [ABORTED] (Frame too large to decode)");
    BAM.DecodeFrame(index);
  }
  CommitPendingEdits();

  FrameRec = BAM.GetFrame(index);
  WorkImage[0].Reset(FrameRec.Width, FrameRec.Height, ColourFormat());
  SelectionClear();
  // The next redraw makes the overlay pair when one is needed.
  OverlayImage[0] = Bitmap(0, 0, ColourFormat());
  CurrentFrame = index;
  LoadWorkImages();
  if (old_frame.Width != 0) ClearOuter(old_frame, FrameRec);

  if (hosts_.View) hosts_.View->SetCaption(Caption());
  ImageChanged = false;
  RedrawImage(false);
  log_.Line("SHOW: Completed");
  NotifyCommandsChanged();
  return true;
}

void TBAMForm::ClearOuter(const TBAMFrame& old_frame, const TBAMFrame& new_frame) {
  log_.Line("DRAW: Clear Outer Region");
  auto screen_rect = [this](const TBAMFrame& f) {
    const int left = viewport_.WindowWidth / 2 - Zoom * f.CentreX;
    const int top = viewport_.WindowHeight / 2 - Zoom * f.CentreY;
    return ViewRect{left, top, left + Zoom * f.Width, top + Zoom * f.Height};
  };
  const ViewRect o = screen_rect(old_frame), n = screen_rect(new_frame);
  if (ViewImage.Width() == viewport_.ClientWidth && ViewImage.Height() == viewport_.ClientHeight) {
    const TColor window = options_.WindowColour;
    FillClientRect(ViewImage, {o.Left, o.Top, o.Right, std::min(o.Bottom, n.Top)}, window);
    FillClientRect(ViewImage, {o.Left, std::max(o.Top, n.Bottom), o.Right, o.Bottom}, window);
    const int band_top = std::max(o.Top, n.Top), band_bottom = std::min(o.Bottom, n.Bottom);
    FillClientRect(ViewImage, {o.Left, band_top, std::min(o.Right, n.Left), band_bottom}, window);
    FillClientRect(ViewImage, {std::max(o.Left, n.Right), band_top, o.Right, band_bottom}, window);
  }
  log_.Append(" [OK]");
}

void TBAMForm::NotifyCommandsChanged() {
  if (hosts_.MainWindow) hosts_.MainWindow->CommandsChanged();
}

void TBAMForm::NotifyPaletteChanged() {
  if (hosts_.MainWindow) hosts_.MainWindow->PaletteChanged();
}

}  // namespace celwright
