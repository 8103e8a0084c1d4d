// The sequence and frame lists of the right-hand panel and the Frame and Sequence commands.
#include "app/main_window.h"

#include <QAction>
#include <QTabWidget>
#include <algorithm>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/file_filters.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

void SelectRow(RowList* list, int row) {
  const QSignalBlocker block(list);
  list->setCurrentRow(row);
  if (row < 0) list->clearSelection();
}

}  // namespace

int TMainForm::SelectedSequence() const {
  const int row = List_Sequences->currentRow();
  return List_Sequences->IsSelected(row) ? row : -1;
}

int TMainForm::SelectedEntry() const {
  const int row = List_SequenceFrames->currentRow();
  return List_SequenceFrames->IsSelected(row) ? row : -1;
}

void TMainForm::FillList(RowList* list, int count, bool single, const char* label,
                         std::vector<int> numbers) {
  const QSignalBlocker block(list);
  list->Show(label, single, count, std::move(numbers));
}

void TMainForm::DisplayFrame(int index) {
  if (!document_) return;
  // List clicks must not end the program over a frame that cannot be drawn.
  Guarded([&] { BAMForm()->ShowFrame(index); });
  HighlightShownFrame();
  RefreshCommandStates();
}

void TMainForm::HighlightShownFrame() {
  if (!document_) return;
  const int frame = BAMForm()->CurrentFrame;
  SelectRow(List_Frames, frame < List_Frames->count() ? frame : -1);
  const int sequence = SelectedSequence();
  if (sequence < 0 || sequence >= BAMForm()->BAM.CycleCount()) return;
  const TCycleItem cycle = BAMForm()->BAM.GetCycle(sequence);
  const auto& frames = cycle.Frames;
  const int count = static_cast<int>(frames.size());
  const int entry = SelectedEntry();
  if (entry >= 0 && entry < count && frames[static_cast<std::size_t>(entry)] == frame) return;
  // The entry after the highlighted one first, so walking a sequence that shows a frame twice
  // moves on instead of jumping back.
  int found = -1;
  for (int step = 1; step <= count && found < 0; ++step) {
    const int k = (std::max(entry, -1) + step + count) % count;
    if (frames[static_cast<std::size_t>(k)] == frame) found = k;
  }
  SelectRow(List_SequenceFrames, found);
}

void TMainForm::SettlePlayback() {
  if (document_ && BAMForm()->Playing()) Stop1Click();
}

void TMainForm::ShowLastFrameOnAllFrames() {
  SelectRow(List_Sequences, -1);
  PageControl->setCurrentWidget(Tab_Frames);
  UpdateFrameAndSequenceLists();
  SelectRow(List_Frames, List_Frames->count() - 1);
  List_FramesDblClick();
}

void TMainForm::UpdateFrameAndSequenceLists() {
  if (!document_) return;
  // Playback works on frame numbers the change may have moved.
  BAMForm()->StopSequence();
  AddLogLine("APP : Update Frames & Sequences List...");
  ShowListRows(List_Frames->currentRow(), SelectedSequence(), SelectedEntry());
  AppendToLog(" [OK]");
}

void TMainForm::ShowListRows(int frame_row, int sequence_row, int entry_row) {
  if (!document_) return;
  const TFileDetails& details = DetailsOf(BAMForm()->DocType);
  const TBAM& bam = BAMForm()->BAM;
  FillList(List_Frames, bam.FrameCount(), details.SingleFrame, details.FrameLabel);
  FillList(List_Sequences, bam.CycleCount(), details.SingleSequence, details.SequenceLabel);
  SelectRow(List_Frames, frame_row < List_Frames->count() ? frame_row : -1);
  SelectRow(List_Sequences, sequence_row < List_Sequences->count() ? sequence_row : -1);
  List_SequencesClick(false);
  SelectRow(List_SequenceFrames, entry_row < List_SequenceFrames->count() ? entry_row : -1);
  RefreshCommandStates();
}

void TMainForm::List_SequencesClick(bool real_click) {
  SequencePopupPopup();
  const int sequence = SelectedSequence();
  doc_options_.SelectedSequence = sequence;
  if (!document_ || sequence < 0) {
    FillList(List_SequenceFrames, 0, false, "", {});
    RefreshCommandStates();
    return;
  }
  const TFileDetails& details = DetailsOf(BAMForm()->DocType);
  const TCycleItem cycle = BAMForm()->BAM.GetCycle(sequence);
  FillList(List_SequenceFrames, static_cast<int>(cycle.Frames.size()), details.SingleFrame,
           details.FrameLabel, std::vector<int>(cycle.Frames.begin(), cycle.Frames.end()));
  if (real_click && List_SequenceFrames->count() > 0) {
    SelectRow(List_SequenceFrames, 0);
    List_SequenceFramesDblClick();
  }
  RefreshCommandStates();
}

void TMainForm::List_SequenceFramesDblClick() {
  const int entry = SelectedEntry();
  const int sequence = SelectedSequence();
  if (!document_ || entry < 0 || sequence < 0) return;
  const TCycleItem cycle = BAMForm()->BAM.GetCycle(sequence);
  if (entry >= static_cast<int>(cycle.Frames.size())) return;
  const int frame = cycle.Frames[static_cast<std::size_t>(entry)];
  SelectRow(List_Frames, frame < List_Frames->count() ? frame : -1);
  DisplayFrame(frame);
}

void TMainForm::List_FramesDblClick() {
  SelectRow(List_Sequences, -1);
  SequencePopupPopup();
  FillList(List_SequenceFrames, 0, false, "", {});
  const int row = List_Frames->currentRow();
  if (row >= 0) DisplayFrame(row);
  RefreshCommandStates();
}

bool TMainForm::ConvertCheck(bool single) {
  if (!single) return true;
  if (!BAMForm()->ConvertToBAMQuery()) return false;
  UpdateFrameAndSequenceLists();  // the labels change with the type
  return true;
}

// Commands report model refusals (bad numbers) instead of letting them end the program.
void TMainForm::Guarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    AppendToLog(std::string(" [ABORTED] (") + e.what() + ")");
    prompts_.Error(kAppTitle, e.what());
    UpdateFrameAndSequenceLists();
  }
}

void TMainForm::NewFrame1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  Guarded([&] {
    BAMForm()->InsertFrame(-1, -1, -1);
    ShowLastFrameOnAllFrames();
  });
}

void TMainForm::DuplicateFrame1Click() {
  if (!document_ || BAMForm()->CurrentFrame < 0) return;
  if (!ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  Guarded([&] {
    BAMForm()->DuplicateFrame(BAMForm()->CurrentFrame);
    ShowLastFrameOnAllFrames();
  });
}

void TMainForm::DeleteFrame1Click() {
  if (!document_ || BAMForm()->CurrentFrame < 0) return;
  if (!ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  Guarded([&] {
    BAMForm()->DeleteFrame(BAMForm()->CurrentFrame);
    UpdateFrameAndSequenceLists();
    HighlightShownFrame();
  });
}

void TMainForm::AddNewFrame1Click() {
  const int sequence = SelectedSequence();
  if (!document_ || sequence < 0) return;
  Guarded([&] {
    BAMForm()->InsertFrame(-1, sequence, -1);
    UpdateFrameAndSequenceLists();
    SelectRow(List_SequenceFrames, List_SequenceFrames->count() - 1);
    List_SequenceFramesDblClick();
  });
}

void TMainForm::DuplicateFrameInSeq1Click() {
  SettlePlayback();
  const int sequence = SelectedSequence();
  if (!document_ || sequence < 0 || BAMForm()->CurrentFrame < 0) return;
  Guarded([&] {
    BAMForm()->DuplicateFrameInSeq(BAMForm()->CurrentFrame, sequence, SelectedEntry());
    UpdateFrameAndSequenceLists();
    HighlightShownFrame();
  });
}

void TMainForm::RemoveFrame1Click() {
  SettlePlayback();
  const int sequence = SelectedSequence();
  const int entry = SelectedEntry();
  if (!document_ || sequence < 0 || entry < 0) return;
  AddLogLine("BAM : Remove Frame (" + std::to_string(entry) + ") from Sequence (" +
             std::to_string(sequence) + ")...");
  Guarded([&] {
    BAMForm()->RecordChange("Remove entry " + std::to_string(entry) + " from sequence " +
                                std::to_string(sequence),
                            FrameSpan::Before(0), [&] {
                              BAMForm()->BAM.DeleteFrameFromCycle(sequence, entry);
                              BAMForm()->Modified = true;
                            });
    AppendToLog(" [OK]");
    UpdateFrameAndSequenceLists();
    List_SequenceFramesDblClick();
    HighlightShownFrame();
  });
}

void TMainForm::MoveFrame(int delta) {
  SettlePlayback();
  const int sequence = SelectedSequence();
  const int entry = SelectedEntry();
  if (!document_ || delta == 0 || sequence < 0 || entry < 0) return;
  const int target = entry + delta;
  if (target < 0 || target >= List_SequenceFrames->count()) return;
  AddLogLine("BAM : Move Frame (" + std::to_string(entry) + " >> " + std::to_string(target) +
             ") in Sequence (" + std::to_string(sequence) + "+...");
  Guarded([&] {
    BAMForm()->RecordChange("Move frame in sequence " + std::to_string(sequence),
                            FrameSpan::Before(0), [&] {
                              BAMForm()->BAM.MoveFrameInCycle(sequence, entry, target);
                              BAMForm()->Modified = true;
                            });
    AppendToLog(" [OK]");
    SelectRow(List_SequenceFrames, target);
    UpdateFrameAndSequenceLists();
    List_SequenceFramesDblClick();
  });
}

void TMainForm::AddSequence1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleSequence)) return;
  BAMForm()->RecordChange("Add sequence", FrameSpan::Before(0), [this] {
    BAMForm()->BAM.AddCycle(-1);
    BAMForm()->Modified = true;
  });
  UpdateFrameAndSequenceLists();
}

void TMainForm::DuplicateSequence1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleSequence)) return;
  const int sequence = SelectedSequence();
  if (sequence < 0) return;
  BAMForm()->RecordChange("Duplicate sequence " + std::to_string(sequence), FrameSpan::Before(0),
                          [&] {
                            BAMForm()->BAM.AddCycle(sequence);
                            BAMForm()->Modified = true;
                          });
  UpdateFrameAndSequenceLists();
}

void TMainForm::DeleteSequence1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleSequence)) return;
  const int sequence = SelectedSequence();
  if (sequence < 0) return;
  BAMForm()->RecordChange("Delete sequence " + std::to_string(sequence), FrameSpan::Before(0),
                          [&] {
                            BAMForm()->BAM.DeleteCycle(sequence);
                            BAMForm()->Modified = true;
                          });
  if (sequence == List_Sequences->count() - 1) SelectRow(List_Sequences, sequence - 1);
  UpdateFrameAndSequenceLists();
  // The sequence now highlighted is shown as a click on it would show it.
  if (SelectedSequence() >= 0) {
    List_SequencesClick(true);
  } else {
    HighlightShownFrame();
  }
}

bool TMainForm::ImportPicture(std::int32_t cycle) {
  const FileChoice choice = prompts_.ChooseOpenFile("Import New Frame", kImageFilter);
  if (!choice.Accepted) return false;
  bool imported = false;
  Guarded([&] {
    BAMForm()->ImportFrame(choice.Path, static_cast<std::uint8_t>(choice.FilterIndex + 1), -1,
                           cycle, -1);
    BAMForm()->Modified = true;
    imported = true;
  });
  return imported;
}

void TMainForm::ImportFrame1Click() {
  if (!document_ || !ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  if (!ImportPicture(-1)) return;
  ShowLastFrameOnAllFrames();
}

void TMainForm::ImportFrameintoSeq1Click() {
  const int sequence = SelectedSequence();
  if (!document_ || sequence < 0) return;
  if (!ConvertCheck(DetailsOf(BAMForm()->DocType).SingleFrame)) return;
  if (!ImportPicture(sequence)) return;
  UpdateFrameAndSequenceLists();
  SelectRow(List_SequenceFrames, List_SequenceFrames->count() - 1);
  List_SequenceFramesDblClick();
}

void TMainForm::NextFrame1Click() {
  if (!document_ || BAMForm()->BAM.FrameCount() == 0) return;
  const int next = BAMForm()->CurrentFrame + 1;
  DisplayFrame(next >= BAMForm()->BAM.FrameCount() ? 0 : next);
}

void TMainForm::PrevFrame1Click() {
  if (!document_ || BAMForm()->BAM.FrameCount() == 0) return;
  const int previous = BAMForm()->CurrentFrame - 1;
  DisplayFrame(previous < 0 ? BAMForm()->BAM.FrameCount() - 1 : previous);
}

}  // namespace celwright
