#include "app/qt_prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QStringList>

#include "app/repair_report.h"
#include "document/doc_type.h"

namespace celwright {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Message texts use single carriage returns as line breaks and tabs to line up columns; any
// other control character (from a file name) is shown escaped, never as a line break.
QString MessageText(const std::string& text) {
  QString shown;
  for (const QChar c : Q(text)) {
    if (c == '\r') {
      shown += '\n';
    } else if (c == '\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7f)) {
      shown += c;
    } else {
      shown += c == '\n' ? QString("\\n") : QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
    }
  }
  return shown;
}

QStringList QtFilters(const std::string& filter) {
  QStringList list;
  for (const FileFilter& pair : SplitFilter(filter)) {
    QString patterns = Q(pair.Patterns);
    patterns.replace(';', ' ');
    // Qt reads the patterns from the last parentheses, so the caption's own list is replaced.
    QString caption = Q(pair.Caption);
    const auto open = caption.lastIndexOf('(');
    if (open >= 0) caption.truncate(open);
    list << caption.trimmed() + " (" + patterns + ")";
  }
  return list;
}

}  // namespace

void QtPrompts::Information(const std::string& title, const std::string& text) {
  QMessageBox::information(parent_, Q(title), MessageText(text));
}

void QtPrompts::InformationWithDetails(const std::string& title, const std::string& text,
                                       const std::string& details) {
  MakeReportBox(parent_, title, text, details)->exec();
}

void QtPrompts::Error(const std::string& title, const std::string& text) {
  QMessageBox::critical(parent_, Q(title), MessageText(text));
}

PromptAnswer QtPrompts::AskYesNoCancel(const std::string& title, const std::string& text) {
  const auto answer = QMessageBox::question(
      parent_, Q(title), MessageText(text),
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return PromptAnswer::Yes;
  if (answer == QMessageBox::No) return PromptAnswer::No;
  return PromptAnswer::Cancel;
}

bool QtPrompts::AskOkCancel(const std::string& title, const std::string& text) {
  return QMessageBox::warning(parent_, Q(title), MessageText(text),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<std::string> QtPrompts::AskText(const std::string& title, const std::string& prompt,
                                              const std::string& proposal) {
  bool accepted = false;
  const QString text =
      QInputDialog::getText(parent_, Q(title), Q(prompt), QLineEdit::Normal, Q(proposal), &accepted);
  if (!accepted) return std::nullopt;
  return text.toStdString();
}

FileChoice QtPrompts::ChooseOpenFile(const std::string& title, const std::string& filter) {
  const QStringList filters = QtFilters(filter);
  QString selected = filters.value(0);
  FileChoice choice;
  const QString path =
      QFileDialog::getOpenFileName(parent_, Q(title), QString(), filters.join(";;"), &selected);
  if (path.isEmpty()) return choice;
  choice.Accepted = true;
  choice.Path = path.toStdString();
  choice.FilterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(selected)));
  return choice;
}

std::optional<std::string> QtPrompts::ChooseFolder(const std::string& title) {
  const QString path = QFileDialog::getExistingDirectory(parent_, Q(title));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

FileChoice QtPrompts::ChooseSaveFile(const std::string& title, const std::string& filter,
                                     int preselected, const std::string& suggested_path) {
  const QStringList filters = QtFilters(filter);
  QString selected = filters.value(preselected);
  FileChoice choice;
  const QString path = QFileDialog::getSaveFileName(parent_, Q(title), Q(suggested_path),
                                                    filters.join(";;"), &selected);
  if (path.isEmpty()) return choice;
  choice.Accepted = true;
  choice.Path = path.toStdString();
  choice.FilterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(selected)));
  return choice;
}

bool QtPrompts::ChooseColor(const std::string& title, TColor initial, TColor& chosen) {
  const QColor colour = QColorDialog::getColor(
      QColor(RedOf(initial), GreenOf(initial), BlueOf(initial)), parent_, Q(title));
  if (!colour.isValid()) return false;
  chosen = MakeColor(static_cast<std::uint8_t>(colour.red()),
                     static_cast<std::uint8_t>(colour.green()),
                     static_cast<std::uint8_t>(colour.blue()));
  return true;
}

int QtPrompts::AskChoice(const std::string& title, const std::string& text,
                         const std::vector<std::string>& buttons) {
  QMessageBox box(QMessageBox::Question, Q(title), MessageText(text), QMessageBox::NoButton,
                  parent_);
  std::vector<QAbstractButton*> added;
  for (const std::string& caption : buttons)
    added.push_back(box.addButton(Q(caption), QMessageBox::AcceptRole));
  box.exec();
  for (std::size_t i = 0; i < added.size(); ++i)
    if (box.clickedButton() == added[i]) return static_cast<int>(i);
  return -1;
}

}  // namespace celwright
