#pragma once

#include <QDialog>

#include "app/about_texts.h"

class QLabel;

namespace celwright {

// Title, version and build date, and who keeps the program going. Plug-ins show it with texts
// of their own.
class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent);
  // Fills the six labels and shows the box modally: caption "AppName : About".
  void ShowTexts(const AboutTexts& texts);

 private:
  QLabel* Lbl_AppName = nullptr;
  QLabel* Lbl_Version = nullptr;
  QLabel* Lbl_Created = nullptr;
  QLabel* Lbl_Author = nullptr;
  QLabel* Lbl_Email = nullptr;
  QLabel* Lbl_URL = nullptr;
};

// What the editor's own About entry shows.
AboutTexts EditorAboutTexts();

}  // namespace celwright
