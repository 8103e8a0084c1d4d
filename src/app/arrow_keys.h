#pragma once

#include <QPoint>
#include <Qt>

namespace celwright {

// The step an arrow key points to, one unit; (0, 0) for any other key.
inline QPoint ArrowKeyDirection(int key) {
  switch (key) {
    case Qt::Key_Left:
      return {-1, 0};
    case Qt::Key_Right:
      return {1, 0};
    case Qt::Key_Up:
      return {0, -1};
    case Qt::Key_Down:
      return {0, 1};
    default:
      return {};
  }
}

}  // namespace celwright
