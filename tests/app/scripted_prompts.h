#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/user_prompts.h"

namespace celwright {

// Answers the program's questions from a script and records everything it was told.
class ScriptedPrompts : public UserPrompts {
 public:
  struct Shown {
    std::string Kind;  // "info", "error", "question", "confirm", "colour", "choice", "folder"
    std::string Title;
    std::string Text;
  };

  std::deque<PromptAnswer> YesNoCancelAnswers;
  std::deque<bool> OkCancelAnswers;
  std::deque<FileChoice> OpenChoices;
  // Input boxes: nothing answers Cancel.
  std::deque<std::optional<std::string>> TextAnswers;
  std::deque<FileChoice> SaveChoices;
  // Folder choosers: nothing answers Cancel.
  std::deque<std::optional<std::string>> FolderChoices;
  std::deque<TColor> ColorChoices;  // empty: the colour dialog is cancelled
  std::deque<int> Choices;
  std::vector<Shown> History;
  // What the last save dialog offered.
  std::string LastSaveFilter;
  int LastSavePreselected = -1;
  std::string LastSuggestedPath;
  // What the last input box proposed.
  std::string LastTextProposal;

  void Information(const std::string& title, const std::string& text) override {
    History.push_back({"info", title, text});
  }
  void Error(const std::string& title, const std::string& text) override {
    History.push_back({"error", title, text});
  }
  PromptAnswer AskYesNoCancel(const std::string& title, const std::string& text) override {
    History.push_back({"question", title, text});
    return Take(YesNoCancelAnswers, PromptAnswer::Cancel);
  }
  bool AskOkCancel(const std::string& title, const std::string& text) override {
    History.push_back({"confirm", title, text});
    return Take(OkCancelAnswers, false);
  }
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& proposal) override {
    History.push_back({"input", title, prompt});
    LastTextProposal = proposal;
    return Take(TextAnswers, std::optional<std::string>());
  }
  FileChoice ChooseOpenFile(const std::string&, const std::string&) override {
    return Take(OpenChoices, FileChoice{});
  }
  FileChoice ChooseSaveFile(const std::string&, const std::string& filter, int preselected,
                            const std::string& suggested_path) override {
    LastSaveFilter = filter;
    LastSavePreselected = preselected;
    LastSuggestedPath = suggested_path;
    return Take(SaveChoices, FileChoice{});
  }

  std::optional<std::string> ChooseFolder(const std::string& title) override {
    History.push_back({"folder", title, ""});
    return Take(FolderChoices, std::optional<std::string>());
  }
  bool ChooseColor(const std::string& title, TColor, TColor& chosen) override {
    History.push_back({"colour", title, ""});
    if (ColorChoices.empty()) return false;
    chosen = Take(ColorChoices, TColor{0});
    return true;
  }
  int AskChoice(const std::string& title, const std::string& text,
                const std::vector<std::string>&) override {
    History.push_back({"choice", title, text});
    return Take(Choices, -1);
  }

  int Count(const std::string& kind) const {
    int n = 0;
    for (const Shown& s : History) n += s.Kind == kind;
    return n;
  }

 private:
  // An unscripted question is answered with Cancel, the answer that changes nothing.
  template <typename T>
  static T Take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

}  // namespace celwright
