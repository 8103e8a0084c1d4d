// Recovery copies of unsaved work, and the desktop's file association.
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <ctime>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "document/bam_form.h"
#include "document/recovery_store.h"
#include "support/desktop_association.h"
#include "support/file_io.h"
#include "support/qm_log.h"

namespace celwright {

namespace {
constexpr int kDefaultAutosaveSeconds = 60;
}  // namespace

void TMainForm::StartAutosave() {
  recovery_folder_ = DefaultRecoveryFolder();
  autosave_timer_ = new QTimer(this);
  autosave_timer_->setObjectName("AutosaveTimer");
  connect(autosave_timer_, &QTimer::timeout, this, [this] { AutosaveTick(); });
  const int seconds = settings_.ReadInt("AutosaveInterval", kDefaultAutosaveSeconds);
  if (seconds > 0) autosave_timer_->start(seconds * 1000);
}

void TMainForm::SetRecoveryFolder(const std::filesystem::path& folder) {
  recovery_folder_ = folder;
  for (const auto& doc : documents_) {
    doc->Recovery->Discard();
    auto fresh = std::make_unique<RecoveryStore>(folder);
    const std::lock_guard<std::mutex> lock(documents_mutex_);
    std::swap(doc->Recovery, fresh);
  }
}

RecoveryStore* TMainForm::Recovery() const { return active_ ? active_->Recovery.get() : nullptr; }

bool TMainForm::WaitForRecoveries(std::chrono::milliseconds limit) {
  const std::lock_guard<std::mutex> lock(documents_mutex_);
  bool idle = true;
  for (const auto& doc : documents_) idle = doc->Recovery->WaitIdle(limit) && idle;
  return idle;
}

void TMainForm::AutosaveTick() {
  // Each document keeps a copy of its own: a crash costs none of them.
  for (const auto& open : documents_) AutosaveDocument(*open);
}

void TMainForm::AutosaveDocument(OpenDocument& open) {
  const TBAMForm& doc = open.Session->Form;
  RecoveryStore& recovery = *open.Recovery;
  if (!doc.BAM.IsOpen) return;
  if (!doc.Modified && !doc.ImageChanged) {
    // Saved meanwhile by a path that did not say so: an old copy would only confuse.
    if (recovery.HasCopy()) recovery.Discard();
    return;
  }
  if (std::string why; !recovery.PrepareFolder(why)) {
    if (recovery_refusal_told_) return;
    recovery_refusal_told_ = true;
    AddLogLine("APP : Recovery copy [ABORTED] (" + why + ")");
    // Told after the tick, so that an ending program is never held up by the question.
    QTimer::singleShot(0, this, [this, why] {
      prompts_.Information(kAppTitle, "Unsaved work cannot be kept for recovery after a crash: " +
                                          why + ". Save your work often.");
    });
    return;
  }
  RecoveryDetails details{doc.BAM.FileName, static_cast<int>(doc.DocType),
                          static_cast<std::int64_t>(std::time(nullptr))};
  try {
    // The snapshot is a copy taken here; the worker writes it while editing goes on.
    recovery.WriteAsync(MakeRecoverySnapshot(doc), std::move(details));
  } catch (const std::exception& e) {
    AddLogLine(std::string("APP : Recovery copy [ABORTED] (") + e.what() + ")");
  }
}

void TMainForm::DiscardRecovery() {
  if (active_) active_->Recovery->Discard();
}

void TMainForm::OfferRecoveries() {
  for (const FoundRecovery& found : FindOrphanedRecoveries(recovery_folder_)) {
    const QString when =
        QDateTime::fromSecsSinceEpoch(found.Details.SavedAt).toString("yyyy-MM-dd hh:mm:ss");
    const std::string text = "Celwright II did not close properly. Unsaved work on " +
                             ShownName(found.Details.OriginalFile) + " was kept at " + when.toStdString() +
                             ".\r\rRecover it, or discard it for good?";
    const int answer = prompts_.AskChoice(kAppTitle, text, {"Recover", "Discard"});
    if (answer == 1) {
      AddLogLine("APP : Recovery discarded: " + ShownName(found.Details.OriginalFile));
      RemoveRecovery(found);
      continue;
    }
    if (answer != 0) continue;  // asked again at the next start
    AddLogLine("APP : Recover " + found.Details.OriginalFile);
    // The file as it is on disk may be open already (named on the command line): the recovered
    // work takes its tab, as two tabs on one file would overwrite each other's saves.
    if (const int open = FindOpenDocument(found.Details.OriginalFile); open >= 0) {
      const TBAMForm& on_disk = *DocumentAt(open);
      if (!on_disk.Modified && !on_disk.ImageChanged) {
        ActivateDocument(open);
        CloseDocument();
      }
    }
    OpenFile2(found.Copy.string(), dtBAM, false);
    if (!document_ || BAMForm()->BAM.FileName != found.Copy.string()) continue;
    TBAMForm& doc = *BAMForm();
    // The work belongs to the original file, which stays as it was until the user saves.
    doc.BAM.FileName = found.Details.OriginalFile;
    doc.DocType = DocTypeFromNumber(found.Details.DocType);
    doc.Modified = true;
    SetDocumentCaption(doc.Caption());
    // A fresh copy of this session replaces the old one before the old one goes.
    active_->Recovery->WriteAsync(MakeRecoverySnapshot(doc),
                                  {doc.BAM.FileName, static_cast<int>(doc.DocType),
                                   static_cast<std::int64_t>(std::time(nullptr))});
    active_->Recovery->Wait();
    RemoveRecovery(found);
    RefreshCommandStates();
  }
}

std::string TMainForm::CheckAssociation(bool make_default) {
  const AssociationOutcome outcome =
      EnsureAssociation(QCoreApplication::applicationFilePath().toStdString(),
                        DesktopFoldersFromEnvironment(), RunHelperIfPresent, make_default);
  if (!outcome.Error.empty()) return "The file association could not be written: " + outcome.Error;
  if (outcome.UserDefaultKept)
    return "The .bam file type and this program are registered with the desktop, but another "
           "application is your chosen default for .bam files; it was left as it is.";
  if (outcome.DefaultTaken)
    return ".bam files now open with this program: it replaced the previous default.";
  return outcome.Written.empty() ? ".bam files already open with this program."
                                 : ".bam files now open with this program.";
}

}  // namespace celwright
