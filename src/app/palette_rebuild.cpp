// The palette editor's Rebuild: a palette made anew from the animation's colours, with a range of
// entries the user names kept as they are (the ranges a game recolours by index).
#include <optional>
#include <stdexcept>
#include <string>

#include "app/palette_dialogs.h"
#include "app/user_prompts.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

void TPaletteForm::RebuildKeeping() {
  if (!form_ || !form_->BAM.IsOpen) return;
  if (form_->BAM.BAMType != kPalettedBAM) {
    prompts_.Error("Rebuild Palette", "Only a paletted animation's palette can be rebuilt.");
    return;
  }
  const std::optional<std::string> answer = prompts_.AskText(
      "Rebuild Palette",
      "Entries kept as they are (A-B or A; empty for none). The others are rebuilt from the "
      "animation's colours:",
      "");
  if (!answer) return;
  EntryRange keep;
  try {
    if (!answer->empty()) keep = ParseEntryRange(*answer);
  } catch (const std::invalid_argument& e) {
    prompts_.Error("Rebuild Palette", "\"" + *answer + "\": " + e.what() + ".");
    return;
  }
  AddLogLine("PLTE: Rebuild (keeping " + (keep.Empty() ? std::string("none") : *answer) + ")");
  // The colours are those the pixels show with the palette as it was before the dialog, as the
  // remap on OK reads them.
  form_->PreviewPalette(SavedPalette());
  SharedPaletteBuilder builder(form_->BAM.GetTransCol(), form_->BAM.GetShadowCol());
  builder.AddAnimation(form_->BAM, keep);
  // The kept entries as edited so far: a colour just changed in the dialog stays too.
  edited_ = builder.Build(edited_, keep);
  remap_ = true;
  kept_ = keep;
  remap_step_ = "Rebuild Palette";
  AppendToLog(" [OK]");
  ShowSelected();
}

}  // namespace celwright
