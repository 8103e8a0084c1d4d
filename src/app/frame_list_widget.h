#pragma once

#include <QListWidget>
#include <functional>

#include "document/frame_transfer.h"

namespace celwright {

// A list of frames whose entries can be dragged to another document; what a drag carries is
// asked of the list's owner, which knows the document the list shows.
class FrameListWidget : public QListWidget {
 public:
  explicit FrameListWidget(QWidget* parent) : QListWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
  }
  std::function<QMimeData*(const QList<QListWidgetItem*>&)> DragData;

 protected:
  QStringList mimeTypes() const override { return {kFramesMimeType}; }
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override {
    return DragData ? DragData(items) : nullptr;
  }
};

}  // namespace celwright
