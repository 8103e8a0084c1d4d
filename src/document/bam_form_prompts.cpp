#include "document/bam_form.h"

namespace celwright {

// Message boxes break lines at "\n" on this platform.
std::string TBAMForm::FileInfo() {
  const std::string text = FileNamePart(BAM.FileName) + "\n\nSequences:\t" +
                           std::to_string(BAM.CycleCount()) + "\t\nFrames:\t\t" +
                           std::to_string(BAM.FrameCount()) + "\n\nCompressed: \t" +
                           (BAM.Compressed ? "Yes" : "No");
  if (hosts_.Prompts) hosts_.Prompts->ShowInformation("File Info", text);
  return text;
}

std::string TBAMForm::SequenceInfo() {
  const int sequence = options_.SelectedSequence;
  if (sequence < 0 || sequence >= BAM.CycleCount()) return {};
  const std::string text = "Sequence #" + std::to_string(sequence) + "\n\nFrames:\t" +
                           std::to_string(BAM.GetCycle(sequence).Count) + "\t\n";
  if (hosts_.Prompts) hosts_.Prompts->ShowInformation("Sequence Info", text);
  return text;
}

std::string TBAMForm::FrameInfo() {
  const std::string text =
      "Frame #" + std::to_string(CurrentFrame) + "\n\nWidth:\t\t" +
      std::to_string(FrameRec.Width) + "\t\nHeight:\t\t" + std::to_string(FrameRec.Height) +
      "\nHorizontal Offset:\t" + std::to_string(FrameRec.CentreX) + "\nVertical Offset:\t" +
      std::to_string(FrameRec.CentreY) + "\n";
  if (hosts_.Prompts) hosts_.Prompts->ShowInformation("Frame Info", text);
  return text;
}

bool TBAMForm::CheckCanClose() {
  // Text on show and a moved selection count as placed: closing asks about them like any other
  // edit.
  LandPendingEdits();
  if (Modified || ImageChanged) {
    const PromptAnswer answer =
        hosts_.Prompts ? hosts_.Prompts->AskYesNoCancel(
                             options_.ApplicationTitle,
                             "Do you want to save changes to " + BAM.FileName + "?")
                       : PromptAnswer::Cancel;
    if (answer == PromptAnswer::Cancel) return false;
    if (answer == PromptAnswer::Yes) {
      if (hosts_.MainWindow) hosts_.MainWindow->SaveDocument();
      // A save that failed or did not happen leaves the document open.
      if (Modified || !hosts_.MainWindow) return false;
    }
    // "No" discards the edits: the document must not ask about them a second time.
    DropPendingEdits();
  }
  Modified = false;
  return true;
}

bool TBAMForm::ConvertToBAMQuery() {
  const std::string text = std::string("The current format (") + DocTypeName(DocType) +
                           ") does not support that action. Continuing will cause the file to "
                           "be converted to a BAM file.";
  if (!hosts_.Prompts || !hosts_.Prompts->ConfirmOkCancel(text)) return false;
  DocType = dtBAM;
  return true;
}

}  // namespace celwright
