#include "app/pointer_shapes.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <array>

namespace celwright {

namespace {

constexpr int kSize = 32;

// The selection pointers: a cross-hair at (8, 8), the selection kind beside it, and a plus or
// minus for adding or removing.
void SelectionPointer(QPainter& p, int kind, int sign) {
  p.setPen(QPen(Qt::white, 3));
  p.drawLine(8, 1, 8, 15);
  p.drawLine(1, 8, 15, 8);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(8, 1, 8, 15);
  p.drawLine(1, 8, 15, 8);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 1, Qt::DashLine));
  if (kind == 0) p.drawRect(14, 14, 14, 11);
  if (kind == 1) p.drawPolygon(QPolygon({{14, 26}, {18, 14}, {28, 17}, {24, 27}}));
  if (kind == 2) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(14, 28, 25, 17);
    p.setPen(QPen(QColor(230, 190, 40), 1));
    for (const QPoint& spark : {QPoint(27, 13), QPoint(29, 17), QPoint(23, 13)}) p.drawPoint(spark);
  }
  if (sign != 0) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(19, 4, 27, 4);
    if (sign > 0) p.drawLine(23, 0, 23, 8);
  }
}

void DrawPointer(QPainter& p, PointerShape shape) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 1));
  switch (shape) {
    case PointerShape::SelAddRect:
      SelectionPointer(p, 0, 1);
      break;
    case PointerShape::SelRemRect:
      SelectionPointer(p, 0, -1);
      break;
    case PointerShape::SelectRect:
      SelectionPointer(p, 0, 0);
      break;
    case PointerShape::SelAddPoly:
      SelectionPointer(p, 1, 1);
      break;
    case PointerShape::SelRemPoly:
      SelectionPointer(p, 1, -1);
      break;
    case PointerShape::SelectPoly:
      SelectionPointer(p, 1, 0);
      break;
    case PointerShape::SelAddWand:
      SelectionPointer(p, 2, 1);
      break;
    case PointerShape::SelRemWand:
      SelectionPointer(p, 2, -1);
      break;
    case PointerShape::SelectWand:
      SelectionPointer(p, 2, 0);
      break;
    case PointerShape::ColPick:  // a dropper with its tip at the hot spot
      p.setBrush(QColor(200, 220, 255));
      p.drawPolygon(QPolygon({{0, 31}, {2, 25}, {14, 13}, {18, 17}, {6, 29}}));
      p.setBrush(Qt::black);
      p.drawRect(15, 8, 8, 8);
      break;
    case PointerShape::Pencil:
      p.setBrush(QColor(240, 200, 60));
      p.drawPolygon(QPolygon({{0, 31}, {3, 22}, {20, 5}, {26, 11}, {9, 28}}));
      p.setBrush(Qt::black);
      p.drawPolygon(QPolygon({{0, 31}, {1, 27}, {4, 30}}));
      break;
    case PointerShape::Stamp:
      p.setBrush(QColor(176, 122, 64));
      p.drawRect(12, 2, 8, 14);
      p.setBrush(QColor(120, 80, 40));
      p.drawRect(4, 16, 24, 8);
      p.drawLine(4, 27, 28, 27);
      break;
    case PointerShape::Clone:
      p.drawEllipse(1, 1, 10, 10);
      p.drawLine(6, 0, 6, 12);
      p.drawLine(0, 6, 12, 6);
      p.setBrush(QColor(52, 120, 200));
      p.drawPolygon(QPolygon({{14, 30}, {16, 24}, {26, 14}, {30, 18}, {20, 28}}));
      break;
    case PointerShape::FloodFill:  // paint pours from the bucket's lip at the hot spot
      p.setBrush(QColor(52, 120, 200));
      p.drawPolygon(QPolygon({{1, 14}, {3, 28}, {6, 30}, {4, 16}}));
      p.setBrush(QColor(220, 220, 220));
      p.drawPolygon(QPolygon({{4, 12}, {16, 2}, {28, 14}, {16, 26}}));
      break;
    default:
      break;
  }
}

QPoint HotSpot(PointerShape shape) {
  switch (shape) {
    case PointerShape::ColPick:
    case PointerShape::Pencil:
      return {0, 31};
    case PointerShape::Stamp:
      return {16, 27};
    case PointerShape::Clone:
      return {6, 6};
    case PointerShape::FloodFill:
      return {3, 29};
    default:
      return {8, 8};
  }
}

QCursor DrawnCursor(PointerShape shape) {
  QPixmap picture(kSize, kSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  DrawPointer(painter, shape);
  painter.end();
  const QPoint hot = HotSpot(shape);
  return QCursor(picture, hot.x(), hot.y());
}

}  // namespace

QCursor PointerCursor(PointerShape shape) {
  switch (shape) {
    case PointerShape::Arrow:
      return Qt::ArrowCursor;
    case PointerShape::None:
      return Qt::BlankCursor;
    case PointerShape::Cross:
      return Qt::CrossCursor;
    case PointerShape::IBeam:
      return Qt::IBeamCursor;
    case PointerShape::HandPoint:
      return Qt::PointingHandCursor;
    case PointerShape::SizeAll:
      return Qt::SizeAllCursor;
    case PointerShape::SizeNWSE:
      return Qt::SizeFDiagCursor;
    case PointerShape::SizeNESW:
      return Qt::SizeBDiagCursor;
    case PointerShape::SizeWE:
      return Qt::SizeHorCursor;
    case PointerShape::SizeNS:
      return Qt::SizeVerCursor;
    default:
      break;
  }
  // Drawn once each, on first use.
  static std::array<QCursor, kDrawnPointerCount> drawn = [] {
    std::array<QCursor, kDrawnPointerCount> cursors;
    for (int i = 0; i < kDrawnPointerCount; ++i)
      cursors[static_cast<std::size_t>(i)] =
          DrawnCursor(static_cast<PointerShape>(kFirstDrawnPointer + i));
    return cursors;
  }();
  return drawn[static_cast<std::size_t>(static_cast<int>(shape) - kFirstDrawnPointer)];
}

}  // namespace celwright
