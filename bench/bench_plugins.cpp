// What plug-ins add to start-up: loading 20 copies of the example plug-in (each registering its
// seven menu entries) into an offscreen editor, and unloading them again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/main_window.h"
#include "app/plugin_host.h"
#include "app/qt_prompts.h"
#include "support/qm_log.h"

namespace {

namespace fs = std::filesystem;

void BM_LoadTwentyPlugins(benchmark::State& state) {
  using namespace celwright;
  const fs::path folder = fs::temp_directory_path() / "celwright-bench-plugins";
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int i = 0; i < 20; ++i)
    fs::copy_file(EXAMPLE_PLUGIN, folder / ("example" + std::to_string(100 + i) + ".so"));
  AppSettings settings((folder / "settings.ini").string());
  QtPrompts prompts(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    auto form = std::make_unique<TMainForm>(prompts, settings);
    state.ResumeTiming();
    CelwrightPluginHandler plugins(*form);
    plugins.LoadPlugins({folder});
    plugins.UnloadPlugins();
    benchmark::DoNotOptimize(plugins.LoadedCount());
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_LoadTwentyPlugins)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  celwright::LogDisabled = false;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
