#pragma once

#include <QTimer>
#include <functional>
#include <string>

#include "app/user_prompts.h"
#include "canvas/tool_controller.h"
#include "document/bam_form.h"
#include "support/file_io.h"

namespace celwright {

class BAMFormView;

// The open document as the shell holds it: the document window's core (`Form`, which owns the
// animation and does all the work) plus the small services the core calls back, answered by Qt.
// The main window answers the rest (re-enabling its commands, the palette panel, saving).
class DocumentSession : private DocumentView, private PlaybackTimer, private DocumentPrompts {
 public:
  DocumentSession(UserPrompts& prompts, DocumentOptions& options, MainWindowLink& main_window);
  ~DocumentSession() override;
  DocumentSession(const DocumentSession&) = delete;
  DocumentSession& operator=(const DocumentSession&) = delete;

  // Where the core's pictures and scroll bars go; null while no widget shows the document.
  void AttachView(BAMFormView* view) { view_ = view; }
  // The caption the core asks for ("name (Frame n)").
  std::function<void(const std::string&)> OnCaption;
  // The kind of file the document's name holds on disk (what it was opened from or last saved
  // as); it differs from the document's own kind once a picture or video became a BAM.
  TDocType FileKind = dtBAM;
  // The document's file as it was read or last written here: Save asks before overwriting a
  // file another program has changed since.
  FileStamp DiskStamp;
  // The playback timer, for tests that step playback themselves.
  QTimer& PlayTimer() { return timer_; }

 private:
  // DocumentView
  void Repaint() override;
  void RepaintArea(const ViewRect& area) override;
  void ShowScrollBars(const ScrollBarState& horizontal, const ScrollBarState& vertical) override;
  void SetCaption(const std::string& caption) override;
  // PlaybackTimer
  void StartTimer(int interval_ms) override;
  void StopTimer() override;
  // DocumentPrompts
  PromptAnswer AskYesNoCancel(const std::string& caption, const std::string& text) override;
  bool ConfirmOkCancel(const std::string& text) override;
  void ShowInformation(const std::string& title, const std::string& text) override;

  UserPrompts& prompts_;
  BAMFormView* view_ = nullptr;
  // Declared before the core so it still exists when the core stops playback on its way out.
  QTimer timer_;

 public:
  TBAMForm Form;
  // The tools working on Form; declared after it, so they let go of it first.
  ToolController Tools{Form};
};

}  // namespace celwright
