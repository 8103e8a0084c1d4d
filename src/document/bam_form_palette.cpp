#include <exception>

#include "document/bam_form.h"
#include "document/work_image_render.h"

namespace celwright {

void TBAMForm::RerenderPalette() {
  if (Paletted() && CurrentFrame != -1) {
    RenderIndexImage(BAM, WorkImage[1], WorkImage[0]);
    if (HasSelection) {
      RenderIndexImage(BAM, SelImage[1], SelImage[0]);
      // A floating selection is composed from this too on its next move.
      if (BackImage[1].Width() == WorkImage[1].Width())
        RenderIndexImage(BAM, BackImage[1], BackImage[0]);
    }
  }
  NotifyPaletteChanged();
  RedrawImage(false);
}

void TBAMForm::PreviewPalette(const Palette256& palette) {
  BAM.Palette = palette;
  RerenderPalette();
}

void TBAMForm::RecordPaletteChange() {
  // The palette is part of the file: without this a close after a palette command would ask
  // nothing and drop it.
  Modified = true;
  // A step in the frame's history like any paint step (every snapshot holds the palette), so
  // Undo brings the colours back. Showing the frame again instead would start a fresh history
  // with nothing to undo.
  RerenderPalette();
  if (CurrentFrame == -1) return;
  HistoryPending = true;
  AddHistoryItem();
}

bool TBAMForm::ConvertBAMType(std::uint8_t new_type, const TProgressEvent& on_progress) {
  if (!BAM.IsOpen || new_type == BAM.GetBAMType()) return false;
  const TFileDetails& kind = DetailsOf(DocType);
  const bool allowed = new_type == kUnpalettedBAM ? kind.AllowsUnpaletted : kind.AllowsPaletted;
  if (!allowed && !ConvertToBAMQuery()) return false;
  log_.Line(new_type == kUnpalettedBAM ? "PLTE: Convert to Unpaletted..."
                                       : "PLTE: Convert to Paletted...");
  ShowFrame(CurrentFrame);  // writes pending edits back into the frame
  TProgressEvent previous = BAM.OnProgress;
  BAM.OnProgress = on_progress;
  try {
    BAM.SetBAMType(new_type);
  } catch (const std::exception& e) {
    BAM.OnProgress = previous;
    log_.Append(std::string(" [ABORTED] (") + e.what() + ")");
    throw;
  }
  BAM.OnProgress = previous;
  // Every frame's data was rebuilt; nothing on disk holds it yet.
  Modified = true;
  log_.Append(" [OK]");
  NotifyPaletteChanged();
  ShowFrame(CurrentFrame);
  return true;
}

bool TBAMForm::SetPaletteTransparency(TColor foreground, TColor background) {
  if (!BAM.IsOpen || BAM.GetBAMType() != kUnpalettedBAM) return false;
  if (foreground == background) {
    if (hosts_.Prompts) {
      hosts_.Prompts->ShowInformation(
          options_.ApplicationTitle,
          "You cannot set the same colour for both the shadow color and transparent colour");
    }
    return false;
  }
  if (!hosts_.Prompts ||
      !hosts_.Prompts->ConfirmOkCancel("Set shadow and transparent colours to the current "
                                       "foreground and background colours respectively?")) {
    return false;
  }
  log_.Line("PLTE: Set Transparency");
  BAM.TransCol = background;
  BAM.ShadowCol = foreground;
  Modified = true;
  log_.Append(" [OK]");
  NotifyPaletteChanged();
  RedrawImage(false);
  return true;
}

bool TBAMForm::ApplyDisplayColours(TColor trans_col, TColor shadow_col, bool override_trans,
                                   bool override_shadow) {
  if (!BAM.IsOpen || !Paletted()) return false;
  BAM.TransCol = trans_col;
  BAM.ShadowCol = shadow_col;
  BAM.OverrideTransCol = override_trans;
  BAM.OverrideShadowCol = override_shadow;
  RerenderPalette();
  return true;
}

}  // namespace celwright
