#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "document/preview_backgrounds.h"
#include "document/preview_player.h"
#include "support/bitmap.h"

class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace celwright {

class AppSettings;
class TBAM;
class UserPrompts;

// "Preview Animation": loops a sequence over a game-like background, each frame placed by its
// centre on the background's anchor. The list of backgrounds (built-ins, saved pictures of the
// user's, and the item that loads a new one) and the default live in the settings. The window is
// also the program's stand-alone quick preview.
class TPreviewForm : public QDialog {
 public:
  // What the window's result means in the stand-alone preview.
  static constexpr int kResultExit = 1;
  static constexpr int kResultEditor = 4;

  TPreviewForm(UserPrompts& prompts, AppSettings& settings, QWidget* parent);
  ~TPreviewForm() override;

  // Starts the preview of `cycle` from `bam` (which must outlive the showing) without waiting;
  // Run does the same and shows the window modally.
  void Begin(const TBAM* bam, const TSmallLookup& cycle, int frame_speed_ms);
  int Run(const TBAM* bam, const TSmallLookup& cycle, int frame_speed_ms);

  // The stand-alone look: the File and Help menus, no Done button, the given caption.
  void SetStandAlone(bool on, const QString& caption);
  std::function<void()> OnAbout;

  // Selects a background as if the user had chosen it (no file dialog for the last item).
  void SelectBackground(int index);
  int CurrentBackground() const { return current_; }
  const BackgroundList& Backgrounds() const { return list_; }
  const Bitmap& Composition() const { return composition_; }
  const PreviewPlayer& Player() const { return player_; }
  QTimer& Timer() { return timer_; }

  // Handlers, public so the window can be driven without a display.
  void Timer1Timer();
  void Combo_BGChange(bool from_user);
  void Btn_SaveClick();
  void Btn_RemoveClick();
  void Btn_DefaultClick();
  // A click at (x, y) of the picture area.
  void AreaMouseDown(int x, int y);

  QComboBox* Combo_BG = nullptr;
  QToolButton* Btn_Save = nullptr;
  QToolButton* Btn_Remove = nullptr;
  QToolButton* Btn_Default = nullptr;
  QPushButton* Btn_Done = nullptr;
  // Milliseconds a frame, starting from the editor's setting; changes apply at once and last
  // for this showing.
  QSpinBox* Spin_Speed = nullptr;
  QWidget* Area = nullptr;
  QMenuBar* Menu = nullptr;

 protected:
  void done(int result) override;

 private:
  const Bitmap& BackgroundPicture(int index);
  void LoadBGSettings();
  void SaveBGSettings();
  void FillCombo();
  void SelectItem(int index);
  void UpdateButtons();
  // Loads the picture of a custom item into the shared holder; false (after telling the user
  // why) keeps the previous background.
  bool LoadCustomPicture(const std::string& file, std::uint8_t kind);

  UserPrompts& prompts_;
  AppSettings& settings_;
  BackgroundList list_;
  std::array<Bitmap, kBuiltInBackgroundCount> built_in_;
  Bitmap custom_picture_;
  std::string custom_file_;  // the picture in the holder; empty before any was loaded
  int current_ = 0;
  PreviewPlayer player_;
  Bitmap composition_;
  const TBAM* bam_ = nullptr;
  QTimer timer_;
  QString normal_caption_;
};

}  // namespace celwright
