// The Colors menu (palette dialogs, negative, grey scale, kind conversions, transparency) and
// the Settings dialog.
#include <QAction>
#include <QSpinBox>

#include "support/app_info.h"
#include "app/document_session.h"
#include "app/main_window.h"
#include "app/palette_dialogs.h"
#include "app/progress_window.h"
#include "app/settings_dialog.h"
#include "document/bam_form.h"
#include "support/palette_adjust.h"
#include "support/qm_log.h"

namespace celwright {

TPaletteForm* TMainForm::PaletteForm() {
  if (!palette_form_) palette_form_ = new TPaletteForm(this, prompts_);
  return palette_form_;
}

TColorizeForm* TMainForm::ColorizeForm() {
  if (!colorize_form_) colorize_form_ = new TColorizeForm(this);
  return colorize_form_;
}

TContrastForm* TMainForm::ContrastForm() {
  if (!contrast_form_) contrast_form_ = new TContrastForm(this);
  return contrast_form_;
}

TSettingsForm* TMainForm::SettingsForm() {
  if (!settings_form_) {
    settings_form_ = new TSettingsForm(this, prompts_, settings_);
    // The button asks for this program as the default, so it takes the place of another.
    settings_form_->OnAssociate = [this] { return CheckAssociation(true); };
  }
  return settings_form_;
}

void TMainForm::FinishPaletteCommand(bool accepted, const char* step_name) {
  if (accepted && document_) Guarded([&] { BAMForm()->RecordPaletteChange(step_name); });
  RefreshCommandStates();
}

void TMainForm::EditPalette1Click() {
  if (!document_ || BAMForm()->BAM.GetBAMType() != kPalettedBAM) return;
  FinishPaletteCommand(PaletteForm()->Execute(*BAMForm()), "Edit Palette");
}

namespace {

// Colour balance, contrast, negative and grey scale change palette entries; an unpaletted
// animation has none, so they would mark it modified while changing nothing anyone can see.
bool RefusedWithoutPalette(TBAMForm* doc, UserPrompts& prompts) {
  if (!doc || !doc->BAM.IsOpen) return true;
  if (doc->BAM.GetBAMType() == kPalettedBAM) return false;
  prompts.Information(kAppTitle, kPaletteOnlyMessage);
  return true;
}

}  // namespace

void TMainForm::ColorBalance1Click() {
  if (RefusedWithoutPalette(BAMForm(), prompts_)) return;
  FinishPaletteCommand(ColorizeForm()->Execute(*BAMForm()), "Color Balance");
}

void TMainForm::Contrast1Click() {
  if (RefusedWithoutPalette(BAMForm(), prompts_)) return;
  FinishPaletteCommand(ContrastForm()->Execute(*BAMForm()), "Contrast");
}

namespace {

bool RunPaletteFilter(TBAMForm* doc, UserPrompts& prompts, const char* log_line,
                      Palette256 (*filter)(const Palette256&)) {
  if (RefusedWithoutPalette(doc, prompts)) return false;
  doc->LandPendingEdits();  // as the palette dialogs do
  AddLogLine(log_line);
  doc->BAM.Palette = filter(doc->BAM.Palette);
  AppendToLog(" [OK]");
  return true;
}

}  // namespace

void TMainForm::Negative1Click() {
  if (RunPaletteFilter(BAMForm(), prompts_, "PLTE: Negative...", NegativePalette))
    FinishPaletteCommand(true, "Negative");
}

void TMainForm::GrayScale1Click() {
  if (RunPaletteFilter(BAMForm(), prompts_, "PLTE: Gray Scale...", GrayScalePalette))
    FinishPaletteCommand(true, "Gray Scale");
}

bool TMainForm::ConvertKind(std::uint8_t new_type) {
  if (!document_ || !BAMForm()->BAM.IsOpen) return false;
  bool converted = false;
  Guarded([&] {
    converted = BAMForm()->ConvertBAMType(
        new_type, [this](std::int32_t position, std::int32_t max, std::uint8_t stage) {
          prog_form_->ConvertProgress(position, max, stage);
        });
  });
  prog_form_->hide();
  UpdateFrameAndSequenceLists();
  RefreshCommandStates();
  return converted;
}

void TMainForm::ConvertTo24Bit() { ConvertKind(kUnpalettedBAM); }

void TMainForm::ConvertToPaletted1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  // No dithering first: pixel art must keep its exact pixels.
  const int choice = prompts_.AskChoice(
      "Convert to Paletted", "How should colours between the palette's entries be shown?",
      {"No dithering", "Floyd-Steinberg", "Ordered (Bayer 4 x 4)", "Cancel"});
  if (choice < 0 || choice > 2) return;
  const Dithering dithering[] = {Dithering::kNone, Dithering::kFloydSteinberg,
                                 Dithering::kOrdered};
  TBAM& bam = BAMForm()->BAM;
  bam.ConversionDithering = dithering[choice];
  ConvertKind(kPalettedBAM);
  bam.ConversionDithering = Dithering::kNone;
}

void TMainForm::SetPaletteTransparency1Click() {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  BAMForm()->SetPaletteTransparency(doc_options_.ForegroundColour, doc_options_.BackgroundColour);
  RefreshCommandStates();
}

void TMainForm::Settings1Click() {
  TSettingsForm* settings = SettingsForm();
  settings->Execute(document_ ? BAMForm() : nullptr);
  // Playback and later documents read the stored values; the active one already has them.
  doc_options_.FrameSpeedMs = settings->Spin_FrameSpeed->value();
  // The display colours are the user's choice for every paletted animation open, not only the
  // one in front.
  const DisplaySettings stored = ReadDisplaySettings(settings_);
  for (int i = 0; i < DocumentCount(); ++i) {
    TBAMForm& doc = *DocumentAt(i);
    if (&doc == BAMForm()) continue;
    doc.ApplyDisplayColours(stored.TransCol, stored.ShadowCol, stored.OverrideTrans,
                            stored.OverrideShadow);
  }
}

}  // namespace celwright
