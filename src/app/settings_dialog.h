#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "model/bam_types.h"
#include "support/color_types.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace celwright {

class AppSettings;
class TBAMForm;
class UserPrompts;

// The stored display and playback preferences, under their stored names and defaults.
struct DisplaySettings {
  int PlaySpeed = 50;
  TColor TransCol = kDefaultTransCol;
  TColor ShadowCol = kDefaultShadowCol;
  bool OverrideTrans = true;
  bool OverrideShadow = true;
  bool LoadPlugins = true;  // read at start: a broken plug-in can be switched off here
};
DisplaySettings ReadDisplaySettings(const AppSettings& store);
void WriteDisplaySettings(AppSettings& store, const DisplaySettings& values);

// "Settings": play speed and the colours transparent and shadow pixels are shown in. Colour and
// override changes reach an open paletted document at once; what is stored changes on Done.
class TSettingsForm : public QDialog {
 public:
  TSettingsForm(QWidget* parent, UserPrompts& prompts, AppSettings& store);

  // Shows the dialog modally for the open document (null when none).
  void Execute(TBAMForm* document);
  // The same without running it: tests drive the shown dialog themselves.
  void Begin(TBAMForm* document);

  void SpeedButton1Click();
  void SpeedButton2Click();
  void Btn_DoneClick();
  const DisplaySettings& Values() const { return values_; }

  QSpinBox* Spin_FrameSpeed = nullptr;
  QCheckBox* Chk_ForceTransCol = nullptr;
  QCheckBox* Chk_ForceShadowCol = nullptr;
  QCheckBox* Chk_LoadPlugins = nullptr;
  QLabel* Img_TransCol = nullptr;
  QLabel* Img_ShadowCol = nullptr;
  QPushButton* SpeedButton1 = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QPushButton* Btn_Associate = nullptr;
  QPushButton* Btn_Done = nullptr;
  // Run by the association button; answers with a line for the user.
  std::function<std::string()> OnAssociate;

 private:
  void ChooseColour(TColor& colour);
  void PushToDocument();
  void PaintSwatches();

  UserPrompts& prompts_;
  AppSettings& store_;
  DisplaySettings values_;
  TBAMForm* document_ = nullptr;
};

}  // namespace celwright
