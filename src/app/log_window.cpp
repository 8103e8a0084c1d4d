#include "app/log_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <fstream>

#include "app/app_log.h"

namespace celwright {

TLogForm::TLogForm(QWidget* parent) : QDialog(parent) {
  setObjectName("LogForm");
  setWindowTitle("Action Log");
  resize(467, 445);
  move(813, 485);
  ListBox_Log = new QListWidget(this);
  ListBox_Log->setObjectName("ListBox_Log");
  QFont font("Lucida Console");
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(8);
  ListBox_Log->setFont(font);

  auto* save = new QPushButton("&Save Log", this);
  save->setObjectName("Btn_SaveLog");
  auto* clear = new QPushButton("Cl&ear", this);
  clear->setObjectName("BitBtn2");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("BitBtn1");
  connect(save, &QPushButton::clicked, this, [this] { Btn_SaveLogClick("log.txt"); });
  connect(clear, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(clear);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ListBox_Log);
  layout->addLayout(buttons);

  app_log::SetObserver([this](bool added, const std::string& text) { LineArrived(added, text); });
}

TLogForm::~TLogForm() {
  app_log::SetObserver({});
  app_log::SetLogDisabled(true);
}

void TLogForm::LineArrived(bool added, const std::string& text) {
  const QString line = QString::fromStdString(text);
  if (added) {
    ListBox_Log->addItem(line);
    if (isVisible()) ListBox_Log->setCurrentRow(ListBox_Log->count() - 1);
  } else if (ListBox_Log->count() > 0) {
    QListWidgetItem* last = ListBox_Log->item(ListBox_Log->count() - 1);
    last->setText(last->text() + line);
  }
}

bool TLogForm::SaveLines(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int i = 0; i < ListBox_Log->count(); ++i)
    out << ListBox_Log->item(i)->text().toStdString() << "\n";
  out.flush();
  return static_cast<bool>(out);
}

void TLogForm::Btn_SaveLogClick(const QString& suggested_name) {
  const QString start = QDir(QCoreApplication::applicationDirPath()).filePath(suggested_name);
  QString path = QFileDialog::getSaveFileName(this, "Save Log File", start, "Text Files (*.txt)");
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += ".txt";
  if (!SaveLines(path.toStdString()))
    QMessageBox::critical(this, "Save Log File", "Could not write " + path + ".");
}

void TLogForm::BitBtn2Click() { ListBox_Log->clear(); }

}  // namespace celwright
