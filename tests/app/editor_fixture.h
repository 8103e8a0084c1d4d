#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/document_view.h"
#include "app/main_window.h"
#include "app/palette_widget.h"
#include "app/scripted_prompts.h"
#include "real_files.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

inline const std::string kSample = CELWRIGHT_SOURCE_DIR "/resources/sample.bam";

// A file's whole contents; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh editor for each test: its own folder for settings and the log, scripted answers to
// every question, and a shown main window.
class EditorFixture {
 protected:
  void StartEditor() {
    dir_ = std::make_unique<QTemporaryDir>();
    SetLogFolder(dir_->path().toStdString());
    LogDisabled = false;  // the previous test's log window ended logging
    prompts_ = std::make_unique<ScriptedPrompts>();
    settings_ = std::make_unique<AppSettings>(Temp("settings.ini"));
    form_ = std::make_unique<TMainForm>(*prompts_, *settings_);
    form_->SetRecoveryFolder(Temp("recovery"));  // never the user's own folder
    form_->resize(1000, 700);
    form_->show();
  }

  void StopEditor() {
    form_.reset();
    settings_.reset();
    prompts_.reset();
    dir_.reset();
  }

  bool Enabled(const char* name) { return form_->Entry(name)->isEnabled(); }
  TBAMForm& Doc() { return *form_->BAMForm(); }
  static void ClickRow(QAbstractItemView* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    QVERIFY(index.isValid());
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
  }
  std::string Temp(const char* name) { return dir_->filePath(name).toStdString(); }
  // A copy of `source` in the test folder, so that saving leaves the original alone.
  std::string CopyToTemp(const std::string& source, const char* name) {
    const std::string copy = Temp(name);
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(form_.get(), key, modifiers);
  }
  // The newest log line that starts with `start`; empty when there is none.
  static std::string LastLogLine(const std::string& start) {
    for (auto line = LogLines().rbegin(); line != LogLines().rend(); ++line)
      if (line->rfind(start, 0) == 0) return *line;
    return {};
  }

  // The editor focused, so shortcuts reach it.
  bool ActivateEditor() {
    form_->activateWindow();
    return QTest::qWaitForWindowActive(form_.get());
  }
  bool NewActiveDocument() {
    form_->New1Click();
    return form_->BAMForm() && ActivateEditor();
  }
  // A click on a square of the tool panel's palette.
  void PickColour(int entry, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(form_->findChild<PaletteWidget*>("Img_Pal"), button, {},
                      PaletteWidget::EntryCentre(entry));
  }

  // Mouse events on the middle of frame pixel (fx, fy), sent to the view's viewport.
  QPoint ClientOf(int fx, int fy) {
    const int zoom = Doc().Zoom;
    return {Doc().ImageOrigin.X + fx * zoom + zoom / 2, Doc().ImageOrigin.Y + fy * zoom + zoom / 2};
  }
  void Send(QEvent::Type type, int fx, int fy, Qt::MouseButton button, Qt::MouseButtons held) {
    SendAt(type, ClientOf(fx, fy), button, held);
  }
  // A mouse event at a fixed client point, wherever the frame is drawn by then.
  void SendAt(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* viewport = form_->View()->viewport();
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  }
  void Drag(int x0, int y0, int x1, int y1, Qt::MouseButton button = Qt::LeftButton) {
    Send(QEvent::MouseButtonPress, x0, y0, button, button);
    Send(QEvent::MouseMove, x1, y1, Qt::NoButton, button);
    Send(QEvent::MouseButtonRelease, x1, y1, button, Qt::NoButton);
  }
  void Drag(QPoint from, QPoint to) { Drag(from.x(), from.y(), to.x(), to.y()); }
  void Click(int x, int y, bool twice = false) {
    Send(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    if (!twice) return;
    Send(QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
  }
  void Press(const char* button_name) {
    auto* button = form_->findChild<QAbstractButton*>(button_name);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  int IndexAt(int x, int y) { return RedOf(Doc().WorkImage[1].GetPixel(x, y)); }

  // Save As through the File menu into the test folder, then the file read back.
  bool SaveAsAndReopen(const char* name, TBAM& reopened) {
    prompts_->SaveChoices = {{true, Temp(name), 0}};
    form_->SaveAs1Click();
    return prompts_->Count("error") == 0 && reopened.LoadFromFile(Temp(name));
  }
  static Bitmap Indices(const TBAM& bam, int frame) {
    Bitmap colours, indices;
    bam.GetFrameBitmap(frame, colours, &indices);
    return indices;
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<TMainForm> form_;
};

}  // namespace celwright
