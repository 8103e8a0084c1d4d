// The set of open documents: their tabs, switching between them, the Window menu, and closing
// several at once.
#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>

#include "app/document_view.h"
#include "app/engine_report_window.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "app/save_rules.h"
#include "document/bam_form.h"
#include "support/app_info.h"
#include "support/file_io.h"

namespace celwright {

TBAMForm* TMainForm::BAMForm() const { return document_ ? &document_->Form : nullptr; }

TBAMForm* TMainForm::DocumentAt(int index) const {
  if (index < 0 || index >= DocumentCount()) return nullptr;
  return &documents_[static_cast<std::size_t>(index)]->Session->Form;
}

int TMainForm::ActiveDocumentIndex() const {
  for (int i = 0; i < DocumentCount(); ++i)
    if (documents_[static_cast<std::size_t>(i)].get() == active_) return i;
  return -1;
}

void TMainForm::ActivateDocument(int index) {
  if (index < 0 || index >= DocumentCount()) return;
  SwitchTo(documents_[static_cast<std::size_t>(index)].get());
}

void TMainForm::NextDocument1Click() {
  if (DocumentCount() > 1) ActivateDocument((ActiveDocumentIndex() + 1) % DocumentCount());
}

void TMainForm::PreviousDocument1Click() {
  if (DocumentCount() > 1)
    ActivateDocument((ActiveDocumentIndex() + DocumentCount() - 1) % DocumentCount());
}

OpenDocument* TMainForm::DocumentOfWindow(const QMdiSubWindow* window) const {
  for (const auto& doc : documents_)
    if (window && doc->Window == window) return doc.get();
  return nullptr;
}

int TMainForm::FindOpenDocument(const std::string& file_name) const {
  if (file_name.empty()) return -1;
  for (int i = 0; i < DocumentCount(); ++i)
    if (IsSameFile(DocumentAt(i)->BAM.FileName, file_name)) return i;
  return -1;
}

void TMainForm::KeepActiveState() {
  if (!active_) return;
  active_->MagnificationIndex = doc_options_.MagnificationIndex;
  active_->FrameRow = List_Frames->currentRow();
  active_->SequenceRow = SelectedSequence();
  active_->EntryRow = SelectedEntry();
  active_->ListPage = PageControl->currentIndex();
  active_->LastTool = doc_options_.Tool;
}

void TMainForm::SwitchTo(OpenDocument* doc) {
  if (!doc || doc == active_) return;
  // Playback belongs to what the user looks at; a hidden tab does not play on.
  if (document_ && BAMForm()->Playing()) BAMForm()->StopSequence();
  KeepActiveState();
  active_ = doc;
  document_ = doc->Session.get();
  view_ = doc->View;
  document_window_ = doc->Window;
  if (doc->Window && mdi_->activeSubWindow() != doc->Window) {
    const QSignalBlocker block(mdi_);
    mdi_->setActiveSubWindow(doc->Window);
  }
  ShowActiveState();
}

void TMainForm::ShowActiveState() {
  TBAMForm& doc = *BAMForm();
  ShowMagnification(active_->MagnificationIndex);
  Entry("ViewPaletteTransparency1")->setChecked(doc.ViewTransparency);
  // A tool chosen while another document was active ends this one's activity of the old tool,
  // as choosing it here would have.
  if (active_->LastTool != doc_options_.Tool) {
    if (QAbstractButton* button = ToolButtons->button(static_cast<int>(doc_options_.Tool)))
      document_->Tools.ToolBtnClick(button->objectName().mid(4).toStdString());
    active_->LastTool = doc_options_.Tool;
  }
  ShowActiveCaption();
  // The report names findings of the document it checked, and its Fix would reach another.
  if (engine_report_form_) engine_report_form_->hide();
  PageControl->setCurrentIndex(active_->ListPage);
  ShowListRows(active_->FrameRow, active_->SequenceRow, active_->EntryRow);
  ShowPalette();
  RefreshSwatches();
  StatusExtra->clear();
  RefreshCommandStates();
  if (view_) view_->setFocus();
}

bool TMainForm::CloseDocumentAsking(OpenDocument* doc) {
  SwitchTo(doc);
  return Close1Click();
}

bool TMainForm::QueryCloseAll() {
  std::vector<OpenDocument*> unsaved;
  std::string names;
  for (const auto& doc : documents_) {
    TBAMForm& form = doc->Session->Form;
    // Text on show and a moved selection count as edits, as the single question counts them.
    form.LandPendingEdits();
    if (!form.Modified && !form.ImageChanged) continue;
    unsaved.push_back(doc.get());
    names += "\r" + ShownName(form.BAM.FileName);
  }
  if (unsaved.empty()) return true;
  if (unsaved.size() == 1) {
    SwitchTo(unsaved.front());
    return unsaved.front()->Session->Form.CheckCanClose();
  }
  const int answer = prompts_.AskChoice(
      kAppTitle, "These documents have unsaved changes:\r" + names + "\r\rSave them before closing?",
      {"Save All", "Discard All", "Ask for Each", "Cancel"});
  for (OpenDocument* doc : unsaved) {
    TBAMForm& form = doc->Session->Form;
    switch (answer) {
      case 0:
        SwitchTo(doc);
        Save1Click();
        // A save cancelled or failed keeps the window open with the work.
        if (form.Modified || form.ImageChanged) return false;
        break;
      case 1:
        form.DropPendingEdits();
        form.Modified = false;
        form.ImageChanged = false;
        break;
      case 2:
        SwitchTo(doc);
        if (!form.CheckCanClose()) return false;
        break;
      default:
        return false;
    }
  }
  return true;
}

void TMainForm::BuildWindowMenu(QMenuBar* bar) {
  WindowMenu = bar->addMenu("&Window");
  WindowMenu->setObjectName("Window1");
  AddEntry(WindowMenu, "NextDocument1", "&Next Document", QKeySequence("Ctrl+Tab"),
           [this] { NextDocument1Click(); });
  AddEntry(WindowMenu, "PreviousDocument1", "&Previous Document", QKeySequence("Ctrl+Shift+Tab"),
           [this] { PreviousDocument1Click(); });
  WindowMenu->addSeparator();
  connect(WindowMenu, &QMenu::aboutToShow, this, [this] { WindowMenuPopup(); });
}

void TMainForm::WindowMenuPopup() {
  for (QAction* entry : WindowMenu->actions())
    if (entry->property("document").isValid()) {
      WindowMenu->removeAction(entry);
      entry->deleteLater();
    }
  for (int i = 0; i < DocumentCount(); ++i) {
    const OpenDocument& doc = *documents_[static_cast<std::size_t>(i)];
    QString caption = QString::fromStdString(FileNamePart(doc.Session->Form.BAM.FileName));
    caption.replace("&", "&&");
    if (doc.Session->Form.Modified || doc.Session->Form.ImageChanged) caption += "*";
    QAction* entry = WindowMenu->addAction("&" + QString::number(i + 1) + " " + caption);
    entry->setObjectName("WindowDocument" + QString::number(i + 1));
    entry->setProperty("document", i);
    entry->setCheckable(true);
    entry->setChecked(&doc == active_);
    connect(entry, &QAction::triggered, this, [this, i] { ActivateDocument(i); });
  }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() || event->mimeData()->hasFormat(kFramesMimeType))
    event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (event->mimeData()->hasFormat(kFramesMimeType)) {
    if (DropFrames(*event->mimeData())) {
      event->acceptProposedAction();
    } else {
      event->ignore();
    }
    return;
  }
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    const std::string name = url.toLocalFile().toStdString();
    OpenFile(name, DocTypeFromFileName(name));
  }
}

}  // namespace celwright
