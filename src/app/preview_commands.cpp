// Preview Animation, the stand-alone quick preview, the frames manager and the onion skin, as
// the main window runs them.
#include "app/main_window.h"

#include <QAction>
#include <QMenuBar>
#include <QToolButton>
#include <algorithm>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/frames_manager.h"
#include "app/onion_skin_dialog.h"
#include "app/preview_window.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

void TMainForm::BuildPreviewWindows() {
  OnionSkinOptions& onion = doc_options_.OnionSkin;
  onion.Enabled = settings_.ReadInt("OnionSkin", 0) != 0;
  onion.Before = std::clamp(settings_.ReadInt("OnionSkinBefore", onion.Before), 0, 8);
  onion.After = std::clamp(settings_.ReadInt("OnionSkinAfter", onion.After), 0, 8);
  onion.BeforeTint = static_cast<TColor>(
      settings_.ReadInt("OnionSkinBeforeTint", static_cast<int>(onion.BeforeTint)));
  onion.AfterTint = static_cast<TColor>(
      settings_.ReadInt("OnionSkinAfterTint", static_cast<int>(onion.AfterTint)));
  Entry("OnionSkin1")->setChecked(onion.Enabled);

  preview_form_ = new TPreviewForm(prompts_, settings_, this);
  preview_form_->OnAbout = [this] { ShowAboutBox(); };
  connect(Btn_Preview, &QToolButton::clicked, this, [this] { Preview1Click(); });

  FramesManagerHost host;
  host.document = [this] { return document_ ? BAMForm() : nullptr; };
  host.selected_sequence = [this] { return SelectedSequence(); };
  host.convert_check = [this] { return ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame); };
  host.lists_changed = [this] {
    UpdateFrameAndSequenceLists();
    const int shown = BAMForm()->CurrentFrame;
    if (shown >= 0 && shown < List_Frames->count()) {
      const QSignalBlocker block(List_Frames);
      List_Frames->setCurrentRow(shown);
    }
  };
  host.document_file_replaced = [this] { MarkChangedAfterExport(); };
  manage_form_ = new TManageFramesForm(prompts_, std::move(host), this);
  connect(Btn_Manage, &QToolButton::clicked, this, [this] { ManageFrames1Click(); });
}

void TMainForm::OnionSkin1Click() {
  doc_options_.OnionSkin.Enabled = Entry("OnionSkin1")->isChecked();
  settings_.WriteInt("OnionSkin", doc_options_.OnionSkin.Enabled ? 1 : 0);
  if (document_) BAMForm()->RedrawImage(true);
}

void TMainForm::OnionSkinSettings1Click() {
  if (!onion_form_) onion_form_ = new TOnionSkinForm(prompts_, this);
  onion_form_->SetValues(doc_options_.OnionSkin);
  if (onion_form_->exec() != QDialog::Accepted) return;
  OnionSkinOptions& onion = doc_options_.OnionSkin;
  const OnionSkinOptions chosen = onion_form_->Values();
  onion.Before = chosen.Before;
  onion.After = chosen.After;
  onion.BeforeTint = chosen.BeforeTint;
  onion.AfterTint = chosen.AfterTint;
  settings_.WriteInt("OnionSkinBefore", onion.Before);
  settings_.WriteInt("OnionSkinAfter", onion.After);
  settings_.WriteInt("OnionSkinBeforeTint", static_cast<int>(onion.BeforeTint));
  settings_.WriteInt("OnionSkinAfterTint", static_cast<int>(onion.AfterTint));
  if (document_) BAMForm()->RedrawImage(true);
}

void TMainForm::ManageFrames1Click() {
  if (!document_) return;
  manage_form_->exec();
}

int TMainForm::RunPreview() {
  TBAMForm& doc = *BAMForm();
  // The preview reads the stored frames, so edits of the frame on screen go in first.
  doc.CommitPendingEdits();
  const int sequence = SelectedSequence();
  TSmallLookup cycle;
  if (sequence >= 0 && sequence < doc.BAM.CycleCount()) cycle = doc.BAM.GetCycle(sequence).Frames;
  return preview_form_->Run(&doc.BAM, cycle, settings_.ReadInt("PlaySpeed", 50));
}

void TMainForm::Preview1Click() {
  Sequence1Click();
  if (!document_ || !Entry("Preview1")->isEnabled()) return;
  RunPreview();
}

int TMainForm::RunStandAlonePreview(const std::string& file_name, TDocType file_type) {
  const QString caption =
      base_caption_ + ": Previewing " + QString::fromStdString(FileNamePart(file_name));
  OpenFile(file_name, file_type);
  // The file could not be read: its message has been shown and there is nothing to preview.
  if (!document_) return TPreviewForm::kResultExit;
  preview_form_->SetStandAlone(true, caption);
  for (QAction* menu : menuBar()->actions()) menu->setEnabled(false);
  const int result = RunPreview();
  for (QAction* menu : menuBar()->actions()) menu->setEnabled(true);
  preview_form_->SetStandAlone(false, QString());
  return result;
}

}  // namespace celwright
