#pragma once

#include <QDialog>

#include "document/document_options.h"

class QPushButton;
class QSpinBox;

namespace celwright {

class UserPrompts;

// "Onion Skin Settings": how many neighbours show before and after the current entry, and the
// tint of each side. Colours are chosen through the prompts, so they can be scripted.
class TOnionSkinForm : public QDialog {
 public:
  TOnionSkinForm(UserPrompts& prompts, QWidget* parent);

  void SetValues(const OnionSkinOptions& values);
  // The values shown; Enabled is left as SetValues gave it.
  OnionSkinOptions Values() const { return values_; }

  QSpinBox* Spin_Before = nullptr;
  QSpinBox* Spin_After = nullptr;
  QPushButton* Btn_BeforeTint = nullptr;
  QPushButton* Btn_AfterTint = nullptr;
  QPushButton* Btn_OK = nullptr;

 private:
  void ChooseTint(bool before);
  void ShowTints();

  UserPrompts& prompts_;
  OnionSkinOptions values_;
};

}  // namespace celwright
