// Export Frame, Import Sequence and Export Sequence: the dialogs, the proposed names and the log
// lines around the animation's own import and export.
#include "app/main_window.h"

#include <QApplication>
#include <QTabWidget>
#include <algorithm>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/file_filters.h"
#include "app/progress_window.h"
#include "app/save_rules.h"
#include "document/bam_form.h"
#include "document/frame_pictures.h"
#include "document/sequence_import.h"
#include "model/apng_exchange.h"
#include "model/bam_export.h"
#include "support/file_io.h"
#include "support/image_io/image_file.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

enum SequenceImportFilter { kImportAvi = 0, kImportGif = 1, kImportBam = 2 };
enum SequenceExportFilter {
  kExportAvi = 0,
  kExportGif = 1,
  kExportStrip = 2,
  kExportBam = 3,
  kExportAnimatedPng = 4
};

// The wait cursor for as long as the import runs, also when it throws.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void TMainForm::ExportFrameClick() {
  if (!document_ || BAMForm()->CurrentFrame < 0) return;
  TBAMForm& doc = *BAMForm();
  const std::string proposed = ProposedExportName(doc.BAM.FileName, "_Frame", doc.CurrentFrame);
  const FileChoice choice = prompts_.ChooseSaveFile("Export Frame", kImageFilter, 0, proposed);
  if (!choice.Accepted) return;
  const auto kind = static_cast<std::uint8_t>(choice.FilterIndex + 1);
  const std::string final_name = SaveNameForKind(kind, choice.Path).string();
  // The only frame of a picture written over that picture is the whole document.
  const bool partial = doc.BAM.FrameCount() > 1;
  const bool replaces_document = partial && IsSameFile(final_name, doc.BAM.FileName);
  if (!ConfirmSaveTarget(prompts_, "Export Frame", choice.Path, final_name, doc.BAM.FileName,
                         partial ? "frame " + std::to_string(doc.CurrentFrame) + " alone" : ""))
    return;
  try {
    DoExportFrame(choice.Path, kind);
    if (replaces_document) MarkChangedAfterExport();
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, std::string("The frame was not exported.\r\r") + e.what());
  }
}

void TMainForm::ImportSequence1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleSequence)) return;
  const FileChoice choice = prompts_.ChooseOpenFile("Import New Sequence", kSequenceImportFilter);
  if (!choice.Accepted) return;
  TBAMForm& doc = *BAMForm();
  const std::int32_t frames_before = doc.BAM.FrameCount();
  const std::int32_t cycles_before = doc.BAM.CycleCount();
  if (!doc.BeginChange("Import sequence", FrameSpan::Before(frames_before))) return;
  AddLogLine("APP : Import Sequence");
  std::string failure;
  {
    BusyCursor busy;
    try {
      switch (choice.FilterIndex) {
        case kImportAvi:
          doc.BAM.ImportAVI(choice.Path);
          break;
        case kImportGif:
          doc.BAM.ImportGIF(choice.Path);
          break;
        default:
          ImportCyclesFromBAM(doc.BAM, choice.Path);
          break;
      }
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  const bool changed =
      doc.BAM.FrameCount() != frames_before || doc.BAM.CycleCount() != cycles_before;
  if (changed) doc.Modified = true;
  doc.EndChange();
  if (failure.empty()) {
    AppendToLog(" [OK]");
  } else {
    AppendToLog(" [ABORTED] (" + failure + ")");
  }
  UpdateFrameAndSequenceLists();
  if (doc.BAM.CycleCount() > cycles_before) {
    PageControl->setCurrentWidget(Tab_Sequence);
    {
      const QSignalBlocker block(List_Sequences);
      List_Sequences->setCurrentRow(List_Sequences->count() - 1);
    }
    List_SequencesClick(true);
  }
  if (!failure.empty()) prompts_.Error(kAppTitle, "The sequence was not imported.\r\r" + failure);
}

void TMainForm::ExportSequence1Click() {
  const int sequence = SelectedSequence();
  if (!document_ || sequence < 0) return;
  TBAMForm& doc = *BAMForm();
  const std::string proposed = ProposedExportName(doc.BAM.FileName, "_Sequence", sequence);
  const FileChoice choice =
      prompts_.ChooseSaveFile("Export Sequence", kSequenceExportFilter, 0, proposed);
  if (!choice.Accepted) return;
  static const char* const kExtensions[] = {".avi", ".gif", ".bmp", ".bam", ".png"};
  const int kind = std::clamp(choice.FilterIndex, 0, 4);
  // An animated PNG may also be named ".apng".
  const std::string final_name =
      kind == kExportAnimatedPng && WithExtension(choice.Path, ".apng") == choice.Path
          ? choice.Path
          : WithExtension(choice.Path, kExtensions[kind]);
  const bool replaces_document = IsSameFile(final_name, doc.BAM.FileName);
  const std::size_t frames = doc.BAM.GetCycle(sequence).Frames.size();
  if (!ConfirmSaveTarget(prompts_, "Export Sequence", choice.Path, final_name, doc.BAM.FileName,
                         "sequence " + std::to_string(sequence) + " alone (" +
                             std::to_string(frames) + (frames == 1 ? " frame)" : " frames)")))
    return;
  // The exporters read the stored frames, so edits of the frame on screen go in first.
  doc.CommitPendingEdits();
  AddLogLine("APP : Export Sequence (" + std::to_string(sequence) + ")...");
  try {
    switch (choice.FilterIndex) {
      case kExportAvi:
        doc.BAM.ExportAVI(choice.Path, sequence);
        break;
      case kExportGif:
        doc.BAM.ExportGIF(choice.Path, sequence);
        break;
      case kExportStrip:
        doc.BAM.ExportBMP(choice.Path, sequence);
        break;
      case kExportAnimatedPng:
        ExportAnimatedPng(doc.BAM, final_name, sequence, doc_options_.FrameSpeedMs);
        break;
      default:
        doc.BAM.ExportCycleAsBAM(choice.Path, sequence, LoadSaveProgress());
        break;
    }
    prog_form_->hide();
    AppendToLog(" [OK]");
    if (replaces_document) MarkChangedAfterExport();
  } catch (const std::exception& e) {
    prog_form_->hide();
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, std::string("The sequence was not exported.\r\r") + e.what());
  }
}

void TMainForm::MarkChangedAfterExport() {
  // The document's own file now holds only part of it: saving is needed to keep the rest.
  BAMForm()->Modified = true;
  // This program wrote it: Save need not ask about a change by another one.
  document_->DiskStamp = StampFile(BAMForm()->BAM.FileName);
  RefreshCommandStates();
}

}  // namespace celwright
