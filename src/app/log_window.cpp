#include "app/log_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "support/qm_log.h"

namespace celwright {

TLogForm::TLogForm(QWidget* parent) : QDialog(parent) {
  setObjectName("LogForm");
  setWindowTitle("Action Log");
  // The usual place runs off screens lower than 930 pixels: it is kept on the screen.
  QRect place(QPoint(813, 485), QSize(467, 445));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect room = screen->availableGeometry();
    place.setSize(place.size().boundedTo(room.size()));
    place.moveRight(std::min(place.right(), room.right()));
    place.moveBottom(std::min(place.bottom(), room.bottom()));
    place.moveTopLeft({std::max(place.left(), room.left()), std::max(place.top(), room.top())});
  }
  resize(place.size());
  move(place.topLeft());
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

  for (const std::string& line : LogLines()) ListBox_Log->addItem(QString::fromStdString(line));
  SetLogListener([this](LogChange change, std::size_t line_index) {
    LineChanged(change, line_index);
  });
}

TLogForm::~TLogForm() {
  SetLogListener({});
  CloseLog();
}

void TLogForm::LineChanged(LogChange change, std::size_t line_index) {
  const std::deque<std::string>& lines = LogLines();
  const int row = static_cast<int>(line_index);
  switch (change) {
    case LogChange::Cleared:
      ListBox_Log->clear();
      return;
    case LogChange::OldestDropped:
      delete ListBox_Log->takeItem(0);
      return;
    case LogChange::LineAdded:
      if (line_index < lines.size()) ListBox_Log->addItem(QString::fromStdString(lines[line_index]));
      if (isVisible()) ListBox_Log->setCurrentRow(ListBox_Log->count() - 1);
      return;
    case LogChange::LineCompleted:
      if (line_index < lines.size() && row < ListBox_Log->count())
        ListBox_Log->item(row)->setText(QString::fromStdString(lines[line_index]));
      return;
  }
}

bool TLogForm::SaveLines(const std::string& path) const {
  try {
    SaveLogLines(path);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TLogForm::Btn_SaveLogClick(const QString& suggested_name) {
  const QString start = QDir(QCoreApplication::applicationDirPath()).filePath(suggested_name);
  // The dialog adds the extension itself, so its question about replacing a file is about the
  // name really written.
  QFileDialog dialog(this, "Save Log File", start, "Text Files (*.txt)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().front();
  if (!SaveLines(path.toStdString()))
    QMessageBox::critical(this, "Save Log File", "Could not write " + path + ".");
}

void TLogForm::BitBtn2Click() { ClearLogLines(); }

}  // namespace celwright
