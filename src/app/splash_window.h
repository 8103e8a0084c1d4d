#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace celwright {

// The borderless window shown while the program starts.
class TSplashForm : public QWidget {
 public:
  TSplashForm();
  void SetMaximum(int maximum);
  void Advance();

  QLabel* Lbl_What;
  QProgressBar* ProgressBar;
};

}  // namespace celwright
