#include "app/plugin_host.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "app/about_box.h"
#include "support/app_info.h"
#include "app/main_window.h"
#include "app/plugin_start_guard.h"
#include "celwright_plugin.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {

CelwrightPluginHandler::CelwrightPluginHandler(TMainForm& main_form)
    : QObject(&main_form), main_form_(main_form) {}

CelwrightPluginHandler::~CelwrightPluginHandler() { UnloadPlugins(); }

void CelwrightPluginHandler::LoadPlugins(const std::vector<std::filesystem::path>& folders,
                                         const std::filesystem::path& state_folder) {
  // The first folder is made when missing, so users find where plug-ins go; where that is not
  // allowed (an installed copy) there is simply nothing to load from it.
  if (!folders.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folders.front(), ignored);
  }
  InstallPluginHostApp(this);
  PluginStartGuard guard(state_folder);
  std::vector<std::filesystem::path> files;
  for (const std::filesystem::path& file : PluginFiles(folders)) {
    if (!guard.Skipped(file)) {
      files.push_back(file);
      continue;
    }
    AddLogLine("PLUG: Loading " + file.string() + "... [ABORTED] (it ended an earlier start)");
  }
  // Told once the window is up; the plug-ins that work are loaded meanwhile.
  if (std::vector<std::filesystem::path> stopped = guard.TakeNewlySkipped(); !stopped.empty()) {
    std::string names;
    for (const std::filesystem::path& file : stopped) names += "\r" + file.string();
    QTimer::singleShot(0, &main_form_, [this, names] {
      main_form_.prompts_.Error(kAppTitle,
                                "Celwright II ended while starting this plug-in last time, so it "
                                "is not loaded:" +
                                    names +
                                    "\r\rIt is loaded again once its file is replaced. To start "
                                    "without any plug-in, run celwright --no-plugins or turn them "
                                    "off in Settings.");
    });
  }
  libraries_.LoadAll(files, &CelwrightHostTable, &guard);
}

void CelwrightPluginHandler::UnloadPlugins() {
  if (InstalledPluginHostApp() == this) InstallPluginHostApp(nullptr);
  libraries_.UnloadAll();
}

QMenu* CelwrightPluginHandler::ParentMenu(const std::string& parent_name) {
  const QString name = QString::fromStdString(parent_name);
  auto* plugins = main_form_.findChild<QMenu*>("PluginsMenu");
  QMenu* parent = nullptr;
  if (!name.isEmpty()) {
    // Only a menu or a submenu takes entries: under a command they would turn it into a
    // submenu and the command would be gone.
    parent = main_form_.findChild<QMenu*>(name);
    if (!parent)
      if (auto* entry = main_form_.findChild<QAction*>(name)) parent = entry->menu<QMenu*>();
  }
  if (!parent) parent = plugins;
  if (parent == plugins) plugins->menuAction()->setVisible(true);
  return parent;
}

void CelwrightPluginHandler::RegisterMenuEntry(const std::string& parent_name,
                                               const std::string& caption,
                                               const std::string& proc_name, void* library) {
  if (menus_.size() >= kMaxPluginMenuEntries) {
    // Each entry is a widget: tens of thousands make every menu slow to build. Told once.
    if (!menu_limit_told_) {
      menu_limit_told_ = true;
      AddLogLine("PLUG: Register menu entry \"" + caption + "\" [ABORTED] (more than " +
                 std::to_string(kMaxPluginMenuEntries) +
                 " plug-in menu entries; further ones are refused without a line)");
    }
    return;
  }
  AddLogLine("PLUG: Register menu entry \"" + caption + "\" in " + parent_name + "...");
  QMenu* parent = ParentMenu(parent_name);
  const std::size_t tag = menus_.size();
  const bool known = libraries_.Owns(library);
  menus_.push_back({known ? library : nullptr, proc_name, false});

  auto* entry = new QAction(QString::fromStdString(caption), &main_form_);
  // Exit stays the last entry of its menu: plug-in entries go above it, behind a separator.
  auto* exit = main_form_.findChild<QAction*>("Exit1");
  if (exit && parent->actions().contains(exit)) {
    auto* group_end = parent->findChild<QAction*>("PluginBreak");
    if (!group_end) {
      group_end = new QAction(parent);
      group_end->setObjectName("PluginBreak");
      group_end->setSeparator(true);
      parent->insertAction(exit, group_end);
    }
    parent->insertAction(group_end, entry);
  } else {
    parent->addAction(entry);
  }
  if (!known) {
    // Never look a name up in a handle we did not load: the entry stays, doing nothing.
    entry->setEnabled(false);
    AppendToLog(" [ABORTED] (the library handle is not a loaded plug-in)");
    return;
  }
  if (!proc_name.empty()) {
    connect(entry, &QAction::triggered, this, [this, tag] { PluginMenuItemClick(tag); });
    if (!libraries_.Lookup(library, proc_name)) {
      AppendToLog(" [OK] (but " + libraries_.FileOf(library) + " does not export " + proc_name +
                  ")");
      return;
    }
  }
  AppendToLog(" [OK]");
}

void CelwrightPluginHandler::PluginMenuItemClick(std::size_t tag) {
  if (tag >= menus_.size()) return;
  TPluginMenu& record = menus_[tag];
  if (!libraries_.Owns(record.Library)) return;  // unloaded
  AddLogLine("PLUG: Run " + record.ProcName + " of " + libraries_.FileOf(record.Library) +
             "...");
  const PluginLibraries::MenuFunction function =
      libraries_.Lookup(record.Library, record.ProcName);
  if (!function) {
    AppendToLog(" [ABORTED] (not exported)");
    if (!record.MissingTold) {
      record.MissingTold = true;
      main_form_.prompts_.Error(kAppTitle, "The plug-in " + libraries_.FileOf(record.Library) +
                                               " has no function named " + record.ProcName +
                                               ", so this menu entry does nothing.");
    }
    return;
  }
  AppendToLog(" [OK]");
  ++in_click_;
  property_changed_ = false;
  // Whatever one menu call changes is one step of the history.
  TBAMForm* doc = main_form_.BAMForm();
  const bool recording = doc && doc->BAM.IsOpen && doc->BeginChange(record.ProcName, FrameSpan::All());
  if (doc && doc->BAM.IsOpen && !recording) {
    --in_click_;
    return;
  }
  try {
    function();
  } catch (...) {
    AddLogLine("PLUG: " + record.ProcName + " [ABORTED] (the plug-in raised an error)");
  }
  // A plug-in that opened or closed a file has left this document behind.
  if (recording && main_form_.BAMForm() == doc) doc->EndChange();
  --in_click_;
  if (property_changed_) ShowChangedProperties();
}

void CelwrightPluginHandler::ShowChangedProperties() {
  property_changed_ = false;
  TBAMForm* doc = main_form_.BAMForm();
  if (!doc) return;
  if (doc->CurrentFrame >= 0)
    doc->ShowFrame(doc->CurrentFrame);
  else
    doc->RedrawImage(false);
  main_form_.ShowPalette();
  main_form_.RefreshCommandStates();
}

void CelwrightPluginHandler::ShowAboutBox(const AboutTexts& texts) {
  main_form_.about_box_->ShowTexts(texts);
}

void CelwrightPluginHandler::OpenFile(const std::string& file_name, TDocType file_type,
                                      bool add_to_recent) {
  main_form_.OpenFile2(file_name, file_type, add_to_recent);
}

void CelwrightPluginHandler::SaveCurrent() { main_form_.Save1Click(); }

void CelwrightPluginHandler::CloseCurrent() { main_form_.Close1Click(); }

TBAM* CelwrightPluginHandler::OpenAnimation() {
  TBAMForm* doc = main_form_.BAMForm();
  return doc && doc->BAM.IsOpen ? &doc->BAM : nullptr;
}

void CelwrightPluginHandler::PropertyChanged() {
  // Changed through a plug-in or not, a change the user could lose on closing is a change.
  if (TBAMForm* doc = main_form_.BAMForm()) doc->Modified = true;
  property_changed_ = true;
  // Outside a menu function (while loading, say) nobody shows the change later.
  if (in_click_ == 0) ShowChangedProperties();
}

void CelwrightPluginHandler::LogFromOtherThread(const std::string& line) {
  QMetaObject::invokeMethod(this, [line] { AddLogLine(line); }, Qt::QueuedConnection);
}

}  // namespace celwright
