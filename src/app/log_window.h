#pragma once

#include <QDialog>
#include <string>

#include "support/qm_log.h"

class QListWidget;

namespace celwright {

// "Action Log": the log lines of this run, with saving and clearing.
class TLogForm : public QDialog {
 public:
  explicit TLogForm(QWidget* parent);
  ~TLogForm() override;

  // Saves the listed lines, one a line. Returns false when the file could not be written.
  bool SaveLines(const std::string& path) const;
  // Asks for a file (proposing `suggested_name`) and saves there.
  void Btn_SaveLogClick(const QString& suggested_name);
  void BitBtn2Click();  // Clear: "Log.txt" keeps everything

  QListWidget* ListBox_Log = nullptr;

 private:
  void LineChanged(LogChange change, std::size_t line_index);
};

}  // namespace celwright
