// Undo, redo, the history viewer and playback: commands the document window carries out.
#include "app/main_window.h"

#include <QAction>
#include <QToolButton>

#include "app/document_session.h"
#include "app/history_window.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

void TMainForm::Undo1Click() {
  if (document_ && BAMForm()->UndoCount() > 0) BAMForm()->Undo();
  RefreshCommandStates();
}

void TMainForm::Redo1Click() {
  if (document_ && BAMForm()->RedoCount() > 0) BAMForm()->Redo();
  RefreshCommandStates();
}

void TMainForm::ViewHistory1Click() {
  if (!document_) return;
  if (!history_form_) history_form_ = new TViewHistoryForm(this);
  history_form_->ShowHistory(BAMForm()->HistoryViewItems(), BAMForm()->FrameRec.Width);
  history_form_->show();
  history_form_->raise();
}

void TMainForm::Play1Click() {
  AddLogLine("PLAY");
  SequencePopupPopup();
  if (!document_ || !Entry("Play1")->isEnabled()) return;
  doc_options_.SelectedSequence = SelectedSequence();
  BAMForm()->PlaySequence();
}

void TMainForm::Stop1Click() {
  if (document_) BAMForm()->StopSequence();
}

}  // namespace celwright
