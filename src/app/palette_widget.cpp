#include "app/palette_widget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <vector>

#include "app/bitmap_image.h"

namespace celwright {

namespace {

// One palette square as screen readers see it: its index and colour.
class PaletteSquareAccessible : public QAccessibleInterface {
 public:
  PaletteSquareAccessible(PaletteWidget* widget, int index) : widget_(widget), index_(index) {}
  bool isValid() const override { return widget_ != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent()->window(); }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(widget_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name && t != QAccessible::Description) return {};
    return QString::fromStdString(widget_->Panel().DescribeEntry(index_));
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const QPoint corner = PaletteWidget::EntryCentre(index_) - QPoint(5, 5);
    return QRect(widget_->mapToGlobal(corner), QSize(PalettePanel::kCell, PalettePanel::kCell));
  }
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override { return {}; }

 private:
  PaletteWidget* widget_;
  int index_;
};

class PaletteAccessible : public QAccessibleWidget {
 public:
  explicit PaletteAccessible(PaletteWidget* widget)
      : QAccessibleWidget(widget, QAccessible::Table, "Palette"), widget_(widget) {}
  ~PaletteAccessible() override {
    for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
  }
  // Only a paletted document shows entries; the unpaletted chooser is one picture.
  int childCount() const override { return widget_->Panel().ShowsEntries() ? 256 : 0; }
  QAccessible::Role role() const override {
    return widget_->Panel().ShowsEntries() ? QAccessible::Table : QAccessible::Graphic;
  }
  QString text(QAccessible::Text t) const override {
    if (widget_->Panel().ShowsEntries()) return QAccessibleWidget::text(t);
    if (t == QAccessible::Name) return "Colour chooser";
    if (t == QAccessible::Description) {
      return "Hue and saturation field, luminance strip, and a strip of the transparent and "
             "shadow colours. Left button chooses the foreground colour, right button the "
             "background colour";
    }
    return QAccessibleWidget::text(t);
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    if (ids_.empty()) {
      for (int i = 0; i < 256; ++i)
        ids_.push_back(
            QAccessible::registerAccessibleInterface(new PaletteSquareAccessible(widget_, i)));
    }
    return QAccessible::accessibleInterface(ids_[static_cast<std::size_t>(index)]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i)
      if (this->child(i) == child) return i;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint local = widget_->mapFromGlobal(QPoint(x, y));
    if (!widget_->rect().contains(local) || childCount() == 0) return nullptr;
    return child(PalettePanel::EntryAt(local.x(), local.y()));
  }

 private:
  PaletteWidget* widget_;
  mutable std::vector<QAccessible::Id> ids_;
};

QAccessibleInterface* PaletteAccessibleFactory(const QString&, QObject* object) {
  if (auto* palette = dynamic_cast<PaletteWidget*>(object)) return new PaletteAccessible(palette);
  return nullptr;
}

std::uint8_t ButtonOf(Qt::MouseButton button) { return button == Qt::RightButton ? 1 : 0; }

}  // namespace

PaletteWidget::PaletteWidget(PalettePanel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(PaletteAccessibleFactory);
    return true;
  }();
  (void)factory_installed;
  setFixedSize(PalettePanel::kWidth, PalettePanel::kHeight);
  setAccessibleName("Palette");
  setAccessibleDescription(
      "Left button chooses the foreground colour, right button the background colour");
}

QPoint PaletteWidget::EntryCentre(int index) {
  return {(index % 32) * PalettePanel::kCell + 5, (index / 32) * PalettePanel::kCell + 5};
}

void PaletteWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, WrapBitmap(panel_.Picture()));
}

void PaletteWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  const QPoint at = event->position().toPoint();
  panel_.MouseDown(ButtonOf(event->button()), at.x(), at.y());
  update();
}

void PaletteWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (!panel_.Dragging()) return;
  panel_.MouseMove(at.x(), at.y());
  update();
}

void PaletteWidget::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  panel_.MouseUp(at.x(), at.y());
  update();
}

}  // namespace celwright
