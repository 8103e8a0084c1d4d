#include "app/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace celwright {

namespace {

constexpr int kSize = 24;
const QColor kInk(40, 40, 48);
const QColor kWood(176, 122, 64);
const QColor kAccent(52, 120, 200);
const QColor kPaper(250, 250, 244);

void Page(QPainter& p) {
  p.setBrush(kPaper);
  p.drawPolygon(QPolygon({{5, 2}, {15, 2}, {19, 6}, {19, 21}, {5, 21}}));
  p.drawLine(15, 2, 15, 6);
  p.drawLine(15, 6, 19, 6);
}

void Pencil(QPainter& p) {
  p.setBrush(QColor(240, 200, 60));
  p.drawPolygon(QPolygon({{5, 19}, {7, 14}, {17, 4}, {20, 7}, {10, 17}}));
  p.setBrush(kInk);
  p.drawPolygon(QPolygon({{4, 20}, {5, 17}, {7, 19}}));
}

void Draw(QPainter& p, const QString& name) {
  p.setPen(QPen(kInk, 1.4));
  p.setBrush(Qt::NoBrush);
  if (name == "New") {
    Page(p);
  } else if (name == "Open") {
    p.setBrush(QColor(232, 196, 96));
    p.drawPolygon(QPolygon({{2, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 20}, {2, 20}}));
    p.setBrush(QColor(248, 220, 130));
    p.drawPolygon(QPolygon({{4, 11}, {22, 11}, {20, 20}, {2, 20}}));
  } else if (name == "Save") {
    p.setBrush(kAccent);
    p.drawRoundedRect(3, 3, 18, 18, 2, 2);
    p.setBrush(kPaper);
    p.drawRect(7, 3, 10, 7);
    p.drawRect(6, 13, 12, 8);
  } else if (name == "Print") {
    p.setBrush(kPaper);
    p.drawRect(7, 3, 10, 7);
    p.setBrush(QColor(170, 170, 170));
    p.drawRoundedRect(3, 9, 18, 8, 2, 2);
    p.setBrush(kPaper);
    p.drawRect(7, 14, 10, 7);
  } else if (name == "Undo" || name == "Redo") {
    if (name == "Redo") p.scale(-1, 1), p.translate(-kSize, 0);
    p.setPen(QPen(kAccent, 2.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath arc;
    arc.moveTo(6, 10);
    arc.cubicTo(10, 4, 22, 6, 18, 18);
    p.drawPath(arc);
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygon({{2, 11}, {10, 5}, {10, 14}}));
  } else if (name == "Pan") {
    p.setBrush(QColor(250, 224, 190));
    p.drawRoundedRect(6, 8, 12, 12, 4, 4);
    for (int i = 0; i < 4; ++i) p.drawRoundedRect(6 + i * 3, 3 + (i % 3), 3, 8, 1.5, 1.5);
  } else if (name == "Mag") {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(200, 230, 250));
    p.drawEllipse(3, 3, 12, 12);
    p.setPen(QPen(kWood, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(15, 15, 20, 20);
  } else if (name == "Pencil") {
    Pencil(p);
  } else if (name == "Brush" || name == "CloneBrush") {
    p.setBrush(kWood);
    p.drawPolygon(QPolygon({{12, 12}, {19, 3}, {21, 5}, {14, 14}}));
    p.setBrush(name == "Brush" ? kAccent : QColor(90, 170, 90));
    p.drawEllipse(QRectF(4, 12, 10, 9));
    if (name == "CloneBrush") {
      p.setPen(QPen(kInk, 1, Qt::DashLine));
      p.drawEllipse(QRectF(2, 2, 7, 7));
    }
  } else if (name == "Erase") {
    p.setBrush(QColor(240, 150, 160));
    p.drawPolygon(QPolygon({{3, 15}, {12, 6}, {20, 14}, {13, 21}, {8, 21}}));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({{3, 15}, {7, 11}, {13, 17}, {9, 21}, {8, 21}}));
  } else if (name == "Stamp") {
    p.setBrush(kWood);
    p.drawRoundedRect(9, 2, 6, 10, 2, 2);
    p.setBrush(QColor(200, 60, 60));
    p.drawRect(4, 12, 16, 4);
    p.drawLine(4, 20, 20, 20);
  } else if (name == "Fill") {
    p.setBrush(QColor(200, 200, 210));
    p.drawPolygon(QPolygon({{4, 10}, {11, 3}, {18, 10}, {11, 17}}));
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(16, 14, 5, 7));
  } else if (name == "ColPick") {
    p.setBrush(kInk);
    p.drawPolygon(QPolygon({{14, 4}, {18, 2}, {22, 6}, {20, 10}}));
    p.setBrush(QColor(200, 230, 250));
    p.drawPolygon(QPolygon({{4, 18}, {14, 8}, {16, 10}, {6, 20}}));
  } else if (name == "Line") {
    p.setPen(QPen(kInk, 2));
    p.drawLine(4, 20, 20, 4);
  } else if (name == "Curve") {
    p.setPen(QPen(kInk, 2));
    QPainterPath path;
    path.moveTo(3, 19);
    path.cubicTo(6, 0, 17, 26, 21, 5);
    p.drawPath(path);
  } else if (name == "Rect") {
    p.drawRect(4, 6, 16, 12);
  } else if (name == "RoundRect") {
    p.drawRoundedRect(4, 6, 16, 12, 5, 5);
  } else if (name == "Ellipse") {
    p.drawEllipse(3, 6, 18, 12);
  } else if (name == "Poly") {
    p.drawPolygon(QPolygon({{4, 18}, {8, 4}, {20, 8}, {14, 13}, {19, 20}}));
  } else if (name.startsWith("Sel")) {
    p.setPen(QPen(kInk, 1.2, Qt::DashLine));
    if (name == "SelRect") p.drawRect(3, 5, 18, 14);
    if (name == "SelPoly") p.drawPolygon(QPolygon({{3, 19}, {7, 4}, {20, 7}, {14, 12}, {21, 20}}));
    if (name == "SelWand") {
      p.setPen(QPen(kWood, 2.5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(4, 20, 14, 10);
      p.setPen(QPen(QColor(230, 180, 20), 1.5));
      p.drawLine(17, 3, 17, 11);
      p.drawLine(13, 7, 21, 7);
      p.drawLine(14, 4, 20, 10);
      p.drawLine(20, 4, 14, 10);
    }
  } else if (name == "Text") {
    QFont font("DejaVu Serif");
    font.setPixelSize(19);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, "A");
  } else if (name == "SetCent") {
    p.drawEllipse(6, 6, 12, 12);
    p.setPen(QPen(QColor(200, 40, 40), 1.5));
    p.drawLine(12, 2, 12, 22);
    p.drawLine(2, 12, 22, 12);
  } else if (name == "FreeRotate") {
    p.setPen(QPen(kAccent, 2.2));
    p.drawArc(4, 4, 16, 16, 60 * 16, 280 * 16);
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygon({{14, 1}, {20, 6}, {13, 9}}));
  } else if (name == "Play") {
    p.setBrush(QColor(60, 160, 60));
    p.drawPolygon(QPolygon({{7, 4}, {19, 12}, {7, 20}}));
  } else if (name == "Stop") {
    p.setBrush(QColor(190, 50, 50));
    p.drawRect(6, 6, 12, 12);
  } else if (name == "Manage") {
    for (int i = 0; i < 3; ++i) {
      p.setBrush(i == 1 ? kAccent : kPaper);
      p.drawRect(2 + i * 7, 6, 6, 12);
    }
  } else if (name == "Preview") {
    p.setBrush(QColor(110, 160, 90));
    p.drawRect(2, 5, 20, 14);
    p.setBrush(QColor(140, 110, 80));
    p.drawEllipse(9, 7, 6, 10);
  } else if (name == "Crop" || name == "Cut" || name == "Copy" || name == "Paste") {
    if (name == "Cut") {
      p.drawEllipse(4, 15, 6, 6);
      p.drawEllipse(14, 15, 6, 6);
      p.drawLine(9, 15, 17, 3);
      p.drawLine(15, 15, 7, 3);
    } else if (name == "Copy") {
      p.setBrush(kPaper);
      p.drawRect(3, 3, 11, 14);
      p.drawRect(9, 7, 11, 14);
    } else if (name == "Paste") {
      p.setBrush(kWood);
      p.drawRect(4, 4, 14, 17);
      p.setBrush(kPaper);
      p.drawRect(9, 9, 11, 12);
    } else {
      p.setPen(QPen(kInk, 2));
      p.drawLine(6, 2, 6, 18);
      p.drawLine(6, 18, 22, 18);
      p.drawLine(2, 6, 18, 6);
      p.drawLine(18, 6, 18, 22);
    }
  } else {
    p.drawRect(4, 4, 16, 16);
  }
}

}  // namespace

QIcon DrawnIcon(const QString& name) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, name);
  painter.end();
  return QIcon(pixmap);
}

QIcon AppIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 20, 12), 2));
  p.setBrush(QColor(58, 42, 26));
  p.drawRoundedRect(6, 10, 52, 44, 6, 6);
  p.setBrush(QColor(245, 230, 200));
  for (int i = 0; i < 5; ++i) {
    p.drawRect(10 + i * 10, 13, 5, 4);
    p.drawRect(10 + i * 10, 47, 5, 4);
  }
  p.setBrush(QColor(90, 150, 200));
  p.drawRect(12, 20, 40, 24);
  p.setPen(QPen(QColor(176, 122, 64), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(30, 38, 52, 14);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 70, 50));
  p.drawEllipse(QRectF(22, 34, 10, 10));
  p.end();
  return QIcon(pixmap);
}

}  // namespace celwright
