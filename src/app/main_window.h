#pragma once

#include <QMainWindow>
#include <QPointer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/recent_files.h"
#include "app/row_list.h"
#include "app/user_prompts.h"
#include "canvas/brush_options.h"
#include "canvas/palette_panel.h"
#include "document/doc_type.h"
#include "document/document_hosts.h"
#include "document/document_options.h"
#include "document/frame_transfer.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QMimeData;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTimer;
class QToolButton;

namespace celwright {

class BAMFormView;
class DocumentSession;
struct OpenDocument;
class TBAMForm;
class TAboutBox;
class TLogForm;
class TViewHistoryForm;
class TEngineReportForm;
class TProgForm;
class TOnionSkinForm;
class TPreviewForm;
class TManageFramesForm;
class RecoveryStore;
class TPaletteForm;
class TColorizeForm;
class TContrastForm;
class TResizeFrameForm;
class TSettingsForm;
class ToolController;

// The main window: menus, tool bar, the three panels around the document area, the status bar.
// It owns a set of documents, each in its own tab, and the one active: `BAMForm` is the active
// document's core, kept by the session that answers the core's requests; the main window
// answers the rest (commands changed, palette, save). The clipboard, the tool, colours, brush
// and options are the window's and serve whichever document is active; documents never see
// each other. Its members are split by concern over main_window.cpp (frame and panels),
// main_menus.cpp, main_enabling.cpp, file_commands.cpp, document_tabs.cpp, list_commands.cpp
// and document_commands.cpp.
class TMainForm : public QMainWindow, private MainWindowLink {
  friend class CelwrightPluginHandler;  // plug-ins run the file commands and the about box

 public:
  // `prompts` answers every question the window asks; `settings` keeps what outlives the run.
  TMainForm(UserPrompts& prompts, AppSettings& settings);
  ~TMainForm() override;

  // --- Documents (document_tabs.cpp) ---------------------------------------------------
  // The active document's core, session and view; null while no document is open.
  TBAMForm* BAMForm() const;
  DocumentSession* Session() const { return document_; }
  BAMFormView* View() const { return view_; }
  // The open documents in the order of their tabs.
  int DocumentCount() const { return static_cast<int>(documents_.size()); }
  TBAMForm* DocumentAt(int index) const;
  int ActiveDocumentIndex() const;
  // Makes a document active: its tab, lists, palette, status and commands come to the front.
  void ActivateDocument(int index);
  // Window > Next / Previous Document (Ctrl+Tab, Ctrl+Shift+Tab), wrapping around.
  void NextDocument1Click();
  void PreviousDocument1Click();
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
  // File > Check for Engines: the report window, whose Fix changes the document (saved as usual).
  void CheckForEngines1Click();
  TEngineReportForm* EngineReportForm() const { return engine_report_form_; }
  void RecentFileClick(int place);
  void UpdateRecentList(const std::string& file_name, TDocType file_type);
  const RecentFiles& Recent() const { return recent_; }

  // --- Lists -----------------------------------------------------------------------------
  void UpdateFrameAndSequenceLists();
  // Fills the lists from the active document and highlights the given rows where they exist.
  void ShowListRows(int frame_row, int sequence_row, int entry_row);
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
  void MergeIdenticalFrames1Click();
  void TrimTransparentBorders1Click();
  void AddSequence1Click();
  void DuplicateSequence1Click();
  void DeleteSequence1Click();
  void NextFrame1Click();
  void PrevFrame1Click();
  void ImportFrame1Click();
  void ImportFrameintoSeq1Click();
  void ExportFrameClick();
  void ImportSequence1Click();
  void ExportSequence1Click();
  // Frame > Copy Frames and Paste Frames (frame_transfer_commands.cpp): the frame on show, or
  // a sequence's frames, go to the window's frame clipboard and are added to any document.
  void CopyFrames1Click();
  void PasteFrames1Click();
  // File > Import and File > Export of sprite sheets (sprite_sheet_commands.cpp).
  void ImportSpriteSheet1Click();
  void ExportSpriteSheet1Click();

  // --- Selection commands (selection_commands.cpp) ----------------------------------------
  void PasteIntoNew1Click();
  // "Center": the set-centre tool's centre goes to the middle of the frame.
  void Btn_AbsCentClick();

  // --- History and playback -------------------------------------------------------------
  void Undo1Click();
  void Redo1Click();
  void ViewHistory1Click();
  void RefreshHistoryViewer();
  // Runs an undo, redo or jump in the history and brings lists and panels up to date.
  void MoveInHistory(const std::function<void()>& move);
  void Play1Click();
  void Stop1Click();
  void Preview1Click();
  // Shows the preview of the selected sequence modally; returns the window's result.
  int RunPreview();
  // The quick preview of `-p FILE`: opens the file, shows only the preview, and returns its
  // result (TPreviewForm::kResultEditor asks to continue in the editor).
  int RunStandAlonePreview(const std::string& file_name, TDocType file_type);
  TPreviewForm* PreviewForm() const { return preview_form_; }
  void ManageFrames1Click();
  TManageFramesForm* ManageForm() const { return manage_form_; }
  // Frame > Resize: the typed-size dialog, created on first use and kept.
  void Resize1Click();
  TResizeFrameForm* ResizeForm();

  // --- Colors menu and settings (palette_commands.cpp) -----------------------------------
  void EditPalette1Click();
  void ColorBalance1Click();
  void Contrast1Click();
  void Negative1Click();
  void GrayScale1Click();
  void ConvertTo24Bit();
  void ConvertToTrueColour1Click();
  void ConvertToPaletted1Click();
  void SetPaletteTransparency1Click();
  void Settings1Click();
  TPaletteForm* PaletteForm();
  TColorizeForm* ColorizeForm();
  TContrastForm* ContrastForm();
  TSettingsForm* SettingsForm();

  // --- Recovery copies and the desktop association (main_recovery.cpp) ---------------------
  // Where recovery copies go; tests point it at a folder of their own before any write.
  void SetRecoveryFolder(const std::filesystem::path& folder);
  // Writes a recovery copy now of every document with unsaved changes (the timer's work).
  void AutosaveTick();
  // Removes the active document's copy (the work was saved or closed on purpose).
  void DiscardRecovery();
  // Offers each copy a crashed session left ("Recover", "Discard").
  void OfferRecoveries();
  // The active document's recovery copy; null while no document is open.
  RecoveryStore* Recovery() const;
  // Waits for every document's running copy write (from any thread); false when one is still
  // running after `limit` (each store is given the limit).
  bool WaitForRecoveries(std::chrono::milliseconds limit);
  // Makes .bam files open in this program; the text says what was done. At start-up another
  // default the user chose stays; `make_default` (the user asked) replaces it.
  std::string CheckAssociation(bool make_default = false);

  // --- Enabling rules (run when a menu drops down and after every change) -----------------
  void File1Click();
  void Edit1Click();
  void Colors1Click();
  void Frame1Click();
  void Sequence1Click();
  void View1Click();
  void RefreshCommandStates();

  // --- Reflect, flip and rotate (transform_commands.cpp) ----------------------------------
  void Btn_ApplyRotateClick();
  void RotateClock1Click();
  void RotateAntiClock1Click();
  void FlipHorizontal1Click();
  void FlipVertical1Click();
  QSpinBox* Spin_Angle = nullptr;   // whole degrees
  QSpinBox* Spin_Angle2 = nullptr;  // hundredths of a degree

  // --- Tools and colours (paint_controls.cpp) ---------------------------------------------
  // A tool button was chosen: `tool` is its position on the tool panel.
  void ToolBtnClick(int tool);
  void CancelDrawAction1Click();
  // A brush control changed; the lock and the brush picture follow.
  void BrushModify(BrushControl changed);
  PalettePanel& Palette() { return *palette_panel_; }

  // --- Text tool panel (text_controls.cpp) ----------------------------------------------
  void Btn_FntStyleClick();
  void Btn_FntHighClick();
  void Edit_TextChange();
  void Combo_FontsChange();
  void Combo_FontSizeChange();
  // Leaving the size box: a size that is not a number gives way to the last valid one.
  void Combo_FontSizeExit();

  // --- View, help, log -------------------------------------------------------------------
  void Combo_MagChange(int index);
  // The magnification list and menu show `index`; the document is left as it is.
  void ShowMagnification(int index);
  void ShowGrid1Click();
  void OnionSkin1Click();
  void OnionSkinSettings1Click();
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
  RowList* List_Sequences = nullptr;
  RowList* List_SequenceFrames = nullptr;
  RowList* List_Frames = nullptr;
  QComboBox* Combo_Mag = nullptr;
  QButtonGroup* ToolButtons = nullptr;
  QStackedWidget* OptionPanels = nullptr;
  QWidget* Img_Pal = nullptr;

  // Every menu entry is also reachable by its name (findChild<QAction*>("Open1")).
  QAction* Entry(const char* name) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Files dropped on the window open as documents of their own.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
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
  void BuildPreviewWindows();

  // Sets an entry's state; entries without a command yet stay disabled whatever the rule says.
  void SetEnabled(QAction* entry, bool rule);
  void CopyState(const char* twin, const char* original);
  void MirrorButton(QToolButton* button, const char* entry);

  // File helpers.
  void OpenFile2(const std::string& file_name, TDocType file_type, bool add_to_recent);
  // Adds a document to the set and makes it the active one.
  void CreateDocumentWindow();
  // Removes the active document from the set; no document is active afterwards.
  void DestroyDocumentWindow();
  // Makes `doc` the active document, keeping what the shared controls show for the one before.
  void SwitchTo(OpenDocument* doc);
  void KeepActiveState();
  void ShowActiveState();
  OpenDocument* DocumentOfWindow(const QMdiSubWindow* window) const;
  // The open document of that file, if any.
  int FindOpenDocument(const std::string& file_name) const;
  // Window menu: one entry per document, the active one checked.
  void WindowMenuPopup();
  void BuildWindowMenu(QMenuBar* bar);
  QMenu* WindowMenu = nullptr;
  // Asks about every document with unsaved changes at once; false when the user cancelled or
  // a chosen save did not happen.
  bool QueryCloseAll();
  // Closes one document after its own question; false when it stays open.
  bool CloseDocumentAsking(OpenDocument* doc);
  // Closes the document without asking (the question was answered) and empties the panels.
  void CloseDocument();
  bool LoadDocument(const std::string& file_name, TDocType file_type);
  // Writes the document as `type`; on success it becomes that file (name, kind, caption).
  bool WriteDocument(const std::string& path, TDocType type, bool compressed);
  void ReportSaveFailure(const std::string& error);
  // After a BAM V2 save: the frame on show as the file now gives it (new blocks are re-encoded),
  // and what the save has to tell about pages.
  void ShowSavedTextures();
  void SetDocumentCaption(const std::string& caption);
  // The window's title names the active document.
  void ShowActiveCaption();
  void NameTabButtons();
  // Shows a frame in the document and moves the lists' highlight to it.
  void DisplayFrame(int index);
  // The lists highlight the frame on screen (an entry of the selected sequence showing it, if
  // any, and its item on "All Frames").
  void HighlightShownFrame();
  void ShowLastFrameOnAllFrames();
  // Commands on the highlighted entry act on what the user sees: running playback stops first
  // and the highlight moves to the frame it stopped on.
  void SettlePlayback();
  // Writes the current frame as shown as a picture of `kind` (bitmap, JPEG, PNG, GIF); returns
  // the name written (an extension may have been added).
  std::string DoExportFrame(const std::string& file_name, std::uint8_t kind);
  // Save and Save As for documents of the picture and video kinds; returns the name written.
  std::string SaveAsPictureOrVideo(const std::string& file_name, TDocType type);
  // The name SaveAsPictureOrVideo (or a BAM save) really writes for `file_name`.
  std::string SaveNameFor(const std::string& file_name, TDocType type);
  // After an export replaced the document's own file with part of the document.
  void MarkChangedAfterExport();
  bool ImportPicture(std::int32_t cycle);

  // MainWindowLink: what the document window asks of the main window.
  void CommandsChanged() override;
  void PaletteChanged() override;
  void SaveDocument() override;
  std::function<void(std::int32_t, std::int32_t, std::uint8_t)> LoadSaveProgress();

  // List helpers.
  // `numbers` empty: each row shows its own position.
  void FillList(RowList* list, int count, bool single, const char* label,
                std::vector<int> numbers = {});
  bool ConvertCheck(bool single);
  void Guarded(const std::function<void()>& body);
  void CompactFrames(const std::string& name, int (*compact)(TBAM&), const std::string& counted,
                     const std::string& nothing);
  int SelectedSequence() const;
  int SelectedEntry() const;

  void ShowPalette();
  void BuildRotationPanel(QWidget* panel);
  // Runs a reflect, flip or rotation on the shown frame, reporting what it could not do.
  void RunTransform(const std::function<void(TBAMForm&)>& transform);
  void WireSelectionCommands();
  void ShowStamp();
  // Paint-tool plumbing (paint_controls.cpp).
  void WirePaintControls();
  void ConnectTools();
  void RefreshSwatches();
  void ShowHoverColour(const QString& index, TColor colour);
  // Text-panel plumbing (text_controls.cpp).
  void BuildTextPanel(QWidget* panel);
  void ConnectTextTool(ToolController& tools);
  // The preview of a pending text follows every option change.
  void RedrawPendingText();
  std::unique_ptr<PalettePanel> palette_panel_;

  UserPrompts& prompts_;
  AppSettings& settings_;
  RecentFiles recent_;
  int run_message_counter_ = 0;
  QString base_caption_;
  std::set<QAction*> unwired_;
  std::unordered_map<std::string, QAction*> entries_;

  // The set; `active_` is one of them or null, and document_, view_ and document_window_ are
  // its parts, so that every command simply works on the active document.
  std::vector<std::unique_ptr<OpenDocument>> documents_;
  OpenDocument* active_ = nullptr;
  DocumentSession* document_ = nullptr;
  // Guards the set against the signal watcher's thread, which waits for copy writes.
  mutable std::mutex documents_mutex_;
  // The window's frame clipboard (Copy Frames), shared by every document.
  std::vector<CopiedFrame> copied_frames_;
  std::vector<std::int32_t> FramesToCopy() const;
  // Pastes copied frames into the active document and shows the last of them.
  void PasteFramesIntoActive(const std::vector<CopiedFrame>& frames);
  // The frame lists' entries drag their frames (frame_transfer_commands.cpp).
  void WireFrameDrags();
  QMimeData* FrameDragData(RowList* list, const std::vector<int>& rows);
  // A drop of frames dragged from another document pastes them into the active one.
  bool DropFrames(const QMimeData& dropped);
  std::uint64_t document_serial_ = 0;
  // Fills the next untitled document instead of the New frame, once (imported animations).
  std::function<void(TBAM&)> fill_new_document_;
  DocumentOptions doc_options_;
  QMdiArea* mdi_ = nullptr;
  QPointer<QMdiSubWindow> document_window_;
  BAMFormView* view_ = nullptr;

  TLogForm* log_form_ = nullptr;
  TViewHistoryForm* history_form_ = nullptr;
  TEngineReportForm* engine_report_form_ = nullptr;
  TProgForm* prog_form_ = nullptr;
  TAboutBox* about_box_ = nullptr;
  TPreviewForm* preview_form_ = nullptr;
  TManageFramesForm* manage_form_ = nullptr;
  TOnionSkinForm* onion_form_ = nullptr;
  TPaletteForm* palette_form_ = nullptr;
  TColorizeForm* colorize_form_ = nullptr;
  TContrastForm* contrast_form_ = nullptr;
  TResizeFrameForm* resize_form_ = nullptr;
  TSettingsForm* settings_form_ = nullptr;
  std::filesystem::path recovery_folder_;
  // The user hears once per run that no copy can be kept (no private folder for them).
  bool recovery_refusal_told_ = false;
  // Whether the system clipboard holds a picture, kept by its change signal.
  bool clipboard_has_image_ = false;
  QTimer* autosave_timer_ = nullptr;
  void StartAutosave();
  void AutosaveDocument(OpenDocument& open);
  // A palette command that ends with its history step and the palette shown again.
  void FinishPaletteCommand(bool accepted, const char* step_name);
  bool ConvertKind(std::uint8_t new_type);

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
  QPoint pointer_at_show_;
  // The list and row pressed while the row was already highlighted (compared, never
  // dereferenced).
  const void* reclicked_list_ = nullptr;
  int reclicked_row_ = -1;
  bool skip_close_query_ = false;

 public:
  // Set by start-up: the files to open, in order, when the window is first shown.
  std::vector<std::string> CmdLineFileNames;
};

}  // namespace celwright
