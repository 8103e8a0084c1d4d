#include "app/row_list.h"

#include <QMimeData>
#include <algorithm>

#include "document/frame_transfer.h"

namespace celwright {

void RowListModel::Show(QString label, bool single, int count, std::vector<int> numbers) {
  beginResetModel();
  label_ = std::move(label);
  single_ = single;
  count_ = std::max(count, 0);
  numbers_ = std::move(numbers);
  endResetModel();
}

QString RowListModel::Text(int row) const {
  if (row < 0 || row >= count_) return {};
  if (single_) return label_;
  const bool own = numbers_.empty() || static_cast<std::size_t>(row) >= numbers_.size();
  return label_ + " " + QString::number(own ? row : numbers_[static_cast<std::size_t>(row)]);
}

int RowListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return Text(index.row());
}

Qt::ItemFlags RowListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractListModel::flags(index);
  if (index.isValid() && DragData) flags |= Qt::ItemIsDragEnabled;
  return flags;
}

QStringList RowListModel::mimeTypes() const {
  return DragData ? QStringList{kFramesMimeType} : QStringList{};
}

QMimeData* RowListModel::mimeData(const QModelIndexList& indexes) const {
  if (!DragData) return nullptr;
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(indexes.size()));
  for (const QModelIndex& index : indexes)
    if (index.isValid() && index.row() < count_) rows.push_back(index.row());
  return DragData(rows);
}

RowList::RowList(QWidget* parent) : QListView(parent), model_(this) {
  // Every row is one line of text: its size is measured once, not once per row.
  setUniformItemSizes(true);
  setModel(&model_);
}

void RowList::SetDragData(std::function<QMimeData*(const std::vector<int>& rows)> carried) {
  model_.DragData = std::move(carried);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
}

void RowList::Show(QString label, bool single, int count, std::vector<int> numbers) {
  model_.Show(std::move(label), single, count, std::move(numbers));
}

int RowList::currentRow() const { return currentIndex().row(); }

void RowList::setCurrentRow(int row) {
  const QModelIndex index = model_.index(row, 0);
  const auto command = selectionMode() == QAbstractItemView::SingleSelection
                           ? QItemSelectionModel::ClearAndSelect
                           : QItemSelectionModel::SelectCurrent;
  selectionModel()->setCurrentIndex(index, command);
}

bool RowList::IsSelected(int row) const {
  return row >= 0 && selectionModel()->isRowSelected(row, {});
}

QRect RowList::RowRect(int row) const { return visualRect(model_.index(row, 0)); }

int RowList::RowAt(const QPoint& at) const { return indexAt(at).row(); }

void RowList::selectionChanged(const QItemSelection& selected,
                               const QItemSelection& deselected) {
  QListView::selectionChanged(selected, deselected);
  if (SelectionChanged && !signalsBlocked()) SelectionChanged();
}

}  // namespace celwright
