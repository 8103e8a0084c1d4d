// New, Open, Save, Save As, Close and the recent-file list.
#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/document_view.h"
#include "app/open_document.h"
#include "app/progress_window.h"
#include "app/repair_report.h"
#include "app/save_rules.h"
#include "app/settings_dialog.h"
#include "app/texture_page_files.h"
#include "app/tool_icons.h"
#include "document/bam_form.h"
#include "model/apng_exchange.h"
#include "support/file_io.h"
#include "support/image_io/image_file.h"
#include "support/palette.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

// The picture readers' kind for a single-picture document type.
std::uint8_t PictureKindOf(TDocType type) {
  switch (type) {
    case dtJPEG: return kImageKindJpeg;
    case dtPNG: return kImageKindPng;
    case dtGIF: return kImageKindGif;
    default: return kImageKindBitmap;
  }
}

// The document window's frame: closing it is the Close command, which may ask to save first.
class DocumentWindow : public QMdiSubWindow {
 public:
  DocumentWindow(std::function<bool()> close_command, QWidget* parent)
      : QMdiSubWindow(parent), close_command_(std::move(close_command)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (!closing_) {
      closing_ = true;
      close_command_();
      closing_ = false;
    }
  }

 private:
  std::function<bool()> close_command_;
  bool closing_ = false;
};

}  // namespace

std::function<void(std::int32_t, std::int32_t, std::uint8_t)> TMainForm::LoadSaveProgress() {
  return [this](std::int32_t position, std::int32_t max, std::uint8_t stage) {
    // Only the first report of a load or save shows the name; the others come once a frame.
    const bool named = stage == kStageLoadStart || stage == kStageSaveStart;
    const QString name = named && document_
                             ? QString::fromStdString(FileNamePart(BAMForm()->BAM.FileName))
                             : QString();
    prog_form_->LoadSaveProgress(position, max, stage, name);
  };
}

void TMainForm::New1Click() { OpenFile("", dtBAM); }

void TMainForm::Open1Click() {
  const FileChoice choice = prompts_.ChooseOpenFile("Open BAM File", OpenDialogFilter());
  if (!choice.Accepted) return;
  // The chosen filter, not the extension, decides how the file is read.
  OpenFile(choice.Path, DocTypeFromNumber(choice.FilterIndex));
}

void TMainForm::OpenFile(const std::string& file_name, TDocType file_type) {
  OpenFile2(file_name, file_type, true);
}

void TMainForm::CreateDocumentWindow() {
  // How transparent and shadow pixels are shown and how fast sequences play are the user's
  // choices, kept with the settings; each new document starts from them.
  const DisplaySettings stored = ReadDisplaySettings(settings_);
  doc_options_.TransCol = stored.TransCol;
  doc_options_.ShadowCol = stored.ShadowCol;
  doc_options_.OverrideTransCol = stored.OverrideTrans;
  doc_options_.OverrideShadowCol = stored.OverrideShadow;
  doc_options_.FrameSpeedMs = stored.PlaySpeed;
  doc_options_.ShowGrid = Entry("ShowGrid1")->isChecked();
  // The document paints its own background and sizer blocks: in the desktop's colours.
  const QPalette& colours = palette();
  auto to_colour = [](const QColor& c) {
    return MakeColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                     static_cast<std::uint8_t>(c.blue()));
  };
  doc_options_.WindowColour = to_colour(colours.color(QPalette::Base));
  doc_options_.HighlightColour = to_colour(colours.color(QPalette::Highlight));
  MainWindowLink& link = *this;
  KeepActiveState();
  auto added = std::make_unique<OpenDocument>();
  OpenDocument* doc = added.get();
  doc->Session = std::make_unique<DocumentSession>(prompts_, doc_options_, link);
  doc->Recovery = std::make_unique<RecoveryStore>(recovery_folder_);
  doc->LastTool = doc_options_.Tool;
  doc->Serial = ++document_serial_;
  {
    const std::lock_guard<std::mutex> lock(documents_mutex_);
    documents_.push_back(std::move(added));
  }
  active_ = doc;
  document_ = doc->Session.get();
  // The undo history's memory, in megabytes (default 256).
  document_->Form.SetHistoryBudget(
      static_cast<std::size_t>(settings_.ReadInt("UndoMemoryMB", 256)) << 20);
  // A tab's close button closes that document, whichever is active.
  auto* window = new DocumentWindow([this, doc] { return CloseDocumentAsking(doc); }, mdi_);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  view_ = new BAMFormView(document_->Form, window);
  view_->setObjectName("DocumentView");
  doc->View = view_;
  document_->AttachView(view_);
  ConnectTools();
  document_->OnCaption = [this, doc](const std::string& caption) {
    if (doc->Window) doc->Window->setWindowTitle(QString::fromStdString(caption) + "[*]");
    if (doc == active_) ShowActiveCaption();
  };
  window->setWidget(view_);
  window->setWindowIcon(AppIcon());
  // Ctrl+F4 belongs to File > Close alone: a second owner makes the key ambiguous, and only
  // Close asks about unsaved changes.
  if (QMenu* system = window->systemMenu()) {
    for (QAction* action : system->actions()) action->setShortcuts({});
  }
  doc->Window = window;
  document_window_ = window;
  mdi_->addSubWindow(window);
  window->showMaximized();
  mdi_->setActiveSubWindow(window);
}

void TMainForm::DestroyDocumentWindow() {
  if (!active_) return;
  DiscardRecovery();
  if (document_) document_->AttachView(nullptr);
  // The window may be in the middle of its own close event, so it goes later; from now on it
  // must not reach the core it showed.
  if (view_) view_->Detach();
  std::unique_ptr<OpenDocument> closing;
  {
    const std::lock_guard<std::mutex> lock(documents_mutex_);
    const auto place = std::find_if(documents_.begin(), documents_.end(),
                                    [this](const auto& doc) { return doc.get() == active_; });
    closing = std::move(*place);
    documents_.erase(place);
  }
  active_ = nullptr;
  document_ = nullptr;
  if (document_window_) {
    // The caller decides which document comes forward, not the tab bar.
    const QSignalBlocker block(mdi_);
    mdi_->removeSubWindow(document_window_);
    document_window_->deleteLater();
  }
  document_window_ = nullptr;
  view_ = nullptr;
  closing.reset();
  setWindowTitle(base_caption_);
  setWindowModified(false);
}

void TMainForm::SetDocumentCaption(const std::string& caption) {
  // "[*]" is where Qt shows the unsaved-changes marker (see RefreshCommandStates); the tab
  // shows the document's title with it.
  if (document_window_) document_window_->setWindowTitle(QString::fromStdString(caption) + "[*]");
  ShowActiveCaption();
}

void TMainForm::NameTabButtons() {
  // The tab bar's close buttons are buttons like any other: named for those who cannot see them.
  auto* tabs = mdi_->findChild<QTabBar*>();
  if (!tabs) return;
  for (int i = 0; i < tabs->count(); ++i) {
    QWidget* close = tabs->tabButton(i, QTabBar::RightSide);
    if (!close) close = tabs->tabButton(i, QTabBar::LeftSide);
    if (!close) continue;
    QString name = tabs->tabText(i);
    if (name.endsWith("*")) name.chop(1);
    close->setAccessibleName("Close " + name);
    close->setToolTip("Close " + name);
  }
}

void TMainForm::ShowActiveCaption() {
  NameTabButtons();
  // The tabs do not merge their title into the window's as a maximised document window did:
  // the window names the active document itself (" - [name]").
  setWindowTitle(document_window_ ? base_caption_ + " - [" + document_window_->windowTitle() + "]"
                                  : base_caption_);
}

bool TMainForm::LoadDocument(const std::string& file_name, TDocType file_type) {
  TBAMForm& doc = *BAMForm();
  if (file_name.empty() && fill_new_document_) {
    SetDocumentCaption(kUntitledBAM);
    doc.BAM.NewBAM(kUntitledBAM, true);
    std::exchange(fill_new_document_, nullptr)(doc.BAM);
    return true;
  }
  if (file_name.empty()) {
    SetDocumentCaption(kUntitledBAM);
    doc.BAM.NewBAM(kUntitledBAM, false);
    // An all-black palette would leave a new user only black to paint with.
    doc.BAM.Palette = StarterPalette();
    return true;
  }
  SetDocumentCaption(FileNamePart(file_name));
  bool loaded = true;
  try {
    switch (file_type) {
      case dtBAM:
        loaded = LoadAnimationFile(doc.BAM, file_name, prompts_, settings_, LoadSaveProgress());
        break;
      case dtBitmap:
      case dtJPEG:
      case dtPNG:
        if (file_type == dtPNG && IsAnimatedPngFile(file_name)) {
          doc.BAM.NewBAM(file_name, true);
          BuildExchangedDocument(doc.BAM, ReadAnimatedPng(file_name), false);
          break;
        }
        // A picture becomes a document of one frame in no sequence.
        doc.BAM.NewBAM(file_name, true);
        doc.ImportFrame(file_name, PictureKindOf(file_type), -1, -1, -1);
        break;
      case dtGIF:
        doc.BAM.NewBAM(file_name, true);
        doc.BAM.SetBAMType(kPalettedBAM);
        doc.BAM.ImportGIF(file_name);
        break;
      case dtAVI:
        doc.BAM.NewBAM(file_name, true);
        doc.BAM.SetBAMType(kUnpalettedBAM);
        doc.BAM.ImportAVI(file_name);
        break;
    }
  } catch (const std::exception& e) {
    doc.BAM.ErrorMessage = e.what();
    loaded = false;
  }
  prog_form_->hide();
  doc.Modified = false;
  doc.ResetHistory();
  return loaded;
}

void TMainForm::OpenFile2(const std::string& name_as_given, TDocType file_type,
                          bool add_to_recent) {
  // A relative name (from the command line) would mean another file once the program runs
  // from another folder: the document and the recent list keep the full path.
  const std::string file_name =
      name_as_given.empty()
          ? name_as_given
          : QFileInfo(QString::fromStdString(name_as_given)).absoluteFilePath().toStdString();
  AddLogLine("OPEN: " + file_name + "...");
  if (const int open = FindOpenDocument(file_name); open >= 0) {
    // A second copy of one file would let two tabs overwrite each other's work.
    AppendToLog(" [OK] (Already open)");
    ActivateDocument(open);
    return;
  }
  CreateDocumentWindow();
  ShowMagnification(0);
  TBAMForm& doc = *BAMForm();
  doc.ViewTransparency = Entry("ViewPaletteTransparency1")->isChecked();

  if (!LoadDocument(file_name, file_type)) {
    // An empty document would only hide the failure: tell why and leave nothing open.
    AddLogLine("INFO: Error data = " + std::to_string(doc.BAM.ErrorCode));
    AddLogLine("OPEN: Failed");
    const std::string reason =
        doc.BAM.ErrorMessage.empty() ? "The file could not be read." : doc.BAM.ErrorMessage;
    CloseDocument();
    prompts_.Error(kAppTitle, "Could not open " + ShownName(file_name) + ".\r\r" + reason);
    return;
  }
  doc.DocType = file_type;
  document_->FileKind = file_type;
  document_->DiskStamp = StampFile(file_name);
  const TFileDetails& details = DetailsOf(file_type);
  if (details.SingleFrame)
    PageControl->setCurrentWidget(Tab_Frames);
  else if (details.SingleSequence)
    PageControl->setCurrentWidget(Tab_Sequence);

  List_Sequences->setCurrentRow(-1);
  List_SequenceFrames->setCurrentRow(-1);
  List_Frames->setCurrentRow(-1);
  UpdateFrameAndSequenceLists();
  ShowPalette();
  if (List_Sequences->count() > 0) {
    {
      const QSignalBlocker block(List_Sequences);
      List_Sequences->setCurrentRow(0);
    }
    List_SequencesClick(false);
    if (List_SequenceFrames->count() > 0) {
      {
        const QSignalBlocker block(List_SequenceFrames);
        List_SequenceFrames->setCurrentRow(0);
      }
      List_SequenceFramesDblClick();
    }
  } else {
    List_SequenceFrames->clear();
  }
  if (doc.CurrentFrame < 0 && doc.BAM.FrameCount() > 0) {
    // A file whose sequences are all empty still shows its first frame.
    const QSignalBlocker block(List_Frames);
    List_Frames->setCurrentRow(0);
    DisplayFrame(0);
  }
  if (add_to_recent) UpdateRecentList(file_name, file_type);
  RefreshCommandStates();

  AddLogLine("INFO: BAM format is type " + std::to_string(doc.BAM.GetBAMType()));
  AddLogLine("INFO: BAM has " + std::to_string(doc.BAM.FrameCount()) + " Frames & " +
                      std::to_string(doc.BAM.CycleCount()) + " Sequences");
  AddLogLine("INFO: Error data = " + std::to_string(doc.BAM.ErrorCode));
  AddLogLine("OPEN: Completed");

  if (!doc.BAM.Warnings.empty()) {
    const RepairReport report = MakeRepairReport(file_name, doc.BAM.Warnings);
    prompts_.InformationWithDetails(kAppTitle, report.Summary, report.Details);
  }
}

void TMainForm::ReportSaveFailure(const std::string& error) {
  prog_form_->hide();
  AppendToLog(" [ABORTED] (" + error + ")");
  prompts_.Error(kAppTitle, "The file was not saved.\r\r" + error);
  RefreshCommandStates();
}

bool TMainForm::WriteDocument(const std::string& path, TDocType type, bool compressed) {
  TBAMForm& doc = *BAMForm();
  AddLogLine("SAVE: " + path + "...");
  // The animation takes the new name before writing; a failed write must not leave the
  // document pointing at a file that was never made.
  const std::string old_name = doc.BAM.FileName;
  const bool old_compressed = doc.BAM.Compressed;
  std::string written = path;
  try {
    if (type == dtBAM && doc.BAM.GetBAMType() == kTrueColourBAM) {
      if (!SaveTextureAnimation(doc.BAM, path, prompts_, LoadSaveProgress())) {
        doc.BAM.FileName = old_name;
        doc.BAM.Compressed = old_compressed;
        prog_form_->hide();
        AppendToLog(" [ABORTED] (Cancelled)");
        return false;
      }
    } else if (type == dtBAM) {
      if (!doc.BAM.SaveAs(path, doc.BAM.GetBAMType(), compressed, LoadSaveProgress()))
        throw std::runtime_error("The document has no file name");
    } else {
      written = SaveAsPictureOrVideo(path, type);
    }
  } catch (const std::exception& e) {
    doc.BAM.FileName = old_name;
    doc.BAM.Compressed = old_compressed;
    ReportSaveFailure(e.what());
    return false;
  }
  prog_form_->hide();
  AppendToLog(" [OK]");
  // From now on the document is that file: caption, close question and Save name it.
  doc.BAM.FileName = written;
  doc.DocType = type;
  document_->FileKind = type;
  document_->DiskStamp = StampFile(written);
  doc.MarkSaved();
  DiscardRecovery();
  SetDocumentCaption(doc.Caption());
  UpdateRecentList(written, type);
  RefreshCommandStates();
  if (type == dtBAM && doc.BAM.GetBAMType() == kTrueColourBAM) ShowSavedTextures();
  return true;
}

void TMainForm::Save1Click() {
  if (!document_) return;
  TBAMForm& doc = *BAMForm();
  doc.LandPendingEdits();  // text still being placed and a moved selection are saved too
  if (doc.ImageChanged) doc.ShowFrame(doc.CurrentFrame);
  // Save never writes a kind other than the file's own under its name: a picture or video
  // that became a BAM is given a new name, and a picture that cannot hold the changes
  // exactly is not rewritten behind the user's back.
  if (doc.BAM.FileName == kUntitledBAM || doc.DocType != document_->FileKind) {
    SaveAs1Click();
    return;
  }
  if (doc.DocType != dtBAM) {
    if (!doc.Modified) {
      AddLogLine("SAVE: " + doc.BAM.FileName + " [OK] (Unchanged)");
      return;
    }
    if (!KindHoldsExactly(doc.DocType, doc.BAM)) {
      SaveAs1Click();
      return;
    }
  }
  if (FileChangedSince(doc.BAM.FileName, document_->DiskStamp)) {
    const int answer = prompts_.AskChoice(
        kAppTitle, "\"" + ShownName(doc.BAM.FileName) +
                       "\" was changed by another program since you opened or last saved it.\r\r"
                       "Overwrite it with this document, save under another name, or cancel?",
        {"Overwrite", "Save As...", "Cancel"});
    if (answer == 1) {
      SaveAs1Click();
      return;
    }
    if (answer != 0) {
      AddLogLine("SAVE: " + doc.BAM.FileName + " [ABORTED] (Changed by another program)");
      return;
    }
  }
  WriteDocument(doc.BAM.FileName, doc.DocType, doc.BAM.Compressed);
}

void TMainForm::SaveAs1Click() {
  if (!document_) return;
  TBAMForm& doc = *BAMForm();
  std::string suggested = doc.BAM.FileName == kUntitledBAM ? std::string() : doc.BAM.FileName;
  if (!suggested.empty() && doc.DocType == dtBAM && document_->FileKind != dtBAM)
    suggested = BamNameFor(suggested);
  const SaveAsChoices choices = BuildSaveAsChoices(doc.BAM.GetBAMType(), doc.BAM.FrameCount(),
                                                   doc.BAM.CycleCount(), suggested);
  const FileChoice choice =
      prompts_.ChooseSaveFile("Save BAM File", choices.Filter, choices.Preselected, suggested);
  if (!choice.Accepted) return;
  const SaveAsTarget target = SaveAsTargetOf(choices.Filter, choice.FilterIndex);
  std::string path = choice.Path;
  if (target.Type == dtBAM && std::filesystem::path(path).extension().empty())
    path += BamExtensionLike(suggested);
  // Two tabs on one file would overwrite each other's work at every save.
  const std::string final_name = SaveNameFor(path, target.Type);
  if (const int open = FindOpenDocument(final_name); open >= 0 && DocumentAt(open) != &doc) {
    prompts_.Error(kAppTitle, "\"" + ShownName(final_name) +
                                  "\" is open in another tab. Close it there first, or save under "
                                  "another name.");
    return;
  }
  if (!ConfirmSaveTarget(prompts_, "Save BAM File", choice.Path, final_name, doc.BAM.FileName, ""))
    return;
  doc.LandPendingEdits();  // text still being placed and a moved selection are saved too
  if (doc.ImageChanged) doc.ShowFrame(doc.CurrentFrame);
  WriteDocument(path, target.Type, target.Compressed);
}

bool TMainForm::Close1Click() {
  if (document_ && !BAMForm()->CheckCanClose()) return false;
  CloseDocument();
  return true;
}

void TMainForm::CloseDocument() {
  DestroyDocumentWindow();
  List_Sequences->clear();
  List_SequenceFrames->clear();
  List_Frames->clear();
  // The last document opened before comes to the front.
  if (!documents_.empty()) {
    SwitchTo(documents_.back().get());
    return;
  }
  ShowPalette();
  RefreshCommandStates();
}

void TMainForm::RecentFileClick(int place) {
  if (place < 0 || place >= kRecentCount) return;
  const std::string name = recent_.Names[static_cast<std::size_t>(place)];
  if (name.empty()) return;
  // A file that is gone is not worth an empty tab.
  if (!QFileInfo::exists(QString::fromStdString(name))) {
    AddLogLine("OPEN: " + name + "... [ABORTED] (File not found)");
    const PromptAnswer answer = prompts_.AskYesNoCancel(
        kAppTitle,
        "The file " + name + " no longer exists.\r\rRemove it from the list of recent files?");
    if (answer == PromptAnswer::Yes) {
      recent_.Remove(place);
      settings_.WriteRecentFiles(recent_);
      UpdateRecentList("", dtBAM);
    }
    return;
  }
  OpenFile(name, recent_.Types[static_cast<std::size_t>(place)]);
}

void TMainForm::UpdateRecentList(const std::string& file_name, TDocType file_type) {
  AddLogLine("APP : Update Recent File List... ");
  if (!file_name.empty()) {
    recent_.Update(file_name, file_type);
    settings_.WriteRecentFiles(recent_);
  }
  bool any = false;
  for (int k = 0; k < kRecentCount; ++k) {
    const std::string& name = recent_.Names[static_cast<std::size_t>(k)];
    QAction* entry = Entry(("Reopen" + std::to_string(k + 1)).c_str());
    // A removed entry leaves its place empty.
    entry->setVisible(!name.empty());
    if (name.empty()) continue;
    QString caption = QString::fromStdString(FileNamePart(name));
    caption.replace("&", "&&");
    entry->setText("&" + QString::number(k + 1) + " " + caption);
    any = true;
  }
  Entry("ReopenBreak")->setVisible(any);
  AppendToLog(" [OK]");
}

}  // namespace celwright
