// Frame > Merge Identical Frames and Trim Transparent Borders: smaller files, each one step of
// the history, with the bytes they saved told to the user.
#include "app/main_window.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "document/bam_form.h"
#include "model/frame_compaction.h"
#include "support/app_info.h"
#include "support/qm_log.h"

namespace celwright {

void TMainForm::CompactFrames(const std::string& name, int (*compact)(TBAM&),
                              const std::string& counted, const std::string& nothing) {
  if (!document_ || !BAMForm()->BAM.IsOpen) return;
  SettlePlayback();
  TBAMForm* doc = BAMForm();
  Guarded([&] {
    AddLogLine("BAM : " + name + "...");
    doc->CommitPendingEdits();
    const std::int64_t before = FrameDataBytes(doc->BAM);
    int changed = 0;
    // Every frame and sequence may change: one step of the history for all of them.
    doc->RecordChange(name, FrameSpan::All(), [&] {
      const std::int32_t shown = doc->CurrentFrame;
      changed = compact(doc->BAM);
      if (changed == 0) return;
      doc->Modified = true;
      // The working images held the frame as it was: it is read again from the animation.
      doc->CurrentFrame = -1;
      doc->ShowFrame(std::min(shown, doc->BAM.FrameCount() - 1));
    });
    const std::int64_t saved = before - FrameDataBytes(doc->BAM);
    AppendToLog(" [OK]");
    UpdateFrameAndSequenceLists();
    HighlightShownFrame();
    if (changed == 0) {
      prompts_.Information(name, nothing);
      return;
    }
    prompts_.Information(name, std::to_string(changed) + " " + counted + ", " +
                                   std::to_string(saved) + " bytes saved.");
  });
  RefreshCommandStates();
}

void TMainForm::MergeIdenticalFrames1Click() {
  CompactFrames("Merge Identical Frames", &MergeIdenticalFrames, "duplicate frames removed",
                "No two frames are identical: nothing was merged.");
}

void TMainForm::TrimTransparentBorders1Click() {
  CompactFrames("Trim Transparent Borders", &TrimFrames, "frames trimmed",
                "No frame has transparent borders: nothing was trimmed.");
}

}  // namespace celwright
