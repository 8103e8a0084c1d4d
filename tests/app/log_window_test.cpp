// The action log as the shell writes it: the window's list and "Log.txt" side by side.
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/app_log.h"
#include "app/log_window.h"

using namespace celwright;

namespace {
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

class LogWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void linesAndOutcomesReachListAndFile() {
    QTemporaryDir dir;
    app_log::SetLogFolder(dir.path().toStdString());
    TLogForm form(nullptr);
    app_log::AddLogLine("OPEN: a.bam...");
    app_log::AppendToLog(" [OK]");
    app_log::AddLogLine("SAVE: b.bam...");
    QCOMPARE(form.ListBox_Log->count(), 2);
    QCOMPARE(form.ListBox_Log->item(0)->text(), QString("OPEN: a.bam... [OK]"));
    QCOMPARE(ReadAll(app_log::LogFilePath()),
             std::string("\r\nOPEN: a.bam... [OK]\r\nSAVE: b.bam..."));

    form.BitBtn2Click();  // Clear empties the window only
    app_log::AppendToLog(" [ABORTED] (Must close first)");
    QCOMPARE(form.ListBox_Log->count(), 0);
    QVERIFY(
        ReadAll(app_log::LogFilePath()).ends_with("SAVE: b.bam... [ABORTED] (Must close first)"));

    app_log::AddLogLine("APP : Show Main Form");
    const std::string saved = dir.filePath("saved.txt").toStdString();
    QVERIFY(form.SaveLines(saved));
    QCOMPARE(ReadAll(saved), std::string("APP : Show Main Form\n"));
    QVERIFY(!form.SaveLines(dir.filePath("no/such/folder.txt").toStdString()));
  }

  void suspendedLogWritesNothing() {
    QTemporaryDir dir;
    app_log::SetLogFolder(dir.path().toStdString());
    {
      TLogForm form(nullptr);
      app_log::SetLogDisabled(true);
      app_log::AddLogLine("APP : hidden");
      app_log::SetLogDisabled(false);
      QCOMPARE(form.ListBox_Log->count(), 0);
    }
    // A closed log window ends logging for the run.
    app_log::AddLogLine("APP : after");
    QVERIFY(app_log::LogDisabled());
    QVERIFY(ReadAll(app_log::LogFilePath()).empty());
    app_log::SetLogDisabled(false);
  }
};

QTEST_MAIN(LogWindowTest)
#include "log_window_test.moc"
