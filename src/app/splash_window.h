#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace celwright {

// The borderless window shown while the program starts. It stays on top, so it steps aside
// as soon as any dialog or message box is about to show: it would cover the box's buttons.
class TSplashForm : public QWidget {
 public:
  TSplashForm();
  void SetMaximum(int maximum);
  void Advance();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

  QLabel* Lbl_What;
  QProgressBar* ProgressBar;
};

}  // namespace celwright
