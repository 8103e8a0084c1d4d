#pragma once

#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/main_window.h"
#include "app/scripted_prompts.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

inline const std::string kSample = CELWRIGHT_SOURCE_DIR "/resources/sample.bam";

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
  static void ClickRow(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }
  std::string Temp(const char* name) { return dir_->filePath(name).toStdString(); }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<TMainForm> form_;
};

}  // namespace celwright
