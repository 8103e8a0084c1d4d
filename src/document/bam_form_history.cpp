#include <algorithm>
#include <exception>

#include "document/bam_form.h"

namespace celwright {

namespace {

const char* ToolStepName(ToolKind tool) {
  switch (tool) {
    case ToolKind::Pencil: return "Pencil";
    case ToolKind::Brush: return "Brush";
    case ToolKind::Erase: return "Eraser";
    case ToolKind::CloneBrush: return "Clone Brush";
    case ToolKind::Stamp: return "Stamp";
    case ToolKind::Fill: return "Fill";
    case ToolKind::Text: return "Text";
    case ToolKind::Line: return "Line";
    case ToolKind::Curve: return "Curve";
    case ToolKind::Rect: return "Rectangle";
    case ToolKind::RoundRect: return "Rounded Rectangle";
    case ToolKind::Ellipse: return "Ellipse";
    case ToolKind::Poly: return "Polygon";
    case ToolKind::SelRect:
    case ToolKind::SelPoly:
    case ToolKind::SelWand: return "Selection";
    case ToolKind::SetCent: return "Set Centre";
    case ToolKind::FreeRotate: return "Rotate";
    default: return "Edit";
  }
}

}  // namespace

void TBAMForm::EnsureHistory() {
  if (!history_.Started()) ResetHistory();
}

void TBAMForm::ResetHistory() {
  history_.Reset(BAM, CurrentProperties());
  change_depth_ = 0;
  NotifyCommandsChanged();
}

void TBAMForm::MarkSaved() {
  EnsureHistory();
  history_.MarkSaved(CurrentProperties());
  Modified = false;
  NotifyCommandsChanged();
}

void TBAMForm::RefuseStep(const std::string& name) {
  log_.Line("HIST: " + name + " [ABORTED] (Not enough memory to keep it for Undo)");
  if (hosts_.Prompts) {
    hosts_.Prompts->ShowInformation(
        options_.ApplicationTitle,
        "There is not enough memory to keep \"" + name +
            "\" for Undo, so it was not made. A smaller undo history leaves more room.");
  }
}

void TBAMForm::AddHistoryItem(const std::string& name) {
  if (!HistoryPending) return;
  HistoryPending = false;
  if (CurrentFrame < 0 || CurrentFrame >= BAM.FrameCount()) return;
  // Palette or centre changes come with the step even when no pixel changed.
  ImageChanged = true;
  const std::string step = name.empty() ? std::string(ToolStepName(options_.Tool)) : name;
  CommitFrameEdits(step + " on frame " + std::to_string(CurrentFrame));
}

void TBAMForm::CommitFrameEdits(const std::string& name) {
  if (change_depth_ > 0) {
    // Part of a larger change, which keeps this frame with the rest.
    BAM.SetFrameBitmap(CurrentFrame, Paletted() ? WorkImage[1] : WorkImage[0], FrameRec);
    ImageChanged = false;
    return;
  }
  EnsureHistory();
  log_.Line("HIST: Add Entry");
  if (!history_.Begin(BAM, name, FrameSpan::One(CurrentFrame), CurrentFrame)) {
    RefuseStep(name);
    RevertUnrecordedEdits();
    RedrawImage(false);
    return;
  }
  try {
    BAM.SetFrameBitmap(CurrentFrame, Paletted() ? WorkImage[1] : WorkImage[0], FrameRec);
  } catch (...) {
    history_.Cancel();
    throw;
  }
  ImageChanged = false;
  if (history_.End(BAM, CurrentProperties(), CurrentFrame)) Modified = true;
  log_.Append(" [OK]");
  NotifyCommandsChanged();
}

bool TBAMForm::BeginChange(const std::string& name, FrameSpan span) {
  if (change_depth_ > 0) {
    ++change_depth_;
    return true;
  }
  CommitPendingEdits();
  EnsureHistory();
  // Undo shows the frame a one-frame change touched, whichever frame was on show.
  const std::int32_t shown = span.Count == 1 ? span.First : CurrentFrame;
  if (!history_.Begin(BAM, name, span, shown)) {
    RefuseStep(name);
    return false;
  }
  ++change_depth_;
  return true;
}

void TBAMForm::EndChange() {
  if (change_depth_ == 0) return;
  if (--change_depth_ > 0) return;
  // Frame edits of the change still in the working images belong to it.
  if (ImageChanged && CurrentFrame >= 0 && CurrentFrame < BAM.FrameCount()) {
    BAM.SetFrameBitmap(CurrentFrame, Paletted() ? WorkImage[1] : WorkImage[0], FrameRec);
    ImageChanged = false;
  }
  if (history_.End(BAM, CurrentProperties(), CurrentFrame)) Modified = true;
  NotifyCommandsChanged();
}

bool TBAMForm::RecordChange(const std::string& name, FrameSpan span,
                            const std::function<void()>& change) {
  if (!BeginChange(name, span)) return false;
  try {
    change();
  } catch (...) {
    EndChange();
    throw;
  }
  EndChange();
  return true;
}

void TBAMForm::Undo() { MoveInHistory(true); }

void TBAMForm::Redo() { MoveInHistory(false); }

void TBAMForm::MoveInHistory(bool back) {
  if (change_depth_ > 0) return;
  StopSequence();
  // Pending text, a floating selection and unrecorded tool edits become steps of their own:
  // the undo that follows takes exactly them away.
  CommitPendingEdits();
  SelectionClear();
  DrawSizerBlocks(false);
  EnsureHistory();
  DocumentProperties properties = CurrentProperties();
  const std::optional<HistoryMove> move =
      back ? history_.Undo(BAM, properties) : history_.Redo(BAM, properties);
  if (!move) {
    NotifyCommandsChanged();
    return;
  }
  log_.Line(back ? "HIST: Undo" : "HIST: Redo");
  log_.Append(" [OK]");
  DocType = static_cast<TDocType>(properties.DocType);
  Modified = !history_.AtSavedState();
  if (move->Properties) NotifyPaletteChanged();
  const std::int32_t frame = std::min(move->Frame, BAM.FrameCount() - 1);
  // The working images are stale: the frame on show is drawn again from the animation.
  if (CurrentFrame >= BAM.FrameCount()) CurrentFrame = -1;
  ShowFrame(frame < 0 && BAM.FrameCount() > 0 ? 0 : frame);
}

void TBAMForm::JumpInHistory(int position) {
  position = std::clamp(position, 0, history_.StepCount());
  while (history_.Position() > position) {
    const int before = history_.Position();
    Undo();
    if (history_.Position() == before) return;
  }
  while (history_.Position() < position) {
    const int before = history_.Position();
    Redo();
    if (history_.Position() == before) return;
  }
}

std::string TBAMForm::UndoName() const {
  return history_.UndoCount() > 0 ? history_.StepName(history_.Position() - 1) : std::string();
}

std::string TBAMForm::RedoName() const {
  return history_.RedoCount() > 0 ? history_.StepName(history_.Position()) : std::string();
}

std::vector<HistoryViewItem> TBAMForm::HistoryViewItems() const {
  std::vector<HistoryViewItem> items;
  items.push_back({"Opened", history_.Position() == 0});
  for (int i = 0; i < history_.StepCount(); ++i) {
    items.push_back({history_.StepName(i), history_.Position() == i + 1});
  }
  return items;
}

void TBAMForm::RevertUnrecordedEdits() {
  HistoryPending = false;
  ImageChanged = false;
  if (CurrentFrame < 0 || CurrentFrame >= BAM.FrameCount()) return;
  const TBAMFrame stored = BAM.GetFrame(CurrentFrame);
  ClearOuter(FrameRec, stored);
  FrameRec = stored;
  // Brings every frame-sized buffer (selection, overlay) to the stored size.
  FixFrameSize(0, 0, stored.CentreX, stored.CentreY, stored.Width, stored.Height, true, false);
  LoadWorkImages();
  ImageChanged = false;
}

void TBAMForm::LoadWorkImages() {
  if (TrueColour()) {
    WorkImage[0] = BAM.GetFrameAlphaBitmap(CurrentFrame);
    WorkImage[1].Reset(FrameRec.Width, FrameRec.Height, PixelFormat::Index8);
    return;
  }
  WorkImage[0].Reset(FrameRec.Width, FrameRec.Height, PixelFormat::Bits24);
  BAM.DrawFrame(CurrentFrame, WorkImage[0], 0, 0, &WorkImage[1], false);
  // An unpaletted frame has no index image; keep a blank one of the frame's size so every
  // buffer pair stays in step.
  if (!Paletted()) WorkImage[1].Reset(FrameRec.Width, FrameRec.Height, PixelFormat::Index8);
}

}  // namespace celwright
