#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace celwright {

class PluginStartGuard;

// The folders plug-ins are loaded from: "Plugins" beside the executable, then the user's own
// under $XDG_DATA_HOME (~/.local/share when unset), so an installed copy can take plug-ins too.
std::vector<std::filesystem::path> PluginFolders(const std::filesystem::path& program_folder);

// The "*.so" files of the folders, each folder in name order; folders that do not exist give
// nothing.
std::vector<std::filesystem::path> PluginFiles(const std::vector<std::filesystem::path>& folders);

// The loaded plug-in libraries, in load order. A library that cannot be loaded or has no
// `InitializePlugin` is skipped with a log line; the rest stay loaded until `UnloadAll`, which
// frees them last loaded first.
class PluginLibraries {
 public:
  PluginLibraries() = default;
  ~PluginLibraries() { UnloadAll(); }
  PluginLibraries(const PluginLibraries&) = delete;
  PluginLibraries& operator=(const PluginLibraries&) = delete;

  // Loads each file and calls its `InitializePlugin` with `host_table` and its own handle; the
  // guard, when given, hears which plug-in is loading.
  void LoadAll(const std::vector<std::filesystem::path>& files, const void* host_table,
               PluginStartGuard* guard = nullptr);
  void UnloadAll();

  // Whether `handle` is one of the loaded libraries; no name is ever looked up in another.
  bool Owns(const void* handle) const;
  // The function `name` exported by the loaded library `handle`, or null.
  using MenuFunction = void (*)();
  MenuFunction Lookup(void* handle, const std::string& name) const;
  // The file a loaded library came from (for messages).
  std::string FileOf(const void* handle) const;
  std::size_t Count() const { return loaded_.size(); }

 private:
  void LoadOne(const std::filesystem::path& file, const void* host_table);

  struct Library {
    void* handle;
    std::filesystem::path file;
  };
  std::vector<Library> loaded_;
};

}  // namespace celwright
