// When each command can run. The rules are recomputed when a menu drops down and after every
// command, so shortcuts (which fire only for enabled entries) follow the same rules.
#include "app/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolButton>

#include "app/document_session.h"
#include "app/palette_dialogs.h"
#include "document/bam_form.h"

namespace celwright {

QAction* TMainForm::Entry(const char* name) const {
  // The rules run on every playback tick: a table beats searching the widget tree each time.
  const auto found = entries_.find(name);
  return found != entries_.end() ? found->second : findChild<QAction*>(name);
}

void TMainForm::SetEnabled(QAction* entry, bool rule) {
  entry->setEnabled(rule && !unwired_.count(entry));
}

void TMainForm::CopyState(const char* twin, const char* original) {
  SetEnabled(Entry(twin), Entry(original)->isEnabled());
}

void TMainForm::MirrorButton(QToolButton* button, const char* entry) {
  if (button) button->setEnabled(Entry(entry)->isEnabled());
}

void TMainForm::File1Click() {
  const bool open = document_ && BAMForm()->BAM.IsOpen;
  for (const char* name : {"Save1", "SaveAs1", "Close1", "FileInfo1", "CheckForEngines1",
                            "ExportSpriteSheet1"})
    SetEnabled(Entry(name), open);
  for (const char* name : {"Print1", "PrintPreview1", "PrintSetup1"})
    SetEnabled(Entry(name), false);
}

void TMainForm::Edit1Click() {
  const bool exists = document_ != nullptr;
  const bool open = exists && BAMForm()->BAM.IsOpen;
  const bool frame = open && BAMForm()->CurrentFrame != -1;
  const bool selection = exists && BAMForm()->HasSelection;
  // An inverted full selection, or a rectangle drawn beside the frame, selects nothing.
  const bool selected_pixels = selection && BAMForm()->SomethingSelected();
  SetEnabled(Entry("Undo1"), exists && BAMForm()->CanUndo());
  SetEnabled(Entry("Redo1"), exists && BAMForm()->RedoCount() > 0);
  // The commands name the step they take back or make again.
  const std::string undo_name = exists ? BAMForm()->UndoName() : std::string();
  const std::string redo_name = exists ? BAMForm()->RedoName() : std::string();
  Entry("Undo1")->setText(QString::fromStdString(undo_name.empty() ? "&Undo" : "&Undo " + undo_name));
  Entry("Redo1")->setText(QString::fromStdString(redo_name.empty() ? "&Redo" : "&Redo " + redo_name));
  for (const char* name : {"Copy1", "Cut1", "Clear1", "Crop1"})
    SetEnabled(Entry(name), selected_pixels);
  for (const char* name : {"Paste1", "PasteIntoNew1"})
    SetEnabled(Entry(name), open && clipboard_has_image_);
  for (const char* name :
       {"SelectAll1", "FlipHorizontal1", "FlipVertical1", "RotateClock1", "RotateAntiClock1"})
    SetEnabled(Entry(name), frame);
  for (const char* name : {"SelectNone1", "Inverse1"}) SetEnabled(Entry(name), frame && selection);
  SetEnabled(Entry("ApplyFreeRotation1"), frame);
  SetEnabled(Entry("Settings1"), true);
  MirrorButton(Btn_Copy, "Copy1");
  MirrorButton(Btn_Cut, "Cut1");
  MirrorButton(Btn_Paste, "Paste1");
  MirrorButton(Btn_Crop, "Crop1");
  MirrorButton(Btn_Undo, "Undo1");
  MirrorButton(Btn_Redo, "Redo1");
  if (Btn_Undo) Btn_Undo->setToolTip(Entry("Undo1")->text().remove('&'));
  if (Btn_Redo) Btn_Redo->setToolTip(Entry("Redo1")->text().remove('&'));
}

void TMainForm::Colors1Click() {
  const bool open = document_ && BAMForm()->BAM.IsOpen;
  const bool paletted = open && BAMForm()->BAM.GetBAMType() == kPalettedBAM;
  const bool unpaletted = open && BAMForm()->BAM.GetBAMType() == kUnpalettedBAM;
  const bool true_colour = open && BAMForm()->BAM.GetBAMType() == kTrueColourBAM;
  SetEnabled(Entry("SetPaletteTransparency1"), unpaletted);
  SetEnabled(Entry("ConvertToPaletted1"), unpaletted || true_colour);
  SetEnabled(Entry("EditPalette1"), paletted);
  SetEnabled(Entry("ConverttoUnpaletted1"), paletted || true_colour);
  SetEnabled(Entry("ConvertToTrueColour1"), paletted || unpaletted);
  SetEnabled(Entry("ViewPaletteTransparency1"), open);
  for (const char* name : {"ColorBalance1", "Contrast1", "Negative1", "GrayScale1"}) {
    SetEnabled(Entry(name), paletted);
    Entry(name)->setStatusTip(unpaletted ? QString(kPaletteOnlyMessage) : QString());
  }
}

void TMainForm::View1Click() {
  const bool open = document_ && BAMForm()->BAM.IsOpen;
  ZoomTo1Menu->menuAction()->setEnabled(open);
  SetEnabled(Entry("ShowGrid1"), open);
  SetEnabled(Entry("OnionSkin1"), open);
  SetEnabled(Entry("ZoomIn1"), open && Combo_Mag->currentIndex() < Combo_Mag->count() - 1);
  SetEnabled(Entry("ZoomOut1"), open && Combo_Mag->currentIndex() > 0);
}

void TMainForm::Frame1Click() {
  const bool open = document_ && BAMForm()->BAM.IsOpen;
  const bool frame = open && BAMForm()->CurrentFrame != -1;
  const bool sequence = SelectedSequence() >= 0;
  const int entry = SelectedEntry();
  const int entries = List_SequenceFrames->count();
  for (const char* name :
       {"FrameInfo1", "DuplicateFrame1", "DeleteFrame1", "ImportFrame1", "ExportFrame1", "Resize1"})
    SetEnabled(Entry(name), frame);
  for (const char* name : {"ManageFrames1", "MergeIdenticalFrames1", "TrimTransparentBorders1"})
    SetEnabled(Entry(name), open);
  SetEnabled(Entry("NewFrame1"), open);
  SetEnabled(Entry("CopyFrames1"), open && (frame || sequence));
  SetEnabled(Entry("PasteFrames1"), open && !copied_frames_.empty());
  for (const char* name : {"ImportFrameintoSeq1", "AddNewFrame1", "AddFrame1"})
    SetEnabled(Entry(name), open && sequence);
  for (const char* name : {"DuplicateFrameInSeq1", "RemoveFrame1"})
    SetEnabled(Entry(name), open && sequence && frame);
  SetEnabled(Entry("MoveFrameUp1"), open && entry > 0 && frame);
  SetEnabled(Entry("MoveFrameDn1"), open && entry < entries - 1 && sequence && frame);
  // Next and Previous walk every frame of the animation, wrapping at the ends: they can go
  // somewhere whenever there is a frame other than the one shown.
  const int frame_count = open ? BAMForm()->BAM.FrameCount() : 0;
  const bool can_walk = frame_count > 1 || (frame_count == 1 && !frame);
  SetEnabled(Entry("NextFrame1"), can_walk);
  SetEnabled(Entry("PrevFrame1"), can_walk);
  MirrorButton(Btn_Manage, "ManageFrames1");
}

void TMainForm::Sequence1Click() {
  const bool open = document_ && BAMForm()->BAM.IsOpen;
  const int sequence = SelectedSequence();
  // The list may still show a sequence a command has just removed.
  const bool has = open && sequence >= 0 && sequence < BAMForm()->BAM.CycleCount();
  const bool playable = has && BAMForm()->BAM.GetCycle(sequence).Count > 0;
  for (const char* name :
       {"SequenceInfo1", "DuplicateSequence1", "DeleteSequence1", "ExportSequence1"})
    SetEnabled(Entry(name), has);
  for (const char* name : {"Play1", "Preview1"}) SetEnabled(Entry(name), playable);
  // Whatever the lists show now, running playback can always be stopped.
  SetEnabled(Entry("Stop1"), open && BAMForm()->Playing());
  for (const char* name : {"AddSequence1", "ImportSequence1"}) SetEnabled(Entry(name), open);
}

void TMainForm::SequencePopupPopup() {
  Sequence1Click();
  CopyState("SequenceInfo2", "SequenceInfo1");
  CopyState("Play2", "Play1");
  CopyState("Stop2", "Stop1");
  CopyState("Preview2", "Preview1");
  CopyState("AddSequence2", "AddSequence1");
  CopyState("DuplicateSequence2", "DuplicateSequence1");
  CopyState("DeleteSequence2", "DeleteSequence1");
  CopyState("ImportSequence2", "ImportSequence1");
  CopyState("ExportSequence2", "ExportSequence1");
  MirrorButton(Btn_Play, "Play1");
  MirrorButton(Btn_Stop, "Stop1");
  MirrorButton(Btn_Preview, "Preview1");
}

void TMainForm::FramesPopupPopup() {
  Frame1Click();
  const std::pair<const char*, const char*> twins[] = {
      {"FrameInfo2", "FrameInfo1"},
      {"FrameInfo3", "FrameInfo1"},
      {"NewFrame2", "NewFrame1"},
      {"NewFrame3", "NewFrame1"},
      {"DuplicateFrame2", "DuplicateFrame1"},
      {"DuplicateFrame3", "DuplicateFrame1"},
      {"DeleteFrame2", "DeleteFrame1"},
      {"DeleteFrame3", "DeleteFrame1"},
      {"AddFrame2", "AddFrame1"},
      {"AddNewFrame2", "AddNewFrame1"},
      {"DuplicateFrameInSeq2", "DuplicateFrameInSeq1"},
      {"RemoveFrame2", "RemoveFrame1"},
      {"MoveFrameUp2", "MoveFrameUp1"},
      {"MoveFrameDn2", "MoveFrameDn1"},
      {"ImportFrame2", "ImportFrame1"},
      {"ImportFrame3", "ImportFrame1"},
      {"ImportFrameintoSeq2", "ImportFrameintoSeq1"},
      {"ExportFrame2", "ExportFrame1"},
      {"ExportFrame3", "ExportFrame1"}};
  for (const auto& [copy, original] : twins) CopyState(copy, original);
}

void TMainForm::RefreshCommandStates() {
  File1Click();
  Edit1Click();
  Colors1Click();
  View1Click();
  FramesPopupPopup();
  SequencePopupPopup();
  if (Btn_Save) Btn_Save->setEnabled(document_ != nullptr);
  // The title bar's "*" marks changes not yet saved.
  const bool unsaved = document_ && (BAMForm()->Modified || BAMForm()->ImageChanged);
  setWindowModified(unsaved);
  if (document_window_) document_window_->setWindowModified(unsaved);
  SetEnabled(Entry("NextDocument1"), DocumentCount() > 1);
  SetEnabled(Entry("PreviousDocument1"), DocumentCount() > 1);
  RefreshHistoryViewer();
}

}  // namespace celwright
