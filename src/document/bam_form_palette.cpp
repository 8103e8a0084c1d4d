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

void TBAMForm::RecordPaletteChange(const std::string& name) {
  // The palette is part of the file: without this a close after a palette command would ask
  // nothing and drop it. The step compares with the palette before the command's previews.
  RecordChange(name, FrameSpan::Before(0), [this] {
    Modified = true;
    RerenderPalette();
  });
}

bool TBAMForm::ConvertBAMType(std::uint8_t new_type, const TProgressEvent& on_progress) {
  if (!BAM.IsOpen || new_type == BAM.GetBAMType()) return false;
  const TFileDetails& kind = DetailsOf(DocType);
  // Only a BAM file holds true colour with alpha.
  const bool allowed = new_type == kTrueColourBAM   ? DocType == dtBAM
                       : new_type == kUnpalettedBAM ? kind.AllowsUnpaletted
                                                    : kind.AllowsPaletted;
  if (!allowed && !ConvertToBAMQuery()) return false;
  log_.Line(new_type == kTrueColourBAM   ? "PLTE: Convert to True Colour..."
            : new_type == kUnpalettedBAM ? "PLTE: Convert to Unpaletted..."
                                         : "PLTE: Convert to Paletted...");
  ShowFrame(CurrentFrame);  // writes pending edits back into the frame
  const char* name = new_type == kTrueColourBAM   ? "Convert to true colour"
                     : new_type == kUnpalettedBAM ? "Convert to unpaletted"
                                                  : "Convert to paletted";
  return RecordChange(name, FrameSpan::All(), [&] {
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
  });
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
  return RecordChange("Set Transparency", FrameSpan::Before(0), [&] {
    BAM.TransCol = background;
    BAM.ShadowCol = foreground;
    Modified = true;
    log_.Append(" [OK]");
    NotifyPaletteChanged();
    RedrawImage(false);
  });
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
