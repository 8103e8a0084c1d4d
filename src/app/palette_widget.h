#pragma once

#include <QWidget>

#include "canvas/palette_panel.h"

namespace celwright {

// The palette image of the bottom panel: shows what the palette panel model draws and hands it
// presses, drags and releases. Screen readers see one child per palette entry.
class PaletteWidget : public QWidget {
 public:
  PaletteWidget(PalettePanel& panel, QWidget* parent);
  PalettePanel& Panel() const { return panel_; }
  // The image point of an entry's square centre, for tests and automation.
  static QPoint EntryCentre(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  PalettePanel& panel_;
};

}  // namespace celwright
