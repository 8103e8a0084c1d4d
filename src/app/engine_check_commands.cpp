// File > Check for Engines: the report window over the open document, and its fixes.
#include <QTabWidget>
#include <filesystem>

#include "app/engine_report_window.h"
#include "app/main_window.h"
#include "document/bam_form.h"
#include "model/engine_fix.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

// An unchanged document opened from a BAM file is checked on the file's own bytes, so what only
// the bytes show (empty frames stored encoded, offsets past the data, the container's length)
// is listed too; saving puts those right. Anything else is checked as the writer would store it.
engine::Report CheckOpenDocument(const TBAMForm& doc) {
  std::error_code error;
  if (!doc.Modified && doc.DocType == dtBAM &&
      std::filesystem::is_regular_file(doc.BAM.FileName, error)) {
    TBAM file;
    engine::Report report = engine::CheckFile(doc.BAM.FileName, file);
    if (!report.Has(engine::kUnreadableFile) && file.FrameCount() == doc.BAM.FrameCount() &&
        file.CycleCount() == doc.BAM.CycleCount()) {
      return report;
    }
  }
  return engine::CheckDocument(doc.BAM);
}

}  // namespace

void TMainForm::CheckForEngines1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  if (!engine_report_form_) {
    auto show = [this](const engine::Finding& finding) {
      if (!document_) return;
      if (finding.frame >= 0 && finding.frame < BAMForm()->BAM.FrameCount()) {
        PageControl->setCurrentWidget(Tab_Frames);
        List_Frames->setCurrentRow(finding.frame);
        List_FramesDblClick();
      } else if (finding.sequence >= 0 && finding.sequence < BAMForm()->BAM.CycleCount()) {
        PageControl->setCurrentWidget(Tab_Sequence);
        List_Sequences->setCurrentRow(finding.sequence);
        List_SequencesClick(true);
      }
    };
    // The fixes change the document only; the user saves it as usual, as after any command.
    auto fix = [this] {
      if (!document_) return;
      TBAMForm* doc = BAMForm();
      Guarded([&] {
        AddLogLine("BAM : Fix for Engines...");
        doc->CommitPendingEdits();
        std::vector<std::string> fixes;
        // One step of the history: every frame and the palette may change.
        const bool made = doc->RecordChange("Fix for Engines", FrameSpan{}, [&] {
          fixes = engine::FixForEngines(doc->BAM, CheckOpenDocument(*doc));
        });
        if (made && !fixes.empty()) {
          doc->Modified = true;
          doc->ShowFrame(doc->CurrentFrame);  // the working images take the remapped pixels
          PaletteChanged();
        }
        AppendToLog(" [OK]");
        engine_report_form_->ShowReport(CheckOpenDocument(*doc), fixes);
      });
      RefreshCommandStates();
    };
    engine_report_form_ = new TEngineReportForm(this, show, fix);
  }
  Guarded([&] {
    AddLogLine("BAM : Check for Engines...");
    BAMForm()->CommitPendingEdits();
    engine_report_form_->ShowReport(CheckOpenDocument(*BAMForm()));
    AppendToLog(" [OK]");
  });
  engine_report_form_->show();
  engine_report_form_->raise();
}

}  // namespace celwright
