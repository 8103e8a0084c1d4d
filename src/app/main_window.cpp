#include "app/main_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QLabel>
#include <QMouseEvent>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/about_box.h"
#include "support/app_info.h"
#include "app/document_session.h"
#include "app/document_view.h"
#include "app/log_window.h"
#include "app/open_document.h"
#include "app/progress_window.h"
#include "app/run_messages.h"
#include "app/tool_icons.h"
#include "document/bam_form.h"
#include "document/recovery_store.h"
#include "support/qm_log.h"

namespace celwright {

TMainForm::TMainForm(UserPrompts& prompts, AppSettings& settings)
    : prompts_(prompts), settings_(settings) {
  setObjectName("MainForm");
  setWindowTitle(kAppTitle);
  setWindowIcon(AppIcon());
  base_caption_ = windowTitle();
  resize(864, 666);

  palette_panel_ = std::make_unique<PalettePanel>(doc_options_);
  BuildMenus();
  BuildToolBar();
  BuildLeftPanel();
  BuildBottomPanel();
  BuildRightPanel();

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("DocumentArea");
  mdi_->setBackground(palette().brush(QPalette::Dark));
  mdi_->setViewMode(QMdiArea::TabbedView);
  mdi_->setDocumentMode(true);
  mdi_->setTabsClosable(true);
  // A tab clicked by the user brings its document forward.
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (OpenDocument* doc = DocumentOfWindow(window)) SwitchTo(doc);
  });
  setAcceptDrops(true);
  WireFrameDrags();
  auto* centre = new QWidget(this);
  auto* middle = new QVBoxLayout;
  middle->setSpacing(0);
  middle->addWidget(mdi_, 1);
  middle->addWidget(Panel_Bottom);
  auto* row = new QHBoxLayout(centre);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(Panel_Left);
  row->addLayout(middle, 1);
  row->addWidget(Panel_Right);
  setCentralWidget(centre);

  // "Zoom To...": one entry per magnification, carrying its position.
  for (int i = 0; i < Combo_Mag->count(); ++i) {
    const QString caption = Combo_Mag->itemText(i);
    QAction* zoom = ZoomTo1Menu->addAction(caption);
    zoom->setObjectName("ZoomTo" + caption.left(caption.size() - 1));
    zoom->setCheckable(true);
    zoom->setChecked(i == 0);
    zoom->setData(i);
    connect(zoom, &QAction::triggered, this, [this, i] { Combo_MagChange(i); });
  }
  BuildStatusBar();
  WirePaintControls();
  WireSelectionCommands();

  log_form_ = new TLogForm(this);
  prog_form_ = new TProgForm(this);
  about_box_ = new TAboutBox(this);
  BuildPreviewWindows();

  // Paste depends on what the system clipboard holds. It is asked only when that changes: under
  // X every question goes to the clipboard's owner, too slow for each playback tick.
  const auto read_clipboard = [this] {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    clipboard_has_image_ = clip && clip->hasImage();
  };
  read_clipboard();
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this, read_clipboard] {
    read_clipboard();
    Edit1Click();
  });

  if (!settings_.Problem().empty()) prompts_.Error(kAppTitle, settings_.Problem());
  recent_ = settings_.ReadRecentFiles();
  run_message_counter_ = settings_.ReadInt("RunMessage", 0);
  StartAutosave();
  RefreshCommandStates();
}

TMainForm::~TMainForm() {
  // The document windows are gone before the widgets they paint into.
  mdi_->disconnect(this);
  while (!documents_.empty()) {
    // Each in turn becomes the one DestroyDocumentWindow removes; nothing needs showing.
    OpenDocument& last = *documents_.back();
    active_ = &last;
    document_ = last.Session.get();
    view_ = last.View;
    document_window_ = last.Window;
    DestroyDocumentWindow();
  }
}

void TMainForm::BuildStatusBar() {
  StatusHint = new QLabel(this);
  StatusHint->setObjectName("StatusHint");
  StatusExtra = new QLabel(this);
  StatusExtra->setObjectName("StatusExtra");
  StatusExtra->setFixedWidth(50);
  statusBar()->addWidget(StatusHint, 1);
  statusBar()->addPermanentWidget(StatusExtra);
  StatusHint->setText(QString(kAppTitle) + " " + kVersionText + " - an editor for BAM animations");
  // Hints of buttons and lists show in the status bar as the pointer passes over them.
  for (QWidget* w : findChildren<QWidget*>())
    if (w->property("hint").isValid() || qobject_cast<QAbstractItemView*>(w) ||
        w->objectName().startsWith("Panel_"))
      w->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    // A click on the entry that is already highlighted shows it again; the lists report no
    // selection change for it, so the press notes it for the click that follows.
    for (RowList* list : {List_Sequences, List_SequenceFrames, List_Frames}) {
      if (watched != list->viewport()) continue;
      const auto* press = static_cast<QMouseEvent*>(event);
      const int row = list->RowAt(press->position().toPoint());
      const bool reclick = row >= 0 && list->IsSelected(row);
      reclicked_list_ = reclick ? list : nullptr;
      reclicked_row_ = reclick ? row : -1;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    // Ctrl+Shift+Up/Down move a frame in its sequence; when that cannot happen the key must
    // not reach a list and move its highlight to another sequence.
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool move_key = (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
                          key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
    if (move_key &&
        (watched == List_Sequences || watched == List_SequenceFrames || watched == List_Frames))
      return true;
  }
  // Focus shows a hint only for combo boxes: the first button to get the focus when the window
  // opens would otherwise replace the version line at once.
  const bool combo_focus = event->type() == QEvent::FocusIn && qobject_cast<QComboBox*>(watched);
  if (event->type() == QEvent::Enter || combo_focus) {
    // A maximised window opens under the pointer and gets an Enter without any move: the
    // version line stays until the pointer really moves.
    const bool pointer_moved = QCursor::pos() != pointer_at_show_;
    if (pointer_moved) pointer_at_show_ = QPoint(-1000000, -1000000);
    const QVariant hint = watched->property("hint");
    if (hint.isValid() && (pointer_moved || combo_focus)) {
      StatusHint->setText(hint.toString());
    } else if (event->type() == QEvent::Enter && pointer_moved) {
      StatusHint->clear();
      StatusExtra->clear();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_once_) {
    shown_once_ = true;
    pointer_at_show_ = QCursor::pos();
    FormShow();
  }
}

void TMainForm::FormShow() {
  UpdateRecentList("", dtBAM);
  AddLogLine("APP : Show Main Form");
  ToolButtons->button(0)->setChecked(true);  // the pan tool
  SequencePopupPopup();
  for (const std::string& name : CmdLineFileNames)
    if (QFileInfo::exists(QString::fromStdString(name))) OpenFile(name, DocTypeFromFileName(name));
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (StatusHint) StatusHint->setMaximumWidth(std::max(0, width() - 100));
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!QueryCloseAll()) {
    event->ignore();
    return;
  }
  log_form_->hide();
  event->accept();
}

void TMainForm::ShowMagnification(int index) {
  index = std::clamp(index, 0, Combo_Mag->count() - 1);
  const QSignalBlocker block(Combo_Mag);
  Combo_Mag->setCurrentIndex(index);
  for (QAction* zoom : ZoomTo1Menu->actions()) zoom->setChecked(zoom->data().toInt() == index);
  doc_options_.MagnificationIndex = index;
}

void TMainForm::Combo_MagChange(int index) {
  ShowMagnification(index);
  if (document_) BAMForm()->MagnificationChanged();
  View1Click();
}

void TMainForm::ShowGrid1Click() {
  doc_options_.ShowGrid = Entry("ShowGrid1")->isChecked();
  if (document_) BAMForm()->RedrawImage(false);
}

void TMainForm::ViewPaletteTransparency1Click() {
  if (!document_) return;
  BAMForm()->ViewTransparency = Entry("ViewPaletteTransparency1")->isChecked();
  BAMForm()->RedrawImage(false);
}

void TMainForm::CommandsChanged() {
  // The wheel steps the magnification inside the document; the list follows it.
  if (Combo_Mag->currentIndex() != doc_options_.MagnificationIndex)
    ShowMagnification(doc_options_.MagnificationIndex);
  RefreshCommandStates();
}

void TMainForm::PaletteChanged() { ShowPalette(); }

void TMainForm::SaveDocument() { Save1Click(); }

void TMainForm::ZoomIn1Click() {
  if (Combo_Mag->currentIndex() < Combo_Mag->count() - 1)
    Combo_MagChange(Combo_Mag->currentIndex() + 1);
}

void TMainForm::ZoomOut1Click() {
  if (Combo_Mag->currentIndex() > 0) Combo_MagChange(Combo_Mag->currentIndex() - 1);
}

void TMainForm::ShowRunMessage(bool force) {
  if (force) {
    run_message_counter_ = 0;
  } else {
    if (run_message_counter_ >= kRunMessagesAll) return;
    // Stored before showing, so a crash during the notices does not repeat them.
    settings_.WriteInt("RunMessage", kRunMessagesAll);
  }
  for (const RunMessage& message : RunMessagesFor(run_message_counter_))
    prompts_.Information(message.Title, message.Text);
  run_message_counter_ = kRunMessagesAll;
}

void TMainForm::PowerTips1Click() {
  const std::string x = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
  prompts_.Information(
      "Power Tips",
      "Command line options:\r\r" + x + " <filename>   " + "\t" +
          "Automatically opens the file.\r" + x + " -p[:#] <filename>" + "\t" +
          "Opens the file in quick preview mode with background # (default=0).\r" +
          "\t\t\t\tNote that if you have saved custom backgrounds, you may even use these.\r");
}

void TMainForm::ShowAboutBox() { about_box_->ShowTexts(EditorAboutTexts()); }

void TMainForm::SaveLogFile1Click() {
  QString stamp = QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
  stamp.replace(':', '.').replace('/', '-');
  log_form_->Btn_SaveLogClick("Log " + stamp + ".txt");
}

}  // namespace celwright
