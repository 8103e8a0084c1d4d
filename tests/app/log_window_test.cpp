// The action log as the shell writes it: the window's list and "Log.txt" side by side.
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/app_test_registry.h"
#include "app/log_window.h"
#include "support/qm_log.h"

using namespace celwright;

namespace {
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

class LogWindowTest : public QObject {
  Q_OBJECT
  std::unique_ptr<QTemporaryDir> dir_;

 private slots:
  // Earlier tests of this program logged too, and a closed log window turns logging off.
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    SetLogFolder(dir_->path().toStdString());
    LogDisabled = false;
  }
  void cleanup() { LogDisabled = false; }

  // The file format itself is the log's own concern; the window mirrors the in-memory list.
  void linesAndOutcomesReachTheListAndClearEmptiesOnlyTheWindow() {
    ClearLogLines();
    TLogForm form(nullptr);
    AddLogLine("OPEN: a.bam...");
    AppendToLog(" [OK]");
    AddLogLine("SAVE: b.bam...");
    QCOMPARE(form.ListBox_Log->count(), 2);
    QCOMPARE(form.ListBox_Log->item(0)->text(), QString("OPEN: a.bam... [OK]"));

    form.BitBtn2Click();  // Clear
    AppendToLog(" [ABORTED] (Must close first)");
    QCOMPARE(form.ListBox_Log->count(), 0);
    QVERIFY(
        ReadAll(LogFilePath().string()).ends_with("SAVE: b.bam... [ABORTED] (Must close first)"));
    QVERIFY(!form.SaveLines(dir_->filePath("no/such/folder.txt").toStdString()));
  }

  void theWindowStaysOnTheScreen() {
    TLogForm form(nullptr);
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(room.height() < 930);  // lower than the window's usual place needs
    QVERIFY(room.contains(form.geometry()));
  }

  // However long the session, the window lists the latest lines, each completed in its row.
  void theListKeepsTheLatestLines() {
    TLogForm form(nullptr);
    form.BitBtn2Click();
    const int cap = static_cast<int>(kMaxLogLinesInMemory);
    for (int i = 0; i < cap + 10; ++i) {
      AddLogLine("PLAY: " + std::to_string(i) + "...");
      AppendToLog(" [OK]");
    }
    QCOMPARE(form.ListBox_Log->count(), cap);
    QCOMPARE(form.ListBox_Log->item(0)->text(), QString("PLAY: 10... [OK]"));
    QCOMPARE(form.ListBox_Log->item(cap - 1)->text(), QString("PLAY: %1... [OK]").arg(cap + 9));
  }

  void suspendedLogWritesNothing() {
    AddLogLine("APP : Show Main Form");
    {
      TLogForm form(nullptr);
      // A window opened later still lists what the run logged before it.
      const int shown = form.ListBox_Log->count();
      QCOMPARE(form.ListBox_Log->item(shown - 1)->text(), QString("APP : Show Main Form"));
      LogDisabled = true;
      AddLogLine("APP : hidden");
      LogDisabled = false;
      QCOMPARE(form.ListBox_Log->count(), shown);
    }
    // A closed log window ends logging for the run.
    AddLogLine("APP : after");
    QVERIFY(LogDisabled);
    QCOMPARE(ReadAll(LogFilePath().string()), std::string("\r\nAPP : Show Main Form"));
  }
};

CELWRIGHT_APP_TEST(LogWindowTest)
#include "log_window_test.moc"
