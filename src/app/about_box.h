#pragma once

#include <QDialog>

namespace celwright {

inline constexpr const char* kVersionText = "0.4 Beta";
inline constexpr const char* kBuildDateText = "05/06/03";

// Title, version and build date, and who keeps the program going.
class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent);
};

}  // namespace celwright
