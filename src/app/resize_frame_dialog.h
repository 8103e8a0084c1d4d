#pragma once

#include <QDialog>
#include <array>

#include "document/resize_frame.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QToolButton;

namespace celwright {

class TBAMForm;
class UserPrompts;

// "Resize Frame": the widgets over ResizeFrameModel. Preview shows the typed size on the
// document, OK keeps it as one history step, and Cancel, Escape or closing the window put the
// frame back byte for byte. Units, the lock and the anchor stay as they were left.
class TResizeFrameForm : public QDialog {
 public:
  TResizeFrameForm(QMainWindow* main_window, UserPrompts& prompts);

  // Takes the starting size, fills the controls and places the dialog at the main window's
  // bottom-right corner. Execute() does this and runs the dialog modally; tests call Begin and
  // show the dialog themselves.
  void Begin(TBAMForm& form);
  bool Execute(TBAMForm& form);

  void Btn_PreviewClick();
  void accept() override;
  void reject() override;
  const ResizeFrameModel& Model() const { return model_; }

  QLabel* lbl_width = nullptr;
  QLabel* lbl_height = nullptr;
  QLineEdit* Edit_Width = nullptr;
  QLineEdit* Edit_Height = nullptr;
  QComboBox* Combo_WidthUnits = nullptr;
  QComboBox* Combo_HeightUnits = nullptr;
  QCheckBox* Chk_LockAspect = nullptr;
  // SpeedButton1 .. SpeedButton9, left to right and top to bottom.
  std::array<QToolButton*, 9> SpeedButtons{};
  QPushButton* Btn_OK = nullptr;
  QPushButton* Btn_Cancel = nullptr;
  QPushButton* Btn_Preview = nullptr;

 private:
  void UpdateHeightWidth();
  void HeightWidthChange(ResizeFrameModel::Dimension d, const QString& text);
  void ComboChange(ResizeFrameModel::Dimension d, int index);
  QLineEdit* EditOf(ResizeFrameModel::Dimension d) const;
  // Shows a refusal; returns whether there was one.
  bool Refused(const std::string& message);

  QMainWindow* main_window_;
  UserPrompts& prompts_;
  QButtonGroup* anchors_ = nullptr;
  ResizeFrameModel model_;
};

}  // namespace celwright
