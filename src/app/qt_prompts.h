#pragma once

#include "app/user_prompts.h"

class QWidget;

namespace celwright {

// Message boxes and file dialogs of the running program.
class QtPrompts : public UserPrompts {
 public:
  explicit QtPrompts(QWidget* parent) : parent_(parent) {}
  // Dialogs are centred on this window once it exists.
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Information(const std::string& title, const std::string& text) override;
  void InformationWithDetails(const std::string& title, const std::string& text,
                              const std::string& details) override;
  void Error(const std::string& title, const std::string& text) override;
  PromptAnswer AskYesNoCancel(const std::string& title, const std::string& text) override;
  bool AskOkCancel(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& proposal) override;
  FileChoice ChooseOpenFile(const std::string& title, const std::string& filter) override;
  FileChoice ChooseSaveFile(const std::string& title, const std::string& filter, int preselected,
                            const std::string& suggested_path) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  bool ChooseColor(const std::string& title, TColor initial, TColor& chosen) override;
  int AskChoice(const std::string& title, const std::string& text,
                const std::vector<std::string>& buttons) override;

 private:
  QWidget* parent_;
};

}  // namespace celwright
