#pragma once

#include <string>

namespace celwright {

struct ViewRect;

// A scroll bar as the document wants it shown. The window reports moves back through
// TBAMForm::Scroll_Change.
struct ScrollBarState {
  bool Visible = false;
  int Min = 0;
  int Max = 0;
  int SmallChange = 1;
  int Position = 0;
  friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// The window that shows the document: it paints ViewImage at ViewOrigin when asked and shows
// the scroll bars and caption it is given.
class DocumentView {
 public:
  virtual ~DocumentView() = default;
  virtual void Repaint() = 0;
  // Only `area` of ViewImage changed.
  virtual void RepaintArea(const ViewRect& area) {
    static_cast<void>(area);
    Repaint();
  }
  virtual void ShowScrollBars(const ScrollBarState& horizontal, const ScrollBarState& vertical) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

// What the document needs from the main window.
class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;
  // Undo/redo or other command states changed: menus and buttons are to be re-enabled.
  virtual void CommandsChanged() = 0;
  // The document palette changed: the palette panel is to be redrawn.
  virtual void PaletteChanged() = 0;
  // The main window's Save command; it clears TBAMForm::Modified when the save succeeded.
  virtual void SaveDocument() = 0;
};

// The window's playback timer: the document says when it runs and reacts to its ticks
// (TBAMForm::Timer1Timer).
class PlaybackTimer {
 public:
  virtual ~PlaybackTimer() = default;
  virtual void StartTimer(int interval_ms) = 0;
  virtual void StopTimer() = 0;
};

enum class PromptAnswer { Yes, No, Cancel };

// Questions and notices shown to the user; the app answers with message boxes, tests with
// scripted answers.
class DocumentPrompts {
 public:
  virtual ~DocumentPrompts() = default;
  virtual PromptAnswer AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
  // True for OK, false for Cancel.
  virtual bool ConfirmOkCancel(const std::string& text) = 0;
  virtual void ShowInformation(const std::string& title, const std::string& text) = 0;
};

// Any of these may be absent (a window without a screen, a test): the document then skips the
// call, and a question without anyone to answer it counts as Cancel.
struct DocumentHosts {
  DocumentView* View = nullptr;
  MainWindowLink* MainWindow = nullptr;
  PlaybackTimer* Timer = nullptr;
  DocumentPrompts* Prompts = nullptr;
};

}  // namespace celwright
