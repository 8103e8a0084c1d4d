#pragma once

#include <QObject>
#include <filesystem>
#include <string>
#include <vector>

#include "app/plugin_host_app.h"
#include "app/plugin_loader.h"

class QAction;
class QMenu;

namespace celwright {

class TMainForm;

// Loads the plug-ins, keeps the menu entries they register and serves their calls into the
// editor. One per run, living as long as the main window; the exported functions reach it
// while it is installed (from `LoadPlugins` to `UnloadPlugins`). Every call acts on the main
// window's active document: plug-ins never name a document, and OpenFile adds one.
class CelwrightPluginHandler : public QObject, private PluginHostApp {
 public:
  explicit CelwrightPluginHandler(TMainForm& main_form);
  ~CelwrightPluginHandler() override;

  // Loads every plug-in of `folders` (see PluginFolders) and runs its entry point; the first
  // folder is created when missing. With a `state_folder`, a plug-in that ended an earlier
  // start there is skipped, and the user told (see PluginStartGuard).
  void LoadPlugins(const std::vector<std::filesystem::path>& folders,
                   const std::filesystem::path& state_folder = {});
  // Frees the libraries, last loaded first; their menu entries stay but do nothing.
  void UnloadPlugins();
  std::size_t LoadedCount() const { return libraries_.Count(); }
  // All plug-ins together register at most this many menu entries.
  static constexpr std::size_t kMaxPluginMenuEntries = 1000;

 private:
  // One entry a plug-in registered: whose function it calls, by name (the host's own copy).
  struct TPluginMenu {
    void* Library = nullptr;
    std::string ProcName;
    bool MissingTold = false;
  };

  void PluginMenuItemClick(std::size_t tag);
  // Shows the document again after a plug-in changed its properties.
  void ShowChangedProperties();
  // The menu named `parent_name`, or the Plugins menu (made visible) when that names no menu.
  QMenu* ParentMenu(const std::string& parent_name);

  // PluginHostApp
  void RegisterMenuEntry(const std::string& parent_name, const std::string& caption,
                         const std::string& proc_name, void* library) override;
  void ShowAboutBox(const AboutTexts& texts) override;
  void OpenFile(const std::string& file_name, TDocType file_type, bool add_to_recent) override;
  void SaveCurrent() override;
  void CloseCurrent() override;
  TBAM* OpenAnimation() override;
  void PropertyChanged() override;
  void LogFromOtherThread(const std::string& line) override;

  TMainForm& main_form_;
  PluginLibraries libraries_;
  std::vector<TPluginMenu> menus_;
  bool property_changed_ = false;
  bool menu_limit_told_ = false;
  int in_click_ = 0;
};

}  // namespace celwright
