// The main menu, the hidden shortcut-only menu and the pop-up menus of the lists. Entries built
// with no handler are commands still to come: they exist with their captions and shortcuts and
// stay disabled until a handler is wired in here.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "app/document_session.h"
#include "app/document_view.h"
#include "app/log_window.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

QAction* TMainForm::AddEntry(QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut, std::function<void()> handler) {
  auto* entry = new QAction(caption, this);
  entry->setObjectName(name);
  entries_[name] = entry;
  entry->setShortcut(shortcut);
  if (handler) {
    connect(entry, &QAction::triggered, this, [handler] { handler(); });
  } else {
    unwired_.insert(entry);
    entry->setEnabled(false);
  }
  if (menu) menu->addAction(entry);
  return entry;
}

void TMainForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  const QKeySequence none;

  QMenu* file = bar->addMenu("&File");
  file->setObjectName("File1");
  connect(file, &QMenu::aboutToShow, this, [this] { File1Click(); });
  AddEntry(file, "New1", "&New", QKeySequence("Ctrl+N"), [this] { New1Click(); });
  AddEntry(file, "Open1", "&Open", QKeySequence("Ctrl+O"), [this] { Open1Click(); });
  AddEntry(file, "Save1", "&Save", QKeySequence("Ctrl+S"), [this] { Save1Click(); });
  AddEntry(file, "SaveAs1", "Save &As...", none, [this] { SaveAs1Click(); });
  AddEntry(file, "Close1", "&Close", QKeySequence("Ctrl+F4"), [this] { Close1Click(); });
  file->addSeparator();
  AddEntry(file, "FileInfo1", "File &Info", QKeySequence("F2"), [this] {
    if (document_) BAMForm()->FileInfo();
  });
  AddEntry(file, "CheckForEngines1", "Check for &Engines...", none,
           [this] { CheckForEngines1Click(); });
  QMenu* file_import = file->addMenu("I&mport");
  file_import->setObjectName("FileImport1");
  AddEntry(file_import, "ImportSpriteSheet1", "&Sprite Sheet...", none,
           [this] { ImportSpriteSheet1Click(); });
  QMenu* file_export = file->addMenu("&Export");
  file_export->setObjectName("FileExport1");
  AddEntry(file_export, "ExportSpriteSheet1", "&Sprite Sheet...", none,
           [this] { ExportSpriteSheet1Click(); });
  file->addSeparator();
  // Printing was never part of the program; the entries stay for the familiar layout.
  AddEntry(file, "Print1", "&Print", QKeySequence("Ctrl+P"), nullptr);
  AddEntry(file, "PrintPreview1", "Print Preview", none, nullptr);
  AddEntry(file, "PrintSetup1", "Print Setup", none, nullptr);
  file->addSeparator();
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string name = "Reopen" + std::to_string(k + 1);
    QAction* reopen = AddEntry(file, name.c_str(), "&" + QString::number(k + 1), none,
                               [this, k] { RecentFileClick(k); });
    reopen->setVisible(false);
  }
  QAction* reopen_break = file->addSeparator();
  reopen_break->setObjectName("ReopenBreak");
  entries_["ReopenBreak"] = reopen_break;
  reopen_break->setVisible(false);
  AddEntry(file, "Exit1", "E&xit", QKeySequence("Alt+F4"), [this] { close(); });

  QMenu* edit = bar->addMenu("&Edit");
  edit->setObjectName("Edit1");
  connect(edit, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
  AddEntry(edit, "Undo1", "&Undo", QKeySequence("Ctrl+Z"), [this] { Undo1Click(); });
  AddEntry(edit, "Redo1", "&Redo", QKeySequence("Ctrl+Y"), [this] { Redo1Click(); });
  edit->addSeparator();
  AddEntry(edit, "Copy1", "&Copy", QKeySequence("Ctrl+C"), nullptr);
  AddEntry(edit, "Cut1", "Cu&t", QKeySequence("Ctrl+X"), nullptr);
  AddEntry(edit, "Paste1", "&Paste", QKeySequence("Ctrl+V"), nullptr);
  AddEntry(edit, "PasteIntoNew1", "Pa&ste Into New Frame", QKeySequence("Ctrl+Alt+V"), nullptr);
  AddEntry(edit, "Clear1", "C&lear", QKeySequence("Del"), nullptr);
  AddEntry(edit, "Crop1", "Cr&op", QKeySequence("Ctrl+Shift+Del"), nullptr);
  edit->addSeparator();
  AddEntry(edit, "SelectAll1", "Select &All", QKeySequence("Ctrl+A"), nullptr);
  AddEntry(edit, "SelectNone1", "Select &None", QKeySequence("Ctrl+D"), nullptr);
  AddEntry(edit, "Inverse1", "&Invert Selection", QKeySequence("Ctrl+I"), nullptr);
  edit->addSeparator();
  AddEntry(edit, "ApplyFreeRotation1", "Apply Free Rotation", QKeySequence("Ctrl+R"),
           [this] { Btn_ApplyRotateClick(); });
  AddEntry(edit, "RotateClock1", "Rotate Clock&wise", QKeySequence("Ctrl+Shift+PgDown"),
           [this] { RotateClock1Click(); });
  AddEntry(edit, "RotateAntiClock1", "Rotate Antic&lockwise", QKeySequence("Ctrl+Shift+PgUp"),
           [this] { RotateAntiClock1Click(); });
  edit->addSeparator();
  AddEntry(edit, "FlipVertical1", "&Flip (Flip Vertical)", QKeySequence("Ctrl+Shift+F"),
           [this] { FlipVertical1Click(); });
  AddEntry(edit, "FlipHorizontal1", "&Reflect (Flip Horizontal)", QKeySequence("Ctrl+Shift+R"),
           [this] { FlipHorizontal1Click(); });
  edit->addSeparator();
  AddEntry(edit, "Settings1", "S&ettings", none, [this] { Settings1Click(); });

  QMenu* colors = bar->addMenu("&Colors");
  colors->setObjectName("Colors1");
  connect(colors, &QMenu::aboutToShow, this, [this] { Colors1Click(); });
  AddEntry(colors, "SetPaletteTransparency1", "&Set Transparency", QKeySequence("Ctrl+Shift+V"),
           [this] { SetPaletteTransparency1Click(); });
  QAction* view_transparency = AddEntry(colors, "ViewPaletteTransparency1", "&View Transparency",
                                        QKeySequence("Shift+V"),
                                        [this] { ViewPaletteTransparency1Click(); });
  view_transparency->setCheckable(true);
  view_transparency->setChecked(true);
  colors->addSeparator();
  AddEntry(colors, "EditPalette1", "&Edit Palette", QKeySequence("Shift+K"),
           [this] { EditPalette1Click(); });
  AddEntry(colors, "ConverttoUnpaletted1", "Convert to &Unpaletted", none,
           [this] { ConvertTo24Bit(); });
  AddEntry(colors, "ConvertToPaletted1", "Convert to &Paletted", none,
           [this] { ConvertToPaletted1Click(); });
  AddEntry(colors, "ConvertToTrueColour1", "Convert to &True Colour (BAM V2)", none,
           [this] { ConvertToTrueColour1Click(); });
  colors->addSeparator();
  AddEntry(colors, "ColorBalance1", "Color &Balance", QKeySequence("Ctrl+K"),
           [this] { ColorBalance1Click(); });
  AddEntry(colors, "Contrast1", "&Contrast", QKeySequence("Alt+K"), [this] { Contrast1Click(); });
  AddEntry(colors, "GrayScale1", "&GrayScale", QKeySequence("Ctrl+Shift+K"),
           [this] { GrayScale1Click(); });
  AddEntry(colors, "Negative1", "&Negative", QKeySequence("Ctrl+Alt+K"),
           [this] { Negative1Click(); });

  QMenu* frame = bar->addMenu("F&rame");
  frame->setObjectName("Frame1");
  connect(frame, &QMenu::aboutToShow, this, [this] { Frame1Click(); });
  auto frame_info = [this] {
    if (document_) BAMForm()->FrameInfo();
  };
  AddEntry(frame, "FrameInfo1", "&Frame Info", QKeySequence("F4"), frame_info);
  AddEntry(frame, "ManageFrames1", "&Manage Frames", QKeySequence("Ctrl+M"),
           [this] { ManageFrames1Click(); });
  frame->addSeparator();
  AddEntry(frame, "NewFrame1", "&New Frame", QKeySequence("Ctrl+Shift+N"),
           [this] { NewFrame1Click(); });
  AddEntry(frame, "DuplicateFrame1", "Dupli&cate Frame", none, [this] { DuplicateFrame1Click(); });
  AddEntry(frame, "DeleteFrame1", "&Delete Frame", none, [this] { DeleteFrame1Click(); });
  frame->addSeparator();
  AddEntry(frame, "ImportFrame1", "&Import Frame", QKeySequence("Ctrl+Shift+O"),
           [this] { ImportFrame1Click(); });
  AddEntry(frame, "ImportFrameintoSeq1", "Imp&ort Frame into Sequence", none,
           [this] { ImportFrameintoSeq1Click(); });
  AddEntry(frame, "ExportFrame1", "&Export Frame", QKeySequence("Ctrl+Shift+S"),
           [this] { ExportFrameClick(); });
  AddEntry(frame, "CopyFrames1", "&Copy Frames", none, [this] { CopyFrames1Click(); });
  AddEntry(frame, "PasteFrames1", "Paste Fra&mes", none, [this] { PasteFrames1Click(); });
  frame->addSeparator();
  AddEntry(frame, "AddNewFrame1", "Add Ne&w Frame to Sequence", none,
           [this] { AddNewFrame1Click(); });
  // Frames are picked for a sequence in the frames manager.
  AddEntry(frame, "AddFrame1", "&Add Frame To Sequence", none, [this] { ManageFrames1Click(); });
  AddEntry(frame, "DuplicateFrameInSeq1", "Du&plicate Frame In Sequence", none,
           [this] { DuplicateFrameInSeq1Click(); });
  AddEntry(frame, "RemoveFrame1", "&Remove Frame From Sequence", none,
           [this] { RemoveFrame1Click(); });
  AddEntry(frame, "MoveFrameUp1", "Move Frame &Up In Sequence", QKeySequence("Ctrl+Shift+Up"),
           [this] { MoveFrame(-1); });
  AddEntry(frame, "MoveFrameDn1", "Move Frame Do&wn In Sequence", QKeySequence("Ctrl+Shift+Down"),
           [this] { MoveFrame(1); });
  frame->addSeparator();
  AddEntry(frame, "NextFrame1", "Ne&xt Frame", QKeySequence("Alt+PgDown"),
           [this] { NextFrame1Click(); });
  AddEntry(frame, "PrevFrame1", "Pre&vious Frame", QKeySequence("Alt+PgUp"),
           [this] { PrevFrame1Click(); });
  frame->addSeparator();
  AddEntry(frame, "MergeIdenticalFrames1", "Mer&ge Identical Frames", none,
           [this] { MergeIdenticalFrames1Click(); });
  AddEntry(frame, "TrimTransparentBorders1", "&Trim Transparent Borders", none,
           [this] { TrimTransparentBorders1Click(); });
  AddEntry(frame, "Resize1", "Re&size", QKeySequence("Alt+R"), [this] { Resize1Click(); });

  QMenu* sequence = bar->addMenu("&Sequence");
  sequence->setObjectName("Sequence2");
  connect(sequence, &QMenu::aboutToShow, this, [this] { Sequence1Click(); });
  auto sequence_info = [this] {
    if (!document_) return;
    doc_options_.SelectedSequence = SelectedSequence();
    BAMForm()->SequenceInfo();
  };
  AddEntry(sequence, "SequenceInfo1", "&Sequence Info", QKeySequence("F3"), sequence_info);
  sequence->addSeparator();
  AddEntry(sequence, "Play1", "&Play Animation", QKeySequence("Ctrl+Return"),
           [this] { Play1Click(); });
  AddEntry(sequence, "Stop1", "S&top Animation", QKeySequence("Ctrl+Esc"), [this] { Stop1Click(); });
  AddEntry(sequence, "Preview1", "Pre&view Animation", QKeySequence("Ctrl+Shift+Return"),
           [this] { Preview1Click(); });
  sequence->addSeparator();
  AddEntry(sequence, "AddSequence1", "&New Sequence", QKeySequence("Ctrl+Alt+N"),
           [this] { AddSequence1Click(); });
  AddEntry(sequence, "DuplicateSequence1", "Dupli&cate Sequence", none,
           [this] { DuplicateSequence1Click(); });
  AddEntry(sequence, "DeleteSequence1", "&Delete Sequence", none,
           [this] { DeleteSequence1Click(); });
  sequence->addSeparator();
  AddEntry(sequence, "ImportSequence1", "&Import Sequence", QKeySequence("Ctrl+Alt+O"),
           [this] { ImportSequence1Click(); });
  AddEntry(sequence, "ExportSequence1", "&Export Sequence", QKeySequence("Ctrl+Alt+S"),
           [this] { ExportSequence1Click(); });

  QMenu* view = bar->addMenu("&View");
  view->setObjectName("View1");
  connect(view, &QMenu::aboutToShow, this, [this] { View1Click(); });
  const std::pair<const char*, const char*> toggles[] = {
      {"ViewTools1", "&Tools"},
      {"ViewPalette1", "&Palette && Options"},
      {"ViewSequences1", "&Sequences && Frames"}};
  for (const auto& [name, caption] : toggles) {
    QAction* toggle = AddEntry(view, name, caption, none, [this] {
      Panel_Left->setVisible(Entry("ViewTools1")->isChecked());
      Panel_Bottom->setVisible(Entry("ViewPalette1")->isChecked());
      Panel_Right->setVisible(Entry("ViewSequences1")->isChecked());
    });
    toggle->setCheckable(true);
    toggle->setChecked(true);
  }
  view->addSeparator();
  ZoomTo1Menu = view->addMenu("&Zoom To...");
  ZoomTo1Menu->menuAction()->setObjectName("ZoomTo1");
  AddEntry(view, "ZoomIn1", "Zoom &In", QKeySequence("Ctrl+PgDown"), [this] { ZoomIn1Click(); });
  AddEntry(view, "ZoomOut1", "Zoom &Out", QKeySequence("Ctrl+PgUp"), [this] { ZoomOut1Click(); });
  QAction* grid =
      AddEntry(view, "ShowGrid1", "Show &Grid", QKeySequence("Ctrl+G"), [this] { ShowGrid1Click(); });
  grid->setCheckable(true);
  AddEntry(view, "OnionSkin1", "&Onion Skin", none, [this] { OnionSkin1Click(); })
      ->setCheckable(true);
  AddEntry(view, "OnionSkinSettings1", "Onion Skin Se&ttings...", none,
           [this] { OnionSkinSettings1Click(); });

  QMenu* plugins = bar->addMenu("&Plugins");
  plugins->setObjectName("PluginsMenu");
  plugins->menuAction()->setVisible(false);

  BuildWindowMenu(bar);

  QMenu* help = bar->addMenu("&Help");
  help->setObjectName("Help1");
  AddEntry(help, "About1", "About", QKeySequence("F1"), [this] { ShowAboutBox(); });
  AddEntry(help, "PowerTips1", "Power Tips", none, [this] { PowerTips1Click(); });
  AddEntry(help, "AlphaMessage1", "Alpha Message", none, [this] { ShowRunMessage(true); });

  // Shortcut-only commands: the menu is never shown, its entries live on the window.
  auto* control = new QMenu("Control Commands", this);
  control->setObjectName("ControlCommands1");
  AddEntry(control, "CancelDrawAction1", "Cancel Draw Action", QKeySequence("Esc"),
           [this] { CancelDrawAction1Click(); });
  AddEntry(control, "ShowLog1", "Show Log", QKeySequence("Ctrl+Shift+Alt+L"), [this] {
    if (!LogDisabled) log_form_->show();
  });
  AddEntry(control, "SaveLogFile1", "Save Log File", QKeySequence("Ctrl+Alt+L"),
           [this] { SaveLogFile1Click(); });
  AddEntry(control, "ViewHistory1", "View History", QKeySequence("Ctrl+Shift+Alt+H"),
           [this] { ViewHistory1Click(); });
  AddEntry(control, "Redo2", "Redo (for compatability)", QKeySequence("Ctrl+Shift+Z"),
           [this] { Redo1Click(); });
  addActions(control->actions());

  // Pop-up menus: twins of main-menu entries without shortcuts of their own.
  auto twin = [this](QMenu* menu, const char* name, const char* original, const QString& caption,
                     std::function<void()> handler) {
    const QString text = caption.isEmpty() ? Entry(original)->text() : caption;
    if (!handler && !unwired_.count(Entry(original)))
      handler = [this, original] { Entry(original)->trigger(); };
    return AddEntry(menu, name, text, QKeySequence(), std::move(handler));
  };
  SequencesPopup = new QMenu(this);
  SequencesPopup->setObjectName("SequencesPopup");
  twin(SequencesPopup, "SequenceInfo2", "SequenceInfo1", "", nullptr);
  SequencesPopup->addSeparator();
  twin(SequencesPopup, "Play2", "Play1", "", nullptr);
  twin(SequencesPopup, "Stop2", "Stop1", "", nullptr);
  twin(SequencesPopup, "Preview2", "Preview1", "", nullptr);
  SequencesPopup->addSeparator();
  twin(SequencesPopup, "AddSequence2", "AddSequence1", "", nullptr);
  twin(SequencesPopup, "DuplicateSequence2", "DuplicateSequence1", "", nullptr);
  twin(SequencesPopup, "DeleteSequence2", "DeleteSequence1", "", nullptr);
  SequencesPopup->addSeparator();
  twin(SequencesPopup, "ImportSequence2", "ImportSequence1", "", nullptr);
  twin(SequencesPopup, "ExportSequence2", "ExportSequence1", "", nullptr);
  connect(SequencesPopup, &QMenu::aboutToShow, this, [this] { SequencePopupPopup(); });

  SequenceFramesPopup = new QMenu(this);
  SequenceFramesPopup->setObjectName("SequenceFramesPopup");
  twin(SequenceFramesPopup, "FrameInfo2", "FrameInfo1", "", nullptr);
  SequenceFramesPopup->addSeparator();
  twin(SequenceFramesPopup, "AddNewFrame2", "AddNewFrame1", "", nullptr);
  twin(SequenceFramesPopup, "AddFrame2", "AddFrame1", "&Add Frame to Sequence", nullptr);
  twin(SequenceFramesPopup, "DuplicateFrameInSeq2", "DuplicateFrameInSeq1",
       "Du&plicate Frame in Sequence", nullptr);
  twin(SequenceFramesPopup, "RemoveFrame2", "RemoveFrame1", "&Remove Frame from Sequence", nullptr);
  twin(SequenceFramesPopup, "MoveFrameUp2", "MoveFrameUp1", "Move Frame &Up in Sequence", nullptr);
  twin(SequenceFramesPopup, "MoveFrameDn2", "MoveFrameDn1", "Move Frame Do&wn in Sequence",
       nullptr);
  SequenceFramesPopup->addSeparator();
  twin(SequenceFramesPopup, "NewFrame2", "NewFrame1", "", [this] {
    AddNewFrame1Click();
  })->setVisible(false);
  twin(SequenceFramesPopup, "DuplicateFrame2", "DuplicateFrame1", "", nullptr)->setVisible(false);
  twin(SequenceFramesPopup, "DeleteFrame2", "DeleteFrame1", "", nullptr);
  SequenceFramesPopup->addSeparator();
  twin(SequenceFramesPopup, "ImportFrame2", "ImportFrame1", "", nullptr)->setVisible(false);
  twin(SequenceFramesPopup, "ImportFrameintoSeq2", "ImportFrameintoSeq1", "", nullptr);
  twin(SequenceFramesPopup, "ExportFrame2", "ExportFrame1", "", nullptr);
  connect(SequenceFramesPopup, &QMenu::aboutToShow, this, [this] { FramesPopupPopup(); });

  FramesPopup = new QMenu(this);
  FramesPopup->setObjectName("FramesPopup");
  twin(FramesPopup, "FrameInfo3", "FrameInfo1", "", nullptr);
  FramesPopup->addSeparator();
  twin(FramesPopup, "NewFrame3", "NewFrame1", "", nullptr);
  twin(FramesPopup, "DuplicateFrame3", "DuplicateFrame1", "", nullptr);
  twin(FramesPopup, "DeleteFrame3", "DeleteFrame1", "", nullptr);
  FramesPopup->addSeparator();
  twin(FramesPopup, "ImportFrame3", "ImportFrame1", "", nullptr);
  twin(FramesPopup, "ExportFrame3", "ExportFrame1", "", nullptr);
  connect(FramesPopup, &QMenu::aboutToShow, this, [this] { FramesPopupPopup(); });
}

}  // namespace celwright
