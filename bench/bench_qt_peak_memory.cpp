// The editor's peak memory on one large frame, as a user works: open a paletted file of one
// size x size frame, a fill click, a brush stroke and an undo, each through the view's mouse
// events ("peak MB" is the whole process, Qt included; the other counters are the peak so far
// after each step). Run one size alone
// (--benchmark_filter=4096), as the peak is the process's since it started. Goal: under 200 MB
// at 4096 x 4096.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/document_view.h"
#include "app/main_window.h"
#include "app/scripted_prompts.h"
#include "document/bam_form.h"
#include "support/qm_log.h"

namespace celwright {
namespace {

// Written a row at a time, so that making the file leaves nothing in this process's peak: a
// plain BAM of one uncompressed frame in one sequence; palette entry i is (i, 3i, 90), and a
// diagonal of entry 9 on entry 2 (the fill takes the half below it).
std::string MakeFile(const QTemporaryDir& dir, int size) {
  const std::string path = dir.filePath("large.bam").toStdString();
  std::ofstream out(path, std::ios::binary);
  const auto u16 = [&](unsigned v) { out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>(v >> 8)); };
  const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  constexpr std::uint32_t kFrames = 24, kCycles = kFrames + 12, kPalette = kCycles + 4,
                          kLookup = kPalette + 1024, kData = kLookup + 2;
  out.write("BAM V1  ", 8);
  u16(1);
  out.put(1).put(0);  // one sequence; index 0 is the run-length key
  u32(kFrames);
  u32(kPalette);
  u32(kLookup);
  u16(static_cast<unsigned>(size));
  u16(static_cast<unsigned>(size));
  u16(static_cast<unsigned>(size / 2));
  u16(static_cast<unsigned>(size / 2));
  u32(kData | 0x80000000u);  // stored raw
  u16(1);
  u16(0);
  for (int i = 0; i < 256; ++i) {
    out.put(static_cast<char>(90)).put(static_cast<char>((i * 3) & 0xFF)).put(static_cast<char>(i)).put(0);
  }
  u16(0);
  std::string row(static_cast<std::size_t>(size), '\x02');
  for (int y = 0; y < size; ++y) {
    row[static_cast<std::size_t>(y)] = '\x09';
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
    row[static_cast<std::size_t>(y)] = '\x02';
  }
  return path;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_EditorPeakMemory(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const std::string path = MakeFile(dir, size);
  for (auto _ : state) {
    ScriptedPrompts prompts;
    AppSettings settings{dir.filePath("settings.ini").toStdString()};
    SetLogFolder(dir.path().toStdString());
    TMainForm form(prompts, settings);
    form.SetRecoveryFolder(dir.filePath("recovery").toStdString());
    form.resize(1000, 700);
    form.show();
    state.counters["start MB"] = PeakMegabytes();
    form.OpenFile(path, dtBAM);
    QApplication::processEvents();
    TBAMForm& doc = *form.BAMForm();
    QWidget* viewport = form.View()->viewport();
    const auto send = [&](QEvent::Type type, int fx, int fy, Qt::MouseButtons held) {
      const QPointF at(doc.ImageOrigin.X + fx * doc.Zoom, doc.ImageOrigin.Y + fy * doc.Zoom);
      const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
      QApplication::sendEvent(viewport, &event);
      QApplication::processEvents();
    };
    // Points in the part of the frame on show, around the frame's centre.
    const int mid = size / 2;
    state.counters["open MB"] = PeakMegabytes();
    form.findChild<QAbstractButton*>("Btn_Fill")->click();
    send(QEvent::MouseButtonPress, mid - 20, mid + 20, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, mid - 20, mid + 20, Qt::NoButton);
    state.counters["fill MB"] = PeakMegabytes();
    form.findChild<QAbstractButton*>("Btn_Brush")->click();
    send(QEvent::MouseButtonPress, mid - 50, mid - 30, Qt::LeftButton);
    for (int i = 0; i < 100; ++i) send(QEvent::MouseMove, mid - 50 + i, mid - 30, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, mid + 50, mid - 30, Qt::NoButton);
    state.counters["stroke MB"] = PeakMegabytes();
    const int steps = doc.UndoCount();
    doc.Undo();
    QApplication::processEvents();
    if (steps != 2 || doc.UndoCount() != 1) return state.SkipWithError("the edits did not land");
  }
  state.counters["peak MB"] = PeakMegabytes();
}
BENCHMARK(BM_EditorPeakMemory)->Arg(1024)->Arg(4096)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace celwright

#include "qt_benchmark_main.h"
