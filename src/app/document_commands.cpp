// Undo, redo, the history viewer, playback and the resize dialog: commands the document window
// carries out.
#include "app/main_window.h"

#include <QAction>
#include <QToolButton>

#include "app/document_session.h"
#include "app/history_window.h"
#include "app/resize_frame_dialog.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

void TMainForm::Undo1Click() {
  if (document_ && BAMForm()->CanUndo()) MoveInHistory([this] { BAMForm()->Undo(); });
  RefreshCommandStates();
}

void TMainForm::Redo1Click() {
  if (document_ && BAMForm()->RedoCount() > 0) MoveInHistory([this] { BAMForm()->Redo(); });
  RefreshCommandStates();
}

void TMainForm::MoveInHistory(const std::function<void()>& move) {
  SettlePlayback();
  Guarded(move);
  // A step may have changed frames, sequences or the palette: every list follows.
  UpdateFrameAndSequenceLists();
  HighlightShownFrame();
  RefreshSwatches();
}

void TMainForm::ViewHistory1Click() {
  if (!document_) return;
  if (!history_form_) {
    history_form_ = new TViewHistoryForm(this);
    history_form_->OnJump = [this](int position) {
      if (!document_) return;
      MoveInHistory([this, position] { BAMForm()->JumpInHistory(position); });
      RefreshCommandStates();
    };
  }
  history_form_->show();
  RefreshHistoryViewer();
  history_form_->raise();
}

void TMainForm::RefreshHistoryViewer() {
  // The viewer follows every step while it is open instead of showing a copy from its start.
  if (!history_form_ || !history_form_->isVisible()) return;
  history_form_->ShowHistory(document_ ? BAMForm()->HistoryViewItems()
                                       : std::vector<HistoryViewItem>{});
}

TResizeFrameForm* TMainForm::ResizeForm() {
  if (!resize_form_) resize_form_ = new TResizeFrameForm(this, prompts_);
  return resize_form_;
}

void TMainForm::Resize1Click() {
  if (!document_ || BAMForm()->CurrentFrame == -1) return;
  SettlePlayback();
  Guarded([this] { ResizeForm()->Execute(*BAMForm()); });
  RefreshCommandStates();
}

void TMainForm::Play1Click() {
  AddLogLine("PLAY");
  SequencePopupPopup();
  if (!document_ || !Entry("Play1")->isEnabled()) return;
  doc_options_.SelectedSequence = SelectedSequence();
  BAMForm()->PlaySequence();
}

void TMainForm::Stop1Click() {
  if (!document_) return;
  BAMForm()->StopSequence();
  // Commands on "the selected entry" act on what the user sees: the frame playback stopped on.
  HighlightShownFrame();
  RefreshCommandStates();
}

}  // namespace celwright
