#pragma once

#include <QDialog>

#include "model/shared_palette.h"
#include "support/color_types.h"

class QLabel;
class QMainWindow;
class QPushButton;
class QSlider;
class QSpinBox;

namespace celwright {

// Why the palette adjustments are refused (and disabled) for an unpaletted animation.
inline constexpr const char* kPaletteOnlyMessage =
    "Color Balance, Contrast, GrayScale and Negative change the palette, and an unpaletted "
    "animation has none. Convert it to paletted first (Colors > Convert to Paletted).";

class TBAMForm;
class UserPrompts;

// What the three palette dialogs share: a copy of the palette taken when the dialog opens,
// Preview showing the dialog's result on the document without recording anything, OK leaving
// it in place (the menu command records the history step), and Cancel restoring the copy byte
// for byte. Closing the window or pressing Escape is Cancel, so no preview outlives the dialog
// unrecorded.
class PaletteDialog : public QDialog {
 public:
  // Takes the palette copy, resets the controls and places the dialog at the main window's
  // bottom-right corner. Execute() does this and runs the dialog modally; tests call it and
  // show the dialog themselves.
  void Begin(TBAMForm& form);
  bool Execute(TBAMForm& form);
  void Preview();
  void reject() override;
  void accept() override;
  const Palette256& SavedPalette() const { return saved_; }

  QPushButton* Btn_OK = nullptr;
  QPushButton* Btn_Cancel = nullptr;
  QPushButton* Btn_Preview = nullptr;

 protected:
  PaletteDialog(QMainWindow* main_window, const char* name, const char* caption);
  // The buttons in a row under `content`.
  void BuildButtons(QWidget* content, const char* ok_caption);
  // The palette the dialog's settings give, worked out from the saved copy.
  virtual Palette256 Result() = 0;
  virtual void ResetControls() {}
  // Log line start of one computation ("PLTE: Colorize"); empty for none.
  virtual const char* LogCaption() const { return ""; }
  TBAMForm* form_ = nullptr;

 private:
  void Apply();
  QMainWindow* main_window_;
  Palette256 saved_{};
};

// One track bar and spin edit from -100 to 100 with opposite signs, so that up on the
// vertical bar is positive.
struct PercentControl {
  QSlider* Track = nullptr;
  QSpinBox* Spin = nullptr;
};

// "Color Balance": a per-cent setting per channel.
class TColorizeForm : public PaletteDialog {
 public:
  explicit TColorizeForm(QMainWindow* main_window);
  PercentControl Red, Green, Blue;

 protected:
  Palette256 Result() override;
  void ResetControls() override;
  const char* LogCaption() const override { return "PLTE: Colorize"; }
};

// "Contrast": one per-cent setting for all channels.
class TContrastForm : public PaletteDialog {
 public:
  explicit TContrastForm(QMainWindow* main_window);
  PercentControl Contrast;

 protected:
  Palette256 Result() override;
  void ResetControls() override;
  const char* LogCaption() const override { return "PLTE: Contrastize"; }
};

// "Edit Palette": the 16 x 16 grid of entries; a click selects, a double click edits the entry
// in the colour dialog; Load and Save read and write RIFF palette files.
class TPaletteForm : public PaletteDialog {
 public:
  TPaletteForm(QMainWindow* main_window, UserPrompts& prompts);
  int SelectedEntry = -1;
  QWidget* Img_Palette = nullptr;
  QPushButton* Btn_LoadPal = nullptr;
  QPushButton* Btn_SavePal = nullptr;
  QPushButton* Btn_Rebuild = nullptr;
  // The index and colour of the selected entry.
  QLabel* Lbl_Selected = nullptr;
  // The palette as edited so far.
  const Palette256& Edited() const { return edited_; }

  void SelectAt(int x, int y);
  // Selects entry `index` (-1: none).
  void SelectEntry(int index);
  void EditSelected();
  void LoadPal();
  void SavePal();
  // Rebuilds the palette from the animation's colours, keeping an entry range the user names.
  void RebuildKeeping();
  void accept() override;

 protected:
  Palette256 Result() override { return edited_; }
  void ResetControls() override;

 private:
  void ShowSelected();

  UserPrompts& prompts_;
  Palette256 edited_{};
  // A palette was loaded with "keep colours": on OK the frames move to its nearest entries.
  bool remap_ = false;
  // Entries whose pixels stay on them when the frames move (a rebuilt palette's kept range).
  EntryRange kept_{};
  const char* remap_step_ = "Load Palette";
};

}  // namespace celwright
