// Frame > Copy Frames and Paste Frames: whole frames carried between documents (or within one)
// through the window's own frame clipboard, which holds copies, never a document.
#include <QListWidget>
#include <QTabWidget>

#include "app/document_session.h"
#include "app/file_filters.h"
#include "app/main_window.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

std::vector<std::int32_t> TMainForm::FramesToCopy() const {
  const TBAMForm& doc = *BAMForm();
  // A sequence highlighted on its page without one of its entries stands for all its frames,
  // in their order; otherwise the frame on show is copied.
  const int sequence = SelectedSequence();
  if (PageControl->currentWidget() == Tab_Sequence && sequence >= 0 && SelectedEntry() < 0 &&
      sequence < doc.BAM.CycleCount()) {
    const TCycleItem cycle = doc.BAM.GetCycle(sequence);
    return {cycle.Frames.begin(), cycle.Frames.end()};
  }
  if (doc.CurrentFrame < 0) return {};
  return {doc.CurrentFrame};
}

void TMainForm::CopyFrames1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  SettlePlayback();
  TBAMForm& doc = *BAMForm();
  // The copy holds the frame as the user sees it, edits not yet written back included.
  if (doc.ImageChanged) Guarded([&] { doc.ShowFrame(doc.CurrentFrame); });
  const std::vector<std::int32_t> frames = FramesToCopy();
  AddLogLine("APP : Copy Frames (" + std::to_string(frames.size()) + ")");
  Guarded([&] { copied_frames_ = CopyFrames(doc.BAM, frames); });
  RefreshCommandStates();
}

void TMainForm::PasteFrames1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen || copied_frames_.empty()) return;
  if (!ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  SettlePlayback();
  Guarded([&] { BAMForm()->PasteFrames(copied_frames_); });
  ShowLastFrameOnAllFrames();
}

}  // namespace celwright
