#include "app/history_window.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>

#include "app/bitmap_image.h"

namespace celwright {

namespace {
constexpr int kHistorySlots = 11;
constexpr int kPictureTop = 48;
constexpr int kPictureLeft = 16;
}  // namespace

TViewHistoryForm::TViewHistoryForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setObjectName("ViewHistoryForm");
  setWindowTitle("History Viewer");
  resize(630, 325);
  auto* label = new QLabel("History Entry:", this);
  label->setGeometry(16, 14, 90, 22);
  Combo_HistoryEntry = new QComboBox(this);
  Combo_HistoryEntry->setObjectName("Combo_HistoryEntry");
  Combo_HistoryEntry->setGeometry(110, 12, 80, 24);
  for (int i = 0; i < kHistorySlots; ++i) Combo_HistoryEntry->addItem(QString::number(i));
  Combo_HistoryEntry->setCurrentIndex(-1);
  connect(Combo_HistoryEntry, &QComboBox::currentIndexChanged, this, [this] { update(); });
}

void TViewHistoryForm::ShowHistory(std::vector<HistoryViewItem> items, int frame_width) {
  items_ = std::move(items);
  frame_width_ = frame_width;
  update();
}

const HistoryViewItem* TViewHistoryForm::SelectedItem() const {
  const int entry = Combo_HistoryEntry->currentIndex();
  if (entry < 0 || entry >= static_cast<int>(items_.size())) return nullptr;
  return &items_[static_cast<std::size_t>(entry)];
}

void TViewHistoryForm::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  const HistoryViewItem* item = SelectedItem();
  if (!item) return;
  QPainter painter(this);
  const QImage colours = WrapBitmap(item->Colours);
  const QImage indices = WrapBitmap(item->Indices);
  if (!colours.isNull()) painter.drawImage(QPoint(kPictureLeft, kPictureTop), colours);
  if (!indices.isNull())
    painter.drawImage(QPoint(2 * kPictureLeft + frame_width_, kPictureTop), indices);
}

}  // namespace celwright
