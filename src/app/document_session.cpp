#include "app/document_session.h"

#include <cstdio>

#include "app/app_info.h"
#include "app/app_log.h"

namespace celwright {

namespace {
std::string Num(std::int64_t n) { return std::to_string(n); }
}  // namespace

bool DocumentSession::ShowFrame(std::int32_t index) {
  UndoCount = 0;
  RedoCount = 0;
  app_log::AddLogLine("SHOW: Frame (" + Num(index) + ")...");
  if (index < 0 || index >= BAM.FrameCount()) {
    CurrentFrame = -1;
    FrameRec = TBAMFrame{};
    app_log::AddLogLine("SHOW: Aborted (Invalid Frame ID)");
    ViewChanged();
    return false;
  }
  Caption = FileNamePart(BAM.FileName) + " (Frame " + Num(index) + ")";
  // Edits are written back by the document window core; the shell itself never paints.
  ImageChanged = false;
  FrameRec = BAM.GetFrame(index);
  CurrentFrame = index;
  app_log::AppendToLog(" [OK]");
  ViewChanged();
  return true;
}

void DocumentSession::InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position) {
  app_log::AddLogLine("BAM : Insert Frame (" + Num(index) + "," + Num(cycle) + "," + Num(position) +
                      ")");
  BAM.InsertFrame(index, cycle, position, false);
  if (index == -1) index = BAM.FrameCount() - 1;
  app_log::AppendToLog(" [OK]");
  Modified = true;
  ShowFrame(index);
}

void DocumentSession::DuplicateFrameInSeq(std::int32_t index, std::int32_t cycle,
                                          std::int32_t position) {
  app_log::AddLogLine("BAM : Duplicate Frame (" + Num(index) + "," + Num(cycle) + "," +
                      Num(position) + ")");
  BAM.InsertFrame(index, cycle, position, true);
  app_log::AppendToLog(" [OK]");
  Modified = true;
  ShowFrame(index);
}

void DocumentSession::DuplicateFrame(std::int32_t index) {
  app_log::AddLogLine("BAM : Duplicate Frame (" + Num(index) + ")");
  // The copy goes to the end, where the view and the lists look for it afterwards; inserting it
  // at `index` would show an unrelated frame and renumber every later one.
  const TBAMFrame source = BAM.GetFrame(index);
  const auto at = static_cast<std::ptrdiff_t>(BAM.FrameDataPosition(index));
  const std::vector<std::uint8_t> bytes(BAM.Data.begin() + at,
                                        BAM.Data.begin() + at + source.DataSize);
  BAM.InsertFrameData(-1, -1, -1, bytes, source);
  app_log::AppendToLog(" [OK]");
  Modified = true;
  ShowFrame(BAM.FrameCount() - 1);
}

void DocumentSession::DeleteFrame(std::int32_t index) {
  app_log::AddLogLine("BAM : Delete Frame (" + Num(index) + ")");
  BAM.DeleteFrame(index);
  while (index > 0 && index >= BAM.FrameCount()) --index;
  app_log::AppendToLog(" [OK]");
  Modified = true;
  ShowFrame(index);
}

bool DocumentSession::CheckCanClose(const std::function<void()>& save) {
  if (!Modified && !ImageChanged) return true;
  const PromptAnswer answer =
      prompts_.AskYesNoCancel(kAppTitle, "Do you want to save changes to " + BAM.FileName + "?");
  if (answer == PromptAnswer::Cancel) return false;
  if (answer == PromptAnswer::Yes) {
    save();
    if (Modified) return false;
  }
  Modified = false;
  return true;
}

bool DocumentSession::ConvertToBAMQuery() {
  const std::string text = std::string("The current format (") + DetailsOf(DocType).Name +
                           ") does not support that action. Continuing will cause the file to "
                           "be converted to a BAM file.";
  if (!prompts_.AskOkCancel(kAppTitle, text)) return false;
  DocType = dtBAM;
  return true;
}

std::string DocumentSession::FileInfoText() const {
  return FileNamePart(BAM.FileName) + "\r\rSequences:\t" + Num(BAM.CycleCount()) +
         "\t\rFrames:\t\t" + Num(BAM.FrameCount()) + "\r\rCompressed: \t" +
         (BAM.Compressed ? "Yes" : "No");
}

std::string DocumentSession::SequenceInfoText(std::int32_t cycle) const {
  return "Sequence #" + Num(cycle) + "\r\rFrames:\t" + Num(BAM.GetCycle(cycle).Count) + "\t\r";
}

std::string DocumentSession::FrameInfoText() const {
  return "Frame #" + Num(CurrentFrame) + "\r\rWidth:\t\t" + Num(FrameRec.Width) +
         "\t\rHeight:\t\t" + Num(FrameRec.Height) + "\rHorizontal Offset:\t" +
         Num(FrameRec.CentreX) + "\rVertical Offset:\t" + Num(FrameRec.CentreY) + "\r";
}

}  // namespace celwright
