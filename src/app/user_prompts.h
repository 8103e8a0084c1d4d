#pragma once

#include <optional>
#include <string>

#include <vector>

#include "document/document_hosts.h"
#include "support/color_types.h"

namespace celwright {

struct FileChoice {
  bool Accepted = false;
  std::string Path;
  int FilterIndex = 0;  // 0-based pair of the filter the user picked
};

// Every question the shell asks the user goes through here, so tests can answer them and the
// document logic never needs a widget.
class UserPrompts {
 public:
  virtual ~UserPrompts() = default;
  virtual void Information(const std::string& title, const std::string& text) = 0;
  // A notice whose `details` (a long list) the user may open; they are appended by default.
  virtual void InformationWithDetails(const std::string& title, const std::string& text,
                                      const std::string& details) {
    Information(title, details.empty() ? text : text + "\r\r" + details);
  }
  virtual void Error(const std::string& title, const std::string& text) = 0;
  virtual PromptAnswer AskYesNoCancel(const std::string& title, const std::string& text) = 0;
  virtual bool AskOkCancel(const std::string& title, const std::string& text) = 0;
  // An input box; nothing when the user cancels.
  virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                             const std::string& proposal) = 0;
  // `filter` is "caption|patterns|caption|patterns|...".
  virtual FileChoice ChooseOpenFile(const std::string& title, const std::string& filter) = 0;
  virtual FileChoice ChooseSaveFile(const std::string& title, const std::string& filter,
                                    int preselected, const std::string& suggested_path) = 0;
  // A folder chooser whose caption tells what to look for; nothing when the user cancels.
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
  // The colour dialog (full, solid colours) preset to `initial`; false when cancelled.
  virtual bool ChooseColor(const std::string& title, TColor initial, TColor& chosen) = 0;
  // A question with buttons of the caller's captions; the index of the one pressed, -1 when
  // the box was closed without an answer.
  virtual int AskChoice(const std::string& title, const std::string& text,
                        const std::vector<std::string>& buttons) = 0;
};

}  // namespace celwright
