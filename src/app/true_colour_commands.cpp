// The editor's commands for true-colour (BAM V2) animations.
#include "app/main_window.h"

#include "app/progress_window.h"
#include "support/app_info.h"
#include "support/qm_log.h"
#include "document/bam_form.h"
#include "model/bam_types.h"

namespace celwright {

void TMainForm::ConvertToTrueColour1Click() { ConvertKind(kTrueColourBAM); }

void TMainForm::ShowSavedTextures() {
  TBAMForm& doc = *BAMForm();
  // Frames that got new blocks now hold what the pages give back; the working images follow.
  if (doc.CurrentFrame >= 0) doc.ShowFrame(doc.CurrentFrame);
  if (doc.BAM.SaveNotes.empty()) return;
  std::string text = "The animation was saved.";
  for (const std::string& note : doc.BAM.SaveNotes) {
    AddLogLine("SAVE: " + note);
    text += "\r\r" + note;
  }
  prompts_.Information(kAppTitle, text);
}

}  // namespace celwright
