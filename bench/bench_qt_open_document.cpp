// Opening a 60,000-frame file in the editor against an empty start, in one process: a large
// document is to reach the main window about as fast as no document at all. The steps of the
// open (reading the file, filling the lists) are timed on their own to show where the time goes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "app/app_settings.h"
#include "app/main_window.h"
#include "app/scripted_prompts.h"
#include "document/bam_form.h"
#include "model/qm_BAM.h"
#include "support/qm_log.h"

namespace celwright {
namespace {

constexpr int kFrames = 60000;

// One sequence holds every frame, so both frame lists have a row per frame.
std::string MakeFile(int frames) {
  const std::string name = (std::filesystem::temp_directory_path() /
                            ("celwright-bench-open-" + std::to_string(frames) + ".bam"))
                               .string();
  TBAM bam;
  bam.NewBAM(name, true);
  for (int i = bam.FrameCount(); i < frames; ++i) bam.InsertFrame(-1, -1, -1, true);
  if (bam.CycleCount() == 0) bam.AddCycle(-1);
  TCycleItem cycle = bam.GetCycle(0);
  cycle.Frames.clear();
  for (int i = 0; i < frames; ++i) cycle.Frames.push_back(i);
  cycle.Count = frames;
  bam.SetCycles({cycle});
  bam.SaveToFile(name, kPalettedBAM, false, false);
  return name;
}

const std::string& ManyFramesFile() {
  static const std::string path = MakeFile(kFrames);
  return path;
}

const std::string& OneFrameFile() {
  static const std::string path = MakeFile(1);
  return path;
}

// An editor as a user starts it, with its settings, log and recovery in a private folder.
struct Editor {
  QTemporaryDir dir;
  ScriptedPrompts prompts;
  AppSettings settings{dir.filePath("settings.ini").toStdString()};
  std::unique_ptr<TMainForm> form;

  Editor() {
    SetLogFolder(dir.path().toStdString());
    form = std::make_unique<TMainForm>(prompts, settings);
    form->SetRecoveryFolder(dir.filePath("recovery").toStdString());
    form->resize(1000, 700);
    form->show();
  }
};

// Start-up to a painted main window with no file, a one-frame file or the 60,000-frame one.
template <int kOpenFrames>
void BM_Start(benchmark::State& state) {
  const std::string& path = kOpenFrames == 1 ? OneFrameFile() : ManyFramesFile();
  for (auto _ : state) {
    auto editor = std::make_unique<Editor>();
    if (kOpenFrames > 0) editor->form->OpenFile(path, dtBAM);
    QApplication::processEvents();
    editor->form->repaint();
    if (kOpenFrames > 0 && (!editor->form->BAMForm() ||
                            editor->form->List_Frames->count() != kOpenFrames)) {
      return state.SkipWithError("open failed");
    }
    state.PauseTiming();
    editor.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Start<0>)->Name("BM_EmptyStart")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Start<1>)->Name("BM_StartAndOpenOneFrame")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Start<kFrames>)->Name("BM_StartAndOpen60000Frames")
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The steps of the open on their own: reading the file, and filling the lists.
void BM_Read60000Frames(benchmark::State& state) {
  const std::string& path = ManyFramesFile();
  for (auto _ : state) {
    TBAM bam;
    if (!bam.LoadFromFile(path, {})) return state.SkipWithError("load failed");
    benchmark::DoNotOptimize(bam.FrameCount());
  }
}
BENCHMARK(BM_Read60000Frames)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Fill60000FrameLists(benchmark::State& state) {
  Editor editor;
  editor.form->OpenFile(ManyFramesFile(), dtBAM);
  for (auto _ : state) {
    editor.form->ShowListRows(0, 0, 0);
    QApplication::processEvents();
    editor.form->repaint();
  }
}
BENCHMARK(BM_Fill60000FrameLists)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace celwright

#include "qt_benchmark_main.h"
