#pragma once

#include <QAbstractListModel>
#include <QSize>

#include "document/frames_manager_ops.h"

namespace celwright {

// The frames manager's rows: "Frame N" and, once made, the frame's thumbnail. A row costs
// nothing until the view paints it, and only then is its picture made from the thumbnail, so
// a document of 60,000 frames opens the manager as fast as one of a few.
class FramesManagerModel : public QAbstractListModel {
 public:
  // Each row's box: a thumbnail over its label. Rows are measured before any has a thumbnail,
  // so the box is fixed rather than taken from the first row.
  static QSize RowSize() { return {72, 64}; }

  // `thumbnails` is the manager's cache, read as it stands whenever a row is painted.
  FramesManagerModel(const ThumbnailSlots& thumbnails, QObject* parent);

  // A fresh list of `frames` rows; the selection goes.
  void Show(int frames);
  // The thumbnail of `row` came or went: the view repaints that row if it shows it.
  void ThumbnailChanged(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const ThumbnailSlots& thumbnails_;
  int count_ = 0;
};

}  // namespace celwright
