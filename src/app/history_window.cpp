#include "app/history_window.h"

#include <QFont>
#include <QListWidget>
#include <QVBoxLayout>

namespace celwright {

TViewHistoryForm::TViewHistoryForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setObjectName("ViewHistoryForm");
  setWindowTitle("History Viewer");
  resize(320, 400);
  auto* layout = new QVBoxLayout(this);
  List_History = new QListWidget(this);
  List_History->setObjectName("List_History");
  List_History->setAccessibleName("History");
  layout->addWidget(List_History);
  connect(List_History, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (OnJump) OnJump(List_History->row(item));
  });
}

void TViewHistoryForm::ShowHistory(const std::vector<HistoryViewItem>& items) {
  List_History->clear();
  int current = -1;
  for (const HistoryViewItem& entry : items) {
    auto* item = new QListWidgetItem(QString::fromStdString(entry.Label), List_History);
    if (entry.Current) {
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      current = List_History->row(item);
    }
  }
  List_History->setCurrentRow(current);
  if (current >= 0) List_History->scrollToItem(List_History->item(current));
}

}  // namespace celwright
