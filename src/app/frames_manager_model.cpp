#include "app/frames_manager_model.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <algorithm>

namespace celwright {

namespace {

// The thumbnail with its masked pixels see-through.
QIcon ThumbnailIcon(const Thumbnail& thumbnail) {
  const int size = Thumbnail::kSize;
  QImage image(size, size, QImage::Format_ARGB32);
  for (int y = 0; y < size; ++y) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::uint8_t* in = thumbnail.image.Row(y);
    const std::uint8_t* mask = thumbnail.mask.Row(y);
    for (int x = 0; x < size; ++x) {
      out[x] = mask[x] ? qRgba(0, 0, 0, 0) : qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

FramesManagerModel::FramesManagerModel(const ThumbnailSlots& thumbnails, QObject* parent)
    : QAbstractListModel(parent), thumbnails_(thumbnails) {}

void FramesManagerModel::Show(int frames) {
  beginResetModel();
  count_ = std::max(frames, 0);
  endResetModel();
}

void FramesManagerModel::ThumbnailChanged(int row) {
  if (row < 0 || row >= count_) return;
  const QModelIndex at = index(row, 0);
  emit dataChanged(at, at, {Qt::DecorationRole});
}

int FramesManagerModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

QVariant FramesManagerModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count_) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::DisplayRole) return QString("Frame %1").arg(row);
  if (role == Qt::SizeHintRole) return RowSize();
  if (role == Qt::DecorationRole && row < thumbnails_.size() && thumbnails_[row])
    return ThumbnailIcon(*thumbnails_[row]);
  return {};
}

}  // namespace celwright
