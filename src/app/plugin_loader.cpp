#include "app/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "app/plugin_start_guard.h"
#include "celwright_plugin.h"
#include "support/qm_log.h"

namespace celwright {

namespace fs = std::filesystem;

std::vector<fs::path> PluginFolders(const fs::path& program_folder) {
  std::vector<fs::path> folders{program_folder / "Plugins"};
  fs::path data_home;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    data_home = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data_home = fs::path(home) / ".local" / "share";
  }
  if (!data_home.empty()) folders.push_back(data_home / "celwright-ii" / "plugins");
  return folders;
}

std::vector<fs::path> PluginFiles(const std::vector<fs::path>& folders) {
  std::vector<fs::path> files;
  for (const fs::path& folder : folders) {
    std::error_code error;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      const fs::path& path = it->path();
      if (path.extension() == ".so" && it->is_regular_file(error)) found.push_back(path);
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

void PluginLibraries::LoadAll(const std::vector<fs::path>& files, const void* host_table,
                              PluginStartGuard* guard) {
  for (const fs::path& file : files) {
    AddLogLine("PLUG: Loading " + file.string() + "...");
    // A library's own constructors run in dlopen, so the mark goes first.
    if (guard) guard->Loading(file);
    LoadOne(file, host_table);
    if (guard) guard->Loaded();
  }
}

void PluginLibraries::LoadOne(const fs::path& file, const void* host_table) {
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    AppendToLog(std::string(" [ABORTED] (") + (why ? why : "cannot be loaded") + ")");
    return;
  }
  auto initialize =
      reinterpret_cast<CelwrightInitializePluginFn>(dlsym(handle, "InitializePlugin"));
  if (!initialize) {
    AppendToLog(" [ABORTED] (no InitializePlugin)");
    dlclose(handle);
    return;
  }
  if (Owns(handle)) {
    // The same library reached twice (a link in both folders): it is initialised once.
    AppendToLog(" [ABORTED] (already loaded)");
    dlclose(handle);
    return;
  }
  AppendToLog(" [OK]");
  // Listed before its entry point runs, so the menu entries it registers from there are its.
  loaded_.push_back({handle, file});
  try {
    initialize(static_cast<const CelwrightHost*>(host_table), handle);
  } catch (...) {
    // A plug-in written in C++ may let an error escape its entry point; the editor goes on.
    AddLogLine("PLUG: InitializePlugin of " + file.string() + " [ABORTED] (it raised an error)");
  }
}

void PluginLibraries::UnloadAll() {
  while (!loaded_.empty()) {
    AddLogLine("PLUG: Unloading " + loaded_.back().file.string() + " [OK]");
    dlclose(loaded_.back().handle);
    loaded_.pop_back();
  }
}

bool PluginLibraries::Owns(const void* handle) const {
  return handle && std::any_of(loaded_.begin(), loaded_.end(),
                               [handle](const Library& l) { return l.handle == handle; });
}

PluginLibraries::MenuFunction PluginLibraries::Lookup(void* handle,
                                                      const std::string& name) const {
  if (!Owns(handle) || name.empty()) return nullptr;
  return reinterpret_cast<MenuFunction>(dlsym(handle, name.c_str()));
}

std::string PluginLibraries::FileOf(const void* handle) const {
  for (const Library& l : loaded_)
    if (l.handle == handle) return l.file.string();
  return {};
}

}  // namespace celwright
