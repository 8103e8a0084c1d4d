#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <functional>
#include <vector>

namespace celwright {

// The rows of a list of frames or sequences, each a label and a number. The texts are made
// only for the rows on screen, so a document of 60,000 frames fills its lists as fast as an
// empty one.
class RowListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // `numbers` empty: each row shows its own position. `single`: the label alone.
  void Show(QString label, bool single, int count, std::vector<int> numbers);
  QString Text(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

  // What a drag of the given rows carries; unset, the rows cannot be dragged.
  std::function<QMimeData*(const std::vector<int>& rows)> DragData;

 private:
  QString label_;
  bool single_ = false;
  int count_ = 0;
  std::vector<int> numbers_;
};

// A list of rows with the calls the shell makes of it (the names of Qt's item list, so code
// and tests read alike), backed by a RowListModel instead of an item per row.
class RowList : public QListView {
 public:
  explicit RowList(QWidget* parent);

  // Lets the rows be dragged, carrying what `carried` makes of them; lists without it cannot be
  // dragged from.
  void SetDragData(std::function<QMimeData*(const std::vector<int>& rows)> carried);
  void Show(QString label, bool single, int count, std::vector<int> numbers = {});
  void clear() { Show({}, false, 0); }
  int count() const { return model_.rowCount(); }
  int currentRow() const;
  void setCurrentRow(int row);
  bool IsSelected(int row) const;
  QString Text(int row) const { return model_.Text(row); }
  QRect RowRect(int row) const;
  // The row under a point of the viewport, or -1.
  int RowAt(const QPoint& at) const;
  // Called when the selection changes, unless the list's signals are blocked.
  std::function<void()> SelectionChanged;

 protected:
  void selectionChanged(const QItemSelection& selected,
                        const QItemSelection& deselected) override;

 private:
  RowListModel model_;
};

}  // namespace celwright
