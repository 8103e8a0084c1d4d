#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace celwright {

// A plug-in whose start-up code crashes, aborts or never returns would take the editor down at
// every start. While a plug-in loads, a marker in the state folder names it; a marker whose
// start is gone (its lock is free) names the plug-in that ended that start, which is then
// skipped at every start until its file changes (replaced by a fixed version, say).
class PluginStartGuard {
 public:
  // Without a state folder there is nowhere to note anything, and nothing is skipped.
  explicit PluginStartGuard(std::filesystem::path state_folder);
  ~PluginStartGuard();
  PluginStartGuard(const PluginStartGuard&) = delete;
  PluginStartGuard& operator=(const PluginStartGuard&) = delete;

  // The plug-ins that ended earlier starts since the last call; they are skipped from now on.
  std::vector<std::filesystem::path> TakeNewlySkipped();
  // Whether `plugin`, as the file is now, ended an earlier start.
  bool Skipped(const std::filesystem::path& plugin) const;
  // Around the loading of one plug-in (opening the library and running its entry point).
  void Loading(const std::filesystem::path& plugin);
  void Loaded();

 private:
  std::filesystem::path SkipListPath() const;
  void AddToSkipList(const std::filesystem::path& plugin);

  std::filesystem::path folder_;
  std::filesystem::path marker_;
  int marker_fd_ = -1;
  std::vector<std::filesystem::path> newly_skipped_;
};

}  // namespace celwright
