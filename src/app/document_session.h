#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/doc_types.h"
#include "app/user_prompts.h"
#include "model/qm_BAM.h"

namespace celwright {

// The one place the main window talks to the open document. It offers the document window's
// operations the shell needs (show a frame, frame commands, the close and convert questions,
// the information texts) on top of the animation. When the full document window core arrives,
// these members forward to it and nothing else in the shell changes.
class DocumentSession {
 public:
  explicit DocumentSession(UserPrompts& prompts) : prompts_(prompts) {}

  TBAM BAM;
  std::int32_t CurrentFrame = -1;
  TBAMFrame FrameRec;
  bool Modified = false;
  bool ImageChanged = false;
  TDocType DocType = dtBAM;
  bool ViewTransparency = true;
  int UndoCount = 0;
  int RedoCount = 0;
  std::string Caption;

  bool IsOpen() const { return BAM.IsOpen; }
  // Painting tools and selections live in the document window core; until then there is none.
  bool HasSelection() const { return false; }

  // Makes `index` the current frame; an index outside the animation empties the view.
  bool ShowFrame(std::int32_t index);

  void InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position);
  void DuplicateFrameInSeq(std::int32_t index, std::int32_t cycle, std::int32_t position);
  void DuplicateFrame(std::int32_t index);
  void DeleteFrame(std::int32_t index);

  // Asks to save unsaved changes; `save` runs the main window's Save. False keeps the document.
  bool CheckCanClose(const std::function<void()>& save);
  // Asks whether a single-picture document may turn into a BAM for a command it cannot hold.
  bool ConvertToBAMQuery();

  std::string FileInfoText() const;
  std::string SequenceInfoText(std::int32_t cycle) const;
  std::string FrameInfoText() const;

  // Called whenever the picture to show changed (the view repaints).
  std::function<void()> OnViewChanged;

 private:
  void ViewChanged() {
    if (OnViewChanged) OnViewChanged();
  }
  UserPrompts& prompts_;
};

}  // namespace celwright
