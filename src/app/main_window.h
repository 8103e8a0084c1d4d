#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/app_settings.h"
#include "app/recent_files.h"
#include "app/user_prompts.h"
#include "canvas/brush_options.h"
#include "canvas/palette_panel.h"
#include "document/doc_type.h"
#include "document/doc_type.h"
#include "document/document_hosts.h"
#include "document/document_options.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStackedWidget;
class QTabWidget;
class QToolButton;

namespace celwright {

class BAMFormView;
class DocumentSession;
class TBAMForm;
class TAboutBox;
class TLogForm;
class TViewHistoryForm;
class TProgForm;

// The main window: menus, tool bar, the three panels around the document area, the status bar.
// It hosts at most one document: `BAMForm` is its core, kept by the session that answers the
// core's requests; the main window answers the rest (commands changed, palette, save).
// Its members are split by concern over main_window.cpp (frame and panels), main_menus.cpp,
// main_enabling.cpp, file_commands.cpp, list_commands.cpp and document_commands.cpp.
class TMainForm : public QMainWindow, private MainWindowLink {
 public:
  // `prompts` answers every question the window asks; `settings` keeps what outlives the run.
  TMainForm(UserPrompts& prompts, AppSettings& settings);
  ~TMainForm() override;

  // --- Document --------------------------------------------------------------------------
  TBAMForm* BAMForm() const;
  DocumentSession* Session() const { return document_.get(); }
  BAMFormView* View() const { return view_; }
  // What the document window reads from the main window's controls.
  DocumentOptions& Options() { return doc_options_; }

  // --- File commands ---------------------------------------------------------------------
  void New1Click();
  void Open1Click();
  void OpenFile(const std::string& file_name, TDocType file_type);
  void Save1Click();
  void SaveAs1Click();
  // Returns false when the document refused to close.
  bool Close1Click();
  void RecentFileClick(int place);
  void UpdateRecentList(const std::string& file_name, TDocType file_type);
  const RecentFiles& Recent() const { return recent_; }

  // --- Lists -----------------------------------------------------------------------------
  void UpdateFrameAndSequenceLists();
  void List_SequencesClick(bool real_click);
  void List_SequenceFramesDblClick();
  void List_FramesDblClick();
  void SequencePopupPopup();
  void FramesPopupPopup();

  // --- Frame and sequence commands -------------------------------------------------------
  void NewFrame1Click();
  void DuplicateFrame1Click();
  void DeleteFrame1Click();
  void AddNewFrame1Click();
  void DuplicateFrameInSeq1Click();
  void RemoveFrame1Click();
  void MoveFrame(int delta);
  void AddSequence1Click();
  void DuplicateSequence1Click();
  void DeleteSequence1Click();
  void NextFrame1Click();
  void PrevFrame1Click();
  void ImportFrame1Click();
  void ImportFrameintoSeq1Click();

  // --- History and playback -------------------------------------------------------------
  void Undo1Click();
  void Redo1Click();
  void ViewHistory1Click();
  void Play1Click();
  void Stop1Click();

  // --- Enabling rules (run when a menu drops down and after every change) -----------------
  void File1Click();
  void Edit1Click();
  void Colors1Click();
  void Frame1Click();
  void Sequence1Click();
  void View1Click();
  void RefreshCommandStates();

  // --- Tools and colours (paint_controls.cpp) ---------------------------------------------
  // A tool button was chosen: `tool` is its position on the tool panel.
  void ToolBtnClick(int tool);
  void CancelDrawAction1Click();
  // A brush control changed; the lock and the brush picture follow.
  void BrushModify(BrushControl changed);
  PalettePanel& Palette() { return *palette_panel_; }

  // --- View, help, log -------------------------------------------------------------------
  void Combo_MagChange(int index);
  void ShowGrid1Click();
  void ViewPaletteTransparency1Click();
  void ZoomIn1Click();
  void ZoomOut1Click();
  void ShowRunMessage(bool force);
  void PowerTips1Click();
  void ShowAboutBox();
  void SaveLogFile1Click();
  TLogForm* LogForm() const { return log_form_; }
  TViewHistoryForm* HistoryForm() const { return history_form_; }
  TProgForm* ProgForm() const { return prog_form_; }

  // Status bar panels (hints, and the small right-hand one).
  QLabel* StatusHint = nullptr;
  QLabel* StatusExtra = nullptr;

  // Lists and panels.
  QWidget* Panel_Left = nullptr;
  QWidget* Panel_Bottom = nullptr;
  QWidget* Panel_Right = nullptr;
  QTabWidget* PageControl = nullptr;
  QWidget* Tab_Sequence = nullptr;
  QWidget* Tab_Frames = nullptr;
  QListWidget* List_Sequences = nullptr;
  QListWidget* List_SequenceFrames = nullptr;
  QListWidget* List_Frames = nullptr;
  QComboBox* Combo_Mag = nullptr;
  QButtonGroup* ToolButtons = nullptr;
  QStackedWidget* OptionPanels = nullptr;
  QWidget* Img_Pal = nullptr;

  // Every menu entry is also reachable by its name (findChild<QAction*>("Open1")).
  QAction* Entry(const char* name) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Construction pieces.
  void BuildMenus();
  void BuildToolBar();
  void BuildLeftPanel();
  void BuildBottomPanel();
  void BuildRightPanel();
  void BuildStatusBar();
  QAction* AddEntry(QMenu* menu, const char* name, const QString& caption,
                    const QKeySequence& shortcut, std::function<void()> handler);
  void FormShow();

  // Sets an entry's state; entries without a command yet stay disabled whatever the rule says.
  void SetEnabled(QAction* entry, bool rule);
  void CopyState(const char* twin, const char* original);
  void MirrorButton(QToolButton* button, const char* entry);

  // File helpers.
  void OpenFile2(const std::string& file_name, TDocType file_type, bool add_to_recent);
  void CreateDocumentWindow();
  void DestroyDocumentWindow();
  bool LoadDocument(const std::string& file_name, TDocType file_type);
  void FinishSave(bool saved, const std::string& error);
  void SetDocumentCaption(const std::string& caption);
  void ShowFrame(int index);
  // Writes the current frame as shown as a picture of `kind` (bitmap, JPEG, PNG, GIF); returns
  // the name written (an extension may have been added).
  std::string DoExportFrame(const std::string& file_name, std::uint8_t kind);
  // Save and Save As for documents of the picture and video kinds; returns the name written.
  std::string SaveAsPictureOrVideo(const std::string& file_name, TDocType type);
  // Where Save writes a picture or video document: the name last chosen in Save As, else the
  // file it was opened from.
  std::string last_save_name_;
  bool ImportPicture(std::int32_t cycle);

  // MainWindowLink: what the document window asks of the main window.
  void CommandsChanged() override;
  void PaletteChanged() override;
  void SaveDocument() override;
  std::function<void(std::int32_t, std::int32_t, std::uint8_t)> LoadSaveProgress();

  // List helpers.
  void FillList(QListWidget* list, int count, bool single, const char* label,
                const std::function<int(int)>& number_of);
  bool ConvertCheck(bool single);
  void Guarded(const std::function<void()>& body);
  int SelectedSequence() const;
  int SelectedEntry() const;

  void ShowPalette();
  // Paint-tool plumbing (paint_controls.cpp).
  void WirePaintControls();
  void ConnectTools();
  void RefreshSwatches();
  void ShowHoverColour(const QString& index, TColor colour);
  std::unique_ptr<PalettePanel> palette_panel_;

  UserPrompts& prompts_;
  AppSettings& settings_;
  RecentFiles recent_;
  int run_message_counter_ = 0;
  QString base_caption_;
  std::set<QAction*> unwired_;

  std::unique_ptr<DocumentSession> document_;
  DocumentOptions doc_options_;
  QMdiArea* mdi_ = nullptr;
  QPointer<QMdiSubWindow> document_window_;
  BAMFormView* view_ = nullptr;

  TLogForm* log_form_ = nullptr;
  TViewHistoryForm* history_form_ = nullptr;
  TProgForm* prog_form_ = nullptr;
  TAboutBox* about_box_ = nullptr;

  QMenu* SequencesPopup = nullptr;
  QMenu* SequenceFramesPopup = nullptr;
  QMenu* FramesPopup = nullptr;
  QMenu* ZoomTo1Menu = nullptr;
  QToolButton* Btn_Save = nullptr;
  QToolButton* Btn_Undo = nullptr;
  QToolButton* Btn_Redo = nullptr;
  QToolButton* Btn_Play = nullptr;
  QToolButton* Btn_Stop = nullptr;
  QToolButton* Btn_Manage = nullptr;
  QToolButton* Btn_Preview = nullptr;
  QToolButton* Btn_Copy = nullptr;
  QToolButton* Btn_Cut = nullptr;
  QToolButton* Btn_Paste = nullptr;
  QToolButton* Btn_Crop = nullptr;
  bool shown_once_ = false;
  bool skip_close_query_ = false;

 public:
  // Set by start-up: the file to open when the window is first shown.
  std::string CmdLineFileName;
  TDocType CmdLineFileType = dtBAM;
};

}  // namespace celwright
