#pragma once

#include <QDialog>

namespace celwright {

// Title, version and build date, and who keeps the program going.
class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent);
};

}  // namespace celwright
