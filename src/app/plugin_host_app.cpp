#include "app/plugin_host_app.h"

#include <atomic>
#include <thread>

namespace celwright {

namespace {
// Read from any thread a plug-in calls from, so both are atomic.
std::atomic<PluginHostApp*> installed_app{nullptr};
std::atomic<std::thread::id> host_thread;
}  // namespace

void InstallPluginHostApp(PluginHostApp* app) {
  installed_app = app;
  host_thread = std::this_thread::get_id();
}

PluginHostApp* InstalledPluginHostApp() { return installed_app; }

bool OnPluginHostThread() { return std::this_thread::get_id() == host_thread; }

}  // namespace celwright
